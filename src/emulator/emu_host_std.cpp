// The emulator's host on top of the C++ standard library (the Linux host build and its tests).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include "emulator/emu_host.h"

namespace emu {
namespace {

class StdHost final : public EmuHost {
public:
    void* Allocate(size_t bytes) override { return std::calloc(1, bytes ? bytes : 1); }
    void Free(void* memory) override { std::free(memory); }

    uint64_t NowMicros() override
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    }
    void SleepMicros(uint64_t micros) override { std::this_thread::sleep_for(std::chrono::microseconds(micros)); }

    void* CreateLock() override { return new (std::nothrow) std::mutex; }
    void DestroyLock(void* lock) override { delete static_cast<std::mutex*>(lock); }
    void Lock(void* lock) override { static_cast<std::mutex*>(lock)->lock(); }
    void Unlock(void* lock) override { static_cast<std::mutex*>(lock)->unlock(); }

    int64_t ReadFile(const char* path, void* buffer, uint64_t bytes) override
    {
        std::FILE* file = std::fopen(path, "rb");
        if (!file)
            return -1;
        const size_t count = std::fread(buffer, 1, bytes, file);
        std::fclose(file);
        return static_cast<int64_t>(count);
    }

    void Log(const char*) override {}
};

}  // namespace

EmuHost& ProcessEmuHost()
{
    static StdHost host;  // no state: constructing it does nothing
    return host;
}

}  // namespace emu
