#include <gtest/gtest.h>

#include "pipeline/filter_table.h"
#include "pipeline/filter_params.h"
#include "pipeline/process_frame.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

constexpr int32_t kUntouched = 0xAB;

// Interior and border passes as the camera object runs them.
void RunDemosaic(const TestSurface& out, const TestSurface& raw, int phase, int32_t gainRed, int32_t gainBlue)
{
    int32_t params[4] = {phase, gainRed, 100, gainBlue};
    const bool wide = raw.view.bitCount == 16;
    RunStage(out, wide ? DemosaicInterior10 : DemosaicInterior8, raw, params);
    RunStage(out, wide ? DemosaicBorder10 : DemosaicBorder8, raw, params);
}

TEST(Demosaic, MatchesReferenceForEveryFormatPhaseAndSize)
{
    std::mt19937 rng(43);
    for (uint16_t outBits : {24, 32, 48, 64})
        for (auto [w, h] : TestSizes())
            for (int phase = 0; phase < 4; ++phase) {
                const bool wide = outBits >= 48;
                TestSurface raw(w, h, wide ? 16 : 8);
                raw.randomise(rng);
                TestSurface out(w, h, outBits);
                out.fill(kUntouched);
                const int32_t gainRed = static_cast<int32_t>(rng() % 401);
                const int32_t gainBlue = static_cast<int32_t>(rng() % 401);
                RunDemosaic(out, raw, phase, gainRed, gainBlue);
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        const RefRgb c = ReferenceBayer(raw, x, y, phase, gainRed, gainBlue);
                        ASSERT_EQ(out.at(x, y, 0), c.blue) << outBits << " " << w << "x" << h << " @" << x << "," << y;
                        ASSERT_EQ(out.at(x, y, 1), c.green) << outBits << " " << w << "x" << h << " @" << x << "," << y;
                        ASSERT_EQ(out.at(x, y, 2), c.red) << outBits << " " << w << "x" << h << " @" << x << "," << y;
                        if (outBits == 32 || outBits == 64) {
                            ASSERT_EQ(out.at(x, y, 3), kUntouched);
                        }
                    }
            }
}

TEST(Demosaic, FlatFieldsAndGainCaps)
{
    TestSurface raw(8, 6, 8);
    TestSurface out(8, 6, 24);
    raw.fill(77);
    RunDemosaic(out, raw, 2, 100, 100);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(out.at(x, y, c), 77);

    raw.fill(200);
    RunDemosaic(out, raw, 0, 200, 0);  // 256 x 3200 = 819200: capped
    EXPECT_EQ(out.at(3, 3, 2), 255);
    EXPECT_EQ(out.at(3, 3, 0), 0);
    raw.fill(100);
    RunDemosaic(out, raw, 0, 200, 100);
    EXPECT_EQ(out.at(3, 3, 2), 200);

    TestSurface raw16(8, 6, 16);
    TestSurface out48(8, 6, 48);
    raw16.fill(1000);
    RunDemosaic(out48, raw16, 1, 400, 100);
    EXPECT_EQ(out48.at(0, 0, 2), 1023);
    EXPECT_EQ(out48.at(0, 0, 1), 1000);
}

TEST(Demosaic, PhaseZeroKernelByHand)
{
    TestSurface raw(6, 6, 8);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
            raw.set(x, y, 0, 10 * y + x);
    TestSurface out(6, 6, 24);
    RunDemosaic(out, raw, 0, 100, 100);
    auto p = [&](int32_t x, int32_t y) { return raw.at(x, y); };
    EXPECT_EQ(out.at(2, 2, 1), (p(1, 1) + p(2, 2)) >> 1);
    EXPECT_EQ(out.at(2, 2, 0), (128 * (9 * p(1, 2) + 3 * p(3, 2) + 3 * p(1, 0) + p(3, 0))) >> 11);
    EXPECT_EQ(out.at(2, 2, 2), (128 * (9 * p(2, 1) + 3 * p(0, 1) + 3 * p(2, 3) + p(0, 3))) >> 11);
    // Pixel (0, 0): row -1 and column -1 are read as row 3 and column 3.
    EXPECT_EQ(out.at(0, 0, 1), (p(0, 0) + p(3, 3)) >> 1);
    EXPECT_EQ(out.at(0, 0, 2), (128 * (9 * p(0, 3) + 3 * p(2, 3) + 3 * p(0, 1) + p(2, 1))) >> 11);
}

