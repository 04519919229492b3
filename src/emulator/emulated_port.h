#pragma once
// The driver port of the emulated cameras (VELMOR_EMULATION set and not empty): every request goes
// to 520QK cameras emulated in this process through the driver's own request protocol.
#include <cstdint>

#include "device/driver_port.h"

namespace emu {
class EmuHost;
class EmulatorCore;
}  // namespace emu

class EmulatedDriverPort : public DriverPort {
public:
    // `settings` is the variable's value; a null or unusable value leaves the defaults.
    explicit EmulatedDriverPort(const char* settings);
    // Tests pass a host of their own, e.g. one with a virtual clock; it must outlive the port.
    EmulatedDriverPort(const char* settings, emu::EmuHost& host);
    ~EmulatedDriverPort() override;
    EmulatedDriverPort(const EmulatedDriverPort&) = delete;
    EmulatedDriverPort& operator=(const EmulatedDriverPort&) = delete;

    DriverHandle Open(const char* path) override;
    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                 uint32_t outBytes, uint32_t* returned) override;
    void Close(DriverHandle handle) override;

    // Test hooks: the frame period device `device` runs at now (0 when it does not answer), and
    // the number of items of the value that were ignored.
    uint64_t FramePeriodNanos(int device) const;
    uint32_t IgnoredItems() const;

private:
    emu::EmulatorCore* core_;  // owned; null when the host could not provide memory
};
