#include "device/win32_port.h"

#include <windows.h>

DriverHandle Win32DriverPort::Open(const char* path)
{
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    // Callers only know "null means closed": never hand out INVALID_HANDLE_VALUE.
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool Win32DriverPort::Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                              uint32_t outBytes, uint32_t* returned)
{
    DWORD moved = 0;
    const BOOL ok = DeviceIoControl(handle, code, const_cast<void*>(in), inBytes, out, outBytes, &moved, nullptr);
    if (returned)
        *returned = moved;
    return ok != FALSE;
}

void Win32DriverPort::Close(DriverHandle handle)
{
    if (handle)
        CloseHandle(handle);
}
