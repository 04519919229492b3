#pragma once
// The port to the camera's kernel driver: device paths opened with CreateFileA, requests issued
// with DeviceIoControl and no overlapped structure.
#include "device/driver_port.h"

class Win32DriverPort : public DriverPort {
public:
    DriverHandle Open(const char* path) override;
    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                 uint32_t outBytes, uint32_t* returned) override;
    void Close(DriverHandle handle) override;
};
