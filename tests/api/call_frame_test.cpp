// The call frame of every export: unknown handles get the failure value and nothing else happens;
// live handles reach their own camera object.
#include "sdk_test_support.h"

#include <functional>

using namespace sdktest;

namespace {

struct Export {
    const char* name;
    int failure;
    std::function<int(int)> call;
};

// Every export that takes a handle (122 of the 124), called with arguments that would be read if
// the handle were live; in the header's order.
std::vector<Export> HandleExports()
{
    static int out;
    static BYTE bytes[64];
    static VELMOR_CAMERA_INFO info;
    static char text[32 * 256] = "C:\\nowhere\\config.bin";      // also a device listing's room
    static wchar_t wideText[32 * 256] = L"C:\\nowhere\\config.bin";
    return {
        {"Release", 0, [](int h) { return Velmor_Release(h); }},
        {"GetLastError", 0, [](int h) { return Velmor_GetLastError(h); }},
        {"SetDeviceNumber", 0, [](int h) { return Velmor_SetDeviceNumber(h, 1); }},
        {"Close", 0, [](int h) { return Velmor_Close(h); }},
        {"LoadConfigFileA", 0, [](int h) { return Velmor_LoadConfigFileA(h, text); }},
        {"LoadConfigFileW", 0, [](int h) { return Velmor_LoadConfigFileW(h, wideText); }},
        {"EnumDevice", 0, [](int h) { return Velmor_EnumDevice(h, text); }},
        {"EnumDeviceW", 0, [](int h) { return Velmor_EnumDeviceW(h, wideText); }},
        {"GetDeviceName", 0, [](int h) { return Velmor_GetDeviceName(h, 1, text, 1); }},
        {"GetDeviceNameW", 0, [](int h) { return Velmor_GetDeviceNameW(h, 1, wideText, 1); }},
        {"Capture", 0, [](int h) { return Velmor_Capture(h); }},
        {"SnapShot", 0, [](int h) { return Velmor_SnapShot(h, bytes, 1, 1); }},
        {"GetImage", 0, [](int h) { return Velmor_GetImage(h, bytes, 1, 1); }},
        {"Preview", 0, [](int h) { return Velmor_Preview(h); }},
        {"CallBackPreview", 0, [](int h) { return Velmor_CallBackPreview(h, nullptr, bytes, 1, 1); }},
        {"Trigger", 0, [](int h) { return Velmor_Trigger(h, nullptr, bytes, 1, 1); }},
        {"StartPreview", 0, [](int h) { return Velmor_StartPreview(h); }},
        {"StopPreview", 0, [](int h) { return Velmor_StopPreview(h); }},
        {"GetStatus", 0, [](int h) { return Velmor_GetStatus(h); }},
        {"Width", 0, [](int h) { return Velmor_Width(h); }},
        {"Height", 0, [](int h) { return Velmor_Height(h); }},
        {"Record", 0, [](int h) { return Velmor_Record(h, text, 1, 1); }},
        {"RecordW", 0, [](int h) { return Velmor_RecordW(h, wideText, 1, 1); }},
        {"SaveImage", 0, [](int h) { return Velmor_SaveImage(h, text, 1); }},
        {"SaveImageW", 0, [](int h) { return Velmor_SaveImageW(h, wideText, 1); }},
        {"SetPreviewWindow", 0, [](int h) { return Velmor_SetPreviewWindow(h, nullptr, 1, 1, 1, 1); }},
        {"SetCaptureWindow", 0, [](int h) { return Velmor_SetCaptureWindow(h, 1, 1); }},
        {"SetCaptureWindowEx", 0, [](int h) { return Velmor_SetCaptureWindowEx(h, 1, 1, 1, 1, 1, 1); }},
        {"GetCaptureWindowEx", 0, [](int h) { return Velmor_GetCaptureWindowEx(h, &out, &out, &out, &out, &out, &out); }},
        {"SetColorMode", 0, [](int h) { return Velmor_SetColorMode(h, 1); }},
        {"GetColorMode", -1, [](int h) { return Velmor_GetColorMode(h); }},
        {"SetSubSample", 0, [](int h) { return Velmor_SetSubSample(h, 1); }},
        {"GetSubSample", -1, [](int h) { return Velmor_GetSubSample(h); }},
        {"SetWaitTime", 0, [](int h) { return Velmor_SetWaitTime(h, 1); }},
        {"GetWaitTime", -1, [](int h) { return Velmor_GetWaitTime(h); }},
        {"SetHalfClock", 0, [](int h) { return Velmor_SetHalfClock(h, 1); }},
        {"GetHalfClock", 0, [](int h) { return Velmor_GetHalfClock(h, &out); }},
        {"SetMirrorH", 0, [](int h) { return Velmor_SetMirrorH(h, 1); }},
        {"GetMirrorH", 0, [](int h) { return Velmor_GetMirrorH(h); }},
        {"SetMirrorV", 0, [](int h) { return Velmor_SetMirrorV(h, 1); }},
        {"GetMirrorV", 0, [](int h) { return Velmor_GetMirrorV(h); }},
        {"SetAutoIris", 0, [](int h) { return Velmor_SetAutoIris(h, 1); }},
        {"GetAutoIris", 0, [](int h) { return Velmor_GetAutoIris(h, &out); }},
        {"SetRealExposureTime", 0, [](int h) { return Velmor_SetRealExposureTime(h, 1); }},
        {"GetRealExposureTime", 0, [](int h) { return Velmor_GetRealExposureTime(h, &out); }},
        {"SetFilterValue", 0, [](int h) { return Velmor_SetFilterValue(h, 1, 1); }},
        {"GetFilterValue", 0, [](int h) { return Velmor_GetFilterValue(h, 1, &out); }},
        {"SetBrightness", 0, [](int h) { return Velmor_SetBrightness(h, 1); }},
        {"GetBrightness", 0, [](int h) { return Velmor_GetBrightness(h, &out); }},
        {"SetContrast", 0, [](int h) { return Velmor_SetContrast(h, 1); }},
        {"GetContrast", 0, [](int h) { return Velmor_GetContrast(h, &out); }},
        {"SetHue", 0, [](int h) { return Velmor_SetHue(h, 1); }},
        {"GetHue", 0, [](int h) { return Velmor_GetHue(h, &out); }},
        {"SetSaturation", 0, [](int h) { return Velmor_SetSaturation(h, 1); }},
        {"GetSaturation", 0, [](int h) { return Velmor_GetSaturation(h, &out); }},
        {"SetSharpness", 0, [](int h) { return Velmor_SetSharpness(h, 1); }},
        {"GetSharpness", 0, [](int h) { return Velmor_GetSharpness(h, &out); }},
        {"SetBayerGainRGB", 0, [](int h) { return Velmor_SetBayerGainRGB(h, 1); }},
        {"GetBayerGainRGB", 0, [](int h) { return Velmor_GetBayerGainRGB(h, &out); }},
        {"SetBayerGainRed", 0, [](int h) { return Velmor_SetBayerGainRed(h, 1); }},
        {"GetBayerGainRed", 0, [](int h) { return Velmor_GetBayerGainRed(h, &out); }},
        {"SetBayerGainGreen", 0, [](int h) { return Velmor_SetBayerGainGreen(h, 1); }},
        {"GetBayerGainGreen", 0, [](int h) { return Velmor_GetBayerGainGreen(h, &out); }},
        {"SetBayerGainBlue", 0, [](int h) { return Velmor_SetBayerGainBlue(h, 1); }},
        {"GetBayerGainBlue", 0, [](int h) { return Velmor_GetBayerGainBlue(h, &out); }},
        {"SetBayerGainAuto", 0, [](int h) { return Velmor_SetBayerGainAuto(h, 1); }},
        {"GetBayerGainAuto", 0, [](int h) { return Velmor_GetBayerGainAuto(h, &out); }},
        {"SetGamma", 0, [](int h) { return Velmor_SetGamma(h, 1); }},
        {"GetGamma", 0, [](int h) { return Velmor_GetGamma(h, &out); }},
        {"SetBayerMode", 0, [](int h) { return Velmor_SetBayerMode(h, 1); }},
        {"GetBayerMode", 0, [](int h) { return Velmor_GetBayerMode(h, &out); }},
        {"SetGlobalGain", 0, [](int h) { return Velmor_SetGlobalGain(h, 1); }},
        {"GetGlobalGain", 0, [](int h) { return Velmor_GetGlobalGain(h, &out); }},
        {"SetColorGainRed", 0, [](int h) { return Velmor_SetColorGainRed(h, 1); }},
        {"GetColorGainRed", 0, [](int h) { return Velmor_GetColorGainRed(h, &out); }},
        {"SetColorGainGreen1", 0, [](int h) { return Velmor_SetColorGainGreen1(h, 1); }},
        {"GetColorGainGreen1", 0, [](int h) { return Velmor_GetColorGainGreen1(h, &out); }},
        {"SetColorGainGreen2", 0, [](int h) { return Velmor_SetColorGainGreen2(h, 1); }},
        {"GetColorGainGreen2", 0, [](int h) { return Velmor_GetColorGainGreen2(h, &out); }},
        {"SetColorGainBlue", 0, [](int h) { return Velmor_SetColorGainBlue(h, 1); }},
        {"GetColorGainBlue", 0, [](int h) { return Velmor_GetColorGainBlue(h, &out); }},
        {"SetExposureTime", 0, [](int h) { return Velmor_SetExposureTime(h, 1); }},
        {"GetExposureTime", 0, [](int h) { return Velmor_GetExposureTime(h, &out); }},
        {"SetGrayMode", 0, [](int h) { return Velmor_SetGrayMode(h, 1); }},
        {"GetGrayMode", 0, [](int h) { return Velmor_GetGrayMode(h, &out); }},
        {"SetGrayGainR", 0, [](int h) { return Velmor_SetGrayGainR(h, 1); }},
        {"GetGrayGainR", 0, [](int h) { return Velmor_GetGrayGainR(h, &out); }},
        {"SetGrayGainG1", 0, [](int h) { return Velmor_SetGrayGainG1(h, 1); }},
        {"GetGrayGainG1", 0, [](int h) { return Velmor_GetGrayGainG1(h, &out); }},
        {"SetGrayGainG2", 0, [](int h) { return Velmor_SetGrayGainG2(h, 1); }},
        {"GetGrayGainG2", 0, [](int h) { return Velmor_GetGrayGainG2(h, &out); }},
        {"SetGrayGainB", 0, [](int h) { return Velmor_SetGrayGainB(h, 1); }},
        {"GetGrayGainB", 0, [](int h) { return Velmor_GetGrayGainB(h, &out); }},
        {"SetGrayOffsetR", 0, [](int h) { return Velmor_SetGrayOffsetR(h, 1); }},
        {"GetGrayOffsetR", 0, [](int h) { return Velmor_GetGrayOffsetR(h, &out); }},
        {"SetGrayOffsetG1", 0, [](int h) { return Velmor_SetGrayOffsetG1(h, 1); }},
        {"GetGrayOffsetG1", 0, [](int h) { return Velmor_GetGrayOffsetG1(h, &out); }},
        {"SetGrayOffsetG2", 0, [](int h) { return Velmor_SetGrayOffsetG2(h, 1); }},
        {"GetGrayOffsetG2", 0, [](int h) { return Velmor_GetGrayOffsetG2(h, &out); }},
        {"SetGrayOffsetB", 0, [](int h) { return Velmor_SetGrayOffsetB(h, 1); }},
        {"GetGrayOffsetB", 0, [](int h) { return Velmor_GetGrayOffsetB(h, &out); }},
        {"GetCameraInfo", 0, [](int h) { return Velmor_GetCameraInfo(h, &info); }},
        {"ReadRegister", 0, [](int h) { return Velmor_ReadRegister(h, 1, &out); }},
        {"ReadRegisterEx", 0, [](int h) { return Velmor_ReadRegisterEx(h, 1, &out); }},
        {"WriteRegister", 0, [](int h) { return Velmor_WriteRegister(h, 1, 1); }},
        {"WriteRegisterEx", 0, [](int h) { return Velmor_WriteRegisterEx(h, 1, 1); }},
        {"ReadSromID", 0, [](int h) { return Velmor_ReadSromID(h, 1, &out); }},
        {"WriteSromID", 0, [](int h) { return Velmor_WriteSromID(h, 1, 1); }},
        {"SetIOPort", 0, [](int h) { return Velmor_SetIOPort(h, 1); }},
        {"GetIOPort", 0, [](int h) { return Velmor_GetIOPort(h, bytes, 1, 1); }},
        {"SetAnalogDlg", 0, [](int h) { return Velmor_SetAnalogDlg(h, nullptr); }},
        {"SetCameraDlg", 0, [](int h) { return Velmor_SetCameraDlg(h, nullptr); }},
        {"SetImageDlg", 0, [](int h) { return Velmor_SetImageDlg(h, nullptr); }},
        {"Fpga_ReadRegister", 0, [](int h) { return Velmor_Fpga_ReadRegister(h, 1, &out); }},
        {"Fpga_WriteRegister", 0, [](int h) { return Velmor_Fpga_WriteRegister(h, 1, 1); }},
        {"Fps", 0, [](int h) { return Velmor_Fps(h, 1); }},
        {"SetCrossbar", 0, [](int h) { return Velmor_SetCrossbar(h, 1, 1); }},
        {"SetSamplingRate", 0, [](int h) { return Velmor_SetSamplingRate(h, 1); }},
        {"GetSamplingRate", 0, [](int h) { return Velmor_GetSamplingRate(h, &out); }},
        {"GetVideoFormat", 0, [](int h) { return Velmor_GetVideoFormat(h, &out); }},
        {"GetConfigFilter", 0, [](int h) { return Velmor_GetConfigFilter(h); }},
        {"SetConfigFilter", 0, [](int h) { return Velmor_SetConfigFilter(h); }},
    };
}

void ExpectFailureValues(int handle, const char* what)
{
    ASSERT_EQ(HandleExports().size(), 122u);
    for (const Export& e : HandleExports())
        EXPECT_EQ(e.call(handle), e.failure) << e.name << " with " << what;
    EXPECT_TRUE(TakeThreadErrorPosts().empty()) << "an unknown handle must not post anything (" << what << ")";
}

}  // namespace

