// The camera object's device listings, register, serial ROM and I/O port calls.
#include "camera/velmor.h"

#include "device/device_scan.h"

namespace {
constexpr int kIoPortRegister = 7;
// The listings take the caller's buffer on trust for as many entries as devices can answer.
constexpr int kListingEntries = kMaxDevices;
constexpr int kNoDeviceObject = -1;  // a device-name result of our own: no device object to ask
}  // namespace

int CVelmor::EnumDevice(char* entries)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    if (!entries) {
        Raise(kErrorArgument);
        return 0;
    }
    return ListDevicesNarrow(*device, entries, kListingEntries);
}

int CVelmor::EnumDeviceW(wchar_t* entries)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    if (!entries) {
        Raise(kErrorArgument);
        return 0;
    }
    return ListDevicesWide(*device, entries, kListingEntries);
}

int CVelmor::GetDeviceName(int number, char* name, int length)
{
    Guard guard(deviceLock);
    return ReportDeviceName(device ? DeviceName(*device, number, name, length) : kNoDeviceObject);
}

int CVelmor::GetDeviceNameW(int number, wchar_t* name, int length)
{
    Guard guard(deviceLock);
    return ReportDeviceName(device ? DeviceNameW(*device, number, name, length) : kNoDeviceObject);
}

int CVelmor::ReportDeviceName(int result)
{
    switch (result) {
    case devicelist::kNameOk: return 1;
    case kNoDeviceObject: Raise(kErrorState); break;
    case devicelist::kNameBufferTooSmall: Raise(kErrorMemory); break;
    case devicelist::kNameAbsent: Raise(kErrorDeviceBusy); break;
    default: Raise(kErrorArgument); break;
    }
    return 0;
}

int CVelmor::ReadRegister(int reg, int* ok)
{
    if (ok)
        *ok = 0;
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    uint16_t value = 0;
    if (!device->ReadSensorRegister(reg, &value)) {
        Raise(kErrorRegister);
        return 0;
    }
    if (ok)
        *ok = 1;
    return value;
}

int CVelmor::WriteRegister(int reg, int value)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    if (!device->WriteSensorRegister(reg, value)) {
        Raise(kErrorRegister);
        return 0;
    }
    return 1;
}

int CVelmor::ReadSromID(int address, int* ok)
{
    Guard guard(deviceLock);
    uint8_t value = 0;
    if (!device || !device->ReadSromId(address, &value)) {
        if (ok)
            *ok = 0;
        PostOnly(kErrorState);
        return 0;
    }
    if (ok)
        *ok = 1;
    return value;
}

int CVelmor::WriteSromID(int address, int value)
{
    Guard guard(deviceLock);
    if (!device || !device->WriteSromId(address, value)) {
        PostOnly(kErrorState);
        return 0;
    }
    return 1;
}

int CVelmor::SetIOPort(int value)
{
    if (!HasDevicePostOnly())
        return 0;
    Guard guard(deviceLock);
    return device->WriteControlRegister(kIoPortRegister, value);
}

int CVelmor::GetIOPort(BYTE* value)
{
    if (!HasDevicePostOnly())
        return 0;
    Guard guard(deviceLock);
    if (!value) {
        PostOnly(kErrorArgument);
        return 0;
    }
    uint8_t inputs = 0;
    const int read = device->ReadControlRegister(kIoPortRegister, &inputs);
    *value = inputs;
    if (!read) {
        // A failed read must not pass for inputs that are all low.
        Raise(kErrorRegister);
        return 0;
    }
    return 1;
}
