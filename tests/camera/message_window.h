#pragma once
// What the acquisition tests and benchmarks share without the test framework: a message-only
// window that receives frame notifications, and the size of a frame in an application's buffer.
#include <windows.h>

namespace sdktest {

// Bytes per row of a frame of an output format's bit count (rows padded to 4 bytes), and the frame.
inline int FrameStride(int width, int bits) { return (width * (bits / 8) + 3) & ~3; }
inline int FrameBytes(int width, int height, int bits) { return FrameStride(width, bits) * height; }

// A message-only window of its own class on the calling thread.
class MessageWindow {
public:
    explicit MessageWindow(const char* className)
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);  // a second registration fails harmlessly
        window_ = CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    }
    ~MessageWindow() { DestroyWindow(window_); }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace sdktest