TEST(WhiteBalance, MeasuresGainsFromColourMeans)
{
    // Phase 3: row 0 G R, row 1 B G. Green 100, red 50, blue 100.
    TestSurface raw(8, 8, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            raw.set(x, y, 0, (y % 2 == 0 && x % 2 == 1) ? 50 : 100);
    int32_t result[4] = {-7, -7, -7, 3};
    RunStage(raw, MeasureBayerBalance8, raw, result);
    EXPECT_EQ(result[balance_result::kGainRed], 200);
    EXPECT_EQ(result[balance_result::kGainGreen], 100);
    EXPECT_EQ(result[balance_result::kGainBlue], 100);

    TestSurface wide(8, 8, 16);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            wide.set(x, y, 0, (y % 2 == 0 && x % 2 == 1) ? 100 : 500);
    RunStage(wide, MeasureBayerBalance10, wide, result);
    // Mathematically 500; evaluated left to right in doubles it is 499.99..., truncated.
    EXPECT_EQ(result[balance_result::kGainRed], 499);

    // Through Demosaic the gain is stored as at most 400.
    FilterParams filter = FirstRunFilter();
    filter.bayerGainAuto = 1;
    TestSurface out(8, 8, 48);
    EXPECT_TRUE(Demosaic(out.view, wide.view, filter, 3));
    EXPECT_EQ(filter.bayerGainR, 400);
    EXPECT_EQ(filter.bayerGainB, 100);
    EXPECT_EQ(filter.bayerGainAuto, 1);  // continuous: stays on
}

TEST(WhiteBalance, BlackOrOneColourFrameKeepsThePreviousGains)
{
    FilterParams filter = FirstRunFilter();
    filter.bayerGainAuto = 1;
    filter.bayerGainR = 150;
    filter.bayerGainB = 250;
    TestSurface black(6, 6, 8);
    TestSurface out(6, 6, 24);
    Demosaic(out.view, black.view, filter, 0);
    EXPECT_EQ(filter.bayerGainR, 150);
    EXPECT_EQ(filter.bayerGainB, 250);

    TestSurface single(1, 1, 8);  // one sample: no red and no blue at all
    single.fill(90);
    TestSurface out1(1, 1, 24);
    Demosaic(out1.view, single.view, filter, 0);
    EXPECT_EQ(filter.bayerGainR, 150);
    EXPECT_EQ(filter.bayerGainB, 250);
}

TEST(WhiteBalance, OneShotMeasuresExactlyOneFrame)
{
    FilterParams filter = FirstRunFilter();
    filter.bayerGainAuto = 1;
    filter.bayerAutoOnce1 = 1;
    filter.bayerAutoOnce2 = 1;
    TestSurface raw(8, 8, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            raw.set(x, y, 0, (y % 2 == 0 && x % 2 == 1) ? 50 : 100);
    TestSurface out(8, 8, 24);
    EXPECT_TRUE(Demosaic(out.view, raw.view, filter, 3));
    EXPECT_EQ(filter.bayerGainR, 200);
    EXPECT_EQ(filter.bayerGainAuto, 0);
    EXPECT_EQ(filter.bayerAutoOnce1, 0);
    EXPECT_EQ(filter.bayerAutoOnce2, 0);
    // The next frame is not measured: the gain stays although red is now brighter.
    raw.fill(100);
    EXPECT_FALSE(Demosaic(out.view, raw.view, filter, 3));
    EXPECT_EQ(filter.bayerGainR, 200);
}

}  // namespace
