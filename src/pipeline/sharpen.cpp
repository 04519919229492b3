// Unsharp mask: each sample pushed away from the mean of the 4 x 4 block around it by
// sharpness / 10 times the difference. Reads the unsharpened copy (source), writes the output;
// the two-pixel frame of the output is not written.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "pipeline/simd.h"
#include "pipeline/sse2_pixels.h"
#include "pipeline/stage_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

constexpr int kWindowShift = 4;  // 16 samples

#if VELMOR_PIPELINE_SSE2
// The sharpened samples of one row, eight samples at a time in 16-bit lanes, computing the
// correction s x (o - m) / 10 instead of reading the table (no gather in SSE2): |s (o - m)| stays
// under 2^15 for s <= kMaxLaneSharpness and 10-bit samples, and the division by 10 is a high-half
// multiply by 26215 >> 2 plus one for negative products, exact over the whole 16-bit range.
constexpr int32_t kMaxLaneSharpness = 30;
constexpr int32_t kLanes = 8;

inline __m128i LoadLanes(const uint8_t* p) { return LoadBytesAsWords(p); }
inline __m128i LoadLanes(const uint16_t* p) { return LoadWords(p); }

inline __m128i DivideBy10(__m128i v)
{
    const __m128i floor = _mm_srai_epi16(_mm_mulhi_epi16(v, _mm_set1_epi16(26215)), 2);
    return _mm_sub_epi16(floor, _mm_srai_epi16(v, 15));  // toward zero: +1 for negative values
}

// Stores samples i .. i + 7, keeping the destination's where `keep` is set (fourth samples).
inline void StoreSamples(uint8_t* out, __m128i v, __m128i keep)
{
    const __m128i old = LoadBytesAsWords(out);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(Select(keep, old, v), v));
}
inline void StoreSamples(uint16_t* out, __m128i v, __m128i keep)
{
    StoreKeeping(out, v, _mm_xor_si128(keep, _mm_set1_epi16(-1)));
}

// Samples from `first` on, while eight fit before the right-hand frame; returns the first left.
// `sums` holds the four-row column sums of the row (at least kLanes past its last sample).
template <typename S>
int32_t SharpenRowLanes(const S* centre, const int16_t* sums, S* out, int32_t first, int32_t end, int step,
                        int32_t sharpness, int32_t maxSample)
{
    const __m128i s = _mm_set1_epi16(static_cast<int16_t>(sharpness));
    const __m128i top = _mm_set1_epi16(static_cast<int16_t>(maxSample));
    const __m128i zero = _mm_setzero_si128();
    // first is a multiple of step and i moves by 8, so with 4 samples the fourth ones are lanes 3 and 7.
    const __m128i keep = step == 4 ? _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0) : zero;
    auto at = [sums](int32_t i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i)); };
    int32_t i = first;
    for (; i + kLanes <= end; i += kLanes) {
        const __m128i window = _mm_add_epi16(_mm_add_epi16(at(i - 2 * step), at(i - step)),
                                             _mm_add_epi16(at(i), at(i + step)));
        const __m128i mean = _mm_srli_epi16(window, 4);
        const __m128i o = LoadLanes(centre + i);
        const __m128i sharpened = _mm_add_epi16(o, DivideBy10(_mm_mullo_epi16(_mm_sub_epi16(o, mean), s)));
        StoreSamples(out + i, _mm_max_epi16(_mm_min_epi16(sharpened, top), zero), keep);
    }
    return i;
}

// True when every sample of the row is at most maxSample (10-bit rows with larger ones go the
// scalar way, whose table index is limited).
template <typename S>
bool RowWithin(const S* row, int32_t samples, int32_t maxSample)
{
    S any = 0;
    for (int32_t i = 0; i < samples; ++i)
        any |= row[i];
    return any <= maxSample;
}
#endif

