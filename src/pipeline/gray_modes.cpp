// Monochrome gray modes: per-site gains and offsets, the automatic gray balance, and luminance
// from a demosaiced colour frame.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "pipeline/per_sample.h"
#include "pipeline/simd.h"
#include "pipeline/sse2_pixels.h"
#include "pipeline/stage_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"
#include "pipeline/tables_avx2.h"

namespace {

constexpr int kSites = 4;  // by (row state << 1 | column state): G1, R, B, G2

// Indices of the gain and offset of each site inside GrayParams.
constexpr int kSiteGain[kSites] = {gray_params::kGainG1, gray_params::kGainR, gray_params::kGainB,
                                   gray_params::kGainG2};
constexpr int kSiteOffset[kSites] = {gray_params::kOffsetG1, gray_params::kOffsetR, gray_params::kOffsetB,
                                     gray_params::kOffsetG2};

int32_t SampleLimit(int bits)
{
    switch (bits) {
    case 8: return 255;
    case 10: return 1023;
    case 12: return 4095;
    case 14: return 16383;
    default: return 65535;
    }
}

// out = offset + gain x sample / 128, truncating, limited to 0..limit. 64-bit: a measured gain
// may be far above the setter's range.
inline int32_t SiteGain(int64_t sample, int64_t gain, int64_t offset, int64_t limit)
{
    const int64_t v = offset + gain * sample / 128;
    return static_cast<int32_t>(v < 0 ? 0 : (v > limit ? limit : v));
}

int SiteAt(int phase, int32_t x, int32_t y) { return RowState(phase, y) << 1 | ColumnState(phase, x); }

// Rows of 8-bit samples, even columns through one table and odd ones through another: byte
// permutes over whole vectors, or two samples per lookup in a pair table per row parity.
void GainRows8(const StageArea& area, int phase, const uint8_t (*table)[kByteValues])
{
    if (PipelineAvx512Vbmi()) {
        for (int32_t y = 0; y < area.height; ++y) {
            area.copyRowIfApart(y);
            MapBytesVbmi(area.dstRow<uint8_t>(y), area.width, table[SiteAt(phase, 0, y)], table[SiteAt(phase, 1, y)],
                         false);
        }
        return;
    }
    constexpr int kRowParities = 2;
    std::vector<uint16_t> pairTables(static_cast<size_t>(kRowParities) * kBytePairs);
    for (int parity = 0; parity < kRowParities && parity < area.height; ++parity)
        BuildPairTable(pairTables.data() + parity * kBytePairs, table[SiteAt(phase, 0, parity)],
                       table[SiteAt(phase, 1, parity)]);
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        MapBytePairs(area.dstRow<uint8_t>(y), area.width, pairTables.data() + (y & 1) * kBytePairs,
                     table[SiteAt(phase, 0, y)]);
    }
}

#if VELMOR_PIPELINE_SSE2
// Whether the vector loops give the exact gains (the bounds are in tables_avx2.h).
bool GainsFitLanes(const int32_t* params)
{
    for (int site = 0; site < kSites; ++site) {
        const int64_t gain = params[kSiteGain[site]];
        const int64_t offset = params[kSiteOffset[site]];
        if (gain < 0 || gain > kMaxLaneGain || offset < -kMaxLaneOffset || offset > kMaxLaneOffset)
            return false;
    }
    return true;
}

// Four results from 32-bit products: shifted, offset, limited to 0..limit.
inline __m128i GainLanes(__m128i product, __m128i offsets, __m128i limit)
{
    __m128i v = _mm_add_epi32(_mm_srli_epi32(product, kGrayGainShift), offsets);
    v = _mm_andnot_si128(_mm_srai_epi32(v, 31), v);
    return Select(_mm_cmpgt_epi32(v, limit), limit, v);
}

// One row of 16-bit samples with the even- and odd-column gains interleaved in the lanes.
void GainRow16(uint16_t* row, int32_t width, const int32_t (&gain)[2], const int32_t (&offset)[2], int32_t limit)
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
    for (; x < width; ++x)
        row[x] = static_cast<uint16_t>(SiteGain(row[x], gain[x & 1], offset[x & 1], limit));
}
#endif

// Luminance of the first pixels of a row of 3-byte pixels (all but a few), sixteen per SSE2
// step; returns how many it did.
int32_t GrayFromColorRow(const uint8_t* in, uint8_t* out, int32_t width)
{
    int32_t x = PipelineAvx2() ? GrayFromColorAvx2(in, out, width) : 0;
#if VELMOR_PIPELINE_SSE2
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
#else
    (void)in;
    (void)out;
    (void)width;
#endif
    return x;
}

}  // namespace

