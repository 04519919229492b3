// The preview's scaling converters against a plain reference: nearest neighbour in single
// precision, rows turned over, on random surfaces of odd sizes up and down.
#include "imaging/scale_flip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

struct Size {
    int32_t width, height;
};

// Destination pixel (i, j) is source memory row H - 1 - min(trunc(i * sy), H - 1), column min(trunc(j * sx), W - 1).
void Reference(const FrameSurface& src, FrameSurface& dst)
{
    const float sx = float(src.width) / float(dst.width), sy = float(src.height) / float(dst.height);
    const int bytes = dst.bytesPerPixel();
    for (int32_t i = 0; i < dst.height; ++i) {
        const int32_t a = std::min(int32_t(float(i) * sy), src.height - 1);
        for (int32_t j = 0; j < dst.width; ++j) {
            const int32_t c = std::min(int32_t(float(j) * sx), src.width - 1);
            std::memcpy(dst.pixels + i * dst.stride + j * bytes,
                        src.pixels + (src.height - 1 - a) * src.stride + c * bytes, bytes);
        }
    }
}

}  // namespace

TEST(ScaleFlip, MatchesTheReferenceAtOddSizesBothWays)
{
    std::mt19937 random(77);
    // 2048 x 1536 to 640 x 480 is the 3.2 step of a child window; 5000 columns need two column tables.
    const Size sources[] = {{2048, 1536}, {641, 5}, {3, 7}, {1, 1}};
    const Size targets[] = {{640, 480}, {1283, 9}, {1, 1}, {5000, 3}};
    for (uint16_t bits : {uint16_t{8}, uint16_t{24}}) {
        for (const Size& s : sources) {
            for (const Size& d : targets) {
                SCOPED_TRACE(testing::Message() << bits << " bits " << s.width << "x" << s.height << " to "
                                                << d.width << "x" << d.height);
                FrameSurface src, dst, expected;
                ASSERT_EQ(src.Create(s.width, s.height, bits), 1);
                ASSERT_EQ(dst.Create(d.width, d.height, bits), 1);
                ASSERT_EQ(expected.Create(d.width, d.height, bits), 1);
                for (int64_t k = 0; k < src.byteCount(); k += 4) {
                    const uint32_t r = random();
                    std::memcpy(src.pixels + k, &r, std::min<int64_t>(4, src.byteCount() - k));
                }
                EXPECT_EQ(dst.StretchTransfer(bits == 8 ? ScaleFlip8 : ScaleFlip24, src, nullptr, nullptr, nullptr,
                                              nullptr),
                          1);
                Reference(src, expected);
                // Only the pixels, not the row padding.
                for (int32_t row = 0; row < d.height; ++row)
                    ASSERT_EQ(std::memcmp(dst.pixels + row * dst.stride, expected.pixels + row * expected.stride,
                                          size_t(d.width) * (bits / 8)),
                              0)
                        << "row " << row;
            }
        }
    }
}
