#include "imaging/frame_surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/converters.h"

namespace {

constexpr uint16_t kAllBitCounts[] = {8, 16, 24, 32, 48, 64};

std::vector<uint8_t> Pixels(const FrameSurface& s)
{
    return std::vector<uint8_t>(s.pixels, s.pixels + s.byteCount());
}

void ExpectGrayRamp(const FrameSurface& s)
{
    for (int i = 0; i < FrameSurface::kColorTableSize; ++i) {
        EXPECT_EQ(s.colorTable[i].blue, i);
        EXPECT_EQ(s.colorTable[i].green, i);
        EXPECT_EQ(s.colorTable[i].red, i);
        EXPECT_EQ(s.colorTable[i].reserved, 0);
    }
}

void ExpectEmpty(const FrameSurface& s)
{
    EXPECT_EQ(s.header.biSize, 40u);
    EXPECT_EQ(s.header.biWidth, 0);
    EXPECT_EQ(s.header.biHeight, 0);
    EXPECT_EQ(s.header.biBitCount, 0);
    EXPECT_EQ(s.header.biPlanes, 0);
    EXPECT_EQ(s.pixels, nullptr);
    EXPECT_EQ(s.memoryDC, nullptr);
    EXPECT_EQ(s.dibSection, nullptr);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.height, 0);
    EXPECT_EQ(s.stride, 0);
    EXPECT_EQ(s.bitCount, 0);
    for (const RgbQuad& q : s.colorTable)
        EXPECT_EQ(q.blue | q.green | q.red | q.reserved, 0);
}

TEST(FrameSurface, BadGeometryLeavesExistingSurfaceIntact)
{
    FrameSurface s;
    ASSERT_EQ(s.Create(64, 48, 24), 1);
    s.pixels[5] = 77;
    uint8_t* const before = s.pixels;
    EXPECT_EQ(s.Create(0, 480, 8), 0);
    EXPECT_EQ(s.Create(640, -1, 24), 0);
    EXPECT_EQ(s.Create(640, 480, 0), 0);
    EXPECT_EQ(s.CreateLike(nullptr), 0);
    FrameSurface empty;
    EXPECT_EQ(s.CreateLike(&empty), 0);
    EXPECT_EQ(s.pixels, before);
    EXPECT_EQ(s.pixels[5], 77);
    EXPECT_EQ(s.width, 64);
    EXPECT_EQ(s.height, 48);
    EXPECT_EQ(s.bitCount, 24);
}

TEST(FrameSurface, HeaderAndStridePadRowsToFourBytes)
{
    struct Case { int32_t width; uint16_t bits; int32_t stride; };
    const Case cases[] = {{641, 8, 644}, {641, 24, 1924}, {640, 48, 3840}, {1, 16, 4}, {3, 32, 12},
                          {5, 64, 40}, {2, 24, 8}, {1, 8, 4}};
    for (const Case& c : cases) {
        FrameSurface s;
        ASSERT_EQ(s.Create(c.width, 3, c.bits), 1);
        EXPECT_EQ(s.stride, c.stride) << c.width << "x" << c.bits;
        EXPECT_EQ(s.header.biSize, 40u);
        EXPECT_EQ(s.header.biWidth, c.width);
        EXPECT_EQ(s.header.biHeight, 3);
        EXPECT_EQ(s.header.biPlanes, 1);
        EXPECT_EQ(s.header.biBitCount, c.bits);
        EXPECT_EQ(s.header.biCompression, 0u);
        EXPECT_EQ(s.header.biSizeImage, 0u);
        EXPECT_EQ(s.header.biClrUsed, 0u);
        // The whole block is addressable and starts zeroed (sanitizers catch a short block).
        for (int64_t i = 0; i < s.byteCount(); ++i)
            ASSERT_EQ(s.pixels[i], 0);
    }
}

TEST(FrameSurface, EightBitSurfacesHaveTheGrayRampOthersNoTable)
{
    for (uint16_t bits : kAllBitCounts) {
        FrameSurface s;
        ASSERT_EQ(s.Create(7, 5, bits), 1);
        FrameSurface clone;
        ASSERT_EQ(clone.CreateLike(&s), 1);
        if (bits == 8) {
            ExpectGrayRamp(s);
            ExpectGrayRamp(clone);
        } else {
            for (const RgbQuad& q : clone.colorTable)
                ASSERT_EQ(q.blue | q.green | q.red | q.reserved, 0) << bits;
        }
    }
    // A colour surface re-created as 8-bit gets the ramp too.
    FrameSurface s;
    ASSERT_EQ(s.Create(4, 4, 24), 1);
    ASSERT_EQ(s.Create(4, 4, 8), 1);
    ExpectGrayRamp(s);
}

