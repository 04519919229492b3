// Bayer demosaic with the red and blue gains inside the interpolation, and the white-balance
// measurement that can precede it.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "pipeline/bayer_kernel.h"
#include "pipeline/demosaic_avx2.h"
#include "pipeline/demosaic_sse2.h"
#include "pipeline/simd.h"
#include "imaging/pixel_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

// ---- white balance ----

template <typename S>
int MeasureBayerBalance(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    int32_t* result = StageBlock(value1);
    const int phase = result[balance_result::kPhase];
    // 64-bit sums: no frame size can wrap them.
    uint64_t sum[3] = {};    // green, blue, red
    uint64_t count[3] = {};
    const uint64_t evenColumns = static_cast<uint64_t>(area.width + 1) / 2;
    const uint64_t oddColumns = static_cast<uint64_t>(area.width) / 2;
    for (int32_t y = 0; y < area.height; ++y) {
        const S* row = area.srcRow<S>(y);
        uint64_t even = 0;
        uint64_t odd = 0;
        int32_t x = 0;
        for (; x + 1 < area.width; x += 2) {
            even += row[x];
            odd += row[x + 1];
        }
        if (x < area.width)
            even += row[x];
        const int rowState = RowState(phase, y);
        for (int parity = 0; parity < 2; ++parity) {
            const int columnState = ColumnState(phase, parity);
            const int colour = rowState == columnState ? 0 : (rowState == 0 ? 1 : 2);
            sum[colour] += parity ? odd : even;
            count[colour] += parity ? oddColumns : evenColumns;
        }
    }
    if (count[0] == 0 || count[1] == 0 || count[2] == 0 || sum[0] == 0 || sum[1] == 0 || sum[2] == 0)
        return 1;  // a black or degenerate frame: keep the previous gains
    const double meanGreen = static_cast<double>(sum[0]) / static_cast<double>(count[0]);
    const double meanBlue = static_cast<double>(sum[1]) / static_cast<double>(count[1]);
    const double meanRed = static_cast<double>(sum[2]) / static_cast<double>(count[2]);
    const double total = meanGreen + meanBlue + meanRed;
    const double t = total / meanGreen / 3;
    auto toGain = [](double gain) {
        constexpr double kLargest = 2147483647.0;
        return static_cast<int32_t>(gain < kLargest ? gain : kLargest);
    };
    result[balance_result::kGainBlue] = toGain(total / meanBlue / 3 * 100 / t);
    result[balance_result::kGainGreen] = 100;
    result[balance_result::kGainRed] = toGain(total / meanRed / 3 * 100 / t);
    return 1;
}

// ---- demosaic ----

struct BayerCall {
    int phase;
    int32_t gainRed;
    int32_t gainBlue;
};

BayerCall ReadBayerParams(void* value1)
{
    const int32_t* params = StageBlock(value1);
    return BayerCall{params[bayer_params::kPhase] & 3, FixedPointGain(params[bayer_params::kGainRed]),
                     FixedPointGain(params[bayer_params::kGainBlue])};
}

template <typename S>
inline void StorePixel(S* out, const Rgb& rgb)
{
    out[0] = static_cast<S>(rgb.blue);
    out[1] = static_cast<S>(rgb.green);
    out[2] = static_cast<S>(rgb.red);
}

// Interior row pixels from column `first` to width - 3; the column state alternates from CS at `first`.
template <typename S, int Step, bool RS, bool CS>
void InteriorRow(const S* const rows[4], S* out, int32_t first, int32_t width, const BayerCall& call,
                 BayerLimits limits)
{
    int32_t x = first;
    for (; x + 1 <= width - 3; x += 2) {
        StorePixel(out + x * Step, BayerPixel<RS, CS>(rows, x, SameColumn{}, call.gainRed, call.gainBlue, limits));
        StorePixel(out + (x + 1) * Step,
                   BayerPixel<RS, !CS>(rows, x + 1, SameColumn{}, call.gainRed, call.gainBlue, limits));
    }
    if (x <= width - 3)
        StorePixel(out + x * Step, BayerPixel<RS, CS>(rows, x, SameColumn{}, call.gainRed, call.gainBlue, limits));
}

