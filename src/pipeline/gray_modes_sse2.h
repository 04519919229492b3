#pragma once
// The vector rows of the gray modes (gray_modes_sse2.cpp): loops of the SSE2 level, which hand
// over to the AVX2 and AVX-512 loops of tables_avx2.h where the level allows. Call them only
// when PipelineSimd() holds.
#include <cstdint>

#include "imaging/pixel_area.h"
#include "pipeline/stage_tables.h"

// Rows of 8-bit samples through the site tables, the pair tables built on first use after a
// rebuild of the site tables.
void GrayGainRows8(const PixelArea& area, int phase, GrayGainTables& tables);

// Gray gains over the first samples of a row of 16-bit samples, gain[0] and offset[0] for even
// columns, gain[1] and offset[1] for odd ones, all within the lanes' bounds (tables_avx2.h);
// returns how many it did.
int32_t GrayGainRow16Sse2(uint16_t* row, int32_t width, const int32_t (&gain)[2], const int32_t (&offset)[2],
                          int32_t limit);

// Luminance of the first pixels of a row of 3-byte pixels (all but a few); returns how many it did.
int32_t GrayFromColorRowSse2(const uint8_t* in, uint8_t* out, int32_t width);
