#pragma once
// The emulated camera's host inside the kernel-mode driver: pool memory, the performance counter,
// waits that end early when the driver stops, events used as locks, ZwReadFile and DbgPrint.
#include "driver/kernel.h"

#include "emulator/emu_host.h"

namespace vcam {

class KernelHost final : public emu::EmuHost {
public:
    // Sleeps end at once when `stop` is signalled, so that the driver can unload while reads wait.
    explicit KernelHost(KEVENT* stop) : stop_(stop) {}

    void* Allocate(size_t bytes) override;
    void Free(void* memory) override;
    uint64_t NowMicros() override;
    void SleepMicros(uint64_t micros) override;
    void* CreateLock() override;
    void DestroyLock(void* lock) override;
    void Lock(void* lock) override;
    void Unlock(void* lock) override;
    // `path` is a Win32 path (C:\...); the driver has no current folder, so it must be absolute.
    int64_t ReadFile(const char* path, void* buffer, uint64_t bytes) override;
    void Log(const char* message) override;

private:
    KEVENT* stop_;
};

}  // namespace vcam
