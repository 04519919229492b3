// The vector rows of the tone stages: SSE2 has no gather, but tables of every sample pair or
// every 16-bit value map several samples per load.
#include "pipeline/tone_stages_sse2.h"

#include <cstring>

#include "pipeline/per_sample.h"
#include "pipeline/simd.h"
#include "pipeline/tables_avx2.h"

void MapTableRowsVbmi(const PixelArea& area, const uint8_t* table)
{
    const int step = area.dstBytesPerPixel;
    // The table fits in four registers: a byte permute looks up a whole vector.
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        MapBytesVbmi(area.dstRow<uint8_t>(y), area.width * step, table, table, step == 4);
    }
}

const uint16_t* PairTable(CurveTables& t)
{
    if (t.pairs.empty()) {
        t.pairs.resize(kBytePairs);
        BuildPairTable(t.pairs.data(), t.curve8, t.curve8);
    }
    return t.pairs.data();
}

void MapPairRows8(const PixelArea& area, const uint16_t* pairs, const uint8_t* table)
{
    const int step = area.dstBytesPerPixel;
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        uint8_t* row = area.dstRow<uint8_t>(y);
        if (step == 4) {
            for (int32_t x = 0; x < area.width; ++x)
                MapBytePairs(row + 4 * x, 3, pairs, table);  // the fourth sample stays
        } else {
            MapBytePairs(row, area.width * step, pairs, table);
        }
    }
}

// A table of every 16-bit sample value applied in place, whose first `size` entries carry the
// curve: no index limit, and four samples per 64-bit load and store (each 16-bit part of the word
// is one whole sample on either byte order), or a vector at a time when the curve fits registers.
void ApplyFullTable16(const PixelArea& area, const uint16_t* table, int32_t size)
{
    const int step = area.dstBytesPerPixel / static_cast<int>(sizeof(uint16_t));
    if (PipelineAvx512Vbmi() && size <= kVbmiWordTable) {
        area.bringSourceIn();
        MapWordRowsVbmi(area.dst, area.dstStride, area.height, area.width * step, table, size, step == 4);
        return;
    }
    if (step == 4) {
        ForEachColourSample<uint16_t>(area, [table](uint16_t s) { return table[s]; });
        return;
    }
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        uint16_t* row = area.dstRow<uint16_t>(y);
        const int32_t count = area.width * step;
        int32_t i = 0;
        for (; i + 4 <= count; i += 4) {
            uint64_t w;
            std::memcpy(&w, row + i, 8);
            w = MapFourWords(w, table);
            std::memcpy(row + i, &w, 8);
        }
        for (; i < count; ++i)
            row[i] = table[row[i]];
    }
}
