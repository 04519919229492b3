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

// Every export that takes a handle, called with arguments that would be read if the handle were live.
std::vector<Export> HandleExports()
{
    static int out;
    static wchar_t widePath[] = L"C:\\nowhere\\config.bin";
    static char path[] = "C:\\nowhere\\config.bin";
    return {
        {"GetLastError", 0, [](int h) { return Velmor_GetLastError(h); }},
        {"Close", 0, [](int h) { return Velmor_Close(h); }},
        {"LoadConfigFileA", 0, [](int h) { return Velmor_LoadConfigFileA(h, path); }},
        {"LoadConfigFileW", 0, [](int h) { return Velmor_LoadConfigFileW(h, widePath); }},
        {"GetStatus", 0, [](int h) { return Velmor_GetStatus(h); }},
        {"Width", 0, [](int h) { return Velmor_Width(h); }},
        {"Height", 0, [](int h) { return Velmor_Height(h); }},
        {"SetColorMode", 0, [](int h) { return Velmor_SetColorMode(h, 7); }},
        {"GetColorMode", -1, [](int h) { return Velmor_GetColorMode(h); }},
        {"SetSubSample", 0, [](int h) { return Velmor_SetSubSample(h, 1); }},
        {"GetSubSample", -1, [](int h) { return Velmor_GetSubSample(h); }},
        {"SetWaitTime", 0, [](int h) { return Velmor_SetWaitTime(h, 5); }},
        {"GetWaitTime", -1, [](int h) { return Velmor_GetWaitTime(h); }},
        {"SetHalfClock", 0, [](int h) { return Velmor_SetHalfClock(h, 1); }},
        {"SetAutoIris", 0, [](int h) { return Velmor_SetAutoIris(h, 7); }},
        {"GetAutoIris", 0, [](int h) { return Velmor_GetAutoIris(h, &out); }},
        {"GetCaptureWindowEx", 0,
         [](int h) { return Velmor_GetCaptureWindowEx(h, &out, &out, &out, &out, &out, &out); }},
        {"Fpga_ReadRegister", 0, [](int h) { return Velmor_Fpga_ReadRegister(h, 1, &out); }},
        {"Fpga_WriteRegister", 0, [](int h) { return Velmor_Fpga_WriteRegister(h, 1, 1); }},
        {"Fps", 0, [](int h) { return Velmor_Fps(h, 30); }},
        {"SetCrossbar", 0, [](int h) { return Velmor_SetCrossbar(h, 0, 0); }},
        {"SetSamplingRate", 0, [](int h) { return Velmor_SetSamplingRate(h, 1); }},
        {"GetSamplingRate", 0, [](int h) { return Velmor_GetSamplingRate(h, &out); }},
        {"GetVideoFormat", 0, [](int h) { return Velmor_GetVideoFormat(h, &out); }},
        {"GetConfigFilter", 0, [](int h) { return Velmor_GetConfigFilter(h); }},
        {"SetConfigFilter", 0, [](int h) { return Velmor_SetConfigFilter(h); }},
        {"Release", 0, [](int h) { return Velmor_Release(h); }},
    };
}

void ExpectFailureValues(int handle, const char* what)
{
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
