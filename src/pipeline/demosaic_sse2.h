#pragma once
// The SSE2 interior row loop of the demosaic (demosaic_sse2.cpp). Call it only when
// PipelineSimd() holds, with gains up to kMaxLaneGain and every sample of the four rows below 1024.
#include <cstdint>

// The largest fixed-point gain the 16-bit lanes of the SSE2 and AVX2 row loops take.
constexpr int32_t kMaxLaneGain = 4095;

// Writes interior pixels of output row y from column 2, 16 at a time, and returns the first
// column (even) left to the scalar loop; the arguments as for DemosaicRowAvx2 (demosaic_avx2.h).
int32_t DemosaicRowSse2(const uint8_t* const rows[4], uint8_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState);
int32_t DemosaicRowSse2(const uint16_t* const rows[4], uint16_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState);
