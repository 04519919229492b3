// The GDI side of FrameSurface: DIB section, memory DC, colour table and blits.
#include <windows.h>

#include "imaging/frame_surface.h"

static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(sizeof(RgbQuad) == sizeof(RGBQUAD));

int FrameSurface::CreateGdiBacking(void* referenceDC)
{
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(static_cast<HDC>(referenceDC), reinterpret_cast<const BITMAPINFO*>(&header),
                                   DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib)
            DeleteObject(dib);
        return -1;
    }
    dibSection = dib;
    pixels = static_cast<uint8_t*>(bits);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return 0;
    memoryDC = dc;
    HGDIOBJ previous = SelectObject(dc, dib);
    if (!previous || previous == HGDI_ERROR)
        return 0;
    previousObject = previous;
    if (bitCount == 8)
        UploadColorTable();
    return 1;
}

void FrameSurface::ReleaseGdiBacking()
{
    HDC dc = static_cast<HDC>(memoryDC);
    if (dc && previousObject)
        SelectObject(dc, static_cast<HGDIOBJ>(previousObject));
    if (dibSection)
        DeleteObject(static_cast<HGDIOBJ>(dibSection));
    if (dc)
        DeleteDC(dc);
}

void FrameSurface::UploadColorTable()
{
    if (memoryDC)
        SetDIBColorTable(static_cast<HDC>(memoryDC), 0, kColorTableSize, reinterpret_cast<const RGBQUAD*>(colorTable));
}

int FrameSurface::GdiBlit(const FrameSurface& source, const PixelRect& rect, int32_t x, int32_t y)
{
    if (!memoryDC || !source.memoryDC)
        return 0;
    return BitBlt(static_cast<HDC>(memoryDC), x, y, rect.right - rect.left, rect.bottom - rect.top,
                  static_cast<HDC>(source.memoryDC), rect.left, rect.top, SRCCOPY);
}
