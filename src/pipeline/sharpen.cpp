// Unsharp mask: each sample pushed away from the mean of the 4 x 4 block around it by
// sharpness / 10 times the difference. Reads the unsharpened copy (source), writes the output;
// the two-pixel frame of the output is not written. The scalar loop here is the reference; the
// vector rows are in sharpen_sse2.cpp.
#include <algorithm>
#include <cstdint>

#include "pipeline/sharpen_sse2.h"
#include "pipeline/simd.h"
#include "imaging/pixel_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stage_tables.h"
#include "pipeline/stages.h"

namespace {

constexpr int kWindowShift = 4;  // 16 samples

// Brings the tables to this call's sharpness, sample range and row length.
void Prepare(SharpenTables& t, int32_t sharpness, int32_t maxSample, int32_t rowSamples, bool lanes)
{
    if (t.sharpness != sharpness || t.maxSample != maxSample) {
        t.sharpness = sharpness;
        t.maxSample = maxSample;
        ++t.builds;
        // D[k] = trunc(s x (k - max) / 10) for k = 0 .. 2 max + 1.
        t.correction.resize(static_cast<size_t>(2 * maxSample + 2));
        for (int32_t k = 0; k <= 2 * maxSample + 1; ++k)
            t.correction[k] = static_cast<int32_t>(int64_t{sharpness} * (k - maxSample) / 10);
    }
    if (t.columnSums.size() != static_cast<size_t>(rowSamples))
        t.columnSums.resize(static_cast<size_t>(rowSamples));
    const size_t laneSums = lanes ? static_cast<size_t>(rowSamples + kSharpenLanePadding) : 0;
    if (lanes && t.laneSums.size() != laneSums)
        t.laneSums.assign(laneSums, 0);
}

template <typename S>
int Sharpen(const PixelArea& area, void* value1, void* value2, bool colour)
{
    const int32_t* params = StageBlock(value1);
    const int32_t sharpness = params[tone_params::kValue];
    const int32_t maxSample = sizeof(S) == 1 ? 255 : (int32_t{1} << ClampBits(params[tone_params::kBits])) - 1;
    if (area.width < 5 || area.height < 5)
        return 1;  // no interior

    const int step = area.srcBytesPerPixel / static_cast<int>(sizeof(S));
    const int outStep = area.dstBytesPerPixel / static_cast<int>(sizeof(S));
    const int channels = colour ? 3 : 1;
    const int32_t rowSamples = area.width * step;
#if VELMOR_PIPELINE_SSE2
    // The lanes handle what the pipeline runs: a separate source (the scratch copy), the same
    // pixel size in and out, 1, 3 or 4 samples (4 only in colour), 10 bits or fewer.
    const bool lanes = PipelineSimd() && static_cast<const void*>(area.dst) != area.src && step == outStep &&
                       (step == channels || (colour && step == 4)) && sharpness >= 0 &&
                       sharpness <= kMaxLaneSharpness && maxSample <= 1023;
#else
    const bool lanes = false;
#endif
    SharpenTables local;
    SharpenTables& tables = CallerTables(value2, local);
    Prepare(tables, sharpness, maxSample, rowSamples, lanes);
    const int32_t* d = tables.correction.data();
    const int32_t lastIndex = 2 * maxSample + 1;
    int32_t* sums = tables.columnSums.data();

    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const S* const rows[4] = {area.srcRow<S>(y - 2), area.srcRow<S>(y - 1), area.srcRow<S>(y),
                                  area.srcRow<S>(y + 1)};
        const S *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3];
        S* out = area.dstRow<S>(y);
        int32_t firstScalar = 2;  // first pixel left to the scalar loop
#if VELMOR_PIPELINE_SSE2
        if (lanes)
            firstScalar = SharpenRowSse2(rows, tables.laneSums.data(), out, area.width, step, sharpness, maxSample);
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

int SharpenMono8(VELMOR_PIXEL_ARGS) { return Sharpen<uint8_t>(VELMOR_PIXEL_AREA, value1, value2, false); }
int SharpenMono10(VELMOR_PIXEL_ARGS) { return Sharpen<uint16_t>(VELMOR_PIXEL_AREA, value1, value2, false); }
int SharpenColor8(VELMOR_PIXEL_ARGS) { return Sharpen<uint8_t>(VELMOR_PIXEL_AREA, value1, value2, true); }
int SharpenColor10(VELMOR_PIXEL_ARGS) { return Sharpen<uint16_t>(VELMOR_PIXEL_AREA, value1, value2, true); }
