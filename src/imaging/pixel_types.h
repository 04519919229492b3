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
// Each function uses the part of it that it needs.
#define VELMOR_PIXEL_ARGS                                                                                      \
    [[maybe_unused]] uint8_t *dst, [[maybe_unused]] const uint8_t *src, [[maybe_unused]] const PixelRect *rect, \
        [[maybe_unused]] int32_t dstX, [[maybe_unused]] int32_t dstRow, [[maybe_unused]] uint16_t dstBytesPerPixel, \
        [[maybe_unused]] uint16_t srcBytesPerPixel, [[maybe_unused]] int32_t dstStride,                          \
        [[maybe_unused]] int32_t srcStride, [[maybe_unused]] void *value1, [[maybe_unused]] void *value2

// Declares or defines a function of that shape.
#define VELMOR_PIXEL_FUNCTION(name) int name(VELMOR_PIXEL_ARGS)

using Converter = int (*)(VELMOR_PIXEL_ARGS);

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
