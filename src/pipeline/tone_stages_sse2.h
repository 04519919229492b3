#pragma once
// The vector rows of the tone stages (tone_stages_sse2.cpp): loops of the SSE2 level, which hand
// over to the AVX-512 loops of tables_avx2.h where the level allows. Call them only when
// PipelineSimd() holds.
#include <cstdint>

#include "imaging/pixel_area.h"
#include "pipeline/stage_tables.h"

// Level kAvx512Vbmi: a table of 8-bit samples on gray (1 byte) or colour (3 of 3 or 4 bytes)
// pixels, a whole vector per byte permute.
void MapTableRowsVbmi(const PixelArea& area, const uint8_t* table);

// The pair table of the curve's 8-bit table (every pair of samples, two per lookup), built on
// first use after the curve's rebuild.
const uint16_t* PairTable(CurveTables& t);

// A table of 8-bit samples on gray or colour pixels through its pair table.
void MapPairRows8(const PixelArea& area, const uint16_t* pairs, const uint8_t* table);

// A table of every 16-bit sample value applied in place; its first `size` entries carry the curve.
void ApplyFullTable16(const PixelArea& area, const uint16_t* table, int32_t size);
