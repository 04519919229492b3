// The registry settings as an application sees them through the exports.
#include "sdk_test_support.h"

using namespace sdktest;

namespace {
const std::string kCamera0 = std::string(kRootKey) + "\\Camera_00";
const std::string kPreset0 = kCamera0 + "\\Size_00";

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}
}  // namespace

TEST_F(SdkTest, FirstRunCreatesTheDefaultLayoutAndUsesIt)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);

    std::vector<std::string> values, subkeys;
    ASSERT_TRUE(ListKey(kRootKey, values, subkeys));
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(subkeys, std::vector<std::string>{"Camera_00"});

    values.clear();
    subkeys.clear();
    ASSERT_TRUE(ListKey(kCamera0, values, subkeys));
    EXPECT_EQ(Sorted(values), (std::vector<std::string>{"Clock", "Color", "Size", "SubSample", "WaitTime"}));
    EXPECT_EQ(subkeys, std::vector<std::string>{"Size_00"});
    const std::pair<const char*, DWORD> stream[] = {{"Size", 0}, {"Color", 2}, {"SubSample", 0}, {"WaitTime", 1},
                                                    {"Clock", 2}};
    for (const auto& [name, expected] : stream) {
        DWORD v = 99;
        EXPECT_TRUE(ReadDword(kCamera0, name, v)) << name;
        EXPECT_EQ(v, expected) << name;
    }

    values.clear();
    subkeys.clear();
    ASSERT_TRUE(ListKey(kPreset0, values, subkeys));
    EXPECT_EQ(Sorted(values), Sorted({"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"}));
    EXPECT_TRUE(subkeys.empty());
    const std::pair<const char*, DWORD> preset[] = {{"TH", 2048}, {"TV", 1536}, {"EH", 2048}, {"EV", 1536},
                                                    {"EHS", 0},   {"EVS", 0},   {"Buf", 4}};
    for (const auto& [name, expected] : preset) {
        DWORD v = 99;
        EXPECT_TRUE(ReadDword(kPreset0, name, v)) << name;
        EXPECT_EQ(v, expected) << name;
    }

    // The stream values just stored are the camera's now: Color 2 is 24-bit output.
    EXPECT_EQ(Velmor_GetColorMode(camera), 24);
    EXPECT_EQ(Velmor_GetSubSample(camera), 0);
    EXPECT_EQ(Velmor_GetWaitTime(camera), 1);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
}

TEST_F(SdkTest, AStoredRegionOutsideTheSensorFallsBackToTheFullSensor)
{
    Velmor_Release(NewCamera());  // first run writes the layout
    struct Case {
        const char* value;
        DWORD stored;
    } cases[] = {{"EH", 2049}, {"EV", 1537}, {"EHS", 1}, {"EVS", static_cast<DWORD>(-1)}};
    for (const Case& c : cases) {
        WriteDword(kPreset0, "EH", c.value == std::string("EHS") ? 2048 : 1024);
        WriteDword(kPreset0, "EV", 768);
        WriteDword(kPreset0, "EHS", 0);
        WriteDword(kPreset0, "EVS", 0);
        WriteDword(kPreset0, c.value, c.stored);
        WriteDword(kPreset0, "Buf", 9);
        const int camera = NewCamera();
        ASSERT_NE(camera, 0);
        EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_CAPTURE_WINDOW) << c.value;
        EXPECT_EQ(Velmor_GetLastError(camera), 0);
        int w[6];
        Velmor_GetCaptureWindowEx(camera, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5]);
        EXPECT_EQ(std::vector<int>(w, w + 6), (std::vector<int>{2048, 0, 2048, 1536, 0, 1536})) << c.value;
    }

    // A valid stored window is taken as it is.
    WriteDword(kPreset0, "EH", 640);
    WriteDword(kPreset0, "EV", 480);
    WriteDword(kPreset0, "EHS", 1408);
    WriteDword(kPreset0, "EVS", 1056);
    const int camera = NewCamera();
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
    EXPECT_EQ(Velmor_Width(camera), 640);
    EXPECT_EQ(Velmor_Height(camera), 480);
}

