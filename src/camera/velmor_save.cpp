// Still images of the current frame. The output surface is copied under frameLock and encoded
// outside it, so that a slow encoder never holds up live preview; the file holds the frame that
// was current at the call.
#include "camera/velmor.h"

#include "imaging/image_writer.h"

#include <cstring>

// The writer's codes are the public header's.
static_assert(kSaveBmp == VELMOR_SAVE_BMP && kSaveRaw == VELMOR_SAVE_RAW && kSaveJpeg100 == VELMOR_SAVE_JPEG_100 &&
              kSaveJpeg70 == VELMOR_SAVE_JPEG_70 && kSaveJpeg20 == VELMOR_SAVE_JPEG_20 && kSavePng == VELMOR_SAVE_PNG &&
              kSaveTiff == VELMOR_SAVE_TIFF);

namespace {
bool CopySurface(const FrameSurface& source, FrameSurface& copy)
{
    if (!copy.CreateLike(&source))
        return false;
    std::memcpy(copy.colorTable, source.colorTable, sizeof(copy.colorTable));
    std::memcpy(copy.pixels, source.pixels, static_cast<size_t>(source.byteCount()));
    return true;
}
}  // namespace

int CVelmor::SaveImage(const char* path, int fileType)
{
    if (!HasDevice())
        return 0;
    if (!path) {
        Raise(kErrorArgument);
        return 0;
    }
    return SaveFrame(path, fileType, true);
}

int CVelmor::SaveImageW(const wchar_t* path, int fileType)
{
    if (!HasDevice())
        return 0;
    char narrow[kPathBufferBytes];
    if (!NarrowPath(path, narrow)) {
        Raise(kErrorState);
        return 0;
    }
    return SaveFrame(narrow, fileType, false);
}

int CVelmor::SaveFrame(const char* path, int fileType, bool needsImage)
{
    FrameSurface copy;
    {
        Guard frame(frameLock);
        const FrameSurface* output = OutputSurfaceOf(stream.outputFormat);
        if ((needsImage && !hasImage) || !output) {
            Raise(kErrorState);
            return 0;
        }
        // A surface never prepared has nothing to copy; the writer refuses it as it is.
        if (output->empty())
            return WriteImageFile(path, *output, fileType);
        if (!CopySurface(*output, copy))
            return 0;
    }
    return WriteImageFile(path, copy, fileType);
}
