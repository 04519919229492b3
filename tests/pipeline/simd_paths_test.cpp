// Every vector level of this machine against the scalar loops it replaces, byte for byte (row
// padding included), on random frames wide enough for several groups of lanes and with odd tails.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pipeline/simd.h"
#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

// Caps the vector level for one scope and lifts the cap however a test ends.
struct LevelCap {
    explicit LevelCap(SimdLevel level) { SetPipelineSimdLimit(level); }
    ~LevelCap() { SetPipelineSimdLimit(SimdLevel::kAvx2); }
};

// The vector levels to compare with the scalar loops.
std::vector<SimdLevel> VectorLevels()
{
    std::vector<SimdLevel> levels;
    for (SimdLevel level : {SimdLevel::kSse2, SimdLevel::kAvx2})
        if (level <= SupportedSimdLevel())
            levels.push_back(level);
    return levels;
}

struct ScalarOnly : LevelCap {
    ScalarOnly() : LevelCap(SimdLevel::kScalar) {}
};

struct Case {
    const char* name;
    Converter stage;
    uint16_t dstBits;
    uint16_t srcBits;  // equal to dstBits: in place, source = destination
    bool separateSource;  // reads an unchanged copy (sharpening) or another surface
};

// Random samples of the full 16 bits in a few rows, as a faulty device could deliver.
void SpoilRows(TestSurface& s, std::mt19937& rng)
{
    if (!s.wide())
        return;
    for (int k = 0; k < 2; ++k) {
        const int32_t y = static_cast<int32_t>(rng() % s.view.height);
        const int32_t x = static_cast<int32_t>(rng() % s.view.width);
        s.set(x, y, 0, 1024 + static_cast<int32_t>(rng() % 64512));
    }
}

// Runs the stage on the scalar path and on each vector level from the same input.
void ExpectSamePaths(const Case& c, int32_t width, int32_t height, std::vector<int32_t> params, std::mt19937& rng,
                     bool spoil, int32_t extra = 0)
{
    TestSurface src(width, height, c.srcBits);
    src.randomise(rng);
    if (spoil)
        SpoilRows(src, rng);
    TestSurface dst(width, height, c.dstBits);
    dst.randomise(rng);  // a fourth sample and the untouched border must survive alike
    auto run = [&](SimdLevel level, int& result, int32_t& extraOut) {
        TestSurface out(c.separateSource ? dst : src);
        std::vector<int32_t> p = params;
        extraOut = extra;
        LevelCap cap(level);
        result = RunStage(out, c.stage, c.separateSource ? src : out, p.data(), &extraOut);
        return out;
    };
    int scalar = 0;
    int32_t scalarExtra = 0;
    const TestSurface scalarDst = run(SimdLevel::kScalar, scalar, scalarExtra);
    for (SimdLevel level : VectorLevels()) {
        int fast = 0;
        int32_t fastExtra = 0;
        const TestSurface fastDst = run(level, fast, fastExtra);
        const int n = static_cast<int>(level);
        EXPECT_EQ(fast, scalar) << c.name << " level " << n;
        EXPECT_EQ(fastExtra, scalarExtra) << c.name << " level " << n;
        ASSERT_EQ(fastDst.bytes, scalarDst.bytes) << c.name << " level " << n << " " << width << "x" << height;
    }
}

const std::vector<std::pair<int32_t, int32_t>> kSizes = {{13, 5}, {21, 6}, {40, 9}, {67, 8}, {130, 7}, {257, 6}};

TEST(SimdPaths, DemosaicMatchesScalar)
{
    ASSERT_FALSE(VectorLevels().empty());  // else nothing below compares anything
    std::mt19937 rng(101);
    const Case cases[] = {{"interior 24", DemosaicInterior8, 24, 8, true},
                          {"interior 32", DemosaicInterior8, 32, 8, true},
                          {"interior 48", DemosaicInterior10, 48, 16, true},
                          {"interior 64", DemosaicInterior10, 64, 16, true}};
    for (const Case& c : cases)
        for (auto [w, h] : kSizes)
            for (int phase = 0; phase < 4; ++phase) {
                // Gains over the setters' range too: large stored gains take the scalar path.
                const int32_t red = static_cast<int32_t>(rng() % 401);
                const int32_t blue = phase == 3 ? 5000 : static_cast<int32_t>(rng() % 401);
                ExpectSamePaths(c, w, h, {phase, red, 100, blue}, rng, phase == 1);
            }
}

