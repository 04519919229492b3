#include "emulator/emulated_port.h"

#include "emulator/emulator_core.h"

EmulatedDriverPort::EmulatedDriverPort(const char* settings)
    : EmulatedDriverPort(settings, emu::ProcessEmuHost())
{
}

EmulatedDriverPort::EmulatedDriverPort(const char* settings, emu::EmuHost& host)
    : core_(emu::EmulatorCore::Create(host, settings))
{
}

EmulatedDriverPort::~EmulatedDriverPort() { emu::EmulatorCore::Destroy(core_); }

DriverHandle EmulatedDriverPort::Open(const char* path) { return core_ ? core_->Open(path) : nullptr; }

bool EmulatedDriverPort::Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                                 uint32_t outBytes, uint32_t* returned)
{
    if (!core_) {
        if (returned)
            *returned = 0;
        return false;
    }
    return core_->Control(handle, code, in, inBytes, out, outBytes, returned);
}

void EmulatedDriverPort::Close(DriverHandle handle)
{
    if (core_)
        core_->Close(handle);
}

uint64_t EmulatedDriverPort::FramePeriodNanos(int device) const
{
    return core_ ? core_->FramePeriodNanos(device) : 0;
}

uint32_t EmulatedDriverPort::IgnoredItems() const { return core_ ? core_->Config().ignoredItems : 0; }
