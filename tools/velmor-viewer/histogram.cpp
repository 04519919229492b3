#include "histogram.h"

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

// A square grid step that reads about `target` pixels of the frame.
int GridStep(const FrameRef& frame, int target)
{
    const double area = double(frame.width) * frame.height;
    return std::max(1, int(std::ceil(std::sqrt(area / std::max(1, target)))));
}

}  // namespace

double Histogram::ClippedShare() const
{
    const double total = double(samples) * channels;
    return total > 0 ? clipped / total : 0.0;
}

std::uint32_t Histogram::Peak() const
{
    std::uint32_t peak = 0;
    for (int c = 0; c < channels; ++c)
        peak = std::max(peak, *std::max_element(bins[c].begin(), bins[c].end()));
    return peak;
}

Histogram ComputeHistogram(const FrameRef& frame, int targetPixels)
{
    Histogram result;
    if (!frame.Valid())
        return result;
    result.channels = FrameRef::Channels(frame.bitsPerPixel);
    const int max = FrameRef::SampleMax(frame.bitsPerPixel);
    // 10-bit samples fall into 256 bins by their top 8 bits.
    const int shift = FrameRef::WideSamples(frame.bitsPerPixel) ? 2 : 0;
    const int step = GridStep(frame, targetPixels);
    for (int y = step / 2; y < frame.height; y += step) {
        for (int x = step / 2; x < frame.width; x += step) {
            for (int c = 0; c < result.channels; ++c) {
                const int value = frame.Sample(x, y, c);
                ++result.bins[c][value >> shift];
                result.clipped += value >= max ? 1 : 0;
            }
            ++result.samples;
        }
    }
    return result;
}

}  // namespace viewer
