// The vector rows of the gray modes: site gains of 8-bit samples through pair tables, of 16-bit
// samples in 32-bit lanes, and luminance sixteen pixels per step.
#include "pipeline/gray_modes_sse2.h"

#include <vector>

#include "pipeline/per_sample.h"
#include "pipeline/simd.h"
#include "pipeline/sse2_pixels.h"
#include "pipeline/stage_params.h"
#include "pipeline/tables_avx2.h"

// Rows of 8-bit samples, even columns through one table and odd ones through another: byte
// permutes over whole vectors, or two samples per lookup in a pair table per row parity.
void GrayGainRows8(const PixelArea& area, int phase, GrayGainTables& tables)
{
    const uint8_t(*table)[kByteValues] = tables.site;
    if (PipelineAvx512Vbmi()) {
        for (int32_t y = 0; y < area.height; ++y) {
            area.copyRowIfApart(y);
            MapBytesVbmi(area.dstRow<uint8_t>(y), area.width, table[SiteAt(phase, 0, y)], table[SiteAt(phase, 1, y)],
                         false);
        }
        return;
    }
    constexpr int kRowParities = 2;
    std::vector<uint16_t>& pairTables = tables.pairs;
    if (pairTables.empty()) {
        pairTables.resize(static_cast<size_t>(kRowParities) * kBytePairs);
        for (int parity = 0; parity < kRowParities; ++parity)
            BuildPairTable(pairTables.data() + parity * kBytePairs, table[SiteAt(phase, 0, parity)],
                           table[SiteAt(phase, 1, parity)]);
    }
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        MapBytePairs(area.dstRow<uint8_t>(y), area.width, pairTables.data() + (y & 1) * kBytePairs,
                     table[SiteAt(phase, 0, y)]);
    }
}

#if VELMOR_PIPELINE_SSE2

namespace {

// Four results from 32-bit products: shifted, offset, limited to 0..limit.
inline __m128i GainLanes(__m128i product, __m128i offsets, __m128i limit)
{
    __m128i v = _mm_add_epi32(_mm_srli_epi32(product, kGrayGainShift), offsets);
    v = _mm_andnot_si128(_mm_srai_epi32(v, 31), v);
    return Select(_mm_cmpgt_epi32(v, limit), limit, v);
}

}  // namespace

int32_t GrayGainRow16Sse2(uint16_t* row, int32_t width, const int32_t (&gain)[2], const int32_t (&offset)[2],
                          int32_t limit)
{
    int32_t x = PipelineAvx2() ? GainRow16Avx2(row, width, gain, offset, limit) : 0;
    const __m128i gains = _mm_set1_epi32(gain[0] | gain[1] << 16);
    const __m128i offsets = _mm_set_epi32(offset[1], offset[0], offset[1], offset[0]);
    const __m128i limits = _mm_set1_epi32(limit);
    // packs_epi32 saturates to signed 16 bits: results move down by 32768 and back.
    const __m128i bias32 = _mm_set1_epi32(32768);
    const __m128i bias16 = _mm_set1_epi16(-32768);
    for (; x + 8 <= width; x += 8) {
        const __m128i s = LoadWords(row + x);
        const __m128i low = _mm_mullo_epi16(s, gains);
        const __m128i high = _mm_mulhi_epu16(s, gains);
        const __m128i first = GainLanes(_mm_unpacklo_epi16(low, high), offsets, limits);
        const __m128i second = GainLanes(_mm_unpackhi_epi16(low, high), offsets, limits);
        const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(first, bias32), _mm_sub_epi32(second, bias32));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_xor_si128(packed, bias16));
    }
    return x;
}

// Luminance of the first pixels of a row of 3-byte pixels (all but a few), sixteen per SSE2
// step; returns how many it did.
int32_t GrayFromColorRowSse2(const uint8_t* in, uint8_t* out, int32_t width)
{
    int32_t x = PipelineAvx2() ? GrayFromColorAvx2(in, out, width) : 0;
    constexpr int kPixels = 16;
    const __m128i red = _mm_set1_epi16(kLumaRed);
    const __m128i green = _mm_set1_epi16(kLumaGreen);
    const __m128i blue = _mm_set1_epi16(kLumaBlue);
    const __m128i reciprocal = _mm_set1_epi16(kLumaReciprocal);
    auto luminance = [&](const __m128i (&c)[3]) {
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(c[2], red), _mm_mullo_epi16(c[1], green)),
                                          _mm_mullo_epi16(c[0], blue));
        return _mm_srli_epi16(_mm_mulhi_epu16(sum, reciprocal), kLumaReciprocalShift);
    };
    for (; x + kPixels <= width; x += kPixels) {
        __m128i even[3], odd[3];
        LoadSixteen8(in + 3 * x, even, odd);
        const __m128i gray = _mm_or_si128(luminance(even), _mm_slli_epi16(luminance(odd), 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), gray);
    }
    return x;
}

#endif
