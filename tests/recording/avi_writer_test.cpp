#include "recording/avi_writer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Files for the decoder checks go to VELMOR_TEST_OUTPUT; the rest to the working folder.
std::string OutputPath(const char* name, bool forDecoders = false)
{
    const char* dir = forDecoders ? std::getenv("VELMOR_TEST_OUTPUT") : nullptr;
    return dir ? std::string(dir) + "/" + name : std::string(name);
}

std::vector<uint8_t> ReadFile(const std::string& name)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(name.c_str(), "rb")) {
        uint8_t buffer[1 << 16];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

std::string Tag(const std::vector<uint8_t>& b, size_t at)
{
    return std::string(reinterpret_cast<const char*>(&b[at]), 4);
}

uint32_t g_fakeTime = 0;
uint32_t FakeClock()
{
    return g_fakeTime;
}

// A writer as the camera object prepares it.
void Prepare(AviWriter& w, int32_t width, int32_t height, uint32_t openingRate = 30)
{
    w.width = width;
    w.height = height;
    w.rate = openingRate;
    w.frameCount = 0;
    w.clock = FakeClock;
}

// Test pattern of frame f at image pixel (x, y), y counted from the top; the frame buffer holds
// DIB rows, bottom row first, padded to 4 bytes. The decoder check computes the same values.
std::vector<uint8_t> PatternFrame(int32_t width, int32_t height, int f)
{
    const int32_t stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> frame(static_cast<size_t>(stride) * height, 0);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = &frame[static_cast<size_t>(height - 1 - y) * stride];
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<uint8_t>(x + 7 * f);
            row[3 * x + 1] = static_cast<uint8_t>(3 * y + f);
            row[3 * x + 2] = static_cast<uint8_t>(x * y + 11 * f);
        }
    }
    return frame;
}

// Records `frames` frames, one every `periodMs`, and closes with the rate measured like the
// camera object measures it.
void Record(AviWriter& w, const std::string& name, int32_t width, int32_t height, uint32_t frames,
            uint32_t periodMs)
{
    Prepare(w, width, height);
    ASSERT_EQ(w.Open(name.c_str()), 1);
    g_fakeTime = 1000;
    for (uint32_t f = 0; f < frames; ++f) {
        const std::vector<uint8_t> frame = PatternFrame(width, height, static_cast<int>(f));
        ASSERT_EQ(w.WriteFrame(frame.data()), 1);
        ++w.frameCount;
        g_fakeTime += periodMs;
    }
    w.rate = w.frameCount * 100000 / ((frames - 1) * periodMs);
    ASSERT_EQ(w.Close(), 1);
}

// The header as the file format lays it out, built independently of the writer.
std::vector<uint8_t> ExpectedHeader(uint32_t width, uint32_t height, uint32_t frameBytes, uint32_t imageSize)
{
    std::vector<uint8_t> h;
    auto tag = [&](const char* t) { h.insert(h.end(), t, t + 4); };
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i))); };
    auto u16 = [&](uint16_t v) { h.push_back(static_cast<uint8_t>(v)); h.push_back(static_cast<uint8_t>(v >> 8)); };
    const uint32_t suggested = frameBytes + 8;
    tag("RIFF"); u32(0); tag("AVI ");
    tag("LIST"); u32(200); tag("hdrl");
    tag("avih"); u32(56);
    u32(33333); u32(suggested * 30); u32(0); u32(0x10010); u32(0); u32(0); u32(1); u32(suggested);
    u32(width); u32(height); u32(0); u32(0); u32(0); u32(0);
    tag("LIST"); u32(124); tag("strl");
    tag("strh"); u32(64);
    tag("vids"); tag("DIB "); u32(0); u16(0); u16(0); u32(0); u32(333333); u32(10000000); u32(0); u32(0);
    u32(suggested); u32(0); u32(0); u32(0); u32(0); u32(0); u32(0);
    tag("strf"); u32(40);
    u32(40); u32(width); u32(height); u16(1); u16(24); u32(0); u32(imageSize); u32(0); u32(0); u32(0); u32(0);
    tag("LIST"); u32(0); tag("movi");
    return h;
}

// Patches the writer makes at Close into an expected header.
void PatchExpected(std::vector<uint8_t>& h, uint32_t riff, uint32_t movi, uint32_t frames, uint32_t usPerFrame,
                   uint32_t scale)
{
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&h[at], &v, 4); };
    put(4, riff);
    put(224, movi);
    put(48, frames);
    put(140, frames);
    put(32, usPerFrame);
    put(128, scale);
}

