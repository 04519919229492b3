// Bayer demosaic with the red and blue gains inside the interpolation, and the white-balance
// measurement that can precede it.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "pipeline/bayer_kernel.h"
#include "pipeline/bayer_rows.h"
#include "pipeline/demosaic_avx2.h"
#include "pipeline/simd.h"
#include "pipeline/sse2_pixels.h"
#include "pipeline/stage_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

// ---- white balance ----

template <typename S>
int MeasureBayerBalance(VELMOR_STAGE_ARGS)
{
    const StageArea area = VELMOR_STAGE_AREA;
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

#if VELMOR_PIPELINE_SSE2
// The kernel on sixteen output pixels x .. x + 15 at once (x even from column 2), in 16-bit
// lanes split by column parity: "even" lanes hold columns x + 2k, "odd" lanes x + 2k + 1, so each
// raw colour sits in one kind of lane. Red and blue products come from the high half of an
// unsigned 16 x 16 multiply, with sum and gain pre-shifted so that it equals (gain x sum) >> 11;
// that needs samples within the limits' range and gains up to kMaxLaneGain (the caller checks
// both; stored gains give at most 512).
constexpr int32_t kMaxLaneGain = 4095;

struct EvenOdd {
    __m128i even;  // columns c, c + 2, .., c + 14
    __m128i odd;   // columns c + 1, .., c + 15
};

inline EvenOdd LoadEvenOdd(const uint8_t* p)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return EvenOdd{_mm_and_si128(v, _mm_set1_epi16(0x00FF)), _mm_srli_epi16(v, 8)};
}
inline EvenOdd LoadEvenOdd(const uint16_t* p)  // samples of at most 10 bits: the packs do not saturate
{
    const __m128i a = LoadWords(p);
    const __m128i b = LoadWords(p + 8);
    const __m128i low = _mm_set1_epi32(0xFFFF);
    return EvenOdd{_mm_packs_epi32(_mm_and_si128(a, low), _mm_and_si128(b, low)),
                   _mm_packs_epi32(_mm_srli_epi32(a, 16), _mm_srli_epi32(b, 16))};
}

inline __m128i Times3(__m128i v) { return _mm_add_epi16(v, _mm_slli_epi16(v, 1)); }
// Three times the sample plus its vertical partner: the column part of the 9/3/3/1 weights.
inline __m128i Vertical(__m128i row, __m128i partner) { return _mm_add_epi16(Times3(row), partner); }

struct LanePair {
    __m128i even;
    __m128i odd;
};

template <typename S, int Step>
inline void SixteenPixels(const LaneRows<S>& r, S* out, int32_t x, __m128i gainRed, __m128i gainBlue)
{
    constexpr int kSumShift = sizeof(S) == 1 ? 4 : 2;  // 4080 << 4, 16368 << 2: the sums fill 16 bits
    // Even-column colour: output x + 2k reads columns x + 2k (x 3) and x + 2k - 2; output x + 2k + 1
    // reads x + 2k (x 3) and x + 2k + 2.
    const __m128i left = Vertical(LoadEvenOdd(r.evenColour + x - 2).even, LoadEvenOdd(r.evenPartner + x - 2).even);
    const __m128i here = Vertical(LoadEvenOdd(r.evenColour + x).even, LoadEvenOdd(r.evenPartner + x).even);
    const __m128i right = Vertical(LoadEvenOdd(r.evenColour + x + 2).even, LoadEvenOdd(r.evenPartner + x + 2).even);
    const LanePair evenSum{_mm_add_epi16(Times3(here), left), _mm_add_epi16(Times3(here), right)};
    // Odd-column colour: output x + 2k reads x + 2k - 1 (x 3) and x + 2k + 1; output x + 2k + 1 the reverse.
    const EvenOdd oddRowLeft = LoadEvenOdd(r.oddColour + x - 2);
    const EvenOdd oddPartnerLeft = LoadEvenOdd(r.oddPartner + x - 2);
    const __m128i before = Vertical(oddRowLeft.odd, oddPartnerLeft.odd);
    const __m128i after = Vertical(LoadEvenOdd(r.oddColour + x).odd, LoadEvenOdd(r.oddPartner + x).odd);
    const LanePair oddSum{_mm_add_epi16(Times3(before), after), _mm_add_epi16(Times3(after), before)};

    const LanePair& redSum = r.redEven ? evenSum : oddSum;
    const LanePair& blueSum = r.redEven ? oddSum : evenSum;
    auto scale = [](__m128i sum, __m128i gain) {
        const __m128i v = _mm_mulhi_epu16(_mm_slli_epi16(sum, kSumShift), gain);
        // 8-bit: 256 and more store as 255 (the cap) through the saturating pack.
        return sizeof(S) == 1 ? v : _mm_min_epi16(v, _mm_set1_epi16(1023));
    };
    const __m128i greenHere = LoadEvenOdd(r.greenEven + x).even;
    const __m128i greenLeft = LoadEvenOdd(r.greenOdd + x - 2).odd;
    const __m128i greenRight = LoadEvenOdd(r.greenOdd + x).odd;
    const LanePair green{_mm_srli_epi16(_mm_add_epi16(greenHere, greenLeft), 1),
                         _mm_srli_epi16(_mm_add_epi16(greenHere, greenRight), 1)};
    const LanePair red{scale(redSum.even, gainRed), scale(redSum.odd, gainRed)};
    const LanePair blue{scale(blueSum.even, gainBlue), scale(blueSum.odd, gainBlue)};

    // Back to column order, eight pixels per store.
    auto first = [](const LanePair& p) { return _mm_unpacklo_epi16(p.even, p.odd); };
    auto second = [](const LanePair& p) { return _mm_unpackhi_epi16(p.even, p.odd); };
    if constexpr (sizeof(S) == 1 && Step == 3) {
        const __m128i even[3] = {blue.even, green.even, red.even};
        const __m128i odd[3] = {blue.odd, green.odd, red.odd};
        StoreSixteen8(out + x * Step, even, odd);
    } else if constexpr (sizeof(S) == 1) {
        StoreEight8<Step>(out + x * Step, first(blue), first(green), first(red));
        StoreEight8<Step>(out + (x + 8) * Step, second(blue), second(green), second(red));
    } else {
        StoreEight16<Step>(out + x * Step, first(blue), first(green), first(red));
        StoreEight16<Step>(out + (x + 8) * Step, second(blue), second(green), second(red));
    }
}

