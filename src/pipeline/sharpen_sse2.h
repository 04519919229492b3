#pragma once
// The SSE2 rows of sharpening (sharpen_sse2.cpp). Call them only when PipelineSimd() holds, with
// a separate source, the same pixel size in and out, sharpness 0..kMaxLaneSharpness and samples
// of 10 bits or fewer.
#include <cstdint>

// The 16-bit lanes hold s x (o - m) for 10-bit samples up to this sharpness.
constexpr int32_t kMaxLaneSharpness = 30;
// Row sums the lanes may read past the row's last sample.
constexpr int32_t kSharpenLanePadding = 8;

// Output row y from source rows y - 2 .. y + 1, from pixel 2 while eight samples fit before the
// right-hand frame, unless a sample of the rows is above maxSample; returns the first pixel left
// to the scalar loop. `sums`: room for width x step + kSharpenLanePadding row sums.
int32_t SharpenRowSse2(const uint8_t* const rows[4], int16_t* sums, uint8_t* out, int32_t width, int step,
                       int32_t sharpness, int32_t maxSample);
int32_t SharpenRowSse2(const uint16_t* const rows[4], int16_t* sums, uint16_t* out, int32_t width, int step,
                       int32_t sharpness, int32_t maxSample);
