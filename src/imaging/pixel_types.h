#pragma once
// Pixel-level types shared by the surfaces, the converters and the pipeline stages.
// Portable: no Windows header.
#include <cstdint>

// A rectangle in pixels; the same layout as the Win32 RECT.
struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The one call shape of every converter and pipeline stage: rows of rect are read from src and
// written to dst starting at (dstX, dstRow); dst and src may be the same block (in-place stages).
using Converter = int (*)(uint8_t* dst, const uint8_t* src, const PixelRect* rect, int32_t dstX, int32_t dstRow,
                          uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                          void* value1, void* value2);

// A borrowed view of a surface's pixel block: rows of `stride` bytes, memory row 0 first.
struct SurfaceView {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    uint16_t bitCount = 0;

    int bytesPerPixel() const { return bitCount / 8; }
    bool empty() const { return pixels == nullptr || width <= 0 || height <= 0 || bitCount == 0; }
};

// Bytes per memory row of a surface: rows are padded to a multiple of 4 bytes.
constexpr int32_t SurfaceStride(int32_t width, int bitCount) { return (width * (bitCount / 8) + 3) & ~3; }
