#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline/stage_params.h"
#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

using namespace gray_params;

// Site of a sample by (row state, column state): G1, R, B, G2.
int SiteGainIndex(int phase, int32_t x, int32_t y)
{
    const int rs = (phase & 1) ^ (y & 1);
    const int cs = ((phase >> 1) & 1) ^ (x & 1);
    static const int kIndex[2][2] = {{kGainG1, kGainR}, {kGainB, kGainG2}};
    return kIndex[rs][cs];
}

TEST(GrayGain, MatchesReferenceOnRandomFrames)
{
    std::mt19937 rng(7);
    for (uint16_t bits : {8, 16})
        for (auto [w, h] : TestSizes())
            for (int phase = 0; phase < 4; ++phase) {
                TestSurface raw(w, h, bits);
                raw.randomise(rng);
                int32_t params[kCount] = {phase};
                for (int i = kGainR; i <= kGainB; ++i)
                    params[i] = static_cast<int32_t>(rng() % 600);  // measured gains may exceed 255
                for (int i = kOffsetR; i <= kOffsetB; ++i)
                    params[i] = static_cast<int32_t>(rng() % 511) - 255;
                params[kBits] = bits == 8 ? 8 : 10;
                const int32_t limit = bits == 8 ? 255 : 1023;
                TestSurface expect(raw);
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        const int g = SiteGainIndex(phase, x, y);
                        const int32_t v = params[g + 4] + params[g] * raw.at(x, y) / 128;
                        expect.set(x, y, 0, std::clamp(v, 0, limit));
                    }
                RunStage(raw, bits == 8 ? GrayGainMono8 : GrayGainMono10, raw, params);
                ASSERT_TRUE(raw.samePixels(expect)) << bits << " " << w << "x" << h << " phase " << phase;
            }
}

TEST(GrayGain, GainsOffsetsAndLimits)
{
    // Phase 0: (1, 0) is the R site.
    int32_t params[kCount] = {0, 255, 128, 128, 128, 0, 0, 0, 0, 10};
    TestSurface wide(4, 2, 16);
    wide.fill(200);
    RunStage(wide, GrayGainMono10, wide, params);
    EXPECT_EQ(wide.at(1, 0), 398);
    EXPECT_EQ(wide.at(0, 0), 200);
    params[kBits] = 8;
    TestSurface narrow(4, 2, 8);
    narrow.fill(200);
    RunStage(narrow, GrayGainMono8, narrow, params);
    EXPECT_EQ(narrow.at(1, 0), 255);

    int32_t dark[kCount] = {0, 128, 128, 128, 128, -100, -100, -100, -100, 8};
    narrow.fill(60);
    RunStage(narrow, GrayGainMono8, narrow, dark);
    EXPECT_EQ(narrow.at(2, 1), 0);
}

TEST(GrayBalance, GainsFromSiteMeans)
{
    // Phase 0: row 0 G1 R, row 1 B G2.
    TestSurface raw(6, 4, 16);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            static const int32_t kMeans[2][2] = {{200, 100}, {50, 200}};
            raw.set(x, y, 0, kMeans[y % 2][x % 2]);
        }
    raw.set(0, 0, 0, 0);     // zeros are not counted
    raw.set(2, 0, 0, 1023);  // nor saturated samples
    int32_t params[kCount] = {0, 128, 128, 128, 128, 5, 6, 7, 8, 10};
    RunStage(raw, MeasureGrayBalance, raw, params);
    EXPECT_EQ(params[kGainG1], 128);
    EXPECT_EQ(params[kGainR], 256);
    EXPECT_EQ(params[kGainG2], 128);
    EXPECT_EQ(params[kGainB], 512);
    EXPECT_EQ(params[kOffsetR], 5);

    // A site that is all saturated (8-bit) leaves every gain as it was.
    TestSurface narrow(4, 4, 8);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            narrow.set(x, y, 0, (x % 2 == 1 && y % 2 == 0) ? 255 : 90);
    int32_t kept[kCount] = {0, 140, 130, 120, 110, 0, 0, 0, 0, 8};
    RunStage(narrow, MeasureGrayBalance, narrow, kept);
    EXPECT_EQ(kept[kGainR], 140);
    EXPECT_EQ(kept[kGainB], 110);
}

// Site means of usable samples (nonzero, below saturation) on random frames of odd sizes, with
// many zeros, saturated samples and 16-bit samples above the significant bits.
TEST(GrayBalance, MatchesReferenceOnRandomFrames)
{
    std::mt19937 rng(11);
    for (int32_t bits : {8, 10, 12})
        for (auto [w, h] : TestSizes())
            for (int phase = 0; phase < 4; ++phase) {
                const int32_t saturation = (1 << bits) - 1;
                TestSurface raw(w, h, bits == 8 ? 8 : 16);
                uint64_t sum[kCount] = {};
                uint64_t count[kCount] = {};
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        const uint32_t pick = rng() % 8;
                        const int32_t s = pick == 0 ? 0 : pick == 1 ? saturation
                                        : pick == 2 && bits != 8 ? 60000 : static_cast<int32_t>(rng() % saturation);
                        raw.set(x, y, 0, s);
                        const int site = SiteGainIndex(phase, x, y);
                        sum[site] += s < saturation ? s : 0;
                        count[site] += s != 0 && s < saturation;
                    }
                int32_t params[kCount] = {phase, 1, 2, 3, 4, 0, 0, 0, 0, bits};
                int32_t expected[kCount];
                std::copy(params, params + kCount, expected);
                double mean[kCount] = {};
                const int sites[4] = {kGainR, kGainG1, kGainG2, kGainB};
                const bool all = std::all_of(sites, sites + 4, [&](int i) { return count[i] != 0; });
                for (int i : sites)
                    mean[i] = all ? static_cast<double>(sum[i]) / static_cast<double>(count[i]) : 0;
                const double brightest = std::max({mean[kGainR], mean[kGainG1], mean[kGainG2], mean[kGainB]});
                for (int i : sites)
                    if (all)
                        expected[i] = static_cast<int32_t>(brightest / mean[i] * 128);
                RunStage(raw, MeasureGrayBalance, raw, params);
                ASSERT_TRUE(std::equal(params, params + kCount, expected)) << w << "x" << h << " " << bits;
            }
}

TEST(GrayFromColor, LuminanceOfEachPixel)
{
    std::mt19937 rng(3);
    for (uint16_t bits : {24, 32})
        for (auto [w, h] : TestSizes()) {
            TestSurface colour(w, h, bits);
            colour.randomise(rng);
            TestSurface gray(w, h, 8);
            RunStage(gray, GrayFromColor8, colour, nullptr);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    ASSERT_EQ(gray.at(x, y),
                              (30 * colour.at(x, y, 2) + 59 * colour.at(x, y, 1) + 11 * colour.at(x, y, 0)) / 100);
        }
    TestSurface grayish(3, 3, 24);
    grayish.fill(201);
    TestSurface out(3, 3, 8);
    RunStage(out, GrayFromColor8, grayish, nullptr);
    EXPECT_EQ(out.at(1, 1), 201);
}

}  // namespace
