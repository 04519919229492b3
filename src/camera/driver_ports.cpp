#include "camera/driver_ports.h"

#include "device/win32_port.h"
#include "emulator/emulated_port.h"

#include <windows.h>

#include <string>

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
