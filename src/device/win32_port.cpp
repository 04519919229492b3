#include "device/win32_port.h"

#include "emulator/emulated_port.h"

#include <windows.h>

#include <string>

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

namespace {
constexpr char kEmulationVariable[] = "VELMOR_EMULATION";

DriverPort* CreateProcessPort()
{
    // Read with the Win32 call, not getenv: the C runtime's copy of the environment does not see
    // SetEnvironmentVariable from the application.
    const DWORD size = GetEnvironmentVariableA(kEmulationVariable, nullptr, 0);
    if (size > 1) {
        std::string value(size, '\0');
        const DWORD length = GetEnvironmentVariableA(kEmulationVariable, value.data(), size);
        if (length > 0 && length < size) {
            value.resize(length);
            return new EmulatedDriverPort(value.c_str());
        }
    }
    return new Win32DriverPort();
}
}  // namespace

DriverPort& ProcessDriverPort()
{
    // Chosen once, never destroyed: the port outlives every device object, and unloading the
    // library stays free of destructors.
    static DriverPort* const port = CreateProcessPort();
    return *port;
}
