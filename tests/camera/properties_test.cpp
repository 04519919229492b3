// Camera properties through the exports, against the emulated camera: ranges of every filter
// number, the sensor values that are written at once, exposure as time and the mirrors.
#include "../api/sdk_test_support.h"

using namespace sdktest;

namespace {

struct Range {
    int number;
    int low;
    int high;
};
// Every stored or sensor value with a range, by filter number.
const Range kRanges[] = {
    {1, -255, 255}, {2, -127, 127}, {3, -360, 360}, {4, -255, 255}, {5, 0, 30},     {7, 0, 400},
    {8, 0, 400},    {9, 0, 400},    {11, 0, 200},   {12, 0, 3},     {13, 0, 63},    {14, 0, 63},
    {15, 0, 63},    {16, 0, 63},    {17, 0, 63},    {18, 1, 16383}, {19, 0, 2},     {20, 0, 255},
    {21, 0, 255},   {22, 0, 255},   {23, 0, 255},   {24, -255, 255}, {25, -255, 255}, {26, -255, 255},
    {27, -255, 255}, {28, 0, 1},
};

int Get(int camera, int number)
{
    int ok = -1;
    const int value = Velmor_GetFilterValue(camera, number, &ok);
    EXPECT_EQ(ok, 1) << "filter " << number;
    return value;
}

class PropertiesTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        camera = NewCamera();
        ASSERT_NE(camera, 0);
        ASSERT_EQ(Velmor_GetLastError(camera), 0);
    }
    int camera = 0;
};

}  // namespace

TEST_F(PropertiesTest, EveryRangeHoldsAtBothEndsAndRefusesOneBeyond)
{
    for (const Range& r : kRanges) {
        for (int value : {r.low, r.high}) {
            EXPECT_EQ(Velmor_SetFilterValue(camera, r.number, value), 1) << r.number << " = " << value;
            EXPECT_EQ(Get(camera, r.number), value) << r.number;
        }
        for (int value : {r.low - 1, r.high + 1}) {
            EXPECT_EQ(Velmor_SetFilterValue(camera, r.number, value), 0) << r.number << " = " << value;
            EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_ARGUMENT) << r.number << " = " << value;
            EXPECT_EQ(Get(camera, r.number), r.high) << "a refused value changed filter " << r.number;
        }
    }
    EXPECT_EQ(Velmor_GetLastError(camera), 0);

    // Numbers outside 1..28 are refused both ways; the out flag reports it.
    int ok = -1;
    for (int number : {0, 29, -1}) {
        EXPECT_EQ(Velmor_SetFilterValue(camera, number, 1), 0);
        EXPECT_EQ(Velmor_GetFilterValue(camera, number, &ok), 0);
        EXPECT_EQ(ok, 0);
    }
    EXPECT_EQ(PopAll(camera), std::vector<int>(6, VELMOR_ERROR_ARGUMENT));
}

TEST_F(PropertiesTest, NamedFormsPassTheirNumbers)
{
    EXPECT_EQ(Velmor_SetBrightness(camera, 255), 1);
    EXPECT_EQ(Velmor_SetBrightness(camera, 256), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_ARGUMENT);
    int ok = 0;
    EXPECT_EQ(Velmor_GetBrightness(camera, &ok), 255);
    EXPECT_EQ(Velmor_SetHue(camera, -360), 1);
    EXPECT_EQ(Velmor_SetHue(camera, 360), 1);
    EXPECT_EQ(Velmor_SetHue(camera, -361), 0);
    EXPECT_EQ(Velmor_GetHue(camera, nullptr), 360);
    EXPECT_EQ(Velmor_SetGrayOffsetB(camera, -7), 1);
    EXPECT_EQ(Get(camera, 27), -7);
    EXPECT_EQ(Velmor_SetGamma(camera, 150), 1);
    EXPECT_EQ(Get(camera, 11), 150);
    EXPECT_EQ(Velmor_SetExposureTime(camera, 800), 1);
    EXPECT_EQ(Velmor_GetExposureTime(camera, nullptr), 800);
    EXPECT_EQ(Velmor_SetGrayGainG2(camera, 77), 1);
    EXPECT_EQ(Get(camera, 22), 77);

    EXPECT_EQ(Velmor_SetBayerGainRGB(camera, 0xC86432), 1);
    EXPECT_EQ(Velmor_GetBayerGainRed(camera, nullptr), 50);
    EXPECT_EQ(Velmor_GetBayerGainGreen(camera, nullptr), 100);
    EXPECT_EQ(Velmor_GetBayerGainBlue(camera, nullptr), 200);
    EXPECT_EQ(Velmor_GetBayerGainRGB(camera, nullptr), 0xC86432);
    EXPECT_EQ(Velmor_SetBayerGainAuto(camera, 42), 1);
    EXPECT_EQ(Velmor_GetBayerGainAuto(camera, nullptr), 1);
    EXPECT_EQ(Velmor_SetBayerGainAuto(camera, 0), 1);
    EXPECT_EQ(Velmor_GetBayerGainAuto(camera, nullptr), 0);
}

