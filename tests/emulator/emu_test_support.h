#pragma once
// Helpers for the emulator tests: a host with a virtual clock, and a client that speaks the
// driver protocol the way the SDK's device layer does.
#include <algorithm>
#include <array>
#include <atomic>
#include <initializer_list>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "device/driver_port.h"
#include "emulator/emu_host.h"
#include "emulator/emulated_port.h"

namespace emutest {

constexpr int kColumns = 2048;
constexpr int kRows = 1536;

// The process's host for everything; test hosts override what they change.
class ForwardingHost : public emu::EmuHost {
public:
    void* Allocate(size_t bytes) override { return real_.Allocate(bytes); }
    void Free(void* memory) override { real_.Free(memory); }
    uint64_t NowMicros() override { return real_.NowMicros(); }
    void SleepMicros(uint64_t micros) override { real_.SleepMicros(micros); }
    void* CreateLock() override { return real_.CreateLock(); }
    void DestroyLock(void* lock) override { real_.DestroyLock(lock); }
    void Lock(void* lock) override { real_.Lock(lock); }
    void Unlock(void* lock) override { real_.Unlock(lock); }
    int64_t ReadFile(const char* path, void* buffer, uint64_t bytes) override
    {
        return real_.ReadFile(path, buffer, bytes);
    }
    void Log(const char* message) override { real_.Log(message); }

private:
    emu::EmuHost& real_ = emu::ProcessEmuHost();
};

// The real host for memory, locks and files; a clock that only moves when someone sleeps.
class VirtualClockHost final : public ForwardingHost {
public:
    uint64_t NowMicros() override { return now_.load(); }
    void SleepMicros(uint64_t micros) override { now_ += micros; }
    void Log(const char*) override { ++logged_; }

    uint64_t Now() const { return now_.load(); }
    int Logged() const { return logged_.load(); }

private:
    std::atomic<uint64_t> now_{1000000};
    std::atomic<int> logged_{0};
};

using Packet = std::array<uint8_t, kPacketBytes>;

inline std::string DevicePath(char suffix) { return std::string("\\\\.\\Velm520QKZRX-") + suffix; }

// The window geometry the SDK derives for a window: lines of w/d samples, h/d lines, the transfer
// length rounded up to 1024 samples.
struct Geometry {
    int lineWidth = 0;
    int lineCount = 0;
    uint32_t transferPixels = 0;
};

int Divisor(int mode);

// One open handle on one device, with the SDK's exchanges.
class Client {
public:
    Client(DriverPort& port, char suffix = '0') : port_(port), handle_(port.Open(DevicePath(suffix).c_str())) {}
    ~Client()
    {
        if (handle_)
            port_.Close(handle_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    DriverHandle Handle() const { return handle_; }

    bool Send(const Packet& packet, uint32_t code = kRequestWritePipe);
    bool SendBytes(std::initializer_list<uint8_t> bytes, uint32_t code = kRequestWritePipe);
    bool ReadReply(Packet& reply);
    // Write, then the double reply read; only the second read counts.
    bool Exchange(std::initializer_list<uint8_t> bytes, Packet& reply);

    bool WriteSensor(int reg, uint16_t value);
    bool ReadSensor(int reg, uint16_t& value);
    bool WriteControl(int index, uint8_t value);
    bool ReadControl(int index, uint8_t& value);
    bool ReadSrom(uint16_t address, uint8_t& value);
    bool SetDriverWait(int32_t ms);

    // Programs the window as the SDK does and returns the geometry it then expects.
    Geometry ProgramWindow(int x, int y, int w, int h, int mode, bool twoBytes);
    // Frame request and image read of `bytes` bytes into `buffer`; false when the read failed.
    bool ReadFrame(std::vector<uint8_t>& buffer, uint32_t bytes, uint32_t* moved = nullptr);

private:
    DriverPort& port_;
    DriverHandle handle_;
};

// 2048 × 1536 random 10-bit samples, written as a raw source file; removed with the object.
class RawFile {
public:
    explicit RawFile(uint32_t seed);
    ~RawFile();
    const std::string& Path() const { return path_; }
    uint16_t At(int row, int column) const { return samples_[size_t(row) * kColumns + column]; }

private:
    std::string path_;
    std::vector<uint16_t> samples_;
};

}  // namespace emutest
