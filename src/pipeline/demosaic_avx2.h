#pragma once
// The AVX2 interior row loop of the demosaic. Its file is built for AVX2: call it only when
// PipelineAvx2() holds, with gains up to kMaxLaneGain and every sample of the four rows below 1024.
#include <cstdint>

// Writes interior pixels of output row y from column 2, 32 (8-bit samples) or 16 at a time, and
// returns the first column (even) left to the scalar loop. rows are raw rows y - 2 .. y + 1;
// rowState and columnState belong to (2, y); step is 3 or 4 samples per output pixel (the
// fourth untouched).
int32_t DemosaicRowAvx2(const uint8_t* const rows[4], uint8_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState);
int32_t DemosaicRowAvx2(const uint16_t* const rows[4], uint16_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState);
