#pragma once
// Parameter blocks of the pipeline stages and the Bayer phase convention they share.
// Portable: no Windows header.
#include <cstdint>

// Caller value 1 of a stage points to a pointer to one of these int32 arrays.
namespace tone_params { enum : int { kValue, kBits, kCount }; }
namespace hue_sat_params { enum : int { kHue, kLightness, kSaturation, kBits, kCount }; }
namespace bayer_params { enum : int { kPhase, kGainRed, kGainGreen, kGainBlue, kCount }; }
namespace gray_params {
enum : int { kPhase, kGainR, kGainG1, kGainG2, kGainB, kOffsetR, kOffsetG1, kOffsetG2, kOffsetB, kBits, kCount };
}
// Result block of the white-balance measurement: three gains out, the phase in.
namespace balance_result { enum : int { kGainBlue, kGainGreen, kGainRed, kPhase, kCount }; }

// Reads the int32 array behind a stage's caller value (a pointer to a pointer to it).
inline int32_t* StageBlock(void* value) { return *static_cast<int32_t**>(value); }

// The phase the stages use: the Bayer mode with the vertical, then the horizontal mirror applied.
constexpr int EffectivePhase(int bayerMode, bool mirrorV, bool mirrorH)
{
    int phase = bayerMode & 3;
    if (mirrorV)
        phase ^= 1;  // 0 <-> 1, 2 <-> 3
    if (mirrorH)
        phase ^= 2;  // 0 <-> 2, 1 <-> 3
    return phase;
}

// Row and column state of a sample at (x, y) counted from the rectangle's origin.
constexpr int RowState(int phase, int y) { return (phase & 1) ^ (y & 1); }
constexpr int ColumnState(int phase, int x) { return ((phase >> 1) & 1) ^ (x & 1); }
// The colour site of (x, y) in the gray modes: row state << 1 | column state (G1, R, B, G2).
constexpr int SiteAt(int phase, int32_t x, int32_t y) { return RowState(phase, y) << 1 | ColumnState(phase, x); }

// Fixed-point colour gain of the demosaic (128 = unity). Negative stored gains act as 0 and
// absurd ones are capped so that no product can overflow.
inline int32_t FixedPointGain(int32_t gain)
{
    constexpr int32_t kMaxGain = 50000;
    const int32_t g = gain < 0 ? 0 : (gain > kMaxGain ? kMaxGain : gain);
    return static_cast<int32_t>(g * 1.28);
}

// Significant bits of 16-bit samples as the table-building stages use them.
constexpr int ClampBits(int bits) { return bits < 8 ? 8 : (bits > 16 ? 16 : bits); }
