// Live preview at the sensor's own pace (emulation with real timing): the rate the frame record
// reports is the emulated sensor's. At 48 MHz the full window with the default exposure takes
// 1626 lines of 2438 pixel clocks: 82.6 ms a frame, 12.1 frames per second.
#include "record_support.h"

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

// A recording's rate field: frames x 100000 over the milliseconds from its first frame to its
// last, the first frame processed after the duration ran out.
TEST_F(SdkTest, RecordedRateIsTheFramesOverTheTimeFromTheFirstFrame)
{
    constexpr int kDurationMs = 5000;
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetHalfClock(camera, kClock48MHz), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    char path[] = "rate.avi";
    ASSERT_EQ(Velmor_Record(camera, path, kDurationMs, 0), 1);
    EXPECT_TRUE(WaitReleased(path, 4 * kDurationMs));
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    const AviFile file = AviFile::Read(path);
    ASSERT_TRUE(file.Finished());

    // The sensor's frame numbers of the first and the last frame: from the first frame to the
    // first one after the duration lie duration x rate periods, give or take one. A loaded machine
    // may skip a frame in between, never add one.
    const double periodMs = 10000.0 / kSensorTenths;
    const uint32_t frames = file.totalFrames();
    ASSERT_GE(frames, 2u);
    uint32_t first = 0, last = 0;
    ASSERT_TRUE(AviFrameNumber(file.Frame(0), int(file.width()), int(file.height()), &first));
    ASSERT_TRUE(AviFrameNumber(file.Frame(frames - 1), int(file.width()), int(file.height()), &last));
    EXPECT_NEAR(double(last - first), kDurationMs / periodMs, 1.0);
    EXPECT_LE(frames, last - first + 1);
    // The last frame came after the duration, within a period, the recording's 10 ms look-out and
    // what a busy machine adds; some time in that span gives both fields of the file.
    bool matched = false;
    for (uint32_t elapsed = kDurationMs + 1; elapsed <= kDurationMs + 4 * (periodMs + 10); ++elapsed) {
        const uint32_t rate = frames * 100000u / elapsed;
        matched |= file.microSecPerFrame() == 100000000u / rate && file.streamScale() == 1000000000u / rate;
    }
    EXPECT_TRUE(matched) << frames << " frames, " << file.microSecPerFrame() << " us per frame";
    EXPECT_TRUE(PopAll(camera).empty());
    DeleteFileA(path);
}
