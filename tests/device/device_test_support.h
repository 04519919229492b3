#pragma once
// Shared pieces of the device tests: an emulated camera behind a recording port, and readers of
// the recorded traffic.
#include "device/device_protocol.h"
#include "device/win32_port.h"
#include "recording_port.h"
#include "emulator/emulated_port.h"
#include "virtual_camera.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The port to cameras with these emulator settings: emulated in this process, or the virtual
// camera driver restarted with them.
inline std::unique_ptr<DriverPort> CameraPort(const std::string& settings)
{
    if (!vcam_test::UsesVirtualCamera())
        return std::make_unique<EmulatedDriverPort>(settings.c_str());
    if (!vcam_test::RestartVirtualCamera(settings))
        std::fprintf(stderr, "the virtual camera did not restart with \"%s\"\n", settings.c_str());
    return std::make_unique<Win32DriverPort>();
}

// An emulated camera with every request logged.
struct EmulatedRig {
    explicit EmulatedRig(const std::string& settings) : emulator(CameraPort(settings)), port(*emulator) {}
    std::unique_ptr<DriverPort> emulator;
    RecordingDriverPort port;
};

inline bool IsCommandWrite(const PortEvent& e, uint8_t command)
{
    return e.kind == PortEvent::Kind::Request && e.pipe == kPipeCommand && e.code == kRequestWritePipe &&
           e.length == kPacketBytes && e.packet[0] == command;
}

inline bool IsImageRead(const PortEvent& e)
{
    return e.kind == PortEvent::Kind::Request && e.pipe == kPipeImage;
}

inline bool IsReplyRead(const PortEvent& e)
{
    return e.kind == PortEvent::Kind::Request && e.pipe == kPipeReply;
}

// (register, value) of every sensor register write, in order.
inline std::vector<std::pair<int, int>> SensorWrites(const std::vector<PortEvent>& events)
{
    std::vector<std::pair<int, int>> writes;
    for (const PortEvent& e : events) {
        if (IsCommandWrite(e, cmd::kWriteSensorRegister))
            writes.emplace_back(e.packet[1], e.packet[2] << 8 | e.packet[3]);
    }
    return writes;
}

// (index, value) of every controller register write, in order.
inline std::vector<std::pair<int, int>> ControlWrites(const std::vector<PortEvent>& events)
{
    std::vector<std::pair<int, int>> writes;
    for (const PortEvent& e : events) {
        if (IsCommandWrite(e, cmd::kWriteControlRegister))
            writes.emplace_back(e.packet[1], e.packet[2]);
    }
    return writes;
}

inline size_t CountIf(const std::vector<PortEvent>& events, bool (*match)(const PortEvent&))
{
    size_t n = 0;
    for (const PortEvent& e : events)
        n += match(e) ? 1 : 0;
    return n;
}

// Opens minus closes of driver handles: 0 when nothing was left open.
inline int OpenHandles(const std::vector<PortEvent>& events)
{
    int open = 0;
    for (const PortEvent& e : events) {
        if (e.kind == PortEvent::Kind::Open && e.handle)
            ++open;
        if (e.kind == PortEvent::Kind::Close && e.handle)
            --open;
    }
    return open;
}

// A file in the temporary folder, removed at destruction.
class TempFile {
public:
    explicit TempFile(const char* name)
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(sizeof(folder), folder);
        path_ = std::string(folder) + name;
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
