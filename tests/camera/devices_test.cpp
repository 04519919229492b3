// Device selection, listings, registers, serial ROM, I/O port and the capture-window setters,
// through the exports, with emulated cameras at device numbers 3 and 7 (none at 0).
#include "../api/sdk_test_support.h"

#include <cstring>

using namespace sdktest;

namespace {
const std::string kCamera0 = std::string(kRootKey) + "\\Camera_00";
}

TEST_F(SdkTest, ListingsNameTheDevicesFound)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    std::vector<char> entries(32 * 256, 'x');
    EXPECT_EQ(Velmor_EnumDevice(camera, entries.data()), 2);
    EXPECT_STREQ(&entries[0], "Velmor520QK-ZRX_01");
    EXPECT_STREQ(&entries[256], "Velmor520QK-ZRX_02");
    for (int i = 2; i < 10; ++i)
        EXPECT_EQ(entries[i * 256], '\0') << "entry " << i;
    EXPECT_EQ(entries[10 * 256], 'x') << "written past the tenth entry";

    std::vector<wchar_t> wide(32 * 256, L'x');
    EXPECT_EQ(Velmor_EnumDeviceW(camera, wide.data()), 2);
    EXPECT_EQ(std::wstring(&wide[256]), L"Velmor520QK-ZRX_02");
    EXPECT_EQ(wide[9 * 256], L'\0');

    char name[32];
    std::memset(name, 'x', sizeof(name));
    EXPECT_EQ(Velmor_GetDeviceName(camera, 7, name, sizeof(name)), 1);
    EXPECT_STREQ(name, "Velmor520QK-ZRX_08");
    wchar_t wideName[32];
    EXPECT_EQ(Velmor_GetDeviceNameW(camera, 3, wideName, 32), 1);
    EXPECT_EQ(std::wstring(wideName), L"Velmor520QK-ZRX_04");

    // The name needs 19 bytes: a buffer of 15 to 18 is refused without a byte written.
    std::memset(name, 'x', sizeof(name));
    EXPECT_EQ(Velmor_GetDeviceName(camera, 7, name, 18), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_MEMORY);
    EXPECT_EQ(name[0], 'x');
    EXPECT_EQ(Velmor_GetDeviceName(camera, 7, name, 19), 1);
    EXPECT_EQ(Velmor_GetDeviceName(camera, 7, name, 14), 0);
    EXPECT_EQ(Velmor_GetDeviceName(camera, 32, name, 32), 0);
    EXPECT_EQ(Velmor_GetDeviceName(camera, -1, name, 32), 0);
    EXPECT_EQ(Velmor_GetDeviceName(camera, 7, nullptr, 32), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>(4, VELMOR_ERROR_ARGUMENT));
    EXPECT_EQ(Velmor_GetDeviceName(camera, 4, name, 32), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_DEVICE_BUSY);
    EXPECT_EQ(Velmor_EnumDevice(camera, nullptr), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_ARGUMENT);
}

TEST_F(SdkTest, SelectingADeviceSwitchesItsSettings)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    // Device 0 does not answer here: its registers cannot be read.
    int ok = -1;
    EXPECT_EQ(Velmor_ReadRegister(camera, 9, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_REGISTER);

    EXPECT_EQ(Velmor_SetDeviceNumber(camera, 4), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_DEVICE_BUSY);
    ASSERT_EQ(Velmor_SetBrightness(camera, 11), 1);  // device 0's value, saved when it is left

    ASSERT_EQ(Velmor_SetDeviceNumber(camera, 7), 1);
    EXPECT_EQ(Velmor_GetBrightness(camera, nullptr), 0);  // device 7 has no settings yet: defaults
    EXPECT_EQ(Velmor_GetGamma(camera, nullptr), 100);
    // The new device got the analog settings: defaults 14 and 1561.
    EXPECT_EQ(Velmor_ReadRegister(camera, 53, &ok), 14);
    EXPECT_EQ(Velmor_ReadRegister(camera, 9, &ok), 1561);
    EXPECT_EQ(ok, 1);
    ASSERT_EQ(Velmor_SetBrightness(camera, 22), 1);
    ASSERT_EQ(Velmor_SetGrayOffsetR(camera, -10), 1);

    Forget(camera);
    ASSERT_EQ(Velmor_Release(camera), 1);
    DWORD v = 0;
    ASSERT_TRUE(ReadDword(kCamera0 + "\\Filter", "Brightness", v));
    EXPECT_EQ(v, 11u);
    const std::string camera7 = std::string(kRootKey) + "\\Camera_07";
    ASSERT_TRUE(ReadDword(camera7 + "\\Filter", "Brightness", v));
    EXPECT_EQ(v, 22u);
    ASSERT_TRUE(ReadDword(camera7 + "\\Gray", "OffsetR1", v));
    EXPECT_EQ(v, 0xFFFFFFF6u);
}

