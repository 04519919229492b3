#pragma once
// Helpers shared by the black-box tests of the exports.
#include <VelmorSdk_520QK_ZRX.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace sdktest {

constexpr char kRootKey[] = "Software\\Korvane\\Velmor520QKZRXSdk";

// Removes every setting of the SDK, so the next Velmor_Initialize is a first run.
inline void ClearSettings()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Korvane");
}

inline bool ReadDword(const std::string& key, const char* value, DWORD& out)
{
    DWORD size = sizeof(out);
    return RegGetValueA(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, &out, &size) ==
           ERROR_SUCCESS;
}

inline void WriteDword(const std::string& key, const char* value, DWORD data)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    RegCloseKey(k);
}

// Names of the values and of the subkeys of a key, in the order the registry lists them.
inline bool ListKey(const std::string& key, std::vector<std::string>& values, std::vector<std::string>& subkeys)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(k, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        values.emplace_back(name);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(k, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name);
    }
    RegCloseKey(k);
    return true;
}

// Error notifications posted to the calling thread's own queue (a null notification window).
inline std::vector<LPARAM> TakeThreadErrorPosts()
{
    std::vector<LPARAM> codes;
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), VELMOR_WM_ERROR, VELMOR_WM_ERROR, PM_REMOVE))
        codes.push_back(msg.lParam);
    return codes;
}

// Error notifications posted to a window.
inline std::vector<LPARAM> TakeWindowErrorPosts(HWND window)
{
    std::vector<LPARAM> codes;
    MSG msg;
    while (PeekMessageA(&msg, window, VELMOR_WM_ERROR, VELMOR_WM_ERROR, PM_REMOVE))
        codes.push_back(msg.lParam);
    return codes;
}

inline std::vector<int> PopAll(int camera)
{
    std::vector<int> codes;
    for (int code; (code = Velmor_GetLastError(camera)) != 0;)
        codes.push_back(code);
    return codes;
}

// Runs this test program again as a second process, with `childSwitch` set in its environment
// (its main then runs the child's part); the child's exit code, or 100 when it could not start.
inline DWORD RunSelfAsChild(const char* childSwitch)
{
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof(program));
    char commandLine[MAX_PATH + 64];
    std::snprintf(commandLine, sizeof(commandLine), "\"%s\" --gtest_filter=None", program);
    SetEnvironmentVariableA(childSwitch, "1");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL created =
        CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(childSwitch, nullptr);
    if (!created)
        return 100;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 101;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// A fixture with a fresh registry; cameras made through it are released at the end.
class SdkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        TakeThreadErrorPosts();
    }
    void TearDown() override
    {
        for (int camera : cameras_)
            Velmor_Release(camera);
        TakeThreadErrorPosts();
    }
    int NewCamera(HWND notify = nullptr)
    {
        const int camera = Velmor_Initialize(notify);
        if (camera)
            cameras_.push_back(camera);
        return camera;
    }
    void Forget(int camera) { std::erase(cameras_, camera); }

private:
    std::vector<int> cameras_;
};

}  // namespace sdktest
