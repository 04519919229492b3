#pragma once
// Internal helper of the per-sample stages: runs a sample function over every sample of the
// area in place, or over samples 0, 1, 2 of each pixel when pixels have a fourth sample.
#include <cstdint>

#include "pipeline/stage_area.h"

template <typename S, typename Fn>
void ForEachColourSample(const StageArea& area, Fn fn)
{
    const int step = area.dstBytesPerPixel / static_cast<int>(sizeof(S));
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        S* row = area.dstRow<S>(y);
        if (step == 4) {
            for (int32_t x = 0; x < area.width; ++x) {
                S* p = row + 4 * x;
                p[0] = fn(p[0]);
                p[1] = fn(p[1]);
                p[2] = fn(p[2]);
            }
        } else {
            // One sample (gray) or three: the row is one run of samples.
            const int32_t count = area.width * step;
            for (int32_t i = 0; i < count; ++i)
                row[i] = fn(row[i]);
        }
    }
}
