// Monochrome gray modes: per-site gains and offsets, the automatic gray balance, and luminance
// from a demosaiced colour frame. The scalar loops here are the reference; the vector rows are
// in gray_modes_sse2.cpp.
#include <algorithm>
#include <cstdint>

#include "pipeline/gray_modes_sse2.h"
#include "pipeline/per_sample.h"
#include "pipeline/simd.h"
#include "imaging/pixel_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stage_tables.h"
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

// One row of 16-bit samples with the even- and odd-column gains: the vector loops, then the rest.
void GainRow16(uint16_t* row, int32_t width, const int32_t (&gain)[2], const int32_t (&offset)[2], int32_t limit)
{
    int32_t x = GrayGainRow16Sse2(row, width, gain, offset, limit);
    for (; x < width; ++x)
        row[x] = static_cast<uint16_t>(SiteGain(row[x], gain[x & 1], offset[x & 1], limit));
}
#endif

// The site tables of 8-bit samples for these GrayParams, rebuilt when one of them changes.
const GrayGainTables& SiteTables(GrayGainTables& t, const int32_t* params)
{
    if (t.built && std::equal(params, params + gray_params::kCount, t.key))
        return t;
    std::copy(params, params + gray_params::kCount, t.key);
    t.built = true;
    ++t.builds;
    t.pairs.clear();  // follows on first use; clear keeps the storage
    for (int site = 0; site < kSites; ++site)
        for (int s = 0; s < kByteValues; ++s)
            t.site[site][s] = static_cast<uint8_t>(
                SiteGain(s, params[kSiteGain[site]], params[kSiteOffset[site]], SampleLimit(8)));
    return t;
}

// The vector luminance loop for pixels of `step` bytes, or none.
using GrayRowLanes = int32_t (*)(const uint8_t* in, uint8_t* out, int32_t width);
GrayRowLanes GrayFromColorLanes(int step)
{
#if VELMOR_PIPELINE_SSE2
    if (PipelineSimd() && step == 3)
        return GrayFromColorRowSse2;
#else
    static_cast<void>(step);
#endif
    return nullptr;
}

}  // namespace

int GrayGainMono8(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    const int32_t* params = StageBlock(value1);
    const int phase = params[gray_params::kPhase] & 3;
    GrayGainTables local;
    GrayGainTables& tables = CallerTables(value2, local);
    const auto& table = SiteTables(tables, params).site;
    if (PipelineSimd()) {
        GrayGainRows8(area, phase, tables);
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

int GrayGainMono10(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
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

int MeasureGrayBalance(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
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

int GrayFromColor8(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    const int step = area.srcBytesPerPixel;
    const GrayRowLanes lanes = GrayFromColorLanes(step);
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = area.srcRow<uint8_t>(y);
        uint8_t* out = area.dstRow<uint8_t>(y);
        const int32_t done = lanes ? lanes(in, out, area.width) : 0;
        for (int32_t x = done; x < area.width; ++x) {
            const uint8_t* p = in + x * step;
            out[x] = static_cast<uint8_t>((kLumaRed * p[2] + kLumaGreen * p[1] + kLumaBlue * p[0]) / 100);
        }
    }
    return 1;
}
