#pragma once
// The frame's sequence number in the `bars` source: 32 bits, most significant first; bit k is a
// block of 8 × 8 delivered samples in delivered rows 0..7 and columns 8k..8k+7, every sample at
// full scale for a 1 and 0 for a 0, whatever the gains. Header-only, so that a test or viewer can
// read the number from a frame without the emulator.
#include <cstddef>
#include <cstdint>

namespace emu {

constexpr int kFrameNumberBits = 32;
constexpr int kFrameNumberBlock = 8;  // block side in delivered samples
constexpr int kFrameNumberColumns = kFrameNumberBits * kFrameNumberBlock;

constexpr bool FrameNumberBit(uint32_t number, int k) { return (number >> (kFrameNumberBits - 1 - k)) & 1; }

// Reads the number from the top-left of a delivered frame: `rows` is its first row, `stride` the
// bytes from one row to the next, samples one byte (the top 8 bits) or little-endian words with
// 10 significant bits. The centre sample of each block decides: at least half scale is a 1.
// False when the frame is too small to hold all 32 blocks or the arguments make no sense.
inline bool DecodeFrameNumber(const uint8_t* rows, int stride, int bytesPerSample, int width, int height,
                              uint32_t* number)
{
    constexpr unsigned kTenBitMask = 0x3FF;
    if (!rows || !number || (bytesPerSample != 1 && bytesPerSample != 2) || width < kFrameNumberColumns ||
        height < kFrameNumberBlock)
        return false;
    const int centre = kFrameNumberBlock / 2;
    const uint8_t* row = rows + static_cast<ptrdiff_t>(centre) * stride;
    const unsigned half = bytesPerSample == 1 ? 0x80 : 0x200;
    uint32_t value = 0;
    for (int k = 0; k < kFrameNumberBits; ++k) {
        const uint8_t* p = row + static_cast<ptrdiff_t>(k * kFrameNumberBlock + centre) * bytesPerSample;
        const unsigned sample = bytesPerSample == 1 ? p[0] : (p[0] | unsigned{p[1]} << 8) & kTenBitMask;
        value = value << 1 | (sample >= half ? 1u : 0u);
    }
    *number = value;
    return true;
}

}  // namespace emu

// Code outside the emulator (the SDK's own tests) may call it without the namespace.
using emu::DecodeFrameNumber;
