#include "imaging/converters.h"

#include "imaging/pixel_area.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr int kMono8 = 1, kMono16 = 2, kBgr24 = 3, kBgrx32 = 4, kBgr48 = 6, kBgrx64 = 8;
constexpr uint16_t kOpaque16 = 0xFFFF;
constexpr int kTopEightOfTen = 2;  // right shift that keeps the top 8 of 10 bits
constexpr int kTenToSixteen = 6;   // left shift that stretches 10 bits to 16

inline uint16_t Load16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void Store16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline uint8_t Top8(const uint8_t* sample)
{
    return static_cast<uint8_t>(Load16(sample) >> kTopEightOfTen);
}

inline uint32_t Stretch16(const uint8_t* sample)
{
    return static_cast<uint32_t>(Load16(sample)) << kTenToSixteen;
}

// Pixel steps fixed at compile time, so that GCC can vectorise the inner loop.
template <int DstBpp, int SrcBpp, bool Flipped, typename Op>
void RunFixed(const PixelArea& area, Op op)
{
    const int32_t rows = area.height;
    const int32_t columns = area.width;
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* s = area.srcRow(i, Flipped);
        uint8_t* d = area.dstRow<uint8_t>(i);
        for (int32_t x = 0; x < columns; ++x)
            op(d + static_cast<ptrdiff_t>(x) * DstBpp, s + static_cast<ptrdiff_t>(x) * SrcBpp);
    }
}

// Any other pixel steps the caller passes.
template <bool Flipped, typename Op>
void RunAny(const PixelArea& area, Op op)
{
    const int32_t rows = area.height;
    const int32_t columns = area.width;
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* s = area.srcRow(i, Flipped);
        uint8_t* d = area.dstRow<uint8_t>(i);
        for (int32_t x = 0; x < columns; ++x)
            op(d + static_cast<ptrdiff_t>(x) * area.dstBytesPerPixel, s + static_cast<ptrdiff_t>(x) * area.srcBytesPerPixel);
    }
}

// Picks the compiled variant for the usual source formats, else the general loop.
template <int DstBpp, int SrcBpp, int OtherSrcBpp, bool Flipped, typename Op>
int Run(const PixelArea& area, Op op)
{
    if (area.dstBytesPerPixel == DstBpp && area.srcBytesPerPixel == SrcBpp)
        RunFixed<DstBpp, SrcBpp, Flipped>(area, op);
    else if (OtherSrcBpp != 0 && area.dstBytesPerPixel == DstBpp && area.srcBytesPerPixel == OtherSrcBpp)
        RunFixed<DstBpp, (OtherSrcBpp != 0 ? OtherSrcBpp : SrcBpp), Flipped>(area, op);
    else
        RunAny<Flipped>(area, op);
    return 1;
}

// Each op reads every sample it needs before writing, so in-place use is safe.
const auto kCopyBgr = [](uint8_t* d, const uint8_t* s) {
    const uint8_t b = s[0], g = s[1], r = s[2];
    d[0] = b;
    d[1] = g;
    d[2] = r;
};
const auto kMono8From10 = [](uint8_t* d, const uint8_t* s) { d[0] = Top8(s); };
const auto kBgr8From10 = [](uint8_t* d, const uint8_t* s) {
    const uint8_t b = Top8(s), g = Top8(s + 2), r = Top8(s + 4);
    d[0] = b;
    d[1] = g;
    d[2] = r;
};
const auto kMono16From10 = [](uint8_t* d, const uint8_t* s) { Store16(d, Stretch16(s)); };
const auto kBgr16From10 = [](uint8_t* d, const uint8_t* s) {
    const uint32_t b = Stretch16(s), g = Stretch16(s + 2), r = Stretch16(s + 4);
    Store16(d, b);
    Store16(d + 2, g);
    Store16(d + 4, r);
};
const auto kRgb16From10 = [](uint8_t* d, const uint8_t* s) {
    const uint32_t b = Stretch16(s), g = Stretch16(s + 2), r = Stretch16(s + 4);
    Store16(d, r);
    Store16(d + 2, g);
    Store16(d + 4, b);
};
const auto kBgra16From10 = [](uint8_t* d, const uint8_t* s) {
    kBgr16From10(d, s);
    Store16(d + 6, kOpaque16);
};
const auto kRgba16From10 = [](uint8_t* d, const uint8_t* s) {
    kRgb16From10(d, s);
    Store16(d + 6, kOpaque16);
};
const auto kSwapRedBlue = [](uint8_t* d, const uint8_t* s) {
    const uint8_t b = s[0], g = s[1], r = s[2];
    d[0] = r;
    d[1] = g;
    d[2] = b;
};
const auto kInvertAlpha = [](uint8_t* d, const uint8_t* s) {
    const uint8_t b = s[0], g = s[1], r = s[2], a = s[3];
    d[0] = b;
    d[1] = g;
    d[2] = r;
    d[3] = static_cast<uint8_t>(~a);
};

}  // namespace