TEST(SimdPaths, EightBitTablesMatchScalar)
{
    std::mt19937 rng(109);
    for (uint16_t bits : {8, 24, 32})
        for (auto [w, h] : kSizes) {
            const Case cases[] = {{"gamma", bits == 8 ? GammaMono8 : GammaColor8, bits, bits, false},
                                  {"contrast", bits == 8 ? ContrastMono8 : ContrastColor8, bits, bits, false},
                                  {"brightness", bits == 8 ? BrightnessMono8 : BrightnessColor8, bits, bits, false}};
            ExpectSamePaths(cases[0], w, h, {static_cast<int32_t>(rng() % 201), 10}, rng, false);
            ExpectSamePaths(cases[1], w, h, {static_cast<int32_t>(rng() % 255) - 127, 10}, rng, false);
            ExpectSamePaths(cases[2], w, h, {static_cast<int32_t>(rng() % 511) - 255, 10}, rng, false);
        }
}

TEST(SimdPaths, SharpeningMatchesScalar)
{
    std::mt19937 rng(107);
    const Case cases[] = {{"sharpen 8", SharpenMono8, 8, 8, true},      {"sharpen 16", SharpenMono10, 16, 16, true},
                          {"sharpen 24", SharpenColor8, 24, 24, true},  {"sharpen 32", SharpenColor8, 32, 32, true},
                          {"sharpen 48", SharpenColor10, 48, 48, true}, {"sharpen 64", SharpenColor10, 64, 64, true}};
    for (const Case& c : cases)
        for (auto [w, h] : kSizes)
            for (int32_t sharpness : {1, 9, 10, 30, 31, -4}) {
                ExpectSamePaths(c, w, h, {sharpness, 10}, rng, sharpness == 30);
            }
}

TEST(SimdPaths, HueSaturationMatchesScalar)
{
    std::mt19937 rng(103);
    const Case cases[] = {{"hue/sat 24", HueSat8, 24, 24, false},
                          {"hue/sat 32", HueSat8, 32, 32, false},
                          {"hue/sat 48", HueSat10, 48, 48, false},
                          {"hue/sat 64", HueSat10, 64, 64, false}};
    for (const Case& c : cases)
        for (auto [w, h] : kSizes)
            for (int32_t saturation : {-255, -40, 0, 1, 255}) {
                const int32_t hue = static_cast<int32_t>(rng() % 721) - 360;
                ExpectSamePaths(c, w, h, {hue, 0, saturation, 10}, rng, true);
            }
    // Every pixel of a small cube of colours, gray ones and the extremes among them, at every sextant.
    TestSurface cube(216, 1, 24);
    for (int32_t i = 0; i < 216; ++i) {
        cube.set(i, 0, 0, (i % 6) * 51);
        cube.set(i, 0, 1, (i / 6 % 6) * 51);
        cube.set(i, 0, 2, (i / 36) * 51);
    }
    for (int32_t hue = -360; hue <= 360; hue += 30)
        for (int32_t saturation : {-255, 0, 128, 255}) {
            TestSurface scalar(cube);
            int32_t params[4] = {hue, 0, saturation, 10};
            {
                ScalarOnly forced;
                RunStage(scalar, HueSat8, scalar, params);
            }
            for (SimdLevel level : VectorLevels()) {
                TestSurface fast(cube);
                LevelCap cap(level);
                RunStage(fast, HueSat8, fast, params);
                ASSERT_EQ(fast.bytes, scalar.bytes) << hue << " " << saturation;
            }
        }
}

}  // namespace