void ExpectIndex(const std::vector<uint8_t>& file, uint32_t frames, uint32_t frameBytes)
{
    const size_t idx = 232 + static_cast<size_t>(frames) * (8 + frameBytes);
    ASSERT_EQ(file.size(), idx + 8 + 16 * frames);
    EXPECT_EQ(Tag(file, idx), "idx1");
    EXPECT_EQ(U32(file, idx + 4), 16 * frames);
    for (uint32_t k = 0; k < frames; ++k) {
        const size_t e = idx + 8 + 16 * k;
        EXPECT_EQ(Tag(file, e), "00db");
        EXPECT_EQ(U32(file, e + 4), 0x10u);
        EXPECT_EQ(U32(file, e + 8), 4 + k * (8 + frameBytes));
        EXPECT_EQ(U32(file, e + 12), frameBytes);
        const size_t chunk = 228 + U32(file, e + 8);
        EXPECT_EQ(Tag(file, chunk), "00db");
        EXPECT_EQ(U32(file, chunk + 4), frameBytes);
    }
}

TEST(AviWriter, NinetyFramesOfVgaOverThreeSeconds)
{
    const std::string name = OutputPath("vga90.avi");
    {
        AviWriter w;
        Prepare(w, 640, 480);
        ASSERT_EQ(w.Open(name.c_str()), 1);
        const std::vector<uint8_t> frame = PatternFrame(640, 480, 0);
        for (int f = 0; f < 90; ++f) {
            ASSERT_EQ(w.WriteFrame(frame.data()), 1);
            ++w.frameCount;
        }
        w.rate = 90 * 100000 / 3000;
        ASSERT_EQ(w.rate, 3000u);
        ASSERT_EQ(w.Close(), 1);
    }
    const std::vector<uint8_t> file = ReadFile(name);
    ASSERT_EQ(file.size(), 82946392u + 8);
    std::vector<uint8_t> expected = ExpectedHeader(640, 480, 921600, 0);
    PatchExpected(expected, 82946392, 82944724, 90, 33333, 333333);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 232), expected);
    ExpectIndex(file, 90, 921600);
    std::remove(name.c_str());
}

TEST(AviWriter, RateInHundredthsGivesFrameTimeAndScale)
{
    const std::string name = OutputPath("ntsc.avi");
    AviWriter w;
    Prepare(w, 8, 2);
    ASSERT_EQ(w.Open(name.c_str()), 1);
    const std::vector<uint8_t> frame = PatternFrame(8, 2, 0);
    ASSERT_EQ(w.WriteFrame(frame.data()), 1);
    w.frameCount = 1;
    w.rate = 2997;
    ASSERT_EQ(w.Close(), 1);
    const std::vector<uint8_t> file = ReadFile(name);
    ASSERT_GE(file.size(), 232u);
    EXPECT_EQ(U32(file, 32), 33366u);
    EXPECT_EQ(U32(file, 128), 333667u);
}

// Odd widths: frames are whole DIB rows, and every length in the file says so.
TEST(AviWriter, PaddedRowsForWidthsNotAMultipleOfFour)
{
    for (int32_t width : {641, 642, 643, 5}) {
        const std::string name = OutputPath("padded.avi");
        const int32_t height = 7;
        const uint32_t stride = (width * 3 + 3) & ~3;
        const uint32_t bytes = stride * height;
        AviWriter w;
        Record(w, name, width, height, 3, 40);
        const std::vector<uint8_t> file = ReadFile(name);
        ASSERT_GE(file.size(), 232u);
        std::vector<uint8_t> expected = ExpectedHeader(width, height, bytes, bytes);
        const uint32_t rate = 3 * 100000 / 80;  // three frames 40 ms apart
        PatchExpected(expected, 224 + 3 * (8 + bytes) + 8 + 48, 4 + 3 * (8 + bytes), 3, 100000000 / rate,
                      1000000000 / rate);
        EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 232), expected) << width;
        ExpectIndex(file, 3, bytes);
        const std::vector<uint8_t> last = PatternFrame(width, height, 2);
        EXPECT_EQ(std::memcmp(&file[232 + 2 * (8 + bytes) + 8], last.data(), bytes), 0) << width;
    }
}

// Files that the host-side decoder check reads back (widths even and odd, 25 frames a second).
TEST(AviWriter, FilesForTheDecoderCheck)
{
    for (int32_t width : {640, 641, 642, 643}) {
        char name[32];
        std::snprintf(name, sizeof(name), "w%d.avi", static_cast<int>(width));
        AviWriter w;
        Record(w, OutputPath(name, true), width, 48, 6, 40);
    }
}

TEST(AviWriter, ExistingFileIsTruncatedMissingFolderFails)
{
    const std::string name = OutputPath("truncated.avi");
    {
        FILE* f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::vector<uint8_t> junk(100000, 0xEE);
        std::fwrite(junk.data(), 1, junk.size(), f);
        std::fclose(f);
    }
    AviWriter w;
    Record(w, name, 4, 4, 2, 50);
    EXPECT_EQ(ReadFile(name).size(), 232u + 2 * (8 + 48) + 8 + 32);

    Prepare(w, 4, 4);
    EXPECT_EQ(w.Open(OutputPath("no-such-folder/x.avi").c_str()), 0);
    EXPECT_FALSE(w.isOpen());
    const uint8_t pixels[48] = {};
    EXPECT_EQ(w.WriteFrame(pixels), 0);
    EXPECT_EQ(w.Close(), 0);
}

