#pragma once
// Still image files of a frame surface: BMP, raw surface memory, JPEG, PNG, TIFF.
// The format code alone chooses the form; the name's extension plays no part.
#include "imaging/frame_surface.h"

// Save format codes of the SDK's save call.
enum SaveFormat : int {
    kSaveBmp = 0,
    kSaveRaw = 1,
    kSaveJpeg100 = 2,
    kSaveJpeg70 = 3,
    kSaveJpeg20 = 4,
    kSavePng = 5,
    kSaveTiff = 6,
};

// 1 when the whole file was written; 0 for an unknown code (nothing is touched), a file that
// cannot be created, an encoder error or a short write (a partly written file may stay).
// Keeps all its working state per call; the caller keeps the surface still meanwhile.
int WriteImageFile(const char* name, const FrameSurface& surface, int formatCode);
