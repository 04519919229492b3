#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

// The fixed-point hue/lightness/saturation step written out plainly (lightness 0).
struct Ref {
    int32_t blue, green, red;
};

Ref ReferenceHueSat(int32_t hue, int32_t saturation, int32_t b, int32_t g, int32_t r)
{
    int32_t u = static_cast<int32_t>(static_cast<int64_t>(hue) * 65536 / 360) & 0xFFFF;
    const int32_t k = (u * 6) >> 8;
    const int32_t rr = k & 511;
    int32_t hOff = (rr < 256 ? rr : rr - 512) + 510 * (((k + 256) >> 9) % 3);
    if (hOff < 0)
        hOff += 1530;
    if (hOff > 1529)
        hOff -= 1530;
    const int32_t a = (saturation + 256) * 256;
    auto sat = [a](int32_t i) { return (a * i + 0x8000) >> 16; };
    auto limit = [](int32_t j) { return j < 256 ? j : 511 - j; };
    static const int32_t mask[6] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
    static const int32_t delta[6] = {-1, 256, -65536, 1, -256, 65536};

    int32_t hi, lo, sector, l;
    if (r >= g)
        hi = r, lo = g, sector = 1, l = g - b;
    else
        hi = g, lo = r, sector = 3, l = b - r;
    int32_t mx = hi;
    if (hi < b)
        mx = b, sector = 5, l = r - g;
    const int32_t mn = std::min(b, lo);
    const int32_t s = mx + mn, c = mx - mn;
    if (l < 0)
        sector -= 1, l += c;
    const int32_t c2 = std::min(limit(s), sat(c));
    const int32_t s2 = s;  // lightness 0 keeps max + min
    int32_t p = ((s2 - c2) >> 1) * 0x010101;
    if (c != 0) {
        int32_t v = ((l * (0xFF0000 / c) + 0x8000) >> 16) + hOff % 255;
        const int row = (sector + hOff / 255 + (v > 254)) % 6;
        if (v >= 255)
            v -= 255;
        const int32_t w = ((s2 + c2) >> 1) - ((s2 - c2) >> 1);
        p += ((w * 0x010101) & mask[row]) + ((w * v + 128) >> 8) * delta[row];
    }
    return Ref{p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF};
}

TEST(HueSat, MatchesReferenceOnRandomFrames)
{
    std::mt19937 rng(17);
    for (uint16_t bits : {24, 32, 48, 64})
        for (auto [w, h] : TestSizes()) {
            const int32_t hue = static_cast<int32_t>(rng() % 721) - 360;
            const int32_t saturation = static_cast<int32_t>(rng() % 511) - 255;
            TestSurface s(w, h, bits);
            s.randomise(rng);
            const TestSurface before(s);
            int32_t params[4] = {hue, 0, saturation, 10};
            RunStage(s, bits <= 32 ? HueSat8 : HueSat10, s, params);
            const int shift = s.wide() ? 2 : 0;
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    const Ref e = ReferenceHueSat(hue, saturation, before.at(x, y, 0) >> shift,
                                                  before.at(x, y, 1) >> shift, before.at(x, y, 2) >> shift);
                    ASSERT_EQ(s.at(x, y, 0), e.blue << shift) << hue << " " << saturation;
                    ASSERT_EQ(s.at(x, y, 1), e.green << shift) << hue << " " << saturation;
                    ASSERT_EQ(s.at(x, y, 2), e.red << shift) << hue << " " << saturation;
                    if (bits == 32 || bits == 64) {
                        ASSERT_EQ(s.at(x, y, 3), before.at(x, y, 3));
                    }
                }
        }
}

Ref Apply(int32_t hue, int32_t saturation, int32_t b, int32_t g, int32_t r, uint16_t bits = 24)
{
    TestSurface s(1, 1, bits);
    s.set(0, 0, 0, b);
    s.set(0, 0, 1, g);
    s.set(0, 0, 2, r);
    int32_t params[4] = {hue, 0, saturation, 10};
    RunStage(s, bits == 24 ? HueSat8 : HueSat10, s, params);
    return Ref{s.at(0, 0, 0), s.at(0, 0, 1), s.at(0, 0, 2)};
}

TEST(HueSat, HandComputedPixels)
{
    Ref red = Apply(120, 0, 0, 0, 255);
    EXPECT_EQ(red.red, 2);
    EXPECT_EQ(red.green, 255);
    EXPECT_EQ(red.blue, 0);

    Ref full = Apply(0, 255, 100, 100, 150);
    EXPECT_EQ(full.red, 175);
    EXPECT_EQ(full.green, 75);
    EXPECT_EQ(full.blue, 75);

    Ref faded = Apply(0, -255, 0, 0, 255);
    EXPECT_EQ(faded.red - faded.blue, 1);  // chroma 255 becomes 1

    for (int32_t hue : {360, -360}) {
        Ref same = Apply(hue, 10, 30, 90, 200);
        Ref reference = Apply(0, 10, 30, 90, 200);
        EXPECT_EQ(same.red, reference.red);
        EXPECT_EQ(same.blue, reference.blue);
    }
    Ref gray = Apply(77, 200, 123, 123, 123);
    EXPECT_EQ(gray.red, 123);
    EXPECT_EQ(gray.green, 123);
    EXPECT_EQ(gray.blue, 123);

    Ref wide = Apply(0, 0, 1023, 1023, 1023, 48);
    EXPECT_EQ(wide.red, 1020);
    Ref junk = Apply(0, 0, 60000, 0, 0, 48);  // above 10 bits: taken as full scale
    EXPECT_EQ(junk.blue, 1020);
}

// Two camera objects with different saturations share the tables; each frame must still come
// out as if it ran alone.
TEST(HueSat, ConcurrentCamerasWithDifferentSaturations)
{
    std::mt19937 rng(23);
    TestSurface frameA(64, 32, 24), frameB(64, 32, 24);
    frameA.randomise(rng);
    frameB.randomise(rng);
    int32_t paramsA[4] = {40, 0, 200, 10};
    int32_t paramsB[4] = {-90, 0, -150, 10};
    TestSurface expectA(frameA), expectB(frameB);
    RunStage(expectA, HueSat8, expectA, paramsA);
    RunStage(expectB, HueSat8, expectB, paramsB);

    auto run = [](const TestSurface& source, int32_t* params, const TestSurface& expect, bool* ok) {
        for (int i = 0; i < 50 && *ok; ++i) {
            TestSurface s(source);
            RunStage(s, HueSat8, s, params);
            *ok = s.samePixels(expect);
        }
    };
    bool okA = true, okB = true;
    std::thread a(run, std::cref(frameA), paramsA, std::cref(expectA), &okA);
    std::thread b(run, std::cref(frameB), paramsB, std::cref(expectB), &okB);
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
}

}  // namespace
