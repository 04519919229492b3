#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

Converter SharpenFor(uint16_t bits)
{
    switch (bits) {
    case 8: return SharpenMono8;
    case 16: return SharpenMono10;
    case 24:
    case 32: return SharpenColor8;
    default: return SharpenColor10;
    }
}

// Output = the scratch copy sharpened where the 4 x 4 window fits, the copy elsewhere.
void RunSharpen(TestSurface& out, int32_t sharpness)
{
    const TestSurface scratch(out);
    int32_t params[2] = {sharpness, 10};
    RunStage(out, SharpenFor(out.view.bitCount), scratch, params);
}

TEST(Sharpen, MatchesReferenceOnRandomFrames)
{
    std::mt19937 rng(29);
    for (uint16_t bits : {8, 16, 24, 32, 48, 64})
        for (auto [w, h] : TestSizes()) {
            const int32_t s = 1 + static_cast<int32_t>(rng() % 30);
            TestSurface out(w, h, bits);
            out.randomise(rng);
            const TestSurface before(out);
            RunSharpen(out, s);
            const int32_t mx = out.wide() ? 1023 : 255;
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    for (int c = 0; c < out.channels(); ++c) {
                        int32_t expect = before.at(x, y, c);
                        if (c < 3 && x >= 2 && y >= 2 && x <= w - 3 && y <= h - 3) {
                            int32_t sum = 0;
                            for (int32_t dy = -2; dy <= 1; ++dy)
                                for (int32_t dx = -2; dx <= 1; ++dx)
                                    sum += before.at(x + dx, y + dy, c);
                            const int32_t o = before.at(x, y, c);
                            expect = std::clamp(o + s * (o - (sum >> 4)) / 10, 0, mx);
                        }
                        ASSERT_EQ(out.at(x, y, c), expect) << bits << " " << w << "x" << h << " s " << s;
                    }
        }
}

// A 6 x 6 field of `mean` with its centre window arranged so that (3, 3) has block mean `m`.
int32_t SharpenOne(int32_t sharpness, int32_t centre, int32_t blockMean)
{
    TestSurface out(6, 6, 8);
    out.fill(blockMean);
    // Keep the block's sum at 16 x blockMean: raise (3, 3), lower its block neighbour (2, 2).
    out.set(3, 3, 0, centre);
    out.set(2, 2, 0, 2 * blockMean - centre);
    RunSharpen(out, sharpness);
    return out.at(3, 3);
}

TEST(Sharpen, HandComputedSamples)
{
    EXPECT_EQ(SharpenOne(10, 100, 90), 110);
    EXPECT_EQ(SharpenOne(30, 100, 90), 130);
    EXPECT_EQ(SharpenOne(30, 250, 150), 255);
    EXPECT_EQ(SharpenOne(30, 20, 120), 0);
    EXPECT_EQ(SharpenOne(1, 99, 90), 99);   // +0.9 truncates to 0
    EXPECT_EQ(SharpenOne(1, 81, 90), 81);   // -0.9 truncates to 0

    TestSurface flat(9, 7, 48);
    flat.fill(612);
    const TestSurface before(flat);
    RunSharpen(flat, 30);
    EXPECT_TRUE(flat.samePixels(before));
}

}  // namespace
