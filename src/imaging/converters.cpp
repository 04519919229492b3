#include "imaging/converters.h"

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

struct Job {
    uint8_t* dst;
    const uint8_t* src;
    PixelRect rect;
    int32_t dstX;
    int32_t dstRow;
    int dstBpp;
    int srcBpp;
    int32_t dstStride;
    int32_t srcStride;

    const uint8_t* sourceRow(int32_t i, bool flipped) const
    {
        const int32_t row = flipped ? rect.bottom - 1 - i : rect.top + i;
        return src + static_cast<ptrdiff_t>(row) * srcStride + static_cast<ptrdiff_t>(rect.left) * srcBpp;
    }
    uint8_t* destinationRow(int32_t i) const
    {
        return dst + static_cast<ptrdiff_t>(dstRow + i) * dstStride + static_cast<ptrdiff_t>(dstX) * dstBpp;
    }
};

// Pixel steps fixed at compile time, so that GCC can vectorise the inner loop.
template <int DstBpp, int SrcBpp, bool Flipped, typename Op>
void RunFixed(const Job& job, Op op)
{
    const int32_t rows = job.rect.bottom - job.rect.top;
    const int32_t columns = job.rect.right - job.rect.left;
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* s = job.sourceRow(i, Flipped);
        uint8_t* d = job.destinationRow(i);
        for (int32_t x = 0; x < columns; ++x)
            op(d + static_cast<ptrdiff_t>(x) * DstBpp, s + static_cast<ptrdiff_t>(x) * SrcBpp);
    }
}

// Any other pixel steps the caller passes.
template <bool Flipped, typename Op>
void RunAny(const Job& job, Op op)
{
    const int32_t rows = job.rect.bottom - job.rect.top;
    const int32_t columns = job.rect.right - job.rect.left;
    for (int32_t i = 0; i < rows; ++i) {
        const uint8_t* s = job.sourceRow(i, Flipped);
        uint8_t* d = job.destinationRow(i);
        for (int32_t x = 0; x < columns; ++x)
            op(d + static_cast<ptrdiff_t>(x) * job.dstBpp, s + static_cast<ptrdiff_t>(x) * job.srcBpp);
    }
}

// Picks the compiled variant for the usual source formats, else the general loop.
template <int DstBpp, int SrcBpp, int OtherSrcBpp, bool Flipped, typename Op>
int Run(const Job& job, Op op)
{
    if (job.dstBpp == DstBpp && job.srcBpp == SrcBpp)
        RunFixed<DstBpp, SrcBpp, Flipped>(job, op);
    else if (OtherSrcBpp != 0 && job.dstBpp == DstBpp && job.srcBpp == OtherSrcBpp)
        RunFixed<DstBpp, (OtherSrcBpp != 0 ? OtherSrcBpp : SrcBpp), Flipped>(job, op);
    else
        RunAny<Flipped>(job, op);
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

// Every converter has the same parameter list; the two caller values are unused here.
#define CONVERTER_PARAMS                                                                                   \
    uint8_t *dst, const uint8_t *src, const PixelRect *rect, int32_t dstX, int32_t dstRow,                 \
        uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride, void*, \
        void*
#define CONVERTER_JOB Job{dst, src, *rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride}

int CopyRowsFlipped(CONVERTER_PARAMS)
{
    const Job job = CONVERTER_JOB;
    // The rectangle's part of each row in one block copy.
    const size_t bytes = static_cast<size_t>(job.rect.right - job.rect.left) * static_cast<size_t>(job.srcBpp);
    for (int32_t i = 0; i < job.rect.bottom - job.rect.top; ++i)
        std::memcpy(job.destinationRow(i), job.sourceRow(i, true), bytes);
    return 1;
}

int Bgr24FromColorFlipped(CONVERTER_PARAMS)
{
    return Run<kBgr24, kBgr24, kBgrx32, true>(CONVERTER_JOB, kCopyBgr);
}

int Bgr24FromBgrx32(CONVERTER_PARAMS)
{
    return Run<kBgr24, kBgrx32, 0, false>(CONVERTER_JOB, kCopyBgr);
}

int Mono8FromMono10(CONVERTER_PARAMS)
{
    return Run<kMono8, kMono16, 0, false>(CONVERTER_JOB, kMono8From10);
}

int Mono8FromMono10Flipped(CONVERTER_PARAMS)
{
    return Run<kMono8, kMono16, 0, true>(CONVERTER_JOB, kMono8From10);
}

int Bgr24FromColor10(CONVERTER_PARAMS)
{
    return Run<kBgr24, kBgr48, kBgrx64, false>(CONVERTER_JOB, kBgr8From10);
}

int Bgr24FromColor10Flipped(CONVERTER_PARAMS)
{
    return Run<kBgr24, kBgr48, kBgrx64, true>(CONVERTER_JOB, kBgr8From10);
}

int Mono16FromMono10(CONVERTER_PARAMS)
{
    return Run<kMono16, kMono16, 0, false>(CONVERTER_JOB, kMono16From10);
}

int Bgr48FromBgr10(CONVERTER_PARAMS)
{
    return Run<kBgr48, kBgr48, 0, false>(CONVERTER_JOB, kBgr16From10);
}

int Rgb48FromBgr10(CONVERTER_PARAMS)
{
    return Run<kBgr48, kBgr48, 0, false>(CONVERTER_JOB, kRgb16From10);
}

int Bgra64FromBgr10(CONVERTER_PARAMS)
{
    return Run<kBgrx64, kBgrx64, 0, false>(CONVERTER_JOB, kBgra16From10);
}

int Rgba64FromBgr10(CONVERTER_PARAMS)
{
    return Run<kBgrx64, kBgrx64, 0, false>(CONVERTER_JOB, kRgba16From10);
}

int RgbFromBgr8(CONVERTER_PARAMS)
{
    const Job job = CONVERTER_JOB;
    if (job.srcBpp == kBgrx32)
        return Run<kBgrx32, kBgrx32, 0, false>(job, kSwapRedBlue);
    return Run<kBgr24, kBgr24, 0, false>(job, kSwapRedBlue);
}

int Bgra32InvertedAlpha(CONVERTER_PARAMS)
{
    return Run<kBgrx32, kBgrx32, 0, false>(CONVERTER_JOB, kInvertAlpha);
}

#undef CONVERTER_JOB
#undef CONVERTER_PARAMS
