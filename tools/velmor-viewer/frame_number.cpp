#include "frame_number.h"

namespace viewer {

namespace {

constexpr int kBits = 32;
constexpr int kBlock = 8;  // block side in pixels
constexpr int kCentre = kBlock / 2;
// A jump further ahead than this is not a run of misses but a number misread from a frame that
// the camera overwrote while it was read (the viewer reads its buffer without a lock): start over.
constexpr std::uint32_t kMaxPlausibleGap = 100000;

}  // namespace

std::optional<std::uint32_t> DecodeFrameNumber(const FrameRef& frame)
{
    if (!frame.Valid() || frame.width < kBits * kBlock || frame.height < kBlock)
        return std::nullopt;
    // At least half scale is a 1; channel 0 is enough, the blocks are gray.
    const int half = (FrameRef::SampleMax(frame.bitsPerPixel) + 1) / 2;
    std::uint32_t value = 0;
    for (int k = 0; k < kBits; ++k) {
        const bool one = frame.Sample(k * kBlock + kCentre, kCentre, 0) >= half;
        value = value << 1 | (one ? 1u : 0u);
    }
    return value;
}

void MissedFrameCounter::Add(std::optional<std::uint32_t> number)
{
    if (!number)
        return;
    decoded_ = true;
    if (last_ && *number > *last_ && *number - *last_ <= kMaxPlausibleGap)
        missed_ += *number - *last_ - 1;
    last_ = number;
}

std::optional<std::uint64_t> MissedFrameCounter::Missed() const
{
    if (!decoded_)
        return std::nullopt;
    return missed_;
}

}  // namespace viewer
