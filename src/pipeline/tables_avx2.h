#pragma once
// Table loops built for AVX2 and beyond (tables_avx2.cpp). Internal to the pipeline: call each
// only when the pipeline's level allows it (simd.h).
#include <cstdint>

// Level kAvx512Vbmi: maps `count` bytes in place, bytes at even offsets through `even` and at odd
// ones through `odd` (the same table for the tone stages); with `keepFourth` every fourth byte
// (offsets 3, 7, ..) stays.
void MapBytesVbmi(uint8_t* p, int32_t count, const uint8_t* even, const uint8_t* odd, bool keepFourth);

// (30 red + 59 green + 11 blue) / 100 of 3-byte pixels: the sums fit 16 bits (at most 25500),
// and a multiply-high by ceil(2^21 / 100), then a shift by 5, divides every one of them by 100.
constexpr int kLumaRed = 30;
constexpr int kLumaGreen = 59;
constexpr int kLumaBlue = 11;
constexpr int kLumaReciprocal = 20972;
constexpr int kLumaReciprocalShift = 5;

// Level kAvx2: luminance of the first pixels of a row of 3-byte pixels, a multiple of 32 that
// leaves the last few; returns how many it did.
int32_t GrayFromColorAvx2(const uint8_t* in, uint8_t* out, int32_t width);

// Gray gains in 32-bit lanes: out = offset + gain x sample / 128 limited to 0..limit, exact for
// every 16-bit sample when the gains and offsets lie within these bounds (the product is then
// non-negative and the division a shift).
constexpr int64_t kMaxLaneGain = 32767;
constexpr int64_t kMaxLaneOffset = int64_t{1} << 30;
constexpr int kGrayGainShift = 7;  // gain 128 = unity

// Level kAvx2: gray gains over the first samples of a row, a multiple of 16, with gain[0] and
// offset[0] for even columns and gain[1] and offset[1] for odd ones; returns how many it did.
int32_t GainRow16Avx2(uint16_t* row, int32_t width, const int32_t* gain, const int32_t* offset, int32_t limit);

// Level kAvx512Vbmi: maps `count` 16-bit samples in place in each of `height` rows `stride`
// bytes apart, through `full`, a table of every sample value whose first `size` entries (a
// multiple of 128, at most kVbmiWordTable) carry the curve; vectors holding a sample at or above
// `size` take the table one sample at a time. With `keepFourth` every fourth sample stays.
constexpr int32_t kVbmiWordTable = 1024;
void MapWordRowsVbmi(uint8_t* rows, int32_t stride, int32_t height, int32_t count, const uint16_t* full, int32_t size,
                     bool keepFourth);
