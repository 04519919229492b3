// Gamma, contrast and brightness: per-sample curves, as tables built on every call (brightness
// of 16-bit samples as a single-precision factor).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pipeline/per_sample.h"
#include "pipeline/simd.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"
#include "pipeline/tables_avx2.h"

namespace {

constexpr int kEntries8 = 256;
constexpr size_t kSamples16 = 65536;  // every value of a 16-bit sample

// A table of every 16-bit sample value applied in place, whose first `size` entries carry the
// curve: no index limit, and four samples per 64-bit load and store (each 16-bit part of the word
// is one whole sample on either byte order), or a vector at a time when the curve fits registers.
void ApplyFullTable16(const StageArea& area, const uint16_t* table, int32_t size)
{
    const int step = area.dstBytesPerPixel / static_cast<int>(sizeof(uint16_t));
    if (PipelineAvx512Vbmi() && size <= kVbmiWordTable) {
        area.bringSourceIn();
        MapWordRowsVbmi(area.dst, area.dstStride, area.height, area.width * step, table, size, step == 4);
        return;
    }
    if (step == 4) {
        ForEachColourSample<uint16_t>(area, [table](uint16_t s) { return table[s]; });
        return;
    }
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        uint16_t* row = area.dstRow<uint16_t>(y);
        const int32_t count = area.width * step;
        int32_t i = 0;
        for (; i + 4 <= count; i += 4) {
            uint64_t w;
            std::memcpy(&w, row + i, 8);
            w = MapFourWords(w, table);
            std::memcpy(row + i, &w, 8);
        }
        for (; i < count; ++i)
            row[i] = table[row[i]];
    }
}

struct ToneCall {
    int32_t value;
    int bits;      // clamped to 8..16
    int32_t size;  // 2^bits entries
};

ToneCall ReadTone(void* value1)
{
    const int32_t* params = StageBlock(value1);
    const int bits = ClampBits(params[tone_params::kBits]);
    return ToneCall{params[tone_params::kValue], bits, int32_t{1} << bits};
}

// Table of 8-bit samples applied to gray (1 byte) or colour (3 of 3 or 4 bytes) pixels.
int ApplyTable8(const StageArea& area, const uint8_t* table)
{
    if (!PipelineSimd()) {
        ForEachColourSample<uint8_t>(area, [table](uint8_t s) { return table[s]; });
        return 1;
    }
    const int step = area.dstBytesPerPixel;
    if (PipelineAvx512Vbmi()) {
        // The table fits in four registers: a byte permute looks up a whole vector.
        for (int32_t y = 0; y < area.height; ++y) {
            area.copyRowIfApart(y);
            MapBytesVbmi(area.dstRow<uint8_t>(y), area.width * step, table, table, step == 4);
        }
        return 1;
    }
    // SSE2 has no byte gather, but a table of all sample pairs (built once per call) maps two
    // samples per load.
    std::vector<uint16_t> pairTable(kBytePairs);
    uint16_t* pairs = pairTable.data();
    BuildPairTable(pairs, table, table);
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        uint8_t* row = area.dstRow<uint8_t>(y);
        if (step == 4) {
            for (int32_t x = 0; x < area.width; ++x)
                MapBytePairs(row + 4 * x, 3, pairs, table);  // the fourth sample stays
        } else {
            MapBytePairs(row, area.width * step, pairs, table);
        }
    }
    return 1;
}

// Table of size + 1 entries for 16-bit samples; the extra entry answers every sample at or above
// size, so the index is the sample limited to size and never reads outside the table.
int ApplyTable16(const StageArea& area, const std::vector<uint16_t>& table)
{
    const uint32_t last = static_cast<uint32_t>(table.size() - 1);
    const uint16_t* t = table.data();
    if (!PipelineSimd()) {
        ForEachColourSample<uint16_t>(area, [t, last](uint16_t s) { return t[std::min<uint32_t>(s, last)]; });
        return 1;
    }
    // The fast path indexes by the sample alone: the last entry repeated up to 65535 costs a
    // 128 KiB fill per call, far less than a limit on every sample. (With 16 bits no sample
    // reaches the extra entry.)
    std::vector<uint16_t> full(kSamples16, t[last]);
    std::copy(t, t + std::min<size_t>(table.size(), kSamples16), full.begin());
    ApplyFullTable16(area, full.data(), static_cast<int32_t>(last));
    return 1;
}

// Truncates a curve value to a sample; values outside 0..limit (only from stored settings
// outside the setters' ranges, e.g. a negative gamma) are limited instead of converted blindly.
inline int32_t CurveSample(double v, int32_t limit)
{
    if (!(v > 0))
        return 0;
    return v >= limit ? limit : static_cast<int32_t>(v);
}

double GammaExponent(int32_t value)
{
    return value <= 100 ? value / 100.0 : (value - 100) / 10.0 + 1;
}

void BuildGamma8(uint8_t* table, double gamma)
{
    for (int i = 0; i < kEntries8; ++i)
        table[i] = static_cast<uint8_t>(CurveSample(std::pow(i / 255.0, gamma) * 255, 255));
}

std::vector<uint16_t> BuildGamma16(const ToneCall& call)
{
    const double gamma = GammaExponent(call.value);
    std::vector<uint16_t> table(static_cast<size_t>(call.size) + 1);
    for (int32_t i = 0; i < call.size; ++i)
        table[i] = static_cast<uint16_t>(
            CurveSample(std::pow(static_cast<double>(i) / call.size, gamma) * (call.size - 1), call.size - 1));
    table[call.size] = static_cast<uint16_t>(call.size - 1);
    return table;
}

