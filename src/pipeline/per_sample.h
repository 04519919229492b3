#pragma once
// Internal helpers of the per-sample stages: a sample function over every sample of the area in
// place (samples 0, 1, 2 of each pixel when pixels have a fourth sample), and byte tables applied
// two samples per lookup.
#include <cstdint>
#include <cstring>

#include "imaging/pixel_area.h"

template <typename S, typename Fn>
void ForEachColourSample(const PixelArea& area, Fn fn)
{
    const int step = area.dstBytesPerPixel / static_cast<int>(sizeof(S));
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        S* row = area.dstRow<S>(y);
        if (step == 4) {
            for (int32_t x = 0; x < area.width; ++x) {
                S* p = row + 4 * x;
                p[0] = fn(p[0]);
                p[1] = fn(p[1]);
                p[2] = fn(p[2]);
            }
        } else {
            // One sample (gray) or three: the row is one run of samples.
            const int32_t count = area.width * step;
            for (int32_t i = 0; i < count; ++i)
                row[i] = fn(row[i]);
        }
    }
}

constexpr int kByteValues = 256;
constexpr int kBytePairs = kByteValues * kByteValues;

// Fills a table of every byte pair: the pair read from memory as one 16-bit word indexes the
// word of its first byte mapped by `first` and its second by `second`, on either byte order.
inline void BuildPairTable(uint16_t* pairs, const uint8_t* first, const uint8_t* second)
{
    const uint16_t one = 1;
    uint8_t firstIsLow = 0;
    std::memcpy(&firstIsLow, &one, 1);
    const uint8_t* low = firstIsLow ? first : second;
    const uint8_t* high = firstIsLow ? second : first;
    for (int h = 0; h < kByteValues; ++h) {
        uint16_t* run = pairs + h * kByteValues;
        const int highByte = high[h] << 8;
        for (int l = 0; l < kByteValues; ++l)  // a plain loop: vectorised
            run[l] = static_cast<uint16_t>(low[l] | highByte);
    }
}

// The four 16-bit parts of a 64-bit word, each through a table of 65536 entries.
inline uint64_t MapFourWords(uint64_t w, const uint16_t* table)
{
    return uint64_t{table[w & 0xFFFF]} | uint64_t{table[(w >> 16) & 0xFFFF]} << 16 |
           uint64_t{table[(w >> 32) & 0xFFFF]} << 32 | uint64_t{table[w >> 48]} << 48;
}

// Maps `count` bytes in place: pairs (0, 1), (2, 3), .. through the pair table, four pairs per
// 64-bit load and store, and an odd last byte through `first`. The pairs sit at even offsets
// of each word, so the word's 16-bit parts are the pairs as memory holds them on either byte order.
inline void MapBytePairs(uint8_t* p, int32_t count, const uint16_t* pairs, const uint8_t* first)
{
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        w = MapFourWords(w, pairs);
        std::memcpy(p + i, &w, 8);
    }
    for (; i + 1 < count; i += 2) {
        uint16_t v;
        std::memcpy(&v, p + i, 2);
        v = pairs[v];
        std::memcpy(p + i, &v, 2);
    }
    if (i < count)
        p[i] = first[p[i]];
}
