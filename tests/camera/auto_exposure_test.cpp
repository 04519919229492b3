// Automatic exposure through the camera object's ProcessFrame, on frames whose five measuring
// windows hold chosen levels; the emulated sensor's registers show what was written.
#include "camera/velmor.h"
#include "../api/sdk_test_support.h"

#include <cstring>

using namespace sdktest;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr int kGlobalGainRegister = 53;
constexpr int kExposureRegister = 9;

class AutoExposureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        ASSERT_EQ(camera.Initialize(nullptr), 1);
        camera.stream.outputFormat = 0;  // 8-bit monochrome: the raw surface is the output
        ASSERT_EQ(camera.mono8Surface->Create(kWidth, kHeight, 8), 1);
        ASSERT_EQ(camera.workSurface->CreateLike(camera.mono8Surface.get()), 1);
    }

    // Every sample `level`, then each measuring window i its own level. The windows are measured
    // at the memory rows of a bottom-up bitmap, so window rows [t, b) sit at memory rows [H - b, H - t).
    void Frame(int level, const std::vector<int>& windows = {})
    {
        FrameSurface& raw = *camera.mono8Surface;
        std::memset(raw.pixels, level, static_cast<size_t>(raw.byteCount()));
        const double box[5][4] = {{0.1, 0.1, 0.2, 0.2}, {0.1, 0.8, 0.2, 0.9}, {0.45, 0.45, 0.55, 0.55},
                                  {0.8, 0.1, 0.9, 0.2}, {0.8, 0.8, 0.9, 0.9}};
        for (size_t i = 0; i < windows.size(); ++i) {
            const int l = static_cast<int>(box[i][0] * kWidth), t = static_cast<int>(box[i][1] * kHeight);
            const int r = static_cast<int>(box[i][2] * kWidth), b = static_cast<int>(box[i][3] * kHeight);
            for (int row = kHeight - b; row < kHeight - t; ++row)
                std::memset(raw.pixels + row * raw.stride + l, windows[i], r - l);
        }
    }

    int Register(int reg)
    {
        uint16_t value = 0;
        EXPECT_EQ(camera.device->ReadSensorRegister(reg, &value), 1);
        return value;
    }

    CVelmor camera;
};

}  // namespace

TEST_F(AutoExposureTest, ExposureModeScalesTheExposureByTheWindowsFactor)
{
    camera.analog.autoIris = 1;
    ASSERT_EQ(camera.SetFilterValue(18, 1000), 1);

    Frame(20);  // every window below 50: 1.1 + 4 x 0.1 = 1.5
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 1500);
    EXPECT_EQ(camera.analog.exposureLines, 1500);

    Frame(130);  // every window between 100 and 160: factor 1, nothing written
    ASSERT_EQ(camera.device->WriteSensorRegister(kExposureRegister, 1111), 1);
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 1111);
    EXPECT_EQ(camera.analog.exposureLines, 1500);

    // First window 30 (1.1), the others 90 (+0.05 each): 1.3.
    ASSERT_EQ(camera.SetFilterValue(18, 1000), 1);
    Frame(130, {30, 90, 90, 90, 90});
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 1300);

    // Factors inside (0.6, 1.2) change nothing: 0.85 - 0.1 = 0.75 and 1.1 + 0.05 = 1.15.
    Frame(130, {210, 170, 130, 130, 130});
    camera.ProcessFrame();
    Frame(130, {40, 90, 130, 130, 130});
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 1300);

    // Bright: 0.85 - 4 x 0.15 is 0.2499... in doubles, and the product is truncated.
    Frame(250);
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 324);
    ASSERT_EQ(camera.SetFilterValue(18, 16000), 1);
    Frame(20);
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 16383);
}

TEST_F(AutoExposureTest, GainModeStartsFromAtLeastFourAndCapsAt63)
{
    camera.analog.autoIris = 2;
    ASSERT_EQ(camera.SetFilterValue(13, 2), 1);
    Frame(20);  // 1.5 x max(2, 4)
    camera.ProcessFrame();
    EXPECT_EQ(Register(kGlobalGainRegister), 6);
    for (int32_t AnalogSettings::* gain : {&AnalogSettings::globalGain, &AnalogSettings::gainR, &AnalogSettings::gainG1,
                                           &AnalogSettings::gainG2, &AnalogSettings::gainB})
        EXPECT_EQ(camera.analog.*gain, 6);

    ASSERT_EQ(camera.SetFilterValue(13, 60), 1);
    camera.ProcessFrame();
    EXPECT_EQ(Register(kGlobalGainRegister), 63);

    Frame(250);  // 63 x 0.25
    camera.ProcessFrame();
    EXPECT_EQ(Register(kGlobalGainRegister), 15);
    EXPECT_EQ(Register(kExposureRegister), 1561);  // the exposure is not touched in gain mode
}

TEST_F(AutoExposureTest, ModeZeroMeasuresNothing)
{
    camera.analog.autoIris = 0;
    ASSERT_EQ(camera.SetFilterValue(18, 1000), 1);
    Frame(20);
    camera.ProcessFrame();
    EXPECT_EQ(Register(kExposureRegister), 1000);
}
