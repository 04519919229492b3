#pragma once
// Helpers of the acquisition tests: a window that collects frame notifications, the process's
// resource counts, and the sizes of frames in the application's buffers.
#include "../api/sdk_test_support.h"
#include "message_window.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <chrono>
#include <vector>

namespace sdktest {

// A message-only window on the calling thread that records every frame notification.
class FrameWindow {
public:
    struct Note {
        WPARAM wParam;
        LPARAM lParam;
        DWORD time;              // GetTickCount when it was posted
        VELMOR_FRAME_INFO info;  // a copy taken when the message was handled (zero for failures)
    };

    HWND get() const { return window_.get(); }

    // Handles the frame messages that arrive within `ms` until `done()` holds; `perMessage` runs
    // after each handled message (a slow application sleeps there).
    template <typename Done, typename Each>
    void PumpUntil(DWORD ms, Done done, Each perMessage)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms && !done()) {
            MSG msg;
            if (!PeekMessageA(&msg, window_.get(), VELMOR_WM_FRAME, VELMOR_WM_FRAME, PM_REMOVE)) {
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
    // Until `frames` frames came.
    template <typename Each>
    void Pump(DWORD ms, size_t frames, Each perMessage)
    {
        PumpUntil(ms, [&] { return FrameCount() >= frames; }, perMessage);
    }
    void Pump(DWORD ms, size_t frames = SIZE_MAX)
    {
        Pump(ms, frames, [](const Note&) {});
    }
    // Until a frame failure came.
    void PumpUntilFailure(DWORD ms)
    {
        PumpUntil(ms, [&] { return !Failures().empty(); }, [](const Note&) {});
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
    MessageWindow window_{"VelmorTestFrameWindow"};
};

// GDI objects of the process. Wine reports none through GetGuiResources; there the process's GDI
// handle table (PEB, offset 0xF8 in 64-bit processes: 24-byte entries, the type byte at offset 14,
// zero when free) tells.
inline DWORD GdiObjects()
{
    if (const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return reported;
    struct Entry {
        uint64_t object;
        uint32_t owner;
        uint16_t unique;
        uint8_t type;
        uint8_t flags;
        uint64_t user;
    };
    static_assert(sizeof(Entry) == 24);
    constexpr size_t kTableOffset = 0xF8;
    constexpr int kEntries = 0x10000;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // the TEB is read through a segment register
    const auto* peb = reinterpret_cast<const uint8_t*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
    const Entry* table = *reinterpret_cast<const Entry* const*>(peb + kTableOffset);
    DWORD count = 0;
    for (int i = 0; table && i < kEntries; ++i)
        count += table[i].type != 0;
    return count;
}

// Windows of the process, message-only ones included (USER objects that a leak would show).
inline DWORD ProcessWindows()
{
    struct Counter {
        DWORD count = 0;
        static BOOL CALLBACK Visit(HWND window, LPARAM data)
        {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            auto* self = reinterpret_cast<Counter*>(data);
            if (process == GetCurrentProcessId()) {
                ++self->count;
                EnumChildWindows(window, Visit, data);
            }
            return TRUE;
        }
    } counter;
    EnumWindows(Counter::Visit, reinterpret_cast<LPARAM>(&counter));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        Counter::Visit(window, reinterpret_cast<LPARAM>(&counter));
    return counter.count;
}

// What the process holds: kernel handles, GDI objects, windows, threads.
struct ResourceCounts {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD threads = 0;

    static ResourceCounts Now()
    {
        ResourceCounts c;
        GetProcessHandleCount(GetCurrentProcess(), &c.handles);
        c.gdi = GdiObjects();
        c.user = ProcessWindows();
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            c.threads += entry.th32OwnerProcessID == GetCurrentProcessId();
        CloseHandle(snapshot);
        return c;
    }
};

// A fresh registry and one camera that opens no window of its own: for tests that look at
// buffers, messages and files.
class CameraTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        camera = NewCamera();
        ASSERT_NE(camera, 0);
        ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    }

    int camera = 0;
};

}  // namespace sdktest
