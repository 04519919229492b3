#include "imaging/surface_transfer.h"

#include <algorithm>

int TransferPixels(const SurfaceView& dst, Converter converter, const SurfaceView& src, const PixelRect* rect,
                   int32_t x, int32_t y, void* value1, void* value2)
{
    PixelRect from = rect ? *rect : PixelRect{0, 0, src.width, src.height};
    PixelRect to{x, y, x + from.right - from.left, y + from.bottom - from.top};
    if (to.right <= 0 || to.bottom <= 0 || to.left >= dst.width || to.top >= dst.height)
        return 0;

    // Clip to the destination and carry the clipping back to the source.
    const PixelRect clipped{std::max(to.left, 0), std::max(to.top, 0), std::min(to.right, dst.width),
                            std::min(to.bottom, dst.height)};
    from.left += clipped.left - to.left;
    from.top += clipped.top - to.top;
    from.right = from.left + (clipped.right - clipped.left);
    from.bottom = from.top + (clipped.bottom - clipped.top);
    if (from.right <= 0 || from.bottom <= 0 || from.left >= src.width || from.top >= src.height)
        return 0;
    // Clip to the source and carry that back to the destination, so that a rectangle running off
    // the source still lands where it was aimed.
    const PixelRect inSource{std::max(from.left, 0), std::max(from.top, 0), std::min(from.right, src.width),
                             std::min(from.bottom, src.height)};
    const PixelRect target{clipped.left + (inSource.left - from.left), clipped.top + (inSource.top - from.top),
                           clipped.left + (inSource.right - from.left), clipped.top + (inSource.bottom - from.top)};

    if (!converter)
        return 0;
    // Memory rows of a bottom-up bitmap.
    const PixelRect rows{inSource.left, src.height - inSource.bottom, inSource.right, src.height - inSource.top};
    const int32_t dstRow = dst.height - target.bottom;
    return converter(dst.pixels, src.pixels, &rows, target.left, dstRow, static_cast<uint16_t>(dst.bytesPerPixel()),
                     static_cast<uint16_t>(src.bytesPerPixel()), dst.stride, src.stride, value1, value2);
}
