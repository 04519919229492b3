// Gamma, contrast and brightness: per-sample curves, as tables rebuilt when their setting
// changes (brightness of 16-bit samples as a single-precision factor). The scalar loops here are
// the reference; the vector rows are in tone_stages_sse2.cpp.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "pipeline/per_sample.h"
#include "pipeline/simd.h"
#include "pipeline/stage_params.h"
#include "pipeline/stage_tables.h"
#include "pipeline/stages.h"
#include "pipeline/tone_stages_sse2.h"

namespace {

constexpr int kEntries8 = 256;
constexpr size_t kSamples16 = 65536;  // every value of a 16-bit sample

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
int ApplyTable8(const PixelArea& area, CurveTables& t)
{
    const uint8_t* table = t.curve8;
    if (!PipelineSimd()) {
        ForEachColourSample<uint8_t>(area, [table](uint8_t s) { return table[s]; });
        return 1;
    }
    if (PipelineAvx512Vbmi())
        MapTableRowsVbmi(area, table);
    else
        MapPairRows8(area, PairTable(t), table);
    return 1;
}

// Table of size + 1 entries for 16-bit samples; the extra entry answers every sample at or above
// size, so the index is the sample limited to size and never reads outside the table.
int ApplyTable16(const PixelArea& area, CurveTables& tables)
{
    const std::vector<uint16_t>& table = tables.curve16;
    const uint32_t last = static_cast<uint32_t>(table.size() - 1);
    const uint16_t* t = table.data();
    if (!PipelineSimd()) {
        ForEachColourSample<uint16_t>(area, [t, last](uint16_t s) { return t[std::min<uint32_t>(s, last)]; });
        return 1;
    }
    // The fast path indexes by the sample alone: the last entry repeated up to 65535 costs a
    // 128 KiB fill per rebuild, far less than a limit on every sample. (With 16 bits no sample
    // reaches the extra entry.)
    std::vector<uint16_t>& full = tables.full;
    if (full.empty()) {
        full.assign(kSamples16, t[last]);
        std::copy(t, t + std::min<size_t>(table.size(), kSamples16), full.begin());
    }
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

void BuildGamma16(std::vector<uint16_t>& table, const ToneCall& call)
{
    const double gamma = GammaExponent(call.value);
    table.resize(static_cast<size_t>(call.size) + 1);
    for (int32_t i = 0; i < call.size; ++i)
        table[i] = static_cast<uint16_t>(
            CurveSample(std::pow(static_cast<double>(i) / call.size, gamma) * (call.size - 1), call.size - 1));
    table[call.size] = static_cast<uint16_t>(call.size - 1);
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

void BuildContrast16(std::vector<uint16_t>& table, const ToneCall& call)
{
    const int64_t n = call.size;
    const int64_t o = int64_t{call.value} * (int64_t{1} << (call.bits - 8));
    table.resize(static_cast<size_t>(n) + 1);
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

// The curves the tables can hold.
enum Curve : int { kGammaMono, kGammaColour, kGamma16, kContrast8, kContrast16, kBrightness8, kBrightness16 };

// The stage's tables for this call's setting: true when they had to be rebuilt for it (the
// caller fills them then), false when they already hold it.
bool Stale(CurveTables& t, Curve curve, const ToneCall& call)
{
    const CurveTables::Key key{curve, call.value, call.bits};
    if (t.key == key)
        return false;
    t.key = key;
    ++t.builds;
    t.pairs.clear();  // the vector forms follow on first use; clear keeps their storage
    t.full.clear();
    return true;
}

int Gamma8(const PixelArea& area, void* value1, void* value2, bool limitExponent)
{
    CurveTables local;
    CurveTables& t = CallerTables(value2, local);
    const ToneCall call = ReadTone(value1);
    if (Stale(t, limitExponent ? kGammaColour : kGammaMono, call)) {
        double gamma = GammaExponent(call.value);
        if (limitExponent)
            gamma = std::clamp(gamma, 0.001, 99.999);
        BuildGamma8(t.curve8, gamma);
    }
    return ApplyTable8(area, t);
}

int Curve16(const PixelArea& area, void* value1, void* value2, Curve curve,
            void (*build)(std::vector<uint16_t>&, const ToneCall&))
{
    CurveTables local;
    CurveTables& t = CallerTables(value2, local);
    const ToneCall call = ReadTone(value1);
    if (Stale(t, curve, call))
        build(t.curve16, call);
    return ApplyTable16(area, t);
}

int Gamma16(const PixelArea& area, void* value1, void* value2)
{
    return Curve16(area, value1, value2, kGamma16, BuildGamma16);
}

int Contrast16(const PixelArea& area, void* value1, void* value2)
{
    return Curve16(area, value1, value2, kContrast16, BuildContrast16);
}

int Contrast8(const PixelArea& area, void* value1, void* value2)
{
    CurveTables local;
    CurveTables& t = CallerTables(value2, local);
    const ToneCall call = ReadTone(value1);
    if (Stale(t, kContrast8, call))
        BuildContrast8(t.curve8, call.value);
    return ApplyTable8(area, t);
}

int Brightness8(const PixelArea& area, void* value1, void* value2)
{
    CurveTables local;
    CurveTables& t = CallerTables(value2, local);
    const ToneCall call = ReadTone(value1);
    if (Stale(t, kBrightness8, call)) {
        const float factor = BrightnessFactor(call.value);
        for (int i = 0; i < kEntries8; ++i)
            t.curve8[i] = static_cast<uint8_t>(Brighten(i, factor, 255));
    }
    return ApplyTable8(area, t);
}

int Brightness16(const PixelArea& area, void* value1, void* value2)
{
    CurveTables local;
    CurveTables& t = CallerTables(value2, local);
    const ToneCall call = ReadTone(value1);
    const float factor = BrightnessFactor(call.value);
    const int32_t limit = call.size - 1;
    if (Stale(t, kBrightness16, call)) {
        // The significant range from a table of the same products; samples above it are rare.
        t.curve16.resize(static_cast<size_t>(call.size));
        for (int32_t i = 0; i < call.size; ++i)
            t.curve16[i] = static_cast<uint16_t>(Brighten(i, factor, limit));
    }
    if (PipelineSimd()) {
        // Every 16-bit value in the table: the products of all of them cost less than a test
        // on every sample.
        // The products never fall as the sample grows: from the first that reaches the
        // limit on, every entry is the limit.
        std::vector<uint16_t>& full = t.full;
        if (full.empty()) {
            full.assign(kSamples16, static_cast<uint16_t>(limit));
            for (size_t i = 0; i < kSamples16; ++i) {
                full[i] = static_cast<uint16_t>(Brighten(static_cast<int32_t>(i), factor, limit));
                if (full[i] == limit)
                    break;
            }
        }
        ApplyFullTable16(area, full.data(), call.size);
        return 1;
    }
    const uint16_t* table = t.curve16.data();
    const uint32_t size = static_cast<uint32_t>(call.size);
    ForEachColourSample<uint16_t>(area, [table, size, factor, limit](uint16_t s) {
        return s < size ? table[s] : static_cast<uint16_t>(Brighten(s, factor, limit));
    });
    return 1;
}

}  // namespace

int GammaMono8(VELMOR_PIXEL_ARGS) { return Gamma8(VELMOR_PIXEL_AREA, value1, value2, false); }
int GammaColor8(VELMOR_PIXEL_ARGS) { return Gamma8(VELMOR_PIXEL_AREA, value1, value2, true); }
int GammaMono10(VELMOR_PIXEL_ARGS) { return Gamma16(VELMOR_PIXEL_AREA, value1, value2); }
int GammaColor10(VELMOR_PIXEL_ARGS) { return Gamma16(VELMOR_PIXEL_AREA, value1, value2); }
int ContrastMono8(VELMOR_PIXEL_ARGS) { return Contrast8(VELMOR_PIXEL_AREA, value1, value2); }
int ContrastColor8(VELMOR_PIXEL_ARGS) { return Contrast8(VELMOR_PIXEL_AREA, value1, value2); }
int ContrastMono10(VELMOR_PIXEL_ARGS) { return Contrast16(VELMOR_PIXEL_AREA, value1, value2); }
int ContrastColor10(VELMOR_PIXEL_ARGS) { return Contrast16(VELMOR_PIXEL_AREA, value1, value2); }
int BrightnessMono8(VELMOR_PIXEL_ARGS) { return Brightness8(VELMOR_PIXEL_AREA, value1, value2); }
int BrightnessColor8(VELMOR_PIXEL_ARGS) { return Brightness8(VELMOR_PIXEL_AREA, value1, value2); }
int BrightnessMono10(VELMOR_PIXEL_ARGS) { return Brightness16(VELMOR_PIXEL_AREA, value1, value2); }
int BrightnessColor10(VELMOR_PIXEL_ARGS) { return Brightness16(VELMOR_PIXEL_AREA, value1, value2); }
