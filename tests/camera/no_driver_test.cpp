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

TEST_F(SdkTest, NoCameraEveryAcquisitionFailsWithTwoThenOne)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    const std::vector<int> absent{VELMOR_ERROR_STATE, VELMOR_ERROR_DEVICE_BUSY};
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), absent);
    EXPECT_EQ(Velmor_Capture(camera), 0);
    EXPECT_EQ(PopAll(camera), absent);
    EXPECT_EQ(Velmor_StartPreview(camera), 0);
    EXPECT_EQ(PopAll(camera), absent);
    EXPECT_EQ(Velmor_Trigger(camera, nullptr, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), absent);
    // The window-less preview adds its own start failure.
    EXPECT_EQ(Velmor_CallBackPreview(camera, nullptr, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_TRANSFER, VELMOR_ERROR_STATE, VELMOR_ERROR_DEVICE_BUSY}));
    // Nothing was ever processed: no image to hand out or save.
    std::vector<BYTE> buffer(64);
    EXPECT_EQ(Velmor_GetImage(camera, buffer.data(), int(buffer.size()), 1), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_MEMORY});
    char path[] = "never.bmp";
    EXPECT_EQ(Velmor_SaveImage(camera, path, VELMOR_SAVE_BMP), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_STATE});
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
}
