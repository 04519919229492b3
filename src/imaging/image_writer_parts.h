#pragma once
// The per-format writers behind WriteImageFile; each returns 1 or 0 as WriteImageFile does.
#include "imaging/frame_surface.h"

int WriteBmp(const char* name, const FrameSurface& surface);
int WriteRaw(const char* name, const FrameSurface& surface);
int WriteJpeg(const char* name, const FrameSurface& surface, int quality);  // jpeg_writer.cpp: no windows.h
int WritePng(const char* name, const FrameSurface& surface);
int WriteTiff(const char* name, const FrameSurface& surface);
