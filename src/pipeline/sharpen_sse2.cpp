// SSE2 rows of sharpening: the unsharp mask on eight samples per step in 16-bit lanes.
#include "pipeline/sharpen_sse2.h"

#include "pipeline/sse2_pixels.h"

#if VELMOR_PIPELINE_SSE2

namespace {

// The sharpened samples of one row, eight samples at a time in 16-bit lanes, computing the
// correction s x (o - m) / 10 instead of reading the table (no gather in SSE2): |s (o - m)| stays
// under 2^15 for s <= kMaxLaneSharpness and 10-bit samples, and the division by 10 is a high-half
// multiply by 26215 >> 2 plus one for negative products, exact over the whole 16-bit range.
constexpr int32_t kLanes = kSharpenLanePadding;

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

template <typename S>
int32_t SharpenRow(const S* const rows[4], int16_t* s16, S* out, int32_t width, int step, int32_t sharpness,
                   int32_t maxSample)
{
    const int32_t rowSamples = width * step;
    const S* r0 = rows[0];
    const S* r1 = rows[1];
    const S* r2 = rows[2];
    const S* r3 = rows[3];
    if (!(sizeof(S) == 1 || (RowWithin(r0, rowSamples, maxSample) && RowWithin(r1, rowSamples, maxSample) &&
                             RowWithin(r2, rowSamples, maxSample) && RowWithin(r3, rowSamples, maxSample))))
        return 2;
    for (int32_t i = 0; i < rowSamples; ++i)
        s16[i] = static_cast<int16_t>(r0[i] + r1[i] + r2[i] + r3[i]);
    const int32_t next = SharpenRowLanes(r2, s16, out, 2 * step, (width - 2) * step, step, sharpness, maxSample);
    return next / step;  // a pixel the lanes left half done is redone whole from the source
}

}  // namespace

int32_t SharpenRowSse2(const uint8_t* const rows[4], int16_t* sums, uint8_t* out, int32_t width, int step,
                       int32_t sharpness, int32_t maxSample)
{
    return SharpenRow(rows, sums, out, width, step, sharpness, maxSample);
}

int32_t SharpenRowSse2(const uint16_t* const rows[4], int16_t* sums, uint16_t* out, int32_t width, int step,
                       int32_t sharpness, int32_t maxSample)
{
    return SharpenRow(rows, sums, out, width, step, sharpness, maxSample);
}

#endif
