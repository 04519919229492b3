#pragma once
// The frame surface: a packed pixel block described by a device-independent-bitmap header and,
// in the Windows build, backed by a DIB section selected into a memory DC so that GDI can paint
// it. Memory row 0 holds the top image row although the header declares a positive (bottom-up)
// height; consumers that hand the surface to GDI or to bottom-up files turn it over.
// Portable header: GDI handles are held as void*.
#include <cstdint>

#include "imaging/pixel_types.h"

// The Win32 BITMAPINFOHEADER, field for field.
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");

// The Win32 RGBQUAD.
struct RgbQuad {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};
static_assert(sizeof(RgbQuad) == 4, "RGBQUAD is 4 bytes");

// Scaling converters of the preview: rectangles in the surfaces' own coordinates, unclipped.
using StretchConverter = int (*)(uint8_t* dst, const uint8_t* src, const PixelRect* dstRect, const PixelRect* srcRect,
                                 int32_t dstWidth, int32_t dstHeight, int32_t srcWidth, int32_t srcHeight,
                                 uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, int32_t dstStride,
                                 int32_t srcStride, void* value1, void* value2);

class FrameSurface {
public:
    static constexpr uint32_t kHeaderSize = sizeof(BitmapInfoHeader);
    static constexpr int kColorTableSize = 256;

    FrameSurface();
    ~FrameSurface();
    FrameSurface(const FrameSurface&) = delete;
    FrameSurface& operator=(const FrameSurface&) = delete;

    // 1 on success; 0 for bad geometry (surface untouched) or when no memory could be had
    // (surface empty). Falls back to a zeroed heap block when no DIB section is available.
    int Create(int32_t width, int32_t height, uint16_t bitCount);
    // Same header and geometry as source, zero pixels; an 8-bit clone gets the gray ramp.
    int CreateLike(const FrameSurface* source);
    void Release();
    int SetGrayPalette();

    // GDI copy (with any format change GDI does); 0 when either side has no DC.
    int Blit(const FrameSurface& source, const PixelRect* rect, int32_t x, int32_t y);
    // Runs converter on the clipped rectangle; rect is in top-down image coordinates.
    int Transfer(Converter converter, const FrameSurface& source, const PixelRect* rect, int32_t x, int32_t y,
                 void* value1, void* value2);
    // Scaling transfer of the preview: no clipping, rectangles default to the whole surfaces.
    int StretchTransfer(StretchConverter converter, const FrameSurface& source, const PixelRect* srcRect,
                        const PixelRect* dstRect, void* value1, void* value2);

    SurfaceView view() const { return SurfaceView{pixels, width, height, stride, bitCount}; }
    bool empty() const { return pixels == nullptr; }
    bool isDibBacked() const { return dibSection != nullptr; }
    int bytesPerPixel() const { return bitCount / 8; }
    int64_t byteCount() const { return static_cast<int64_t>(height) * stride; }

    // Header and colour table are contiguous: together they are the BITMAPINFO handed to GDI.
    BitmapInfoHeader header;
    RgbQuad colorTable[kColorTableSize];
    void* memoryDC = nullptr;       // HDC
    void* dibSection = nullptr;     // HBITMAP
    uint8_t* pixels = nullptr;      // inside the DIB section, or a heap block this surface owns
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    uint16_t bitCount = 0;
    void* previousObject = nullptr; // HGDIOBJ held by memoryDC before the DIB section

private:
    // Steps shared by Create and CreateLike once header and geometry are set.
    int Build(void* referenceDC);
    void ClearHeader();

    // GDI side (frame_surface_gdi.cpp in the Windows build; no-ops elsewhere).
    // Creates the DIB section and DC; returns -1 when no DIB section is available (take the heap
    // path), 0 when the DC part failed, 1 when done.
    int CreateGdiBacking(void* referenceDC);
    void ReleaseGdiBacking();
    void UploadColorTable();
    int GdiBlit(const FrameSurface& source, const PixelRect& rect, int32_t x, int32_t y);
};