TEST_F(SdkTest, UnknownHandlesGetTheFailureValueAndNothingElse)
{
    ExpectFailureValues(0, "handle 0");
    ExpectFailureValues(0x1234567, "a handle never issued");

    const int live = NewCamera();
    ASSERT_NE(live, 0);
    const int released = NewCamera();
    ASSERT_NE(released, 0);
    Forget(released);
    ASSERT_EQ(Velmor_Release(released), 1);
    ExpectFailureValues(released, "a released handle");

    // The live camera is unaffected by the failed lookups around it, and its queue stayed empty.
    EXPECT_EQ(Velmor_GetLastError(live), 0);
    EXPECT_EQ(Velmor_GetColorMode(live), 24);
}

TEST_F(SdkTest, VersionNeedsNoCamera)
{
    EXPECT_EQ(Velmor_GetDllVersion(), 0x0192051F);
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    EXPECT_EQ(Velmor_GetDllVersion(), 0x0192051F);
}

TEST_F(SdkTest, TwoCamerasUsedAlternatelyKeepTheirOwnState)
{
    const int a = NewCamera();
    const int b = NewCamera();
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    ASSERT_NE(a, b);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Velmor_SetWaitTime(a, 100 + i), 1);
        EXPECT_EQ(Velmor_SetWaitTime(b, 200 + i), 1);
        EXPECT_EQ(Velmor_GetWaitTime(a), 100 + i);
        EXPECT_EQ(Velmor_GetWaitTime(b), 200 + i);
    }
    EXPECT_EQ(Velmor_SetColorMode(a, 8), 1);
    EXPECT_EQ(Velmor_SetColorMode(b, 7), 0);  // only b queues the error
    EXPECT_EQ(Velmor_GetLastError(a), 0);
    EXPECT_EQ(Velmor_GetLastError(b), VELMOR_ERROR_ARGUMENT);
    EXPECT_EQ(Velmor_GetColorMode(a), 8);
    EXPECT_EQ(Velmor_GetColorMode(b), 24);
}