template <typename S>
int Sharpen(const StageArea& area, void* value1, bool colour)
{
    const int32_t* params = StageBlock(value1);
    const int32_t sharpness = params[tone_params::kValue];
    const int32_t maxSample = sizeof(S) == 1 ? 255 : (int32_t{1} << ClampBits(params[tone_params::kBits])) - 1;
    if (area.width < 5 || area.height < 5)
        return 1;  // no interior

    // D[k] = trunc(s x (k - max) / 10) for k = 0 .. 2 max + 1.
    std::vector<int32_t> correction(static_cast<size_t>(2 * maxSample + 2));
    for (int32_t k = 0; k <= 2 * maxSample + 1; ++k)
        correction[k] = static_cast<int32_t>(int64_t{sharpness} * (k - maxSample) / 10);
    const int32_t* d = correction.data();
    const int32_t lastIndex = 2 * maxSample + 1;

    const int step = area.srcBytesPerPixel / static_cast<int>(sizeof(S));
    const int outStep = area.dstBytesPerPixel / static_cast<int>(sizeof(S));
    const int channels = colour ? 3 : 1;
    const int32_t rowSamples = area.width * step;
    std::vector<int32_t> columnSums(static_cast<size_t>(rowSamples));
    int32_t* sums = columnSums.data();
#if VELMOR_PIPELINE_SSE2
    // The lanes handle what the pipeline runs: a separate source (the scratch copy), the same
    // pixel size in and out, 1, 3 or 4 samples (4 only in colour), 10 bits or fewer.
    const bool lanes = PipelineSimd() && static_cast<const void*>(area.dst) != area.src && step == outStep && (step == channels || (colour && step == 4)) &&
                       sharpness >= 0 && sharpness <= kMaxLaneSharpness && maxSample <= 1023;
    std::vector<int16_t> laneSums(lanes ? static_cast<size_t>(rowSamples + kLanes) : 0);
#endif

    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const S* r0 = area.srcRow<S>(y - 2);
        const S* r1 = area.srcRow<S>(y - 1);
        const S* r2 = area.srcRow<S>(y);
        const S* r3 = area.srcRow<S>(y + 1);
        S* out = area.dstRow<S>(y);
        int32_t firstScalar = 2;  // first pixel left to the scalar loop
#if VELMOR_PIPELINE_SSE2
        if (lanes && (sizeof(S) == 1 || (RowWithin(r0, rowSamples, maxSample) && RowWithin(r1, rowSamples, maxSample) &&
                                          RowWithin(r2, rowSamples, maxSample) && RowWithin(r3, rowSamples, maxSample)))) {
            int16_t* s16 = laneSums.data();
            for (int32_t i = 0; i < rowSamples; ++i)
                s16[i] = static_cast<int16_t>(r0[i] + r1[i] + r2[i] + r3[i]);
            const int32_t next = SharpenRowLanes(r2, s16, out, 2 * step, (area.width - 2) * step, step, sharpness,
                                                 maxSample);
            firstScalar = next / step;  // a pixel the lanes left half done is redone whole from the source
        }
#endif
        if (firstScalar > area.width - 3)
            continue;
        for (int32_t i = (firstScalar - 2) * step; i < rowSamples; ++i)
            sums[i] = int32_t{r0[i]} + r1[i] + r2[i] + r3[i];
        for (int32_t x = firstScalar; x <= area.width - 3; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int32_t i = x * step + c;
                const int32_t blur =
                    (sums[i - 2 * step] + sums[i - step] + sums[i] + sums[i + step]) >> kWindowShift;
                const int32_t o = r2[i];
                const int32_t k = std::clamp(o + maxSample - blur, 0, lastIndex);
                out[x * outStep + c] = static_cast<S>(std::clamp(o + d[k], 0, maxSample));
            }
        }
    }
    return 1;
}

}  // namespace

int SharpenMono8(VELMOR_STAGE_ARGS) { return Sharpen<uint8_t>(VELMOR_STAGE_AREA, value1, false); }
int SharpenMono10(VELMOR_STAGE_ARGS) { return Sharpen<uint16_t>(VELMOR_STAGE_AREA, value1, false); }
int SharpenColor8(VELMOR_STAGE_ARGS) { return Sharpen<uint8_t>(VELMOR_STAGE_AREA, value1, true); }
int SharpenColor10(VELMOR_STAGE_ARGS) { return Sharpen<uint16_t>(VELMOR_STAGE_AREA, value1, true); }