TEST_F(SdkTest, StoredStreamValuesEnterUnchecked)
{
    Velmor_Release(NewCamera());
    WriteDword(kCamera0, "Color", 9);
    WriteDword(kCamera0, "SubSample", 19);
    WriteDword(kCamera0, "WaitTime", 250);
    const int camera = NewCamera();
    EXPECT_EQ(Velmor_GetColorMode(camera), -1);
    EXPECT_EQ(Velmor_GetSubSample(camera), 19);
    EXPECT_EQ(Velmor_GetWaitTime(camera), 250);
}

TEST_F(SdkTest, ReleaseSavesTheGroupsWithNegativeValuesAsTwosComplement)
{
    Velmor_Release(NewCamera());
    // Nothing but the first-run layout exists before a camera is released.
    const std::string gray = kCamera0 + "\\Gray";
    const std::string filter = kCamera0 + "\\Filter";
    const std::string gain = kCamera0 + "\\Gain";
    DWORD v = 0;
    ASSERT_TRUE(ReadDword(gray, "GainR1", v));  // written by the release just above
    EXPECT_EQ(v, 128u);

    WriteDword(gray, "OffsetR1", static_cast<DWORD>(-10));
    WriteDword(filter, "Hue", static_cast<DWORD>(-360));
    WriteDword(gain, "Exposure", 800);
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    Forget(camera);
    ASSERT_EQ(Velmor_Release(camera), 1);

    ASSERT_TRUE(ReadDword(gray, "OffsetR1", v));
    EXPECT_EQ(v, 0xFFFFFFF6u);
    ASSERT_TRUE(ReadDword(filter, "Hue", v));
    EXPECT_EQ(v, 0xFFFFFE98u);
    ASSERT_TRUE(ReadDword(gain, "Exposure", v));
    EXPECT_EQ(v, 800u);

    // Every value of the three groups was written back, in full.
    const std::pair<std::string, std::vector<std::string>> groups[] = {
        {gain, {"Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure", "V_Mirror", "H_Mirror", "AutoIris"}},
        {filter, {"Brightness", "Contrast", "Hue", "Saturation", "Sharpness", "R_Gain", "G_Gain", "B_Gain", "Gamma",
                  "BayerMode"}},
        {gray, {"Mode", "GainR1", "GainG1", "GainG2", "GainB1", "OffsetR1", "OffsetG1", "OffsetG2", "OffsetB1"}},
    };
    for (const auto& [key, names] : groups) {
        std::vector<std::string> values, subkeys;
        ASSERT_TRUE(ListKey(key, values, subkeys));
        EXPECT_EQ(Sorted(values), Sorted(names)) << key;
    }
}

TEST_F(SdkTest, DefaultsOfMissingGroupsAreSavedAtRelease)
{
    const int camera = NewCamera();
    Forget(camera);
    Velmor_Release(camera);
    const std::string gain = kCamera0 + "\\Gain";
    const std::string filter = kCamera0 + "\\Filter";
    const std::pair<const char*, DWORD> gains[] = {{"Global", 14}, {"ColorG1", 14}, {"ColorR", 14}, {"ColorB", 14},
                                                   {"ColorG2", 14}, {"Exposure", 1561}, {"AutoIris", 0}};
    for (const auto& [name, expected] : gains) {
        DWORD v = 99;
        EXPECT_TRUE(ReadDword(gain, name, v));
        EXPECT_EQ(v, expected) << name;
    }
    const std::pair<const char*, DWORD> filters[] = {{"R_Gain", 100}, {"G_Gain", 100}, {"B_Gain", 100},
                                                     {"Gamma", 100},  {"BayerMode", 3}, {"Sharpness", 0}};
    for (const auto& [name, expected] : filters) {
        DWORD v = 99;
        EXPECT_TRUE(ReadDword(filter, name, v));
        EXPECT_EQ(v, expected) << name;
    }
}
