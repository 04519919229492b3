#pragma once
// Helpers of the acquisition tests: a window that collects frame notifications, the process's
// resource counts, and the sizes of frames in the application's buffers.
#include "../api/sdk_test_support.h"

#include <tlhelp32.h>

#include <chrono>
#include <vector>

namespace sdktest {

// Bytes per pixel of an output format's bit count, and a frame's buffer size (rows padded to 4 bytes).
inline int FrameStride(int width, int bits) { return (width * (bits / 8) + 3) & ~3; }
inline int FrameBytes(int width, int height, int bits) { return FrameStride(width, bits) * height; }

// A message-only window on the calling thread that records every frame notification.
class FrameWindow {
public:
    struct Note {
        WPARAM wParam;
        LPARAM lParam;
        DWORD time;              // GetTickCount when it was posted
        VELMOR_FRAME_INFO info;  // a copy taken when the message was handled (zero for failures)
    };

    FrameWindow()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassA(&windowClass);  // a second registration fails harmlessly
        window_ = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    }
    ~FrameWindow() { DestroyWindow(window_); }
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    HWND get() const { return window_; }

    // Handles the frame messages that arrive within `ms`; stops early once `frames` frames came.
    // `perMessage` runs after each handled message (a slow application sleeps there).
    template <typename Each>
    void Pump(DWORD ms, size_t frames, Each perMessage)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms && FrameCount() < frames) {
            MSG msg;
            if (!PeekMessageA(&msg, window_, VELMOR_WM_FRAME, VELMOR_WM_FRAME, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
                continue;
            }
            Note note{msg.wParam, msg.lParam, msg.time, {}};
            if (msg.wParam)
                note.info = *reinterpret_cast<const VELMOR_FRAME_INFO*>(msg.wParam);
            notes.push_back(note);
            perMessage(note);
        }
    }
    void Pump(DWORD ms, size_t frames = SIZE_MAX)
    {
        Pump(ms, frames, [](const Note&) {});
    }

    size_t FrameCount() const
    {
        size_t n = 0;
        for (const Note& note : notes)
            n += note.wParam != 0;
        return n;
    }
    std::vector<LPARAM> Failures() const
    {
        std::vector<LPARAM> codes;
        for (const Note& note : notes)
            if (note.wParam == 0)
                codes.push_back(note.lParam);
        return codes;
    }

    std::vector<Note> notes;

private:
    static constexpr char kClass[] = "VelmorTestFrameWindow";
    HWND window_ = nullptr;
};

// What the process holds: kernel handles, GDI and USER objects, threads.
struct ResourceCounts {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD threads = 0;

    static ResourceCounts Now()
    {
        ResourceCounts c;
        GetProcessHandleCount(GetCurrentProcess(), &c.handles);
        c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            c.threads += entry.th32OwnerProcessID == GetCurrentProcessId();
        CloseHandle(snapshot);
        return c;
    }
};

}  // namespace sdktest
