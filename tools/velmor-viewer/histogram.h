#pragma once
// The histogram of a frame per channel, from a subsample of its pixels, and the share of samples
// at full scale that makes the viewer warn of clipping. Portable, no Windows header.
#include "frame_ref.h"

#include <array>
#include <cstdint>

namespace viewer {

struct Histogram {
    static constexpr int kBins = 256;
    static constexpr int kMaxChannels = 3;

    int channels = 0;                                             // 1 gray, 3 blue-green-red
    std::array<std::array<std::uint32_t, kBins>, kMaxChannels> bins{};  // per channel
    std::uint32_t samples = 0;                                    // per channel
    std::uint32_t clipped = 0;                                    // samples at full scale, all channels

    double ClippedShare() const;
    std::uint32_t Peak() const;  // the largest bin, for scaling the drawing
};

// About this many pixels are read, spread evenly over the frame: enough for the shape, cheap
// enough for every frame message on the window's thread.
inline constexpr int kHistogramPixels = 64 * 1024;
// More than this share of samples at full scale is shown as clipping.
inline constexpr double kClippingShare = 0.01;

Histogram ComputeHistogram(const FrameRef& frame, int targetPixels = kHistogramPixels);

}  // namespace viewer
