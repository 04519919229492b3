#include "imaging/image_writer.h"

#include <windows.h>

#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/converters.h"
#include "imaging/image_writer_parts.h"

namespace {

constexpr uint16_t kBmpType = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kColorTableBytes = FrameSurface::kColorTableSize * sizeof(RgbQuad);
constexpr int kJpegQuality[] = {100, 70, 20};  // codes 2, 3, 4

// A Win32 file for writing: an existing one is truncated, else a new one is made.
class OutputFile {
public:
    explicit OutputFile(const char* name)
    {
        handle_ = CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            handle_ = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~OutputFile()
    {
        if (isOpen())
            CloseHandle(handle_);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // False once any write fell short; later writes are skipped.
    bool Write(const void* data, size_t bytes)
    {
        DWORD written = 0;
        ok_ = ok_ && bytes <= MAXDWORD &&
              WriteFile(handle_, data, static_cast<DWORD>(bytes), &written, nullptr) && written == bytes;
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool ok_ = true;
};

void PutU16(uint8_t* at, uint16_t v)
{
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A blank clone of source filled by converter (null: a straight copy of the pixel block).
bool FilledClone(const FrameSurface& source, FrameSurface& clone, Converter converter)
{
    if (clone.CreateLike(&source) != 1)
        return false;
    if (!converter) {
        std::memcpy(clone.pixels, source.pixels, static_cast<size_t>(source.byteCount()));
        return true;
    }
    return clone.Transfer(converter, source, nullptr, 0, 0, nullptr, nullptr) == 1;
}

[[noreturn]] void PngError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

// Only plain data lives in this frame, so libpng's jump back skips no destructor.
int EncodePng(std::FILE* file, png_structp png, png_infop info, const FrameSurface& rows, int depth, int colorType,
              png_bytep* rowTable)
{
    if (setjmp(png_jmpbuf(png)))
        return 0;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width), static_cast<png_uint_32>(rows.height), depth,
                 colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rowTable);
    png_write_end(png, info);
    return 1;
}

struct PngLayout {
    Converter fill;  // null: the source's own rows
    int depth;
    int colorType;
};

bool PngLayoutOf(uint16_t bitCount, PngLayout& layout)
{
    switch (bitCount) {
    case 8: layout = {nullptr, 8, PNG_COLOR_TYPE_GRAY}; return true;
    case 16: layout = {Mono16FromMono10, 16, PNG_COLOR_TYPE_GRAY}; return true;
    case 24: layout = {nullptr, 8, PNG_COLOR_TYPE_RGB}; return true;
    case 32: layout = {Bgra32InvertedAlpha, 8, PNG_COLOR_TYPE_RGB_ALPHA}; return true;
    case 48: layout = {Bgr48FromBgr10, 16, PNG_COLOR_TYPE_RGB}; return true;
    case 64: layout = {Bgra64FromBgr10, 16, PNG_COLOR_TYPE_RGB_ALPHA}; return true;
    default: return false;
    }
}

struct TiffLayout {
    Converter fill;  // null: a straight copy
    uint16_t bitsPerSample;
    uint16_t photometric;
    uint16_t samplesPerPixel;
};

bool TiffLayoutOf(uint16_t bitCount, TiffLayout& layout)
{
    switch (bitCount) {
    case 8: layout = {nullptr, 8, PHOTOMETRIC_MINISBLACK, 1}; return true;
    case 16: layout = {Mono16FromMono10, 16, PHOTOMETRIC_MINISBLACK, 1}; return true;
    case 24: layout = {RgbFromBgr8, 8, PHOTOMETRIC_RGB, 3}; return true;
    case 32: layout = {RgbFromBgr8, 8, PHOTOMETRIC_RGB, 4}; return true;
    case 48: layout = {Rgb48FromBgr10, 16, PHOTOMETRIC_RGB, 3}; return true;
    case 64: layout = {Rgba64FromBgr10, 16, PHOTOMETRIC_RGB, 4}; return true;
    default: return false;
    }
}

}  // namespace

int WriteBmp(const char* name, const FrameSurface& surface)
{
    FrameSurface clone;
    if (!FilledClone(surface, clone, CopyRowsFlipped))
        return 0;
    OutputFile file(name);
    if (!file.isOpen())
        return 0;
    const bool withTable = clone.bitCount <= 8;
    const uint32_t offBits = kFileHeaderBytes + sizeof(BitmapInfoHeader) + (withTable ? kColorTableBytes : 0);
    const uint64_t pixelBytes = static_cast<uint64_t>(clone.byteCount());
    uint8_t fileHeader[kFileHeaderBytes] = {};
    PutU16(fileHeader, kBmpType);
    PutU32(fileHeader + 2, static_cast<uint32_t>(offBits + pixelBytes));
    PutU32(fileHeader + 10, offBits);
    file.Write(fileHeader, sizeof(fileHeader));
    file.Write(&clone.header, sizeof(BitmapInfoHeader));
    if (withTable)
        file.Write(clone.colorTable, kColorTableBytes);
    file.Write(clone.pixels, pixelBytes);
    return file.ok() ? 1 : 0;
}

int WriteRaw(const char* name, const FrameSurface& surface)
{
    if (surface.empty())
        return 0;
    OutputFile file(name);
    if (!file.isOpen())
        return 0;
    return file.Write(surface.pixels, static_cast<size_t>(surface.byteCount())) ? 1 : 0;
}

int WritePng(const char* name, const FrameSurface& surface)
{
    PngLayout layout;
    if (surface.empty() || !PngLayoutOf(surface.bitCount, layout))
        return 0;
    FrameSurface clone;
    if (layout.fill && !FilledClone(surface, clone, layout.fill))
        return 0;
    const FrameSurface& rows = layout.fill ? clone : surface;

    // PNG stores 16-bit samples big-endian: a swapped copy of the whole block.
    std::vector<uint8_t> swapped;
    const uint8_t* block = rows.pixels;
    if (layout.depth == 16) {
        swapped.assign(rows.pixels, rows.pixels + rows.byteCount());
        for (size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        block = swapped.data();
    }
    std::vector<png_bytep> rowTable(static_cast<size_t>(rows.height));
    for (int32_t r = 0; r < rows.height; ++r)
        rowTable[static_cast<size_t>(r)] = const_cast<png_bytep>(block + static_cast<ptrdiff_t>(r) * rows.stride);

    std::FILE* file = std::fopen(name, "wb");
    if (!file)
        return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, nullptr);
    if (!png) {
        std::fclose(file);
        return 0;
    }
    png_infop info = png_create_info_struct(png);
    int result = info ? EncodePng(file, png, info, rows, layout.depth, layout.colorType, rowTable.data()) : 0;
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (std::fflush(file) != 0 || std::ferror(file))
        result = 0;
    if (std::fclose(file) != 0)
        result = 0;
    return result;
}

int WriteTiff(const char* name, const FrameSurface& surface)
{
    TiffLayout layout;
    if (surface.empty() || !TiffLayoutOf(surface.bitCount, layout))
        return 0;
    FrameSurface clone;
    if (!FilledClone(surface, clone, layout.fill))
        return 0;
    // Rows without the surface's padding, top row first.
    const size_t rowBytes = static_cast<size_t>(clone.width) * layout.samplesPerPixel * (layout.bitsPerSample / 8);
    std::vector<uint8_t> strip(rowBytes * static_cast<size_t>(clone.height));
    for (int32_t r = 0; r < clone.height; ++r)
        std::memcpy(&strip[rowBytes * static_cast<size_t>(r)], clone.pixels + static_cast<ptrdiff_t>(r) * clone.stride,
                    rowBytes);

    TIFF* tiff = TIFFOpen(name, "w");
    if (!tiff)
        return 0;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(clone.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(clone.height));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
    const tmsize_t written = TIFFWriteEncodedStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
    // The directory is written at flush: a full disk may show only there.
    const int flushed = TIFFFlush(tiff);
    TIFFClose(tiff);
    return written == static_cast<tmsize_t>(strip.size()) && flushed == 1 ? 1 : 0;
}

int WriteImageFile(const char* name, const FrameSurface& surface, int formatCode)
{
    if (!name || formatCode < kSaveBmp || formatCode > kSaveTiff)
        return 0;
    try {
        switch (formatCode) {
        case kSaveBmp: return WriteBmp(name, surface);
        case kSaveRaw: return WriteRaw(name, surface);
        case kSavePng: return WritePng(name, surface);
        case kSaveTiff: return WriteTiff(name, surface);
        default: return WriteJpeg(name, surface, kJpegQuality[formatCode - kSaveJpeg100]);
        }
    } catch (const std::bad_alloc&) {
        return 0;  // no memory for a working buffer
    }
}