// Sixteen pixels at a time from column 2 while the loads (to column x + 17) and the stores'
// overrun (two pixels) stay on interior pixels still to be written by this pass; returns the
// first column left to the scalar loop.
template <typename S, int Step>
int32_t InteriorRowLanes(const S* const rows[4], S* out, int32_t width, const BayerCall& call, bool rowState,
                         bool columnState)
{
    constexpr int32_t kLanes = 16;
    constexpr int32_t kReach = 2;    // columns read past the last output column
    constexpr int32_t kOverrun = 2;  // pixels written past it (4 bytes of 3-sample pixels)
    constexpr int kGainShift = sizeof(S) == 1 ? 1 : 3;  // with the sum's shift: 16 - 11 in all
    const LaneRows<S> laneRows = MakeLaneRows(rows, rowState, columnState);
    const __m128i gainRed = _mm_set1_epi16(static_cast<int16_t>(call.gainRed << kGainShift));
    const __m128i gainBlue = _mm_set1_epi16(static_cast<int16_t>(call.gainBlue << kGainShift));
    int32_t x = 2;
    for (; x + kLanes + std::max(kReach, kOverrun + 2) <= width; x += kLanes)
        SixteenPixels<S, Step>(laneRows, out, x, gainRed, gainBlue);
    return x;
}

#endif

// True when every sample of the row fits the lanes' range; rows with larger ones go the scalar way.
inline bool RowFitsLanes(const uint8_t*, int32_t) { return true; }
inline bool RowFitsLanes(const uint16_t* row, int32_t width)
{
    uint16_t any = 0;
    for (int32_t x = 0; x < width; ++x)
        any |= row[x];
    return any < 1024;
}

// The vector loop of a frame: chosen once per call from the level and the gains; rows with
// samples out of the lanes' range still go the scalar way.
enum class RowLoop { kScalar, kSse2, kAvx2 };

RowLoop FrameRowLoop(const BayerCall& call)
{
#if VELMOR_PIPELINE_SSE2
    if (!PipelineSimd() || call.gainRed > kMaxLaneGain || call.gainBlue > kMaxLaneGain)
        return RowLoop::kScalar;
    return PipelineAvx2() ? RowLoop::kAvx2 : RowLoop::kSse2;
#else
    static_cast<void>(call);
    return RowLoop::kScalar;
#endif
}

