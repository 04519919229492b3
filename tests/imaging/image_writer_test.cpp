#include "imaging/image_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kAllBitCounts[] = {8, 16, 24, 32, 48, 64};
constexpr const char* kFullDevice = "Z:\\dev\\full";  // Linux's always-full device through Wine

std::string OutputPath(const std::string& name)
{
    const char* dir = std::getenv("VELMOR_TEST_OUTPUT");
    return dir ? std::string(dir) + "/" + name : name;
}

long FileSize(const std::string& name)
{
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f)
        return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
}

std::vector<uint8_t> ReadFile(const std::string& name)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max(FileSize(name), 0L)));
    if (FILE* f = std::fopen(name.c_str(), "rb")) {
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
    }
    return bytes;
}

// The pattern that the decoder check recomputes: 8-bit samples (x*5 + y*29 + c*67) mod 256
// and 10-bit samples (x*13 + y*71 + c*301) mod 1024, c counted in memory order (blue first),
// with 1023 everywhere at pixel (0, 0); fourth bytes (x + y) mod 256, fourth words 0x1234.
void FillPattern(FrameSurface& s)
{
    const bool wide = s.bitCount == 16 || s.bitCount == 48 || s.bitCount == 64;
    const int samples = s.bitCount == 8 || s.bitCount == 16 ? 1 : 3;
    const int bpp = s.bytesPerPixel();
    for (int32_t y = 0; y < s.height; ++y) {
        for (int32_t x = 0; x < s.width; ++x) {
            uint8_t* p = s.pixels + static_cast<ptrdiff_t>(y) * s.stride + x * bpp;
            for (int c = 0; c < samples; ++c) {
                if (wide) {
                    const int v = x == 0 && y == 0 ? 1023 : (x * 13 + y * 71 + c * 301) % 1024;
                    p[2 * c] = static_cast<uint8_t>(v);
                    p[2 * c + 1] = static_cast<uint8_t>(v >> 8);
                } else {
                    p[c] = static_cast<uint8_t>(x * 5 + y * 29 + c * 67);
                }
            }
            if (s.bitCount == 32)
                p[3] = static_cast<uint8_t>(x + y);
            if (s.bitCount == 64) {
                p[6] = 0x34;
                p[7] = 0x12;
            }
        }
    }
}

// Every code for every surface format, for the decoder check that follows this test.
TEST(ImageWriter, FilesForTheDecoderCheck)
{
    for (uint16_t bits : kAllBitCounts) {
        FrameSurface s;
        ASSERT_EQ(s.Create(641, 5, bits), 1);
        FillPattern(s);
        for (int code = kSaveBmp; code <= kSaveTiff; ++code) {
            char file[32];
            std::snprintf(file, sizeof(file), "f%d_c%d.img", bits, code);
            const std::string name = OutputPath(file);
            EXPECT_EQ(WriteImageFile(name.c_str(), s, code), 1) << bits << " code " << code;
        }
    }
}

TEST(ImageWriter, BmpAndRawSizes)
{
    FrameSurface gray, color, mono10;
    ASSERT_EQ(gray.Create(640, 480, 8), 1);
    ASSERT_EQ(color.Create(641, 480, 24), 1);
    ASSERT_EQ(mono10.Create(640, 480, 16), 1);
    mono10.pixels[0] = 0xFF;
    mono10.pixels[1] = 0x03;
    ASSERT_EQ(WriteImageFile("gray.bmp", gray, kSaveBmp), 1);
    ASSERT_EQ(WriteImageFile("color.bmp", color, kSaveBmp), 1);
    ASSERT_EQ(WriteImageFile("mono10.raw", mono10, kSaveRaw), 1);
    EXPECT_EQ(FileSize("gray.bmp"), 308278);
    EXPECT_EQ(FileSize("color.bmp"), 923574);
    const std::vector<uint8_t> raw = ReadFile("mono10.raw");
    ASSERT_EQ(raw.size(), 614400u);
    EXPECT_EQ(raw[0], 0xFF);
    EXPECT_EQ(raw[1], 0x03);
}

TEST(ImageWriter, UnknownCodesWriteNothing)
{
    FrameSurface s;
    ASSERT_EQ(s.Create(4, 4, 24), 1);
    for (int code : {7, -1, 100}) {
        char name[32];
        std::snprintf(name, sizeof(name), "unknown%d.img", code + 1);
        std::remove(name);
        EXPECT_EQ(WriteImageFile(name, s, code), 0);
        EXPECT_EQ(FileSize(name), -1);
    }
    FrameSurface empty;
    EXPECT_EQ(WriteImageFile("empty.img", empty, kSavePng), 0);
}

TEST(ImageWriter, ExistingFileIsReplaced)
{
    FrameSurface s;
    ASSERT_EQ(s.Create(8, 2, 8), 1);
    for (int code = kSaveBmp; code <= kSaveTiff; ++code) {
        char file[32];
        std::snprintf(file, sizeof(file), "replaced%d.jpg", code);
        const std::string name = file;
        FILE* f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::vector<uint8_t> junk(200000, 0xEE);
        std::fwrite(junk.data(), 1, junk.size(), f);
        std::fclose(f);
        ASSERT_EQ(WriteImageFile(name.c_str(), s, code), 1);
        const long size = FileSize(name);
        EXPECT_GT(size, 0);
        EXPECT_LT(size, 20000) << code;
        if (code == kSaveBmp) {
            EXPECT_EQ(ReadFile(name)[0], 'B');  // the extension plays no part
        }
    }
}

TEST(ImageWriter, MissingFolderOrFullDiskFails)
{
    FrameSurface s;
    ASSERT_EQ(s.Create(64, 64, 24), 1);
    FillPattern(s);
    for (int code = kSaveBmp; code <= kSaveTiff; ++code) {
        EXPECT_EQ(WriteImageFile("no-such-folder/x.img", s, code), 0) << code;
        EXPECT_EQ(WriteImageFile(kFullDevice, s, code), 0) << code;
    }
}

// An encoder error (a width beyond JPEG's limit) comes back as a failed save, and the process
// goes on.
TEST(ImageWriter, JpegLibraryErrorReturnsZero)
{
    constexpr int32_t kBeyondJpegLimit = 65501;
    FrameSurface s;
    ASSERT_EQ(s.Create(kBeyondJpegLimit, 1, 8), 1);
    EXPECT_EQ(WriteImageFile("too-wide.jpg", s, kSaveJpeg70), 0);
    FrameSurface small;
    ASSERT_EQ(small.Create(8, 8, 8), 1);
    EXPECT_EQ(WriteImageFile("after-error.jpg", small, kSaveJpeg70), 1);
}

}  // namespace