template <typename S, int Step>
void InteriorRowAt(const S* const rows[4], S* out, int32_t first, int32_t width, const BayerCall& call,
                   BayerLimits limits, bool rowState, bool columnState)
{
    if (rowState)
        columnState ? InteriorRow<S, Step, true, true>(rows, out, first, width, call, limits)
                    : InteriorRow<S, Step, true, false>(rows, out, first, width, call, limits);
    else
        columnState ? InteriorRow<S, Step, false, true>(rows, out, first, width, call, limits)
                    : InteriorRow<S, Step, false, false>(rows, out, first, width, call, limits);
}


// True when every sample of the row fits the lanes' range; rows with larger ones go the scalar way.
inline bool RowFitsLanes(const uint8_t*, int32_t) { return true; }
inline bool RowFitsLanes(const uint16_t* row, int32_t width)
{
    uint16_t any = 0;
    for (int32_t x = 0; x < width; ++x)
        any |= row[x];
    return any < 1024;
}

// A vector loop over the interior pixels of a row (demosaic_sse2.h, demosaic_avx2.h).
template <typename S>
using RowLanes = int32_t (*)(const S* const rows[4], S* out, int32_t width, int step, int32_t gainRed,
                             int32_t gainBlue, bool rowState, bool columnState);

// The vector loop of a frame, or none: chosen once per call from the level and the gains; rows
// with samples out of the lanes' range still go the scalar way.
template <typename S>
RowLanes<S> FrameRowLoop(const BayerCall& call)
{
#if VELMOR_PIPELINE_SSE2
    if (!PipelineSimd() || call.gainRed > kMaxLaneGain || call.gainBlue > kMaxLaneGain)
        return nullptr;
    const RowLanes<S> avx2 = DemosaicRowAvx2;
    const RowLanes<S> sse2 = DemosaicRowSse2;
    return PipelineAvx2() ? avx2 : sse2;
#else
    static_cast<void>(call);
    return nullptr;
#endif
}

// Output columns 2 .. width - 3 of row y from its raw rows y - 2 .. y + 1 (rowsFit: all of them
// fit the lanes).
template <typename S, int Step>
void InteriorColumns(const S* const rows[4], S* out, int32_t width, const BayerCall& call, BayerLimits limits,
                     int32_t y, RowLanes<S> lanes, bool rowsFit)
{
    const bool rowState = RowState(call.phase, y);
    const bool columnState = ColumnState(call.phase, 2);
    int32_t x = 2;
    if (rowsFit && lanes)
        x = lanes(rows, out, width, Step, call.gainRed, call.gainBlue, rowState, columnState);
    // The vector loops leave x even, so its column state is the one of column 2.
    InteriorRowAt<S, Step>(rows, out, x, width, call, limits, rowState, columnState);
}

template <typename S, int Step>
void DemosaicInterior(const PixelArea& area, const BayerCall& call, BayerLimits limits)
{
    const RowLanes<S> lanes = FrameRowLoop<S>(call);
    uint32_t rowsFit = 0;  // bit k: source row y - 2 + k fits the lanes
    if (lanes != nullptr)
        for (int32_t k = 0; k < 3 && k < area.height; ++k)
            rowsFit |= uint32_t{RowFitsLanes(area.srcRow<S>(k), area.width)} << k;
    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const S* rows[4] = {area.srcRow<S>(y - 2), area.srcRow<S>(y - 1), area.srcRow<S>(y), area.srcRow<S>(y + 1)};
        if (lanes != nullptr)
            rowsFit |= uint32_t{RowFitsLanes(rows[3], area.width)} << 3;
        InteriorColumns<S, Step>(rows, area.dstRow<S>(y), area.width, call, limits, y, lanes, rowsFit == 0xF);
        rowsFit >>= 1;
    }
}

// A raw coordinate outside the frame moves 4 inward, which keeps its colour site. Frames under
// 4 samples on an axis can still land outside: take the first sample of the same parity, or 0.
inline int32_t FoldInside(int32_t c, int32_t size)
{
    if (c < 0)
        c += 4;
    else if (c >= size)
        c -= 4;
    if (c >= 0 && c < size)
        return c;
    return (c & 1) < size ? (c & 1) : 0;
}