TEST(FrameSurface, CreateLikeCopiesGeometryButNotPixels)
{
    for (uint16_t bits : kAllBitCounts) {
        FrameSurface source;
        ASSERT_EQ(source.Create(13, 9, bits), 1);
        std::memset(source.pixels, 0xAB, static_cast<size_t>(source.byteCount()));
        FrameSurface clone;
        ASSERT_EQ(clone.Create(2, 2, 8), 1);
        ASSERT_EQ(clone.CreateLike(&source), 1);
        EXPECT_EQ(std::memcmp(&clone.header, &source.header, sizeof(BitmapInfoHeader)), 0);
        EXPECT_EQ(clone.width, 13);
        EXPECT_EQ(clone.height, 9);
        EXPECT_EQ(clone.stride, source.stride);
        EXPECT_EQ(clone.bitCount, bits);
        EXPECT_NE(clone.pixels, source.pixels);
        EXPECT_EQ(Pixels(clone), std::vector<uint8_t>(static_cast<size_t>(source.byteCount()), 0));
    }
}

TEST(FrameSurface, ReleaseAndFreshSurfaceAreEmpty)
{
    FrameSurface fresh;
    ExpectEmpty(fresh);
    FrameSurface s;
    ASSERT_EQ(s.Create(10, 10, 8), 1);
    s.Release();
    ExpectEmpty(s);
}

// Transfer rectangles are in the coordinates of the bitmap as GDI sees it: memory row H - 1 is
// image row 0. This reference moves single 32-bit pixels by that rule, clipping at both surfaces,
// and complements the fourth byte as Bgra32InvertedAlpha does.
std::vector<uint8_t> ReferenceTransfer(const FrameSurface& dst, const FrameSurface& src, PixelRect r, int32_t x,
                                       int32_t y)
{
    std::vector<uint8_t> out = Pixels(dst);
    const int bpp = dst.bytesPerPixel();
    for (int32_t dy = 0; dy < dst.height; ++dy) {
        for (int32_t dx = 0; dx < dst.width; ++dx) {
            const int32_t sx = dx - x + r.left, sy = dy - y + r.top;
            if (sx < r.left || sx >= r.right || sy < r.top || sy >= r.bottom)
                continue;
            if (sx < 0 || sy < 0 || sx >= src.width || sy >= src.height)
                continue;
            const uint8_t* from = src.pixels + (src.height - 1 - sy) * src.stride + sx * bpp;
            uint8_t* to = &out[static_cast<size_t>((dst.height - 1 - dy) * dst.stride + dx * bpp)];
            std::memcpy(to, from, bpp);
            to[3] = static_cast<uint8_t>(~from[3]);
        }
    }
    return out;
}