TEST(AviWriter, RejectsGeometryOrRateThatCannotMakeAFile)
{
    AviWriter w;
    const std::string name = OutputPath("refused.avi");
    std::remove(name.c_str());
    Prepare(w, 0, 480);
    EXPECT_EQ(w.Open(name.c_str()), 0);
    Prepare(w, 640, 480, 0);
    EXPECT_EQ(w.Open(name.c_str()), 0);
    EXPECT_TRUE(ReadFile(name).empty());
}

// A file left open is finalised by Reset, by another Open and by destruction, with the frames
// written so far and their measured rate (or the opening rate when one frame gives no span).
TEST(AviWriter, AbandonedFileIsFinalised)
{
    enum class End { Reset, Reopen, Destroy };
    struct Case { End end; uint32_t frames; uint32_t usPerFrame; };
    // Opening rate 25: one frame keeps 40000 us; four frames 25 ms apart measure 4 x 100000 / 75.
    const Case cases[] = {{End::Reset, 4, 100000000 / (400000 / 75)}, {End::Reopen, 1, 40000},
                          {End::Destroy, 4, 100000000 / (400000 / 75)}, {End::Reset, 0, 40000}};
    for (const Case& c : cases) {
        const std::string name = OutputPath("abandoned.avi");
        const std::string other = OutputPath("other.avi");
        {
            AviWriter w;
            Prepare(w, 6, 3, 25);
            ASSERT_EQ(w.Open(name.c_str()), 1);
            for (uint32_t f = 0; f < c.frames; ++f) {
                g_fakeTime = 5000 + 25 * f;
                const std::vector<uint8_t> frame = PatternFrame(6, 3, static_cast<int>(f));
                ASSERT_EQ(w.WriteFrame(frame.data()), 1);
                ++w.frameCount;
            }
            if (c.end == End::Reset) {
                w.Reset();
            } else if (c.end == End::Reopen) {
                Prepare(w, 6, 3, 30);  // the camera object sets up the next recording first
                ASSERT_EQ(w.Open(other.c_str()), 1);
            }
        }
        const std::vector<uint8_t> file = ReadFile(name);
        const uint32_t bytes = 3 * 20;
        ASSERT_EQ(file.size(), 232u + c.frames * (8 + bytes) + 8 + 16 * c.frames);
        EXPECT_EQ(U32(file, 4), file.size() - 8);
        EXPECT_EQ(U32(file, 224), 4 + c.frames * (8 + bytes));
        EXPECT_EQ(U32(file, 48), c.frames);
        EXPECT_EQ(U32(file, 140), c.frames);
        EXPECT_EQ(U32(file, 32), c.usPerFrame);
        ExpectIndex(file, c.frames, bytes);
    }
}

// A disk that fills up: the Linux full device stands in, reached through Wine's Z: drive.
constexpr const char* kFullDevice = "Z:\\dev\\full";

HANDLE OpenFullDevice()
{
    return CreateFileA(kFullDevice, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(AviWriter, FullDiskFailsOpenOrFrameAndClose)
{
    AviWriter w;
    Prepare(w, 4, 4);
    EXPECT_EQ(w.Open(kFullDevice), 0);
    EXPECT_FALSE(w.isOpen());

    // The headers fit, then the disk is full.
    const std::string name = OutputPath("fills-up.avi");
    Prepare(w, 4, 4);
    ASSERT_EQ(w.Open(name.c_str()), 1);
    HANDLE full = OpenFullDevice();
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    CloseHandle(static_cast<HANDLE>(w.file.fileHandle));
    w.file.fileHandle = full;
    const uint8_t pixels[48] = {};
    EXPECT_EQ(w.WriteFrame(pixels), 0);
    w.rate = 3000;
    EXPECT_EQ(w.Close(), 0);
    EXPECT_FALSE(w.isOpen());
}

}  // namespace

// Room for a frame: the finished file, with the next frame and every index entry, stays under
// 2 GiB. Sizes are set by hand rather than written: the boundary is what matters.
TEST(AviWriter, RoomForAFrameEndsJustUnderTwoGiB)
{
    AviWriter w;
    EXPECT_FALSE(w.RoomForFrame());  // no file
    Prepare(w, 64, 4);
    ASSERT_EQ(w.Open(OutputPath("room.avi").c_str()), 1);
    const std::vector<uint8_t> frame = PatternFrame(64, 4, 0);
    ASSERT_EQ(w.WriteFrame(frame.data()), 1);
    const uint64_t bytes = w.frameBytes();
    // File = 8 + riffSize, the next chunk (8 + bytes), and the index of two frames (8 + 32).
    const uint64_t rest = 8 + (8 + bytes) + 8 + 2 * 16;
    w.riffSize = static_cast<uint32_t>(AviWriter::kPlayableBytes - 1 - rest);
    EXPECT_TRUE(w.RoomForFrame());
    ++w.riffSize;
    EXPECT_FALSE(w.RoomForFrame());
    w.riffSize = 224 + static_cast<uint32_t>(8 + bytes);  // back to the truth before the file is finished
}