TEST_F(PropertiesTest, SensorValuesAreWrittenAtOnceAndReadBackFromTheSensor)
{
    int ok = 0;
    EXPECT_EQ(Velmor_SetColorGainRed(camera, 30), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 45, &ok), 30);
    EXPECT_EQ(Velmor_SetColorGainGreen1(camera, 31), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 43, &ok), 31);
    EXPECT_EQ(Velmor_SetColorGainGreen2(camera, 32), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 46, &ok), 32);
    EXPECT_EQ(Velmor_SetColorGainBlue(camera, 33), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 44, &ok), 33);

    // The global gain writes only register 53; the colour-gain getters read the sensor, which kept
    // its old values, while every stored gain follows the global one (and is saved so).
    EXPECT_EQ(Velmor_SetGlobalGain(camera, 20), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 53, &ok), 20);
    EXPECT_EQ(Velmor_GetGlobalGain(camera, nullptr), 20);
    EXPECT_EQ(Velmor_GetColorGainRed(camera, nullptr), 30);
    EXPECT_EQ(Velmor_GetColorGainBlue(camera, nullptr), 33);

    // A sensor register changed behind the camera's back is what the getter reports.
    EXPECT_EQ(Velmor_WriteRegister(camera, 9, 1234), 1);
    EXPECT_EQ(Velmor_GetExposureTime(camera, nullptr), 1234);

    Forget(camera);
    ASSERT_EQ(Velmor_Release(camera), 1);
    const std::string gain = std::string(kRootKey) + "\\Camera_00\\Gain";
    for (const char* name : {"Global", "ColorG1", "ColorR", "ColorB", "ColorG2"}) {
        DWORD v = 0;
        ASSERT_TRUE(ReadDword(gain, name, v)) << name;
        EXPECT_EQ(v, 20u) << name;
    }
}

TEST_F(PropertiesTest, SettersThatOnlyStoreOrOnlyPost)
{
    EXPECT_EQ(Velmor_SetColorMode(camera, 48), 1);
    EXPECT_EQ(Velmor_GetColorMode(camera), 42);
    EXPECT_EQ(Velmor_SetSubSample(camera, 3), 0);
    EXPECT_EQ(Velmor_SetWaitTime(camera, -1), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
    TakeThreadErrorPosts();
    EXPECT_EQ(Velmor_SetAutoIris(camera, 3), 0);
    EXPECT_EQ(TakeThreadErrorPosts(), std::vector<LPARAM>{VELMOR_ERROR_ARGUMENT});
    EXPECT_EQ(Velmor_GetLastError(camera), 0);

    EXPECT_EQ(Velmor_SetMirrorH(camera, 5), 1);
    EXPECT_EQ(Velmor_GetMirrorH(camera), 1);
    EXPECT_EQ(Velmor_SetMirrorV(camera, -1), 1);
    EXPECT_EQ(Velmor_GetMirrorV(camera), 1);
    EXPECT_EQ(Velmor_SetMirrorV(camera, 0), 1);
    EXPECT_EQ(Velmor_GetMirrorV(camera), 0);
}

TEST_F(PropertiesTest, ExposureAsTime)
{
    int ok = 0;
    ASSERT_EQ(Velmor_SetHalfClock(camera, 0), 1);  // 24 MHz
    ASSERT_EQ(Velmor_SetExposureTime(camera, 1561), 1);
    EXPECT_EQ(Velmor_GetRealExposureTime(camera, &ok), 158571);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Velmor_SetRealExposureTime(camera, 100000), 1);
    EXPECT_EQ(Velmor_ReadRegister(camera, 9, &ok), 984);
    EXPECT_EQ(Velmor_GetExposureTime(camera, nullptr), 984);

    ASSERT_EQ(Velmor_SetExposureTime(camera, 1561), 1);
    ASSERT_EQ(Velmor_SetHalfClock(camera, 2), 1);  // 48 MHz, the first-run clock
    EXPECT_EQ(Velmor_GetRealExposureTime(camera, &ok), 79285);

    // One line is 2438 clocks at 48 MHz, 50.79 us: less is 0 lines; more than 16383 lines is too long.
    EXPECT_EQ(Velmor_SetRealExposureTime(camera, 50), 0);
    EXPECT_EQ(Velmor_SetRealExposureTime(camera, 0), 0);
    EXPECT_EQ(Velmor_SetRealExposureTime(camera, -5), 0);
    EXPECT_EQ(Velmor_SetRealExposureTime(camera, 832200), 0);  // 16384.4 lines
    EXPECT_EQ(PopAll(camera), std::vector<int>(4, VELMOR_ERROR_ARGUMENT));
    EXPECT_EQ(Velmor_GetExposureTime(camera, nullptr), 1561);
    EXPECT_EQ(Velmor_SetRealExposureTime(camera, 832100), 1);  // 16382.5 lines
    EXPECT_EQ(Velmor_GetExposureTime(camera, nullptr), 16382);
}

TEST_F(PropertiesTest, CameraInformation)
{
    VELMOR_CAMERA_INFO info = {};
    info.size = 35;
    EXPECT_EQ(Velmor_GetCameraInfo(camera, &info), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_MEMORY);
    EXPECT_EQ(Velmor_GetCameraInfo(camera, nullptr), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_ARGUMENT);
    info.size = 36;
    ASSERT_EQ(Velmor_GetCameraInfo(camera, &info), 1);
    const int expected[] = {36, 2048, 1536, 0, 63, 0, 63, 1, 16383};
    EXPECT_EQ(std::vector<int>(&info.size, &info.size + 9), std::vector<int>(expected, expected + 9));
}