TEST_F(SdkTest, RegistersSerialRomAndPort)
{
    const int camera = NewCamera();
    ASSERT_EQ(Velmor_SetDeviceNumber(camera, 3), 1);
    int ok = -1;
    EXPECT_EQ(Velmor_WriteRegister(camera, 9, 777), 1);
    EXPECT_EQ(Velmor_ReadRegisterEx(camera, 9, &ok), 777);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Velmor_WriteRegisterEx(camera, 256 + 5, 33), 1);  // only the low 8 bits travel
    EXPECT_EQ(Velmor_ReadRegister(camera, 5, &ok), 33);
    EXPECT_EQ(Velmor_ReadRegister(camera, 256 + 5, &ok), 33);

    EXPECT_EQ(Velmor_WriteSromID(camera, 0x2C, 0x5A), 1);
    EXPECT_EQ(Velmor_ReadSromID(camera, 300, &ok), 0x5A);  // 300 & 0xFF is 0x2C
    EXPECT_EQ(ok, 1);

    BYTE port = 0;
    EXPECT_EQ(Velmor_SetIOPort(camera, 0xA5), 1);
    EXPECT_EQ(Velmor_GetIOPort(camera, &port, 0, 0), 1);
    EXPECT_EQ(port, 0xA5);
    TakeThreadErrorPosts();
    EXPECT_EQ(Velmor_GetIOPort(camera, nullptr, 0, 0), 0);
    EXPECT_EQ(TakeThreadErrorPosts(), std::vector<LPARAM>{VELMOR_ERROR_ARGUMENT});
    EXPECT_EQ(Velmor_GetLastError(camera), 0);

    EXPECT_EQ(Velmor_GetHalfClock(camera, &ok), 0);  // InitializeModel leaves the clock register at reset
    EXPECT_EQ(ok, 1);
}

TEST_F(SdkTest, CaptureWindowSettersProgramTheSensor)
{
    const int camera = NewCamera();
    ASSERT_EQ(Velmor_SetDeviceNumber(camera, 3), 1);
    int ok = 0;
    EXPECT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 100, 640, 1536, 50, 480), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 2, &ok), (100 + 33) & ~1);  // first column, with the sensor's margin
    EXPECT_EQ(Velmor_ReadRegister(camera, 4, &ok), 639);  // columns - 1
    EXPECT_EQ(Velmor_ReadRegister(camera, 3, &ok), 479);  // rows - 1
    EXPECT_EQ(Velmor_Width(camera), 640);

    // An invalid window is stored (the next start refuses it) but not sent.
    EXPECT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 2000, 640, 1536, 0, 480), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_CAPTURE_WINDOW);
    int w[6];
    Velmor_GetCaptureWindowEx(camera, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5]);
    EXPECT_EQ(w[1], 2000);
    EXPECT_EQ(Velmor_ReadRegister(camera, 2, &ok), (100 + 33) & ~1);

    // Presets: the lower-numbered of two matching ones is chosen; a preset outside the sensor
    // falls back to the full window.
    WriteDword(std::string(kRootKey) + "\\Camera_03\\Size_00", "EH", 2048);
    for (auto [n, left] : {std::pair{1, 8}, std::pair{2, 16}}) {
        const std::string key = std::string(kRootKey) + "\\Camera_03\\Size_0" + std::to_string(n);
        WriteDword(key, "EH", 1024);
        WriteDword(key, "EV", 768);
        WriteDword(key, "EHS", left);
        WriteDword(key, "EVS", 0);
    }
    const std::string bad = std::string(kRootKey) + "\\Camera_03\\Size_03";
    WriteDword(bad, "EH", 800);
    WriteDword(bad, "EV", 600);
    WriteDword(bad, "EHS", 1500);
    WriteDword(bad, "Buf", 9);
    EXPECT_EQ(Velmor_SetCaptureWindow(camera, 1024, 768), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 2, &ok), (8 + 33) & ~1);
    EXPECT_EQ(Velmor_SetCaptureWindow(camera, 333, 333), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_WINDOW);
    EXPECT_EQ(Velmor_SetCaptureWindow(camera, 800, 600), 1);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_CAPTURE_WINDOW);
    EXPECT_EQ(Velmor_Width(camera), 2048);
    EXPECT_EQ(Velmor_ReadRegister(camera, 4, &ok), 2047);
}
