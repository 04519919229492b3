#include "imaging/converters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "imaging/frame_surface.h"

namespace {

// Plain references, written from the pixel rules rather than from the converters' code.
uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] + 256 * p[1]); }
uint8_t TopEight(const uint8_t* p) { return static_cast<uint8_t>(((p[1] << 6) | (p[0] >> 2)) & 0xFF); }
void PutStretched(uint8_t* d, const uint8_t* s)
{
    const uint32_t v = (static_cast<uint32_t>(Word(s)) * 64) % 65536;
    d[0] = static_cast<uint8_t>(v % 256);
    d[1] = static_cast<uint8_t>(v / 256);
}

using PixelRule = std::function<void(uint8_t* d, const uint8_t* s, int srcBpp)>;

struct Case {
    const char* name;
    Converter converter;
    uint16_t srcBits;
    uint16_t dstBits;
    bool flipped;
    PixelRule rule;
};

const PixelRule kCopyPixel = [](uint8_t* d, const uint8_t* s, int bpp) { std::memcpy(d, s, bpp); };
const PixelRule kFirstThree = [](uint8_t* d, const uint8_t* s, int) { std::memcpy(d, s, 3); };
const PixelRule kGray8 = [](uint8_t* d, const uint8_t* s, int) { d[0] = TopEight(s); };
const PixelRule kColor8 = [](uint8_t* d, const uint8_t* s, int) {
    for (int k = 0; k < 3; ++k)
        d[k] = TopEight(s + 2 * k);
};
const PixelRule kGray16 = [](uint8_t* d, const uint8_t* s, int) { PutStretched(d, s); };
const PixelRule kBgr16 = [](uint8_t* d, const uint8_t* s, int) {
    for (int k = 0; k < 3; ++k)
        PutStretched(d + 2 * k, s + 2 * k);
};
const PixelRule kRgb16 = [](uint8_t* d, const uint8_t* s, int) {
    for (int k = 0; k < 3; ++k)
        PutStretched(d + 2 * k, s + 2 * (2 - k));
};
const PixelRule kBgra16 = [](uint8_t* d, const uint8_t* s, int bpp) {
    kBgr16(d, s, bpp);
    d[6] = d[7] = 0xFF;
};
const PixelRule kRgba16 = [](uint8_t* d, const uint8_t* s, int bpp) {
    kRgb16(d, s, bpp);
    d[6] = d[7] = 0xFF;
};
const PixelRule kRgb8 = [](uint8_t* d, const uint8_t* s, int) {
    d[0] = s[2];
    d[1] = s[1];
    d[2] = s[0];
};
const PixelRule kInvertedAlpha = [](uint8_t* d, const uint8_t* s, int) {
    std::memcpy(d, s, 3);
    d[3] = static_cast<uint8_t>(255 - s[3]);
};

const Case kCases[] = {
    {"CopyRowsFlipped8", CopyRowsFlipped, 8, 8, true, kCopyPixel},
    {"CopyRowsFlipped48", CopyRowsFlipped, 48, 48, true, kCopyPixel},
    {"Bgr24FromColorFlipped24", Bgr24FromColorFlipped, 24, 24, true, kFirstThree},
    {"Bgr24FromColorFlipped32", Bgr24FromColorFlipped, 32, 24, true, kFirstThree},
    {"Bgr24FromBgrx32", Bgr24FromBgrx32, 32, 24, false, kFirstThree},
    {"Mono8FromMono10", Mono8FromMono10, 16, 8, false, kGray8},
    {"Mono8FromMono10Flipped", Mono8FromMono10Flipped, 16, 8, true, kGray8},
    {"Bgr24FromColor10_48", Bgr24FromColor10, 48, 24, false, kColor8},
    {"Bgr24FromColor10_64", Bgr24FromColor10, 64, 24, false, kColor8},
    {"Bgr24FromColor10Flipped48", Bgr24FromColor10Flipped, 48, 24, true, kColor8},
    {"Bgr24FromColor10Flipped64", Bgr24FromColor10Flipped, 64, 24, true, kColor8},
    {"Mono16FromMono10", Mono16FromMono10, 16, 16, false, kGray16},
    {"Bgr48FromBgr10", Bgr48FromBgr10, 48, 48, false, kBgr16},
    {"Rgb48FromBgr10", Rgb48FromBgr10, 48, 48, false, kRgb16},
    {"Bgra64FromBgr10", Bgra64FromBgr10, 64, 64, false, kBgra16},
    {"Rgba64FromBgr10", Rgba64FromBgr10, 64, 64, false, kRgba16},
    {"RgbFromBgr8_24", RgbFromBgr8, 24, 24, false, kRgb8},
    {"RgbFromBgr8_32", RgbFromBgr8, 32, 32, false, kRgb8},
    {"Bgra32InvertedAlpha", Bgra32InvertedAlpha, 32, 32, false, kInvertedAlpha},
};

void FillRandom(FrameSurface& s, std::mt19937& random)
{
    for (int64_t i = 0; i < s.byteCount(); ++i)
        s.pixels[i] = static_cast<uint8_t>(random());
}

