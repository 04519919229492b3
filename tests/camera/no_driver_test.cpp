// Without the emulation variable and without a driver, nothing answers, yet every camera object
// is made and tells why it cannot reach a device.
#include "../api/sdk_test_support.h"

using namespace sdktest;

TEST_F(SdkTest, NoDriverNoDevicesButAHandle)
{
    ASSERT_EQ(GetEnvironmentVariableA("VELMOR_EMULATION", nullptr, 0), 0u);
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
    std::vector<char> entries(32 * 256, 'x');
    EXPECT_EQ(Velmor_EnumDevice(camera, entries.data()), 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(entries[i * 256], '\0');
    char name[32];
    EXPECT_EQ(Velmor_GetDeviceName(camera, 0, name, sizeof(name)), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_DEVICE_BUSY);
    int ok = -1;
    EXPECT_EQ(Velmor_ReadRegister(camera, 0, &ok), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_REGISTER);
    EXPECT_EQ(Velmor_SetDeviceNumber(camera, 0), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_DEVICE_BUSY);
    // Settings that need no answer from the sensor still work.
    EXPECT_EQ(Velmor_SetBrightness(camera, 5), 1);
    EXPECT_EQ(Velmor_GetBrightness(camera, nullptr), 5);
}