TEST_F(SdkTest, ReleaseTwiceAndAFreshCycleAfterTheLastCamera)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    Forget(camera);
    EXPECT_EQ(Velmor_Release(camera), 1);
    EXPECT_EQ(Velmor_Release(camera), 0);
    const int next = NewCamera();
    ASSERT_NE(next, 0);
    EXPECT_EQ(Velmor_GetWaitTime(next), 1);
}

TEST_F(SdkTest, PropertiesThatNeedNoDevice)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    const int bits[] = {8, 16, 24, 32, 48, 64};
    const int reported[] = {8, 10, 24, 32, 42, 58};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Velmor_SetColorMode(camera, bits[i]), 1);
        EXPECT_EQ(Velmor_GetColorMode(camera), reported[i]);
    }
    for (int bad : {0, 10, 42, -24, 65})
        EXPECT_EQ(Velmor_SetColorMode(camera, bad), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>(5, VELMOR_ERROR_ARGUMENT));
    EXPECT_EQ(Velmor_GetColorMode(camera), 58);

    for (int code : {0, 1, 2, 17, 18}) {
        EXPECT_EQ(Velmor_SetSubSample(camera, code), 1);
        EXPECT_EQ(Velmor_GetSubSample(camera), code);
    }
    for (int code : {3, 19, -1, 16})
        EXPECT_EQ(Velmor_SetSubSample(camera, code), 0);
    EXPECT_EQ(Velmor_GetSubSample(camera), 18);
    EXPECT_EQ(Velmor_SetWaitTime(camera, -1), 0);
    EXPECT_EQ(Velmor_SetWaitTime(camera, 0), 1);
    EXPECT_EQ(Velmor_GetWaitTime(camera), 0);
    EXPECT_EQ(Velmor_SetHalfClock(camera, 77), 1);  // stored unchecked, used at the next start
    EXPECT_EQ(PopAll(camera), std::vector<int>{});

    int ok = -1;
    EXPECT_EQ(Velmor_SetAutoIris(camera, 2), 1);
    EXPECT_EQ(Velmor_GetAutoIris(camera, &ok), 2);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Velmor_GetAutoIris(camera, nullptr), 2);
    EXPECT_EQ(Velmor_SetAutoIris(camera, -1), 0);  // -1 is not below 3 as an unsigned value
    EXPECT_EQ(Velmor_GetAutoIris(camera, nullptr), 2);

    EXPECT_EQ(Velmor_Width(camera), 2048);
    EXPECT_EQ(Velmor_Height(camera), 1536);
    EXPECT_EQ(Velmor_GetStatus(camera), 0);
    int out[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(Velmor_GetCaptureWindowEx(camera, &out[0], &out[1], &out[2], &out[3], &out[4], &out[5]), 1);
    EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{2048, 0, 2048, 1536, 0, 1536}));
    EXPECT_EQ(Velmor_GetCaptureWindowEx(camera, nullptr, nullptr, &out[0], nullptr, nullptr, nullptr), 1);
}
