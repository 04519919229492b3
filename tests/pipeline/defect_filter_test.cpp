#include <gtest/gtest.h>

#include <cstdlib>

#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

int32_t Mean4(const TestSurface& s, int32_t x, int32_t y)
{
    return (s.at(x - 2, y) + s.at(x + 2, y) + s.at(x, y - 2) + s.at(x, y + 2)) >> 2;
}

void ReferenceDefect10(TestSurface& s, int32_t threshold)
{
    for (int32_t y = 2; y < s.view.height - 2; ++y)
        for (int32_t x = 2; x < s.view.width - 2; ++x) {
            const int32_t t = s.at(x, y);
            const int32_t m = Mean4(s, x, y);
            if (std::abs(t - m) < threshold)
                continue;
            bool isolated = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && std::abs(s.at(x + dx, y + dy) - t) < threshold)
                        isolated = false;
            if (isolated)
                s.set(x, y, 0, m);
        }
}

int ReferenceDefect8(TestSurface& s, int32_t threshold, int phase, int32_t gainRed, int32_t gainBlue)
{
    int replaced = 0;
    for (int32_t y = 2; y < s.view.height - 2; ++y)
        for (int32_t x = 2; x < s.view.width - 2; ++x) {
            const int32_t m = Mean4(s, x, y);
            if (s.at(x, y) - m < threshold)
                continue;
            const RefRgb c = ReferenceBayer(s, x, y, phase, gainRed, gainBlue);
            const int strong = (std::abs(c.green - c.blue) > 30) + (std::abs(c.red - c.blue) > 30) +
                               (std::abs(c.red - c.green) > 30);
            if (strong >= 2) {
                s.set(x, y, 0, m);
                ++replaced;
            }
        }
    return replaced;
}

int RunDefect8(TestSurface& s, int phase, int32_t gainRed, int32_t gainBlue, int32_t threshold = 30)
{
    int32_t params[4] = {phase, gainRed, 100, gainBlue};
    return RunStage(s, DefectFilter8, s, params, &threshold);
}

void RunDefect10(TestSurface& s, int32_t threshold = 120)
{
    int32_t params[4] = {3, 100, 100, 100};
    RunStage(s, DefectFilter10, s, params, &threshold);
}

TEST(DefectFilter, MatchesReferenceOnRandomFrames)
{
    std::mt19937 rng(5);
    for (auto [w, h] : TestSizes())
        for (int phase = 0; phase < 4; ++phase) {
            TestSurface raw8(w, h, 8);
            raw8.randomise(rng);
            TestSurface expect8(raw8);
            const int32_t gainRed = static_cast<int32_t>(rng() % 401);
            const int32_t gainBlue = static_cast<int32_t>(rng() % 401);
            const int replaced = ReferenceDefect8(expect8, 30, phase, gainRed, gainBlue);
            EXPECT_EQ(RunDefect8(raw8, phase, gainRed, gainBlue), replaced) << w << "x" << h;
            EXPECT_TRUE(raw8.samePixels(expect8)) << w << "x" << h << " phase " << phase;

            // Smooth frames with a few spikes exercise the quiet-block skip next to real defects.
            TestSurface raw16(w, h, 16);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    raw16.set(x, y, 0, 300 + static_cast<int32_t>(rng() % 60) + (rng() % 23 == 0 ? 600 : 0));
            TestSurface expect16(raw16);
            ReferenceDefect10(expect16, 120);
            RunDefect10(raw16);
            EXPECT_TRUE(raw16.samePixels(expect16)) << w << "x" << h;
        }
}

TEST(DefectFilter, SixteenBitReplacesIsolatedSamplesEitherWay)
{
    TestSurface hot(9, 9, 16);
    hot.fill(100);
    hot.set(4, 4, 0, 1000);
    RunDefect10(hot);
    EXPECT_EQ(hot.at(4, 4), 100);

    TestSurface pair(9, 9, 16);
    pair.fill(100);
    pair.set(4, 4, 0, 1000);
    pair.set(5, 4, 0, 1000);
    RunDefect10(pair);
    EXPECT_EQ(pair.at(4, 4), 1000);
    EXPECT_EQ(pair.at(5, 4), 1000);

    TestSurface dead(9, 9, 16);
    dead.fill(500);
    dead.set(4, 4, 0, 0);
    RunDefect10(dead);
    EXPECT_EQ(dead.at(4, 4), 500);
}

TEST(DefectFilter, EightBitReplacesOnlyBrightColouredSamples)
{
    TestSurface dark(9, 9, 8);
    dark.fill(200);
    dark.set(4, 4, 0, 0);
    RunDefect8(dark, 0, 100, 100);
    EXPECT_EQ(dark.at(4, 4), 0);

    // Phase 0: row state 1, column state 0 is red, e.g. (4, 5).
    TestSurface red(10, 10, 8);
    red.fill(100);
    red.set(4, 5, 0, 255);
    EXPECT_EQ(RunDefect8(red, 0, 100, 100), 1);
    EXPECT_EQ(red.at(4, 5), 100);

    // A candidate whose estimate is nearly gray: green 120, red and blue 100, no difference above 30.
    TestSurface green(10, 10, 8);
    green.fill(100);
    green.set(4, 4, 0, 140);  // a green site, 40 above its mean
    EXPECT_EQ(RunDefect8(green, 0, 100, 100), 0);
    EXPECT_EQ(green.at(4, 4), 140);
}

TEST(DefectFilter, FrameOfTwoSamplesNeverChanges)
{
    std::mt19937 rng(9);
    TestSurface raw(12, 10, 16);
    raw.randomise(rng);
    const TestSurface before(raw);
    RunDefect10(raw, 1);  // nearly everything is a candidate
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            if (x < 2 || y < 2 || x > 9 || y > 7) {
                EXPECT_EQ(raw.at(x, y), before.at(x, y));
            }
        }
}

}  // namespace
