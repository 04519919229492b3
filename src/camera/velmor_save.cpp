// Still images of the current frame. The output surface is copied under frameLock and encoded
// outside it, so that a slow encoder never holds up live preview; the file holds the frame that
// was current at the call.
#include "camera/velmor.h"

#include "imaging/image_writer.h"

#include <cstring>

namespace {
constexpr int kPathBufferBytes = 1024;  // wide names are converted into a buffer of this size

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
    if (!path || WideCharToMultiByte(CP_THREAD_ACP, 0, path, -1, narrow, sizeof(narrow), nullptr, nullptr) == 0) {
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
