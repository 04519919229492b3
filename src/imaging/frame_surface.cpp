#include "imaging/frame_surface.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "imaging/surface_transfer.h"

namespace {
constexpr uint16_t kPlanes = 1;
constexpr uint32_t kCompressionRgb = 0;  // BI_RGB
}  // namespace

static_assert(offsetof(FrameSurface, colorTable) == offsetof(FrameSurface, header) + sizeof(BitmapInfoHeader),
              "the colour table must follow the header directly (BITMAPINFO)");

FrameSurface::FrameSurface()
{
    ClearHeader();
}

FrameSurface::~FrameSurface()
{
    Release();
}

void FrameSurface::ClearHeader()
{
    std::memset(&header, 0, sizeof(header));
    std::memset(colorTable, 0, sizeof(colorTable));
    header.biSize = kHeaderSize;
}

int FrameSurface::Create(int32_t newWidth, int32_t newHeight, uint16_t newBitCount)
{
    if (newWidth <= 0 || newHeight <= 0 || newBitCount == 0)
        return 0;
    Release();
    header.biWidth = newWidth;
    header.biHeight = newHeight;
    header.biPlanes = kPlanes;
    header.biBitCount = newBitCount;
    header.biCompression = kCompressionRgb;
    width = newWidth;
    height = newHeight;
    bitCount = newBitCount;
    stride = SurfaceStride(newWidth, newBitCount);
    return Build(nullptr);
}

int FrameSurface::CreateLike(const FrameSurface* source)
{
    if (!source || source->width <= 0 || source->height <= 0 || source->bitCount == 0)
        return 0;
    // Copy what is needed before Release, in case the source is this surface.
    const BitmapInfoHeader sourceHeader = source->header;
    const int32_t sourceWidth = source->width, sourceHeight = source->height, sourceStride = source->stride;
    const uint16_t sourceBitCount = source->bitCount;
    void* const referenceDC = source == this ? nullptr : source->memoryDC;
    Release();
    header = sourceHeader;
    width = sourceWidth;
    height = sourceHeight;
    stride = sourceStride;
    bitCount = sourceBitCount;
    return Build(referenceDC);
}

int FrameSurface::Build(void* referenceDC)
{
    if (bitCount == 8)
        SetGrayPalette();
    const int gdi = CreateGdiBacking(referenceDC);
    if (gdi == 1)
        return 1;
    if (gdi == 0) {
        Release();
        return 0;
    }
    const size_t bytes = static_cast<size_t>(height) * static_cast<size_t>(stride);
    pixels = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!pixels) {
        Release();
        return 0;
    }
    return 1;
}

void FrameSurface::Release()
{
    if (dibSection || memoryDC)
        ReleaseGdiBacking();
    else
        std::free(pixels);
    pixels = nullptr;
    memoryDC = dibSection = previousObject = nullptr;
    ClearHeader();
    width = height = stride = 0;
    bitCount = 0;
}

int FrameSurface::SetGrayPalette()
{
    for (int i = 0; i < kColorTableSize; ++i) {
        const auto level = static_cast<uint8_t>(i);
        colorTable[i] = RgbQuad{level, level, level, 0};
    }
    UploadColorTable();
    return 1;
}

int FrameSurface::Blit(const FrameSurface& source, const PixelRect* rect, int32_t x, int32_t y)
{
    const PixelRect whole{0, 0, source.width, source.height};
    return GdiBlit(source, rect ? *rect : whole, x, y);
}

int FrameSurface::Transfer(Converter converter, const FrameSurface& source, const PixelRect* rect, int32_t x,
                           int32_t y, void* value1, void* value2)
{
    return TransferPixels(view(), converter, source.view(), rect, x, y, value1, value2);
}

int FrameSurface::StretchTransfer(StretchConverter converter, const FrameSurface& source, const PixelRect* srcRect,
                                  const PixelRect* dstRect, void* value1, void* value2)
{
    if (!converter)
        return 0;
    const PixelRect wholeSource{0, 0, source.width, source.height};
    const PixelRect wholeDestination{0, 0, width, height};
    return converter(pixels, source.pixels, dstRect ? dstRect : &wholeDestination, srcRect ? srcRect : &wholeSource,
                     width, height, source.width, source.height, static_cast<uint16_t>(bytesPerPixel()),
                     static_cast<uint16_t>(source.bytesPerPixel()), stride, source.stride, value1, value2);
}