int GrayGainMono8(VELMOR_STAGE_ARGS)
{
    const StageArea area = VELMOR_STAGE_AREA;
    const int32_t* params = StageBlock(value1);
    const int phase = params[gray_params::kPhase] & 3;
    constexpr int kEntries = 256;
    uint8_t table[kSites][kEntries];
    for (int site = 0; site < kSites; ++site)
        for (int s = 0; s < kEntries; ++s)
            table[site][s] = static_cast<uint8_t>(
                SiteGain(s, params[kSiteGain[site]], params[kSiteOffset[site]], SampleLimit(8)));
    if (PipelineSimd()) {
        GainRows8(area, phase, table);
        return 1;
    }
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        uint8_t* row = area.dstRow<uint8_t>(y);
        const uint8_t* even = table[SiteAt(phase, 0, y)];
        const uint8_t* odd = table[SiteAt(phase, 1, y)];
        int32_t x = 0;
        for (; x + 1 < area.width; x += 2) {
            row[x] = even[row[x]];
            row[x + 1] = odd[row[x + 1]];
        }
        if (x < area.width)
            row[x] = even[row[x]];
    }
    return 1;
}

int GrayGainMono10(VELMOR_STAGE_ARGS)
{
    const StageArea area = VELMOR_STAGE_AREA;
    const int32_t* params = StageBlock(value1);
    const int phase = params[gray_params::kPhase] & 3;
    const int32_t limit = SampleLimit(params[gray_params::kBits]);
#if VELMOR_PIPELINE_SSE2
    if (PipelineSimd() && GainsFitLanes(params)) {
        for (int32_t y = 0; y < area.height; ++y) {
            area.copyRowIfApart(y);
            const int even = SiteAt(phase, 0, y);
            const int odd = SiteAt(phase, 1, y);
            const int32_t gain[2] = {params[kSiteGain[even]], params[kSiteGain[odd]]};
            const int32_t offset[2] = {params[kSiteOffset[even]], params[kSiteOffset[odd]]};
            GainRow16(area.dstRow<uint16_t>(y), area.width, gain, offset, limit);
        }
        return 1;
    }
#endif
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        uint16_t* row = area.dstRow<uint16_t>(y);
        for (int parity = 0; parity < 2; ++parity) {
            const int site = SiteAt(phase, parity, y);
            const int64_t gain = params[kSiteGain[site]];
            const int64_t offset = params[kSiteOffset[site]];
            for (int32_t x = parity; x < area.width; x += 2)
                row[x] = static_cast<uint16_t>(SiteGain(row[x], gain, offset, limit));
        }
    }
    return 1;
}

int MeasureGrayBalance(VELMOR_STAGE_ARGS)
{
    const StageArea area = VELMOR_STAGE_AREA;
    int32_t* params = StageBlock(value1);
    const int phase = params[gray_params::kPhase] & 3;
    const int bits = params[gray_params::kBits];
    const int32_t saturation = SampleLimit(bits);
    uint64_t sum[kSites] = {};
    uint64_t count[kSites] = {};
    auto measureRows = [&](auto sampleType) {
        using S = decltype(sampleType);
        // Saturated samples say nothing about the site's gain; zeros add nothing. Branch-free
        // pairs into local sums, so that the compiler vectorises the loop.
        auto usable = [saturation](uint32_t s) { return s < static_cast<uint32_t>(saturation); };
        for (int32_t y = 0; y < area.height; ++y) {
            const S* row = area.srcRow<S>(y);
            uint64_t rowSum[2] = {};
            uint64_t rowCount[2] = {};
            int32_t x = 0;
            for (; x + 1 < area.width; x += 2) {
                const uint32_t even = row[x];
                const uint32_t odd = row[x + 1];
                rowSum[0] += usable(even) ? even : 0;
                rowSum[1] += usable(odd) ? odd : 0;
                rowCount[0] += usable(even) && even != 0;
                rowCount[1] += usable(odd) && odd != 0;
            }
            if (x < area.width) {
                const uint32_t even = row[x];
                rowSum[0] += usable(even) ? even : 0;
                rowCount[0] += usable(even) && even != 0;
            }
            for (int parity = 0; parity < 2; ++parity) {
                const int site = SiteAt(phase, parity, y);
                sum[site] += rowSum[parity];
                count[site] += rowCount[parity];
            }
        }
    };
    if (bits == 8)
        measureRows(uint8_t{});
    else
        measureRows(uint16_t{});

    double mean[kSites];
    for (int site = 0; site < kSites; ++site) {
        if (count[site] == 0)
            return 1;  // a site with no usable sample: keep the gains
        mean[site] = static_cast<double>(sum[site]) / static_cast<double>(count[site]);
    }
    const double brightest = *std::max_element(mean, mean + kSites);
    for (int site = 0; site < kSites; ++site)
        params[kSiteGain[site]] = static_cast<int32_t>(brightest / mean[site] * 128);
    return 1;
}

int GrayFromColor8(VELMOR_STAGE_ARGS)
{
    const StageArea area = VELMOR_STAGE_AREA;
    const int step = area.srcBytesPerPixel;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = area.srcRow<uint8_t>(y);
        uint8_t* out = area.dstRow<uint8_t>(y);
        const int32_t done = PipelineSimd() && step == 3 ? GrayFromColorRow(in, out, area.width) : 0;
        for (int32_t x = done; x < area.width; ++x) {
            const uint8_t* p = in + x * step;
            out[x] = static_cast<uint8_t>((kLumaRed * p[2] + kLumaGreen * p[1] + kLumaBlue * p[0]) / 100);
        }
    }
    return 1;
}
