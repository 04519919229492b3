// Every vector level of this machine against the scalar loops it replaces, byte for byte (row
// padding included), on random frames wide enough for several groups of lanes and with odd tails.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pipeline/simd.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

// Caps the vector level for one scope and lifts the cap however a test ends.
struct LevelCap {
    explicit LevelCap(SimdLevel level) { SetPipelineSimdLimit(level); }
    ~LevelCap() { SetPipelineSimdLimit(SimdLevel::kAvx512Vbmi); }
};

// The vector levels to compare with the scalar loops.
std::vector<SimdLevel> VectorLevels()
{
    std::vector<SimdLevel> levels;
    for (SimdLevel level : {SimdLevel::kSse2, SimdLevel::kAvx2, SimdLevel::kAvx512Vbmi})
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
        // Caller value 2 only with an extra value: the table stages take their tables there.
        result = RunStage(out, c.stage, c.separateSource ? src : out, p.data(), extra != 0 ? &extraOut : nullptr);
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

// Gray-mode gains and offsets of the four sites, over the setters' ranges (the stages saturate).
std::vector<int32_t> RandomGrayParams(int phase, int32_t bits, std::mt19937& rng)
{
    std::vector<int32_t> params(gray_params::kCount, 0);
    params[gray_params::kPhase] = phase;
    params[gray_params::kBits] = bits;
    for (int site = 0; site < 4; ++site) {
        params[gray_params::kGainR + site] = static_cast<int32_t>(rng() % 400);
        params[gray_params::kOffsetR + site] = static_cast<int32_t>(rng() % 101) - 50;
    }
    return params;
}

// Widths 35 to 37 lie around the first group of 32 lanes, 99 ends in one overlapping group and a scalar pixel.
const std::vector<std::pair<int32_t, int32_t>> kSizes = {{13, 5}, {21, 6}, {35, 5},  {36, 6},  {37, 7},
                                                         {40, 9}, {67, 8}, {99, 6}, {130, 7}, {257, 6}};

TEST(SimdPaths, DemosaicMatchesScalar)
{
    ASSERT_FALSE(VectorLevels().empty());  // else nothing below compares anything
    std::mt19937 rng(101);
    // The border pass runs the interior loops on the folded rows of its top and bottom bands.
    const Case cases[] = {{"interior 24", DemosaicInterior8, 24, 8, true},
                          {"interior 32", DemosaicInterior8, 32, 8, true},
                          {"interior 48", DemosaicInterior10, 48, 16, true},
                          {"interior 64", DemosaicInterior10, 64, 16, true},
                          {"border 24", DemosaicBorder8, 24, 8, true},
                          {"border 64", DemosaicBorder10, 64, 16, true}};
    for (const Case& c : cases)
        for (auto [w, h] : kSizes)
            for (int phase = 0; phase < 4; ++phase) {
                // Gains over the setters' range too: 3199 is the largest the lanes take (products at
                // the top of their range), larger stored gains take the scalar path.
                const int32_t red = phase == 2 ? 3199 : static_cast<int32_t>(rng() % 401);
                const int32_t blue = phase == 3 ? 5000 : static_cast<int32_t>(rng() % 401);
                ExpectSamePaths(c, w, h, {phase, red, 100, blue}, rng, phase == 1);
            }
    // Extremes on a frame wide enough for every loop. All samples at the top with gains at the
    // lanes' limit and 0: the largest sums, capped as worked out by hand. Out-of-range samples in
    // the first and last rows: the border bands fold onto them and the interior rows next to them
    // read them, so all of those leave the lanes.
    constexpr int32_t kW = 99;
    constexpr int32_t kH = 9;
    for (const Case& c : cases)
        for (bool spoiled : {false, true}) {
            const bool wide = c.srcBits == 16;
            if (spoiled && !wide)
                continue;  // 8-bit samples cannot leave the range
            const int32_t top = wide ? 1023 : 255;
            TestSurface raw(kW, kH, c.srcBits);
            raw.fill(top);
            if (spoiled) {
                raw.randomise(rng);
                raw.set(40, 0, 0, 4000);
                raw.set(97, kH - 1, 0, 65535);
            }
            TestSurface before(kW, kH, c.dstBits);
            before.randomise(rng);
            int32_t params[4] = {1, 3199, 100, spoiled ? 250 : 0};
            TestSurface scalar(before);
            {
                ScalarOnly forced;
                RunStage(scalar, c.stage, raw, params);
            }
            const bool border = c.stage == DemosaicBorder8 || c.stage == DemosaicBorder10;
            for (SimdLevel level : VectorLevels()) {
                TestSurface fast(before);
                LevelCap cap(level);
                RunStage(fast, c.stage, raw, params);
                ASSERT_EQ(fast.bytes, scalar.bytes) << c.name << " level " << static_cast<int>(level);
                for (int32_t y = 0; y < kH && !spoiled; ++y)
                    for (int32_t x = 0; x < kW; ++x) {
                        const bool inside = x >= 2 && x < kW - 2 && y >= 2 && y < kH - 2;
                        if (inside != border) {  // pixels this pass writes: blue, green, red
                            ASSERT_EQ(fast.at(x, y, 0), 0) << c.name << " @" << x << "," << y;
                            ASSERT_EQ(fast.at(x, y, 1), top) << c.name << " @" << x << "," << y;
                            ASSERT_EQ(fast.at(x, y, 2), top) << c.name << " @" << x << "," << y;
                        }
                    }
            }
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
    // Gray gains: the even- and odd-column tables of a row differ, and the rows alternate them.
    const Case gain{"gray gain 8", GrayGainMono8, 8, 8, false};
    for (auto [w, h] : kSizes)
        for (int phase = 0; phase < 4; ++phase)
            ExpectSamePaths(gain, w, h, RandomGrayParams(phase, 8, rng), rng, false);
}

// 16-bit curves with samples above their range: with 8 significant bits most random samples
// lie above it, with 10 only the spoiled ones; 12 and 16 bits make curves too long for registers.
TEST(SimdPaths, SixteenBitTablesMatchScalar)
{
    std::mt19937 rng(113);
    for (uint16_t bits : {16, 48, 64})
        for (auto [w, h] : kSizes)
            for (int32_t significant : {8, 10, 12, 16}) {
                const bool gray = bits == 16;
                const Case cases[] = {{"gamma", gray ? GammaMono10 : GammaColor10, bits, bits, false},
                                      {"contrast", gray ? ContrastMono10 : ContrastColor10, bits, bits, false},
                                      {"brightness", gray ? BrightnessMono10 : BrightnessColor10, bits, bits, false}};
                ExpectSamePaths(cases[0], w, h, {static_cast<int32_t>(rng() % 201), significant}, rng, true);
                ExpectSamePaths(cases[1], w, h, {static_cast<int32_t>(rng() % 255) - 127, significant}, rng, true);
                ExpectSamePaths(cases[2], w, h, {static_cast<int32_t>(rng() % 511) - 255, significant}, rng, true);
            }
    const Case gain{"gray gain 16", GrayGainMono10, 16, 16, false};
    for (auto [w, h] : kSizes)
        for (int phase = 0; phase < 4; ++phase) {
            std::vector<int32_t> params = RandomGrayParams(phase, phase & 1 ? 16 : 10, rng);
            if (phase == 2) {
                // The largest gain and offsets the 32-bit lanes take.
                params[gray_params::kGainG1] = 32767;
                params[gray_params::kOffsetR] = 1 << 30;
                params[gray_params::kOffsetB] = -(1 << 30);
            }
            if (phase == 3)
                params[gray_params::kGainB] = 40000;  // beyond the lanes: the scalar loop
            ExpectSamePaths(gain, w, h, params, rng, true);
        }
}

// Luminance of every 24-bit colour (a 4096 x 4096 frame holds each once) against the formula at
// every level, then random frames with odd tails against the scalar loop.
TEST(SimdPaths, GrayFromColorMatchesFormula)
{
    constexpr int32_t kSide = 4096;
    TestSurface cube(kSide, kSide, 24);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) {
            const int32_t colour = y * kSide + x;
            for (int c = 0; c < 3; ++c)
                cube.set(x, y, c, (colour >> (8 * c)) & 255);
        }
    std::vector<SimdLevel> levels = VectorLevels();
    levels.push_back(SimdLevel::kScalar);
    for (SimdLevel level : levels) {
        TestSurface gray(kSide, kSide, 8);
        LevelCap cap(level);
        RunStage(gray, GrayFromColor8, cube, nullptr);
        int64_t wrong = 0;
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                wrong += gray.at(x, y) != (30 * cube.at(x, y, 2) + 59 * cube.at(x, y, 1) + 11 * cube.at(x, y, 0)) / 100;
        EXPECT_EQ(wrong, 0) << "level " << static_cast<int>(level);
    }
    std::mt19937 rng(127);
    const Case toGray{"gray from colour", GrayFromColor8, 8, 24, true};
    for (auto [w, h] : kSizes)
        ExpectSamePaths(toGray, w, h, {}, rng, false);
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
                // 16-bit samples of 8, 10 and 16 significant bits (no shift, the usual one, the largest).
                const int32_t bits = c.srcBits >= 48 ? (saturation == -40 ? 8 : saturation == 1 ? 16 : 10) : 10;
                ExpectSamePaths(c, w, h, {hue, 0, saturation, bits}, rng, true);
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
