#pragma once
// The sequence number that the emulated camera's `bars` source writes into the top-left of every
// frame: 32 blocks of 8 x 8 pixels in rows 0..7, bit k (most significant first) in columns
// 8k..8k+7, full scale for a 1 and 0 for a 0. Read back from the processed frame, whose blocks
// stay white or black through the pipeline, by the centre pixel of each block.
#include "frame_ref.h"

#include <cstdint>
#include <optional>

namespace viewer {

// The number in the frame, or nothing when the frame is too small to hold it.
std::optional<std::uint32_t> DecodeFrameNumber(const FrameRef& frame);

// Counts frames that the camera sent but the viewer never saw, from the numbers of the frames it
// did see. A number lower than the last one (a camera plugged in again counts from 0) starts over,
// and so does an implausibly large jump (a misread number).
class MissedFrameCounter {
public:
    void Add(std::optional<std::uint32_t> number);
    // Nothing until a number has been read: frames without numbers say nothing about misses.
    std::optional<std::uint64_t> Missed() const;

private:
    std::optional<std::uint32_t> last_;
    std::uint64_t missed_ = 0;
    bool decoded_ = false;
};

}  // namespace viewer
