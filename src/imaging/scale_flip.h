#pragma once
// The preview's scaling converters: nearest neighbour with the rows turned over, so that a
// surface holding the top row first comes out bottom-up, as GDI shows a bitmap. They differ only
// in the bytes copied per pixel. Run through FrameSurface::StretchTransfer. Portable.
#include "imaging/frame_surface.h"

#define VELMOR_SCALE_CONVERTER(name)                                                                          \
    int name(uint8_t* dst, const uint8_t* src, const PixelRect* dstRect, const PixelRect* srcRect,             \
             int32_t dstWidth, int32_t dstHeight, int32_t srcWidth, int32_t srcHeight, uint16_t dstBytesPerPixel, \
             uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride, void* value1, void* value2)

VELMOR_SCALE_CONVERTER(ScaleFlip8);   // 8 -> 8
VELMOR_SCALE_CONVERTER(ScaleFlip24);  // 24 -> 24

#undef VELMOR_SCALE_CONVERTER