void BuildContrast8(uint8_t* table, int32_t k)
{
    for (int i = 0; i < kEntries8; ++i) {
        if (k >= 128 || i < k)
            table[i] = 0;
        else if (i > 255 - k)
            table[i] = 255;
        else
            table[i] = static_cast<uint8_t>(256.0 / (256 - 2 * k) * (i - k));
    }
}

std::vector<uint16_t> BuildContrast16(const ToneCall& call)
{
    const int64_t n = call.size;
    const int64_t o = int64_t{call.value} * (int64_t{1} << (call.bits - 8));
    std::vector<uint16_t> table(static_cast<size_t>(n) + 1);
    for (int64_t i = 0; i < n; ++i) {
        if (o > n / 2 - 1 || i < o)
            table[i] = 0;
        else if (i > n - o - 1)
            table[i] = static_cast<uint16_t>(n - 1);
        else
            table[i] = static_cast<uint16_t>(static_cast<double>(n) / static_cast<double>(n - 2 * o) *
                                             static_cast<double>(i - o));
    }
    table[n] = static_cast<uint16_t>(n - 1);
    return table;
}

float BrightnessFactor(int32_t v)
{
    if (v < 0)
        return static_cast<float>(1 - std::abs(static_cast<double>(v)) * 0.00392156862745098);
    if (v > 0)
        return static_cast<float>(1 + v * 0.0392156862745098);
    return 1.0f;
}

// trunc(sample x factor) in single precision, limited to 0..limit.
inline int32_t Brighten(int32_t sample, float factor, int32_t limit)
{
    const float v = static_cast<float>(sample) * factor;
    if (!(v > 0.0f))
        return 0;
    return v >= static_cast<float>(limit) ? limit : static_cast<int32_t>(v);
}

int Gamma8(const StageArea& area, void* value1, bool limitExponent)
{
    double gamma = GammaExponent(ReadTone(value1).value);
    if (limitExponent)
        gamma = std::clamp(gamma, 0.001, 99.999);
    uint8_t table[kEntries8];
    BuildGamma8(table, gamma);
    return ApplyTable8(area, table);
}

int Contrast8(const StageArea& area, void* value1)
{
    uint8_t table[kEntries8];
    BuildContrast8(table, ReadTone(value1).value);
    return ApplyTable8(area, table);
}

int Brightness8(const StageArea& area, void* value1)
{
    const float factor = BrightnessFactor(ReadTone(value1).value);
    uint8_t table[kEntries8];
    for (int i = 0; i < kEntries8; ++i)
        table[i] = static_cast<uint8_t>(Brighten(i, factor, 255));
    return ApplyTable8(area, table);
}

int Brightness16(const StageArea& area, void* value1)
{
    const ToneCall call = ReadTone(value1);
    const float factor = BrightnessFactor(call.value);
    const int32_t limit = call.size - 1;
    if (PipelineSimd()) {
        // Every 16-bit value in the table: the products of all of them cost less than a test
        // on every sample.
        // The products never fall as the sample grows: from the first that reaches the
        // limit on, every entry is the limit.
        std::vector<uint16_t> full(kSamples16, static_cast<uint16_t>(limit));
        for (size_t i = 0; i < kSamples16; ++i) {
            full[i] = static_cast<uint16_t>(Brighten(static_cast<int32_t>(i), factor, limit));
            if (full[i] == limit)
                break;
        }
        ApplyFullTable16(area, full.data(), call.size);
        return 1;
    }
    // The significant range from a table of the same products; samples above it are rare.
    std::vector<uint16_t> table(static_cast<size_t>(call.size));
    for (int32_t i = 0; i < call.size; ++i)
        table[i] = static_cast<uint16_t>(Brighten(i, factor, limit));
    const uint16_t* t = table.data();
    const uint32_t size = static_cast<uint32_t>(call.size);
    ForEachColourSample<uint16_t>(area, [t, size, factor, limit](uint16_t s) {
        return s < size ? t[s] : static_cast<uint16_t>(Brighten(s, factor, limit));
    });
    return 1;
}

}  // namespace

int GammaMono8(VELMOR_STAGE_ARGS) { return Gamma8(VELMOR_STAGE_AREA, value1, false); }
int GammaColor8(VELMOR_STAGE_ARGS) { return Gamma8(VELMOR_STAGE_AREA, value1, true); }
int GammaMono10(VELMOR_STAGE_ARGS) { return ApplyTable16(VELMOR_STAGE_AREA, BuildGamma16(ReadTone(value1))); }
int GammaColor10(VELMOR_STAGE_ARGS) { return ApplyTable16(VELMOR_STAGE_AREA, BuildGamma16(ReadTone(value1))); }
int ContrastMono8(VELMOR_STAGE_ARGS) { return Contrast8(VELMOR_STAGE_AREA, value1); }
int ContrastColor8(VELMOR_STAGE_ARGS) { return Contrast8(VELMOR_STAGE_AREA, value1); }
int ContrastMono10(VELMOR_STAGE_ARGS) { return ApplyTable16(VELMOR_STAGE_AREA, BuildContrast16(ReadTone(value1))); }
int ContrastColor10(VELMOR_STAGE_ARGS) { return ApplyTable16(VELMOR_STAGE_AREA, BuildContrast16(ReadTone(value1))); }
int BrightnessMono8(VELMOR_STAGE_ARGS) { return Brightness8(VELMOR_STAGE_AREA, value1); }
int BrightnessColor8(VELMOR_STAGE_ARGS) { return Brightness8(VELMOR_STAGE_AREA, value1); }
int BrightnessMono10(VELMOR_STAGE_ARGS) { return Brightness16(VELMOR_STAGE_AREA, value1); }
int BrightnessColor10(VELMOR_STAGE_ARGS) { return Brightness16(VELMOR_STAGE_AREA, value1); }
