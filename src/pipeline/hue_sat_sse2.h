#pragma once
// The SSE2 rows of the hue and saturation stage (hue_sat_sse2.cpp), for lightness 0. Call them
// only when PipelineSimd() holds, under the lock of the shared tables that hueStep belongs to.
#include <cstdint>

struct HueSatLanesCall {
    const uint8_t* hueStep;  // 256 x 256 hue steps of the shared tables, by chroma x 256 + l
    int32_t hueOffset;       // on the 1530-step circle
    int32_t saturation;      // -255..255
    int shift;               // 16-bit samples: bits below the top eight (0 for 8-bit rows)
};

// Pixels of one row of 3 or 4 samples (`step`) from the first, in groups; returns the first
// pixel left to the scalar loop.
int32_t HueSatRowSse2(uint8_t* row, int32_t width, int step, const HueSatLanesCall& call);
int32_t HueSatRowSse2(uint16_t* row, int32_t width, int step, const HueSatLanesCall& call);
