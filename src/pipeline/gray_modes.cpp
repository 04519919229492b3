// Monochrome gray modes: per-site gains and offsets, the automatic gray balance, and luminance
// from a demosaiced colour frame.
#include <algorithm>
#include <cstdint>

#include "pipeline/stage_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

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
        for (int32_t y = 0; y < area.height; ++y) {
            const S* row = area.srcRow<S>(y);
            for (int parity = 0; parity < 2; ++parity) {
                const int site = SiteAt(phase, parity, y);
                for (int32_t x = parity; x < area.width; x += 2) {
                    const int32_t s = row[x];
                    // Saturated samples say nothing about the site's gain; zeros add nothing.
                    if (s < saturation) {
                        sum[site] += static_cast<uint64_t>(s);
                        count[site] += s != 0;
                    }
                }
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
        for (int32_t x = 0; x < area.width; ++x) {
            const uint8_t* p = in + x * step;
            out[x] = static_cast<uint8_t>((30 * p[2] + 59 * p[1] + 11 * p[0]) / 100);
        }
    }
    return 1;
}
