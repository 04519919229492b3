// Unsharp mask: each sample pushed away from the mean of the 4 x 4 block around it by
// sharpness / 10 times the difference. Reads the unsharpened copy (source), writes the output;
// the two-pixel frame of the output is not written.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "pipeline/stage_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

constexpr int kWindowShift = 4;  // 16 samples

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

    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const S* r0 = area.srcRow<S>(y - 2);
        const S* r1 = area.srcRow<S>(y - 1);
        const S* r2 = area.srcRow<S>(y);
        const S* r3 = area.srcRow<S>(y + 1);
        for (int32_t i = 0; i < rowSamples; ++i)
            sums[i] = int32_t{r0[i]} + r1[i] + r2[i] + r3[i];
        S* out = area.dstRow<S>(y);
        for (int32_t x = 2; x <= area.width - 3; ++x) {
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
