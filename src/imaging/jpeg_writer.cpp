// JPEG through libjpeg. This file must not include windows.h: both define `boolean`.
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include <jpeglib.h>

#include "imaging/converters.h"
#include "imaging/image_writer_parts.h"

namespace {

constexpr int kGrayComponents = 1;
constexpr int kColorComponents = 3;

// libjpeg's standard error manager ends the process on an error; ours jumps back to the writer.
struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->recovery, 1);
}

// Fills a working surface with the image bottom row first, in 8-bit gray or 24-bit BGR.
bool PrepareWorkingSurface(const FrameSurface& source, FrameSurface& work, int& components)
{
    Converter fill = nullptr;
    uint16_t workBits = 24;
    components = kColorComponents;
    switch (source.bitCount) {
    case 8: fill = CopyRowsFlipped; workBits = 8; components = kGrayComponents; break;
    case 16: fill = Mono8FromMono10Flipped; workBits = 8; components = kGrayComponents; break;
    case 24:
    case 32: fill = Bgr24FromColorFlipped; break;
    case 48:
    case 64: fill = Bgr24FromColor10Flipped; break;
    default: return false;
    }
    return work.Create(source.width, source.height, workBits) == 1 &&
           work.Transfer(fill, source, nullptr, 0, 0, nullptr, nullptr) == 1;
}

// Everything between setjmp and the return holds only plain data, so a jump back skips no
// destructor. The caller owns file, row buffer and working surface.
int Compress(std::FILE* file, const FrameSurface& work, int components, int quality, JSAMPLE* row)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JumpBack;
    if (setjmp(errors.recovery)) {
        jpeg_destroy_compress(&info);
        return 0;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(work.width);
    info.image_height = static_cast<JDIMENSION>(work.height);
    info.input_components = components;
    info.in_color_space = components == kGrayComponents ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    // The working surface is bottom-up: its last memory row is the image's top row.
    while (info.next_scanline < info.image_height) {
        const uint8_t* pixel = work.pixels + static_cast<ptrdiff_t>(work.height - 1 - static_cast<int>(info.next_scanline)) * work.stride;
        if (components == kGrayComponents) {
            for (int32_t x = 0; x < work.width; ++x)
                row[x] = pixel[x];
        } else {
            for (int32_t x = 0; x < work.width; ++x, pixel += 3) {
                row[3 * x + 0] = pixel[2];
                row[3 * x + 1] = pixel[1];
                row[3 * x + 2] = pixel[0];
            }
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 1;
}

}  // namespace

int WriteJpeg(const char* name, const FrameSurface& surface, int quality)
{
    FrameSurface work;
    int components = 0;
    if (!PrepareWorkingSurface(surface, work, components))
        return 0;
    // The row buffer comes first: once the file is open nothing may leave without closing it.
    std::unique_ptr<JSAMPLE[]> row(new (std::nothrow) JSAMPLE[static_cast<size_t>(work.width) * components]);
    if (!row)
        return 0;
    std::FILE* file = std::fopen(name, "wb");
    if (!file)
        return 0;
    int result = Compress(file, work, components, quality, row.get());
    // A short write of the last buffered bytes shows only here.
    if (std::fflush(file) != 0 || std::ferror(file))
        result = 0;
    if (std::fclose(file) != 0)
        result = 0;
    return result;
}