// Output columns 2 .. width - 3 of row y from its raw rows y - 2 .. y + 1 (rowsFit: all of them
// fit the lanes).
template <typename S, int Step>
void InteriorColumns(const S* const rows[4], S* out, int32_t width, const BayerCall& call, BayerLimits limits,
                     int32_t y, RowLoop loop, bool rowsFit)
{
    const bool rowState = RowState(call.phase, y);
    const bool columnState = ColumnState(call.phase, 2);
    int32_t x = 2;
#if VELMOR_PIPELINE_SSE2
    if (rowsFit && loop == RowLoop::kAvx2)
        x = DemosaicRowAvx2(rows, out, width, Step, call.gainRed, call.gainBlue, rowState, columnState);
    else if (rowsFit && loop == RowLoop::kSse2)
        x = InteriorRowLanes<S, Step>(rows, out, width, call, rowState, columnState);
#else
    static_cast<void>(loop);
    static_cast<void>(rowsFit);
#endif
    // The vector loops leave x even, so its column state is the one of column 2.
    InteriorRowAt<S, Step>(rows, out, x, width, call, limits, rowState, columnState);
}

template <typename S, int Step>
void DemosaicInterior(const StageArea& area, const BayerCall& call, BayerLimits limits)
{
    const RowLoop loop = FrameRowLoop(call);
    uint32_t rowsFit = 0;  // bit k: source row y - 2 + k fits the lanes
    if (loop != RowLoop::kScalar)
        for (int32_t k = 0; k < 3 && k < area.height; ++k)
            rowsFit |= uint32_t{RowFitsLanes(area.srcRow<S>(k), area.width)} << k;
    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const S* rows[4] = {area.srcRow<S>(y - 2), area.srcRow<S>(y - 1), area.srcRow<S>(y), area.srcRow<S>(y + 1)};
        if (loop != RowLoop::kScalar)
            rowsFit |= uint32_t{RowFitsLanes(rows[3], area.width)} << 3;
        InteriorColumns<S, Step>(rows, area.dstRow<S>(y), area.width, call, limits, y, loop, rowsFit == 0xF);
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
void BorderRow(const StageArea& area, const BayerCall& call, BayerLimits limits, RowLoop loop, int32_t y)
{
    const int32_t w = area.width;
    const S* rows[4];
    for (int k = 0; k < 4; ++k)
        rows[k] = area.srcRow<S>(FoldInside(y - 2 + k, area.height));
    S* out = area.dstRow<S>(y);
    if (y < 2 || y >= area.height - 2) {
        bool rowsFit = loop != RowLoop::kScalar;
        for (int k = 0; k < 4 && rowsFit; ++k)
            rowsFit = RowFitsLanes(rows[k], w);
        InteriorColumns<S, Step>(rows, out, w, call, limits, y, loop, rowsFit);
    }
    // States from the output coordinates, also for odd widths and heights.
    const int rowState = RowState(call.phase, y);
    for (int32_t x : {0, 1, w - 2, w - 1})
        if (x >= 0 && x < w)
            StorePixel(out + x * Step, BayerPixelAt(rows, x, rowState, ColumnState(call.phase, x), FoldColumn{w},
                                                    call.gainRed, call.gainBlue, limits));
}

template <typename S, int Step>
void DemosaicBorder(const StageArea& area, const BayerCall& call, BayerLimits limits)
{
    const RowLoop loop = FrameRowLoop(call);
    for (int32_t y = 0; y < area.height; ++y)
        BorderRow<S, Step>(area, call, limits, loop, y);
}

template <typename S, template <typename, int> class Pass>
int RunPass(StageArea area, void* value1, BayerLimits limits)
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
    static void run(const StageArea& a, const BayerCall& c, BayerLimits l) { DemosaicInterior<S, Step>(a, c, l); }
};
template <typename S, int Step>
struct BorderPass {
    static void run(const StageArea& a, const BayerCall& c, BayerLimits l) { DemosaicBorder<S, Step>(a, c, l); }
};

}  // namespace

int MeasureBayerBalance8(VELMOR_STAGE_ARGS)
{
    return MeasureBayerBalance<uint8_t>(dst, src, rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                                        srcStride, value1, value2);
}

int MeasureBayerBalance10(VELMOR_STAGE_ARGS)
{
    return MeasureBayerBalance<uint16_t>(dst, src, rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                                         srcStride, value1, value2);
}

int DemosaicInterior8(VELMOR_STAGE_ARGS) { return RunPass<uint8_t, InteriorPass>(VELMOR_STAGE_AREA, value1, kBayerLimits8); }
int DemosaicInterior10(VELMOR_STAGE_ARGS) { return RunPass<uint16_t, InteriorPass>(VELMOR_STAGE_AREA, value1, kBayerLimits10); }
int DemosaicBorder8(VELMOR_STAGE_ARGS) { return RunPass<uint8_t, BorderPass>(VELMOR_STAGE_AREA, value1, kBayerLimits8); }
int DemosaicBorder10(VELMOR_STAGE_ARGS) { return RunPass<uint16_t, BorderPass>(VELMOR_STAGE_AREA, value1, kBayerLimits10); }
