#pragma once
// The arguments of the pixel call shape (pixel_types.h) turned into the origin, size and strides
// of the source and destination areas; used by the converters and the pipeline stages.
// Portable: no Windows header.
#include <cstdint>
#include <cstring>

#include "imaging/pixel_types.h"

struct PixelArea {
    uint8_t* dst;        // destination pixel (dstX, dstRow)
    const uint8_t* src;  // source pixel (rect left, rect top)
    int32_t width;
    int32_t height;
    int32_t dstStride;
    int32_t srcStride;
    int dstBytesPerPixel;
    int srcBytesPerPixel;

    PixelArea(uint8_t* dstPixels, const uint8_t* srcPixels, const PixelRect* rect, int32_t dstX, int32_t dstRow,
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
    // Source row y counted from the bottom of the rectangle when flipped.
    const uint8_t* srcRow(int32_t y, bool flipped) const { return srcRow<uint8_t>(flipped ? height - 1 - y : y); }

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

// The area of the call's arguments, inside a function of the pixel call shape.
#define VELMOR_PIXEL_AREA PixelArea(dst, src, rect, dstX, dstRow, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride)
