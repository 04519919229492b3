// The emulator's host in the Windows DLL: process heap, performance counter, Sleep, slim locks,
// CreateFileA/ReadFile. The SDK writes no debug output, so Log drops its message.
#include <windows.h>

#include "emulator/emu_host.h"

namespace emu {
namespace {

constexpr uint64_t kMicrosPerMilli = 1000;
constexpr DWORD kLongestSleepMs = 0x7FFFFFFF;  // below INFINITE

class Win32Host final : public EmuHost {
public:
    void* Allocate(size_t bytes) override { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1); }
    void Free(void* memory) override
    {
        if (memory)
            HeapFree(GetProcessHeap(), 0, memory);
    }

    uint64_t NowMicros() override
    {
        LARGE_INTEGER frequency;
        LARGE_INTEGER count;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&count);
        return MicrosOfTicks(static_cast<uint64_t>(count.QuadPart), static_cast<uint64_t>(frequency.QuadPart));
    }
    void SleepMicros(uint64_t micros) override
    {
        // Sleep counts milliseconds: round up, so a wait never ends before its time.
        const uint64_t ms = (micros + kMicrosPerMilli - 1) / kMicrosPerMilli;
        Sleep(ms > kLongestSleepMs ? kLongestSleepMs : static_cast<DWORD>(ms));
    }

    void* CreateLock() override
    {
        auto* lock = static_cast<SRWLOCK*>(Allocate(sizeof(SRWLOCK)));
        if (lock)
            InitializeSRWLock(lock);
        return lock;
    }
    void DestroyLock(void* lock) override { Free(lock); }
    void Lock(void* lock) override { AcquireSRWLockExclusive(static_cast<SRWLOCK*>(lock)); }
    void Unlock(void* lock) override { ReleaseSRWLockExclusive(static_cast<SRWLOCK*>(lock)); }

    int64_t ReadFile(const char* path, void* buffer, uint64_t bytes) override
    {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return -1;
        uint64_t total = 0;
        auto* bytesOut = static_cast<uint8_t*>(buffer);
        while (total < bytes) {
            const uint64_t left = bytes - total;
            const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
            DWORD read = 0;
            if (!::ReadFile(file, bytesOut + total, chunk, &read, nullptr) || read == 0)
                break;
            total += read;
        }
        CloseHandle(file);
        return static_cast<int64_t>(total);
    }

    void Log(const char*) override {}
};

}  // namespace

EmuHost& ProcessEmuHost()
{
    static Win32Host host;  // no state: constructing it does nothing
    return host;
}

}  // namespace emu
