// Live preview at the sensor's own pace (emulation with real timing): the rate the frame record
// reports is the emulated sensor's. At 48 MHz the full window with the default exposure takes
// 1626 lines of 2438 pixel clocks: 82.6 ms a frame, 12.1 frames per second.
#include "acquisition_support.h"

using namespace sdktest;

namespace {
constexpr int kClock48MHz = 2;
constexpr double kSensorTenths = 48e6 / (1626.0 * 2438.0) * 10.0;
}  // namespace

TEST_F(SdkTest, MeasuredRateIsTheSensorsFrameRate)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetHalfClock(camera, kClock48MHz), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);  // the cheapest pipeline: the rate is the camera's
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    // Rate windows are just over a second long: the third one has a clean start.
    window.Pump(4500);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    ASSERT_GE(window.FrameCount(), 20u);
    const int tenths = window.notes.back().info.fpsTenths;
    EXPECT_NEAR(tenths, kSensorTenths, kSensorTenths * 0.05);
    EXPECT_TRUE(PopAll(camera).empty());
}
