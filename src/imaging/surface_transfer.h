#pragma once
// Runs a converter between two surfaces with clipping, turning the top-down image rectangle
// into rows of a bottom-up bitmap first. Portable: shared by FrameSurface and the pipeline.
#include "imaging/pixel_types.h"

// rect: source rectangle in image coordinates, null for the whole source; (x, y): destination
// point. Returns the converter's result, or 0 when nothing lies inside both surfaces or no
// converter is given.
int TransferPixels(const SurfaceView& dst, Converter converter, const SurfaceView& src, const PixelRect* rect,
                   int32_t x, int32_t y, void* value1, void* value2);
