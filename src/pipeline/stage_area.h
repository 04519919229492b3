#pragma once
// Internal helper of the stages: the converter arguments turned into the origin, size and
// strides of the source and destination areas.
#include <cstdint>
#include <cstring>

#include "imaging/pixel_types.h"

struct StageArea {
    uint8_t* dst;        // destination pixel (dstX, dstRow)
    const uint8_t* src;  // source pixel (rect left, rect top)
    int32_t width;
    int32_t height;
    int32_t dstStride;
    int32_t srcStride;
    int dstBytesPerPixel;
    int srcBytesPerPixel;

    StageArea(uint8_t* dstPixels, const uint8_t* srcPixels, const PixelRect* rect, int32_t dstX, int32_t dstRow,
              uint16_t dstBpp, uint16_t srcBpp, int32_t dstStrideBytes, int32_t srcStrideBytes)
        : dst(dstPixels + static_cast<intptr_t>(dstRow) * dstStrideBytes + static_cast<intptr_t>(dstX) * dstBpp),
          src(srcPixels + static_cast<intptr_t>(rect->top) * srcStrideBytes + static_cast<intptr_t>(rect->left) * srcBpp),
          width(rect->right - rect->left), height(rect->bottom - rect->top), dstStride(dstStrideBytes),
          srcStride(srcStrideBytes), dstBytesPerPixel(dstBpp), srcBytesPerPixel(srcBpp)
    {
        if (width < 0)
            width = 0;
        if (height < 0)
            height = 0;
    }

    bool empty() const { return width == 0 || height == 0; }

    template <typename T>
    T* dstRow(int32_t y) const { return reinterpret_cast<T*>(dst + static_cast<intptr_t>(y) * dstStride); }
    template <typename T>
    const T* srcRow(int32_t y) const
    {
        return reinterpret_cast<const T*>(src + static_cast<intptr_t>(y) * srcStride);
    }

    // For stages that work in place: brings the source rows into the destination when they differ.
    void bringSourceIn() const
    {
        for (int32_t y = 0; y < height; ++y)
            copyRowIfApart(y);
    }

    // Brings source row y into destination row y when they differ.
    void copyRowIfApart(int32_t y) const
    {
        uint8_t* to = dstRow<uint8_t>(y);
        const uint8_t* from = srcRow<uint8_t>(y);
        const int32_t bytes = width * (dstBytesPerPixel < srcBytesPerPixel ? dstBytesPerPixel : srcBytesPerPixel);
        if (to != from)
            std::memmove(to, from, static_cast<size_t>(bytes));
    }
};

// Every stage takes the whole call shape; each uses the part it needs.
#define VELMOR_STAGE_ARGS                                                                                   \
    [[maybe_unused]] uint8_t *dst, [[maybe_unused]] const uint8_t *src, [[maybe_unused]] const PixelRect *rect, \
        [[maybe_unused]] int32_t dstX, [[maybe_unused]] int32_t dstRow, [[maybe_unused]] uint16_t dstBytesPerPixel, \
        [[maybe_unused]] uint16_t srcBytesPerPixel, [[maybe_unused]] int32_t dstStride,                          \
        [[maybe_unused]] int32_t srcStride, [[maybe_unused]] void *value1, [[maybe_unused]] void *value2
#define VELMOR_STAGE_AREA StageArea(dst, src, rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride)
