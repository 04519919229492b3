#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

struct Variant {
    Converter stage;
    uint16_t bits;
};

// Reference curves straight from the formulas (N = 1024 for 10 bits).
int32_t RefGamma(int32_t value, int32_t s, bool wide, bool limitExponent)
{
    double g = value <= 100 ? value / 100.0 : (value - 100) / 10.0 + 1;
    if (wide)
        return s >= 1024 ? 1023 : static_cast<int32_t>(std::pow(s / 1024.0, g) * 1023);
    if (limitExponent)
        g = std::min(std::max(g, 0.001), 99.999);
    return static_cast<int32_t>(std::pow(s / 255.0, g) * 255);
}

int32_t RefContrast(int32_t k, int32_t s, bool wide)
{
    if (!wide) {
        if (k >= 128 || s < k)
            return 0;
        return s > 255 - k ? 255 : static_cast<int32_t>(256.0 / (256 - 2 * k) * (s - k));
    }
    const int32_t o = k * 4;
    if (s >= 1024)
        return 1023;
    if (o > 511 || s < o)
        return 0;
    return s > 1024 - o - 1 ? 1023 : static_cast<int32_t>(1024.0 / (1024 - 2 * o) * (s - o));
}

int32_t RefBrightness(int32_t v, int32_t s, bool wide)
{
    const float f = v < 0 ? static_cast<float>(1 - std::abs(v) * 0.00392156862745098)
                          : static_cast<float>(1 + v * 0.0392156862745098);
    const float r = std::trunc(static_cast<float>(s) * f);
    return static_cast<int32_t>(std::min(std::max(r, 0.0f), wide ? 1023.0f : 255.0f));
}

void CheckFamily(const std::vector<Variant>& variants, int32_t lo, int32_t hi,
                 const std::function<int32_t(int32_t, int32_t, bool, bool)>& ref)
{
    std::mt19937 rng(11);
    for (const Variant& v : variants)
        for (auto [w, h] : TestSizes()) {
            const int32_t value = lo + static_cast<int32_t>(rng() % (hi - lo + 1));
            TestSurface surface(w, h, v.bits);
            surface.randomise(rng);
            if (surface.wide())
                surface.set(0, 0, 0, 5000);  // above the significant bits
            const TestSurface before(surface);
            int32_t params[2] = {value, 10};
            RunStage(surface, v.stage, surface, params);
            const bool wide = surface.wide();
            const bool colour = surface.channels() > 1;
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    for (int c = 0; c < surface.channels(); ++c) {
                        const int32_t expect = c == 3 ? before.at(x, y, c) : ref(value, before.at(x, y, c), wide, colour);
                        ASSERT_EQ(surface.at(x, y, c), expect)
                            << v.bits << " bits, value " << value << ", sample " << before.at(x, y, c);
                    }
        }
}

TEST(ToneStages, GammaMatchesReference)
{
    CheckFamily({{GammaMono8, 8}, {GammaMono10, 16}, {GammaColor8, 24}, {GammaColor8, 32}, {GammaColor10, 48},
                 {GammaColor10, 64}},
                0, 200, [](int32_t v, int32_t s, bool wide, bool colour) { return RefGamma(v, s, wide, colour); });
}

TEST(ToneStages, ContrastMatchesReference)
{
    CheckFamily({{ContrastMono8, 8}, {ContrastMono10, 16}, {ContrastColor8, 24}, {ContrastColor8, 32},
                 {ContrastColor10, 48}, {ContrastColor10, 64}},
                -127, 127, [](int32_t v, int32_t s, bool wide, bool) { return RefContrast(v, s, wide); });
}

TEST(ToneStages, BrightnessMatchesReference)
{
    CheckFamily({{BrightnessMono8, 8}, {BrightnessMono10, 16}, {BrightnessColor8, 24}, {BrightnessColor8, 32},
                 {BrightnessColor10, 48}, {BrightnessColor10, 64}},
                -255, 255, [](int32_t v, int32_t s, bool wide, bool) { return RefBrightness(v, s, wide); });
}

// One sample through a stage.
int32_t Apply(Converter stage, uint16_t bits, int32_t value, int32_t sample)
{
    TestSurface s(1, 1, bits);
    s.fill(sample);
    int32_t params[2] = {value, 10};
    RunStage(s, stage, s, params);
    return s.at(0, 0);
}

TEST(ToneStages, HandComputedValues)
{
    EXPECT_EQ(Apply(GammaMono8, 8, 50, 64), 127);
    EXPECT_EQ(Apply(GammaMono8, 8, 50, 255), 255);
    EXPECT_EQ(Apply(GammaMono8, 8, 200, 128), 0);
    EXPECT_EQ(Apply(GammaMono8, 8, 200, 200), 17);
    EXPECT_EQ(Apply(GammaMono8, 8, 200, 254), 244);
    EXPECT_EQ(Apply(GammaMono8, 8, 0, 0), 255);  // pow(0, 0) is 1
    EXPECT_EQ(Apply(GammaColor8, 24, 0, 0), 0);
    EXPECT_GE(Apply(GammaColor8, 24, 0, 1), 253);
    EXPECT_EQ(Apply(GammaMono10, 16, 50, 1023), 1022);
    EXPECT_EQ(Apply(ContrastMono8, 8, 100, 99), 0);
    EXPECT_EQ(Apply(ContrastMono8, 8, 100, 156), 255);
    EXPECT_EQ(Apply(ContrastMono8, 8, 100, 128), 128);
    EXPECT_EQ(Apply(ContrastColor8, 24, -127, 0), 63);
    EXPECT_EQ(Apply(ContrastColor8, 24, -127, 255), 191);
    EXPECT_EQ(Apply(ContrastMono10, 16, 100, 399), 0);
    EXPECT_EQ(Apply(ContrastMono10, 16, 100, 624), 1023);
    EXPECT_EQ(Apply(BrightnessMono8, 8, 255, 23), 253);
    EXPECT_EQ(Apply(BrightnessMono8, 8, 255, 24), 255);
    EXPECT_EQ(Apply(BrightnessMono8, 8, -255, 200), 0);
    EXPECT_EQ(Apply(BrightnessMono8, 8, -128, 200), 99);
    EXPECT_EQ(Apply(GammaMono8, 8, -50, 0), 255);  // stored out of range: no undefined conversion
}

}  // namespace
