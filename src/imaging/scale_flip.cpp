#include "imaging/scale_flip.h"

#include <cstring>

namespace {

// Truncation of a single-precision position, negative ones at 0, kept inside the source.
int32_t SourceIndex(int32_t i, float step, int32_t limit)
{
    const float position = static_cast<float>(i) * step;
    int32_t index = position > 0.0f ? static_cast<int32_t>(position) : 0;
    return index < limit - 1 ? index : limit - 1;
}

constexpr int32_t kColumnChunk = 2048;  // destination columns whose source columns are tabled at once

// The source columns are tabled once per chunk of destination columns, then every row is copied.
template <int Bytes>
int ScaleFlip(uint8_t* dst, const uint8_t* src, const PixelRect* dstRect, const PixelRect* srcRect,
              int32_t srcWidth, int32_t srcHeight, uint16_t dstBytesPerPixel, int32_t dstStride, int32_t srcStride)
{
    const int32_t width = dstRect->right - dstRect->left;
    const int32_t height = dstRect->bottom - dstRect->top;
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return 1;
    const float sx = static_cast<float>(srcRect->right - srcRect->left) / static_cast<float>(width);
    const float sy = static_cast<float>(srcRect->bottom - srcRect->top) / static_cast<float>(height);
    int32_t columns[kColumnChunk];
    for (int32_t first = 0; first < width; first += kColumnChunk) {
        const int32_t count = width - first < kColumnChunk ? width - first : kColumnChunk;
        for (int32_t j = 0; j < count; ++j)
            columns[j] = SourceIndex(first + j, sx, srcWidth) * Bytes;
        for (int32_t i = 0; i < height; ++i) {
            const int32_t row = srcRect->bottom - 1 - SourceIndex(i, sy, srcHeight);
            const uint8_t* in = src + static_cast<intptr_t>(row) * srcStride;
            uint8_t* out = dst + static_cast<intptr_t>(dstRect->top + i) * dstStride +
                           static_cast<intptr_t>(dstRect->left + first) * dstBytesPerPixel;
            for (int32_t j = 0; j < count; ++j, out += dstBytesPerPixel)
                std::memcpy(out, in + columns[j], Bytes);
        }
    }
    return 1;
}

}  // namespace

int ScaleFlip8(uint8_t* dst, const uint8_t* src, const PixelRect* dstRect, const PixelRect* srcRect, int32_t,
               int32_t, int32_t srcWidth, int32_t srcHeight, uint16_t dstBytesPerPixel, uint16_t, int32_t dstStride,
               int32_t srcStride, void*, void*)
{
    return ScaleFlip<1>(dst, src, dstRect, srcRect, srcWidth, srcHeight, dstBytesPerPixel, dstStride, srcStride);
}

int ScaleFlip24(uint8_t* dst, const uint8_t* src, const PixelRect* dstRect, const PixelRect* srcRect, int32_t,
                int32_t, int32_t srcWidth, int32_t srcHeight, uint16_t dstBytesPerPixel, uint16_t, int32_t dstStride,
                int32_t srcStride, void*, void*)
{
    return ScaleFlip<3>(dst, src, dstRect, srcRect, srcWidth, srcHeight, dstBytesPerPixel, dstStride, srcStride);
}