int CopyRowsFlipped(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    // The rectangle's part of each row in one block copy.
    const size_t bytes = static_cast<size_t>(area.width) * static_cast<size_t>(area.srcBytesPerPixel);
    for (int32_t i = 0; i < area.height; ++i)
        std::memcpy(area.dstRow<uint8_t>(i), area.srcRow(i, true), bytes);
    return 1;
}

int Bgr24FromColorFlipped(VELMOR_PIXEL_ARGS)
{
    return Run<kBgr24, kBgr24, kBgrx32, true>(VELMOR_PIXEL_AREA, kCopyBgr);
}

int Bgr24FromBgrx32(VELMOR_PIXEL_ARGS)
{
    return Run<kBgr24, kBgrx32, 0, false>(VELMOR_PIXEL_AREA, kCopyBgr);
}

int Mono8FromMono10(VELMOR_PIXEL_ARGS)
{
    return Run<kMono8, kMono16, 0, false>(VELMOR_PIXEL_AREA, kMono8From10);
}

int Mono8FromMono10Flipped(VELMOR_PIXEL_ARGS)
{
    return Run<kMono8, kMono16, 0, true>(VELMOR_PIXEL_AREA, kMono8From10);
}

int Bgr24FromColor10(VELMOR_PIXEL_ARGS)
{
    return Run<kBgr24, kBgr48, kBgrx64, false>(VELMOR_PIXEL_AREA, kBgr8From10);
}

int Bgr24FromColor10Flipped(VELMOR_PIXEL_ARGS)
{
    return Run<kBgr24, kBgr48, kBgrx64, true>(VELMOR_PIXEL_AREA, kBgr8From10);
}

int Mono16FromMono10(VELMOR_PIXEL_ARGS)
{
    return Run<kMono16, kMono16, 0, false>(VELMOR_PIXEL_AREA, kMono16From10);
}

int Bgr48FromBgr10(VELMOR_PIXEL_ARGS)
{
    return Run<kBgr48, kBgr48, 0, false>(VELMOR_PIXEL_AREA, kBgr16From10);
}

int Rgb48FromBgr10(VELMOR_PIXEL_ARGS)
{
    return Run<kBgr48, kBgr48, 0, false>(VELMOR_PIXEL_AREA, kRgb16From10);
}

int Bgra64FromBgr10(VELMOR_PIXEL_ARGS)
{
    return Run<kBgrx64, kBgrx64, 0, false>(VELMOR_PIXEL_AREA, kBgra16From10);
}

int Rgba64FromBgr10(VELMOR_PIXEL_ARGS)
{
    return Run<kBgrx64, kBgrx64, 0, false>(VELMOR_PIXEL_AREA, kRgba16From10);
}

int RgbFromBgr8(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    if (area.srcBytesPerPixel == kBgrx32)
        return Run<kBgrx32, kBgrx32, 0, false>(area, kSwapRedBlue);
    return Run<kBgr24, kBgr24, 0, false>(area, kSwapRedBlue);
}

int Bgra32InvertedAlpha(VELMOR_PIXEL_ARGS)
{
    return Run<kBgrx32, kBgrx32, 0, false>(VELMOR_PIXEL_AREA, kInvertAlpha);
}

