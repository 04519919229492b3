// The GDI side of FrameSurface where there is no GDI (the host build): every surface is
// heap-backed and blits do nothing.
#include "imaging/frame_surface.h"

int FrameSurface::CreateGdiBacking(void*)
{
    return -1;
}

void FrameSurface::ReleaseGdiBacking() {}

void FrameSurface::UploadColorTable() {}

int FrameSurface::GdiBlit(const FrameSurface&, const PixelRect&, int32_t, int32_t)
{
    return 0;
}
