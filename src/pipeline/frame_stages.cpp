// Whole-frame helpers of the pipeline: the measuring windows of the automatic exposure and the
// spreading of packed device rows to the surface stride.
#include <cstdint>
#include <cstring>

#include "imaging/pixel_area.h"
#include "pipeline/stages.h"

namespace {

// Mean over the rectangle's size, starting at the destination point (source = destination).
template <typename S, typename Level>
int MeanLevel(const uint8_t* pixels, const PixelRect* rect, int32_t column, int32_t row, int32_t stride, Level level)
{
    const int32_t width = rect->right - rect->left;
    const int32_t height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0)
        return 0;
    uint64_t sum = 0;
    for (int32_t y = 0; y < height; ++y) {
        const S* samples = reinterpret_cast<const S*>(pixels + static_cast<intptr_t>(row + y) * stride) + column;
        for (int32_t x = 0; x < width; ++x)
            sum += level(samples[x]);
    }
    return static_cast<int>(sum / (static_cast<uint64_t>(width) * static_cast<uint64_t>(height)));
}

// Rows arrive packed from the start of the block; the last row moves first so that no packed
// pixel is overwritten before it has moved (every target lies at or beyond its source).
int RestrideRows(uint8_t* pixels, const PixelRect* rect, int32_t stride, int bytesPerPixel)
{
    const int32_t width = rect->right - rect->left;
    const int32_t height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0)
        return 1;
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    for (int32_t l = height - 1; l >= 0; --l)
        std::memmove(pixels + static_cast<size_t>(l) * stride, pixels + l * rowBytes, rowBytes);
    return 1;
}

}  // namespace

int MeanLevel8(VELMOR_PIXEL_ARGS)
{
    return MeanLevel<uint8_t>(dst, rect, dstX, dstRow, dstStride, [](uint8_t s) { return uint32_t{s}; });
}

int MeanLevel10(VELMOR_PIXEL_ARGS)
{
    // The top eight of ten bits: (high byte << 6 | low byte >> 2) kept to 8 bits.
    return MeanLevel<uint16_t>(dst, rect, dstX, dstRow, dstStride,
                               [](uint16_t s) { return static_cast<uint32_t>((s >> 2) & 0xFF); });
}

int RestrideRows8(VELMOR_PIXEL_ARGS) { return RestrideRows(dst, rect, dstStride, 1); }
int RestrideRows16(VELMOR_PIXEL_ARGS) { return RestrideRows(dst, rect, dstStride, 2); }