struct FoldColumn {
    int32_t width;
    int32_t operator()(int32_t c) const { return FoldInside(c, width); }
};

// Border pixels of row y: all of it in the top and bottom two rows, else the two pixels at each
// end. Raw rows outside the frame fold inside; the columns in between need no fold and take the
// interior loops.
template <typename S, int Step>
void BorderRow(const PixelArea& area, const BayerCall& call, BayerLimits limits, RowLanes<S> lanes, int32_t y)
{
    const int32_t w = area.width;
    const S* rows[4];
    for (int k = 0; k < 4; ++k)
        rows[k] = area.srcRow<S>(FoldInside(y - 2 + k, area.height));
    S* out = area.dstRow<S>(y);
    if (y < 2 || y >= area.height - 2) {
        bool rowsFit = lanes != nullptr;
        for (int k = 0; k < 4 && rowsFit; ++k)
            rowsFit = RowFitsLanes(rows[k], w);
        InteriorColumns<S, Step>(rows, out, w, call, limits, y, lanes, rowsFit);
    }
    // States from the output coordinates, also for odd widths and heights.
    const int rowState = RowState(call.phase, y);
    for (int32_t x : {0, 1, w - 2, w - 1})
        if (x >= 0 && x < w)
            StorePixel(out + x * Step, BayerPixelAt(rows, x, rowState, ColumnState(call.phase, x), FoldColumn{w},
                                                    call.gainRed, call.gainBlue, limits));
}

template <typename S, int Step>
void DemosaicBorder(const PixelArea& area, const BayerCall& call, BayerLimits limits)
{
    const RowLanes<S> lanes = FrameRowLoop<S>(call);
    for (int32_t y = 0; y < area.height; ++y)
        BorderRow<S, Step>(area, call, limits, lanes, y);
}

template <typename S, template <typename, int> class Pass>
int RunPass(PixelArea area, void* value1, BayerLimits limits)
{
    if (area.empty())
        return 1;
    const BayerCall call = ReadBayerParams(value1);
    const int step = area.dstBytesPerPixel / static_cast<int>(sizeof(S));
    // The output layout is chosen once: three samples per pixel, or four with the fourth untouched.
    if (step == 4)
        Pass<S, 4>::run(area, call, limits);
    else
        Pass<S, 3>::run(area, call, limits);
    return 1;
}

template <typename S, int Step>
struct InteriorPass {
    static void run(const PixelArea& a, const BayerCall& c, BayerLimits l) { DemosaicInterior<S, Step>(a, c, l); }
};
template <typename S, int Step>
struct BorderPass {
    static void run(const PixelArea& a, const BayerCall& c, BayerLimits l) { DemosaicBorder<S, Step>(a, c, l); }
};

}  // namespace

int MeasureBayerBalance8(VELMOR_PIXEL_ARGS)
{
    return MeasureBayerBalance<uint8_t>(dst, src, rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                                        srcStride, value1, value2);
}

int MeasureBayerBalance10(VELMOR_PIXEL_ARGS)
{
    return MeasureBayerBalance<uint16_t>(dst, src, rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                                         srcStride, value1, value2);
}

int DemosaicInterior8(VELMOR_PIXEL_ARGS) { return RunPass<uint8_t, InteriorPass>(VELMOR_PIXEL_AREA, value1, kBayerLimits8); }
int DemosaicInterior10(VELMOR_PIXEL_ARGS) { return RunPass<uint16_t, InteriorPass>(VELMOR_PIXEL_AREA, value1, kBayerLimits10); }
int DemosaicBorder8(VELMOR_PIXEL_ARGS) { return RunPass<uint8_t, BorderPass>(VELMOR_PIXEL_AREA, value1, kBayerLimits8); }
int DemosaicBorder10(VELMOR_PIXEL_ARGS) { return RunPass<uint16_t, BorderPass>(VELMOR_PIXEL_AREA, value1, kBayerLimits10); }
