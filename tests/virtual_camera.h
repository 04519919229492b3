#pragma once
// Test programs that make cameras of their own from emulator settings. Run as usual they get
// cameras emulated in the process; run by `wine-run --virtual-camera` (VELMOR_TEST_VIRTUAL_CAMERA=1)
// the virtual camera driver of the prefix is restarted with the same settings and reached through
// the SDK's Win32 port, as an application reaches a camera.
#include <windows.h>

#include <cstring>
#include <string>

namespace vcam_test {

constexpr char kService[] = "VelmorVirtualCamera";
constexpr char kServiceKey[] = "System\\CurrentControlSet\\Services\\VelmorVirtualCamera";
constexpr char kSettingsValue[] = "Parameters";
constexpr DWORD kServiceWaitMs = 10000;
constexpr DWORD kPollMs = 20;

inline bool UsesVirtualCamera()
{
    char value[8] = {};
    return GetEnvironmentVariableA("VELMOR_TEST_VIRTUAL_CAMERA", value, sizeof(value)) == 1 && value[0] == '1';
}

// Waits until the driver's service reaches `state`; false after kServiceWaitMs.
inline bool WaitForService(SC_HANDLE service, DWORD state)
{
    for (DWORD waited = 0; waited < kServiceWaitMs; waited += kPollMs) {
        SERVICE_STATUS status = {};
        if (QueryServiceStatus(service, &status) && status.dwCurrentState == state)
            return true;
        Sleep(kPollMs);
    }
    return false;
}

// Stops (start = false) or starts the driver and waits until it has.
inline bool ControlVirtualCamera(bool start)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return false;
    SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
    bool ok = false;
    if (service) {
        SERVICE_STATUS status = {};
        if (start)
            ok = (StartServiceA(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) &&
                 WaitForService(service, SERVICE_RUNNING);
        else
            ok = (ControlService(service, SERVICE_CONTROL_STOP, &status) || GetLastError() == ERROR_SERVICE_NOT_ACTIVE) &&
                 WaitForService(service, SERVICE_STOPPED);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return ok;
}

// Gives the driver new settings and restarts it: its cameras power up anew.
inline bool RestartVirtualCamera(const std::string& settings)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServiceKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const LONG written = RegSetValueExA(key, kSettingsValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(settings.c_str()),
                                        static_cast<DWORD>(settings.size() + 1));
    RegCloseKey(key);
    return written == ERROR_SUCCESS && ControlVirtualCamera(false) && ControlVirtualCamera(true);
}

// Sets up the cameras of this process: the variable for in-process emulation, else the driver.
inline bool UseCameraSettings(const std::string& settings)
{
    if (UsesVirtualCamera())
        return RestartVirtualCamera(settings);
    return SetEnvironmentVariableA("VELMOR_EMULATION", settings.c_str()) != FALSE;
}

}  // namespace vcam_test
