// The device claim between two processes: while one previews a camera, a second process cannot
// start an acquisition on it; after the stop it can.
#include "acquisition_support.h"

#include <cstdio>

using namespace sdktest;

namespace {
constexpr char kChildSwitch[] = "VELMOR_TEST_CHILD";
constexpr int kChildStartRefused = 0;
constexpr int kChildStarted = 1;

// The second process: tries a preview of device 0 and reports what it saw in its exit code.
int ChildMain()
{
    FrameWindow notify;
    const int camera = Velmor_Initialize(notify.get());
    Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0);
    const int started = Velmor_StartPreview(camera);
    const std::vector<int> errors = PopAll(camera);
    Velmor_Release(camera);
    if (started)
        return errors.empty() ? kChildStarted : 20;
    return errors == std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_DEVICE_BUSY} ? kChildStartRefused : 21;
}

DWORD RunChild() { return RunSelfAsChild(kChildSwitch); }
}  // namespace

TEST_F(SdkTest, ASecondProcessCannotStartOnAPreviewingCamera)
{
    FrameWindow notify;
    const int camera = NewCamera(notify.get());  // the claim records this window as its owner
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    ASSERT_EQ(Velmor_StartPreview(camera), 1);
    EXPECT_EQ(RunChild(), DWORD(kChildStartRefused));
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_EQ(RunChild(), DWORD(kChildStarted));
    EXPECT_TRUE(PopAll(camera).empty());
}

int main(int argc, char** argv)
{
    char flag[4];
    if (GetEnvironmentVariableA(kChildSwitch, flag, sizeof(flag)) > 0)
        return ChildMain();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