TEST(FrameSurface, TransferClipsToBothSurfacesAndWritesNothingOutside)
{
    FrameSurface src, dst;
    ASSERT_EQ(src.Create(9, 7, 32), 1);
    for (int64_t i = 0; i < src.byteCount(); ++i)
        src.pixels[i] = static_cast<uint8_t>(i * 7 + 1);

    struct Case { PixelRect rect; int32_t x, y; };
    const Case cases[] = {
        {{0, 0, 9, 7}, 0, 0},    {{0, 0, 9, 7}, 4, 3},    {{0, 0, 9, 7}, -3, -2}, {{2, 1, 6, 5}, 5, 4},
        {{2, 1, 6, 5}, -1, 9},   {{1, 2, 9, 7}, 8, -4},   {{3, 0, 12, 4}, 0, 0},  {{0, 0, 3, 3}, 10, 0},
        {{0, 3, 9, 12}, 1, 2},   {{2, 4, 14, 11}, 0, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(dst.Create(11, 10, 32), 1);
        std::memset(dst.pixels, 0x5C, static_cast<size_t>(dst.byteCount()));
        const std::vector<uint8_t> expected = ReferenceTransfer(dst, src, c.rect, c.x, c.y);
        PixelRect rect = c.rect;
        const int result = dst.Transfer(Bgra32InvertedAlpha, src, &rect, c.x, c.y, nullptr, nullptr);
        EXPECT_EQ(Pixels(dst), expected) << c.x << "," << c.y;
        const bool inside = c.x < dst.width && c.y < dst.height && c.x + c.rect.right - c.rect.left > 0 &&
                            c.y + c.rect.bottom - c.rect.top > 0;
        EXPECT_EQ(result, inside ? 1 : 0);
    }
}

TEST(FrameSurface, TransferBeyondDestinationOrWithoutConverterDoesNothing)
{
    FrameSurface src, dst;
    ASSERT_EQ(src.Create(4, 4, 8), 1);
    std::memset(src.pixels, 9, static_cast<size_t>(src.byteCount()));
    ASSERT_EQ(dst.Create(4, 4, 8), 1);
    EXPECT_EQ(dst.Transfer(CopyRowsFlipped, src, nullptr, 4, 0, nullptr, nullptr), 0);
    EXPECT_EQ(dst.Transfer(CopyRowsFlipped, src, nullptr, 0, 4, nullptr, nullptr), 0);
    EXPECT_EQ(dst.Transfer(CopyRowsFlipped, src, nullptr, -4, 0, nullptr, nullptr), 0);
    EXPECT_EQ(dst.Transfer(nullptr, src, nullptr, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(Pixels(dst), std::vector<uint8_t>(16, 0));
}

TEST(FrameSurface, WholeTransferKeepsOrTurnsOverRowOrder)
{
    constexpr int32_t kHeight = 5;
    FrameSurface src, flipped, kept;
    ASSERT_EQ(src.Create(3, kHeight, 24), 1);
    for (int32_t r = 0; r < kHeight; ++r)
        for (int32_t b = 0; b < 9; ++b)
            src.pixels[r * src.stride + b] = static_cast<uint8_t>(r * 16 + b);
    ASSERT_EQ(flipped.CreateLike(&src), 1);
    ASSERT_EQ(kept.Create(3, kHeight, 24), 1);
    ASSERT_EQ(flipped.Transfer(Bgr24FromColorFlipped, src, nullptr, 0, 0, nullptr, nullptr), 1);
    ASSERT_EQ(kept.Transfer(RgbFromBgr8, src, nullptr, 0, 0, nullptr, nullptr), 1);
    for (int32_t r = 0; r < kHeight; ++r) {
        EXPECT_EQ(std::memcmp(flipped.pixels + r * flipped.stride, src.pixels + (kHeight - 1 - r) * src.stride, 9), 0);
        EXPECT_EQ(kept.pixels[r * kept.stride + 0], src.pixels[r * src.stride + 2]) << r;
        EXPECT_EQ(kept.pixels[r * kept.stride + 5], src.pixels[r * src.stride + 3]) << r;
    }
}

int RecordStretch(uint8_t*, const uint8_t*, const PixelRect* dr, const PixelRect* sr, int32_t dw, int32_t dh, int32_t sw,
                  int32_t sh, uint16_t db, uint16_t sb, int32_t ds, int32_t ss, void* v1, void*)
{
    auto* seen = static_cast<std::vector<int32_t>*>(v1);
    *seen = {dr->left, dr->top, dr->right, dr->bottom, sr->left, sr->top, sr->right, sr->bottom,
             dw, dh, sw, sh, db, sb, ds, ss};
    return 7;
}

TEST(FrameSurface, StretchTransferPassesWholeSurfacesByDefault)
{
    FrameSurface src, dst;
    ASSERT_EQ(src.Create(5, 4, 8), 1);
    ASSERT_EQ(dst.Create(10, 8, 24), 1);
    std::vector<int32_t> seen;
    EXPECT_EQ(dst.StretchTransfer(RecordStretch, src, nullptr, nullptr, &seen, nullptr), 7);
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 0, 10, 8, 0, 0, 5, 4, 10, 8, 5, 4, 3, 1, 32, 8}));
    const PixelRect part{-2, 1, 3, 2};  // unclipped: passed as given
    EXPECT_EQ(dst.StretchTransfer(RecordStretch, src, &part, &part, &seen, nullptr), 7);
    EXPECT_EQ(seen[0], -2);
    EXPECT_EQ(seen[4], -2);
    EXPECT_EQ(dst.StretchTransfer(nullptr, src, nullptr, nullptr, &seen, nullptr), 0);
}

}  // namespace