// Random frames of odd and tiny sizes, full 16-bit words (not only 10-bit ones) and a
// destination full of noise: every byte, padding included, must match the reference, so a
// converter that writes an unnamed sample or past a row is caught.
TEST(Converters, MatchScalarReferenceOnRandomFrames)
{
    std::mt19937 random(520);
    const int32_t sizes[][2] = {{1, 1}, {3, 5}, {7, 2}, {33, 17}, {2, 9}, {5, 1}};
    for (const Case& c : kCases) {
        for (const auto& size : sizes) {
            FrameSurface src, dst;
            ASSERT_EQ(src.Create(size[0], size[1], c.srcBits), 1);
            ASSERT_EQ(dst.Create(size[0], size[1], c.dstBits), 1);
            FillRandom(src, random);
            FillRandom(dst, random);
            std::vector<uint8_t> expected(dst.pixels, dst.pixels + dst.byteCount());
            const int sb = src.bytesPerPixel(), db = dst.bytesPerPixel();
            for (int32_t r = 0; r < src.height; ++r) {
                const int32_t from = c.flipped ? src.height - 1 - r : r;
                for (int32_t x = 0; x < src.width; ++x)
                    c.rule(&expected[static_cast<size_t>(r * dst.stride + x * db)],
                           src.pixels + from * src.stride + x * sb, sb);
            }
            ASSERT_EQ(dst.Transfer(c.converter, src, nullptr, 0, 0, nullptr, nullptr), 1) << c.name;
            ASSERT_EQ(std::vector<uint8_t>(dst.pixels, dst.pixels + dst.byteCount()), expected)
                << c.name << " " << size[0] << "x" << size[1];
        }
    }
}

// Runs one converter on a single-pixel pair of surfaces.
std::vector<uint8_t> ConvertOne(Converter converter, uint16_t srcBits, uint16_t dstBits,
                                const std::vector<uint8_t>& pixel, uint8_t dstFill)
{
    FrameSurface src, dst;
    src.Create(1, 1, srcBits);
    dst.Create(1, 1, dstBits);
    std::memcpy(src.pixels, pixel.data(), pixel.size());
    std::memset(dst.pixels, dstFill, static_cast<size_t>(dst.byteCount()));
    dst.Transfer(converter, src, nullptr, 0, 0, nullptr, nullptr);
    return std::vector<uint8_t>(dst.pixels, dst.pixels + dst.bitCount / 8);
}

TEST(Converters, HandComputedSamples)
{
    using Bytes = std::vector<uint8_t>;
    EXPECT_EQ(ConvertOne(Mono8FromMono10, 16, 8, {0xFF, 0x03}, 0), Bytes{255});
    EXPECT_EQ(ConvertOne(Mono8FromMono10, 16, 8, {0x00, 0x02}, 0), Bytes{128});
    EXPECT_EQ(ConvertOne(Mono8FromMono10, 16, 8, {0x03, 0x00}, 9), Bytes{0});
    EXPECT_EQ(ConvertOne(Mono16FromMono10, 16, 16, {0xFF, 0x03}, 0), (Bytes{0xC0, 0xFF}));  // 65472
    EXPECT_EQ(ConvertOne(Rgb48FromBgr10, 48, 48, {1, 0, 2, 0, 0xFF, 0x03}, 0),
              (Bytes{0xC0, 0xFF, 0x80, 0x00, 0x40, 0x00}));
    EXPECT_EQ(ConvertOne(Bgr24FromColor10, 64, 24, {0xFF, 0x03, 0x00, 0x02, 0x03, 0x00, 0xFF, 0xFF}, 0),
              (Bytes{255, 128, 0}));
}

TEST(Converters, FourthSampleRules)
{
    using Bytes = std::vector<uint8_t>;
    // 64-bit outputs: the fourth word is opaque whatever the source held.
    EXPECT_EQ(ConvertOne(Bgra64FromBgr10, 64, 64, {0, 0, 0, 0, 0, 0, 0x12, 0x34}, 0),
              (Bytes{0, 0, 0, 0, 0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(ConvertOne(Rgba64FromBgr10, 64, 64, {1, 0, 0, 0, 0, 0, 0, 0}, 0),
              (Bytes{0, 0, 0, 0, 0x40, 0, 0xFF, 0xFF}));
    // The byte swap leaves the fourth byte of the destination as it was.
    EXPECT_EQ(ConvertOne(RgbFromBgr8, 32, 32, {1, 2, 3, 4}, 0x5A), (Bytes{3, 2, 1, 0x5A}));
    // Inverted alpha: 0 becomes fully opaque, other values are complemented.
    EXPECT_EQ(ConvertOne(Bgra32InvertedAlpha, 32, 32, {1, 2, 3, 0}, 0), (Bytes{1, 2, 3, 255}));
    EXPECT_EQ(ConvertOne(Bgra32InvertedAlpha, 32, 32, {1, 2, 3, 0xA5}, 0), (Bytes{1, 2, 3, 0x5A}));
    // 32 -> 24 drops the fourth byte.
    EXPECT_EQ(ConvertOne(Bgr24FromBgrx32, 32, 24, {7, 8, 9, 10}, 0), (Bytes{7, 8, 9}));
}

// Pipeline stages run in place with the same shape; the byte swap is the one converter that
// can meet its own output.
TEST(Converters, SwapInPlace)
{
    FrameSurface s;
    ASSERT_EQ(s.Create(2, 1, 24), 1);
    const uint8_t pixels[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(s.pixels, pixels, sizeof(pixels));
    ASSERT_EQ(s.Transfer(RgbFromBgr8, s, nullptr, 0, 0, nullptr, nullptr), 1);
    EXPECT_EQ(std::vector<uint8_t>(s.pixels, s.pixels + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

}  // namespace
