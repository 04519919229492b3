#pragma once
// What the emulated camera needs from the place it runs in: memory, time, sleeping, locks, file
// reading and logging. The core uses nothing else, so it can also run inside a kernel-mode driver
// whose host implements this interface with the kernel's own services.
#include <cstddef>
#include <cstdint>

namespace emu {

class EmuHost {
public:
    // Zero-filled memory, or null. Free accepts null.
    virtual void* Allocate(size_t bytes) = 0;
    virtual void Free(void* memory) = 0;

    // A monotonic clock in microseconds; only differences matter.
    virtual uint64_t NowMicros() = 0;
    virtual void SleepMicros(uint64_t micros) = 0;

    // A non-recursive lock; CreateLock returns null when none can be made.
    virtual void* CreateLock() = 0;
    virtual void DestroyLock(void* lock) = 0;
    virtual void Lock(void* lock) = 0;
    virtual void Unlock(void* lock) = 0;

    // Reads up to `bytes` bytes from the start of the file into `buffer`; returns the count read,
    // or -1 when the file cannot be opened.
    virtual int64_t ReadFile(const char* path, void* buffer, uint64_t bytes) = 0;

    // One line about something the emulator ignored or refused; hosts may drop it.
    virtual void Log(const char* message) = 0;

protected:
    ~EmuHost() = default;
};

// Microseconds of a counter running at `perSecond` ticks a second, exact and without overflow.
inline uint64_t MicrosOfTicks(uint64_t ticks, uint64_t perSecond)
{
    constexpr uint64_t kMicrosPerSecond = 1000000;
    return ticks / perSecond * kMicrosPerSecond + ticks % perSecond * kMicrosPerSecond / perSecond;
}

// The host of this process (Win32 in the DLL, the C++ library on the Linux host build).
EmuHost& ProcessEmuHost();

// Holds a host lock for one scope.
class HostLockGuard {
public:
    HostLockGuard(EmuHost& host, void* lock) : host_(host), lock_(lock) { host_.Lock(lock_); }
    ~HostLockGuard() { host_.Unlock(lock_); }
    HostLockGuard(const HostLockGuard&) = delete;
    HostLockGuard& operator=(const HostLockGuard&) = delete;

private:
    EmuHost& host_;
    void* lock_;
};

}  // namespace emu
