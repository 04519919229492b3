#pragma once
// Uncompressed AVI (RIFF "AVI ") with one stream of 24-bit bottom-up DIB frames and a legacy
// "idx1" index. The camera object fills width, height, rate (frames per second) and frameCount
// before Open, appends frames with WriteFrame, and before Close sets rate to the measured rate
// in hundredths of a frame per second.
//
// Rows of a frame are the DIB rows of a 24-bit surface, padded to 4 bytes: a frame is
// height x stride bytes (for widths where width x 3 is a multiple of 4 that is width x height x 3).
// A file that is still open when the writer is reset, reopened or destroyed is finalised with
// the frames written so far. Not thread-safe: one recording thread drives a writer.
#include <cstdint>
#include <vector>

#include "device/memory_block.h"
#include "imaging/frame_surface.h"

struct AviMainHeader {
    uint32_t microSecPerFrame;
    uint32_t maxBytesPerSec;
    uint32_t paddingGranularity;
    uint32_t flags;
    uint32_t totalFrames;
    uint32_t initialFrames;
    uint32_t streams;
    uint32_t suggestedBufferSize;
    uint32_t width;
    uint32_t height;
    uint32_t reserved[4];
};
static_assert(sizeof(AviMainHeader) == 56);

struct AviStreamHeader {
    char type[4];
    char handler[4];
    uint32_t flags;
    uint16_t priority;
    uint16_t language;
    uint32_t initialFrames;
    uint32_t scale;
    uint32_t rate;
    uint32_t start;
    uint32_t length;
    uint32_t suggestedBufferSize;
    uint32_t quality;
    uint32_t sampleSize;
    int32_t frame[4];
};
static_assert(sizeof(AviStreamHeader) == 64);

struct AviIndexEntry {
    char id[4];
    uint32_t flags;
    uint32_t offset;  // from the "movi" FourCC
    uint32_t length;
};
static_assert(sizeof(AviIndexEntry) == 16);

class AviWriter {
public:
    using Clock = uint32_t (*)();  // milliseconds, wrapping

    AviWriter();
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // 1 when the file was opened (an existing one truncated) and the headers written; 0 when it
    // could not be opened, a header write fell short, or width, height or rate are unusable.
    int Open(const char* name);
    // Appends one frame of frameBytes() bytes. 1 when written; 0 when no file is open, the write
    // fell short, or the frame would take the file past the 4 GiB that RIFF sizes can describe.
    int WriteFrame(const uint8_t* pixels);
    // Writes the index and patches sizes, counts and rate (hundredths of frames per second; 0
    // stands for the opening rate). 1 when every write of the file succeeded, else 0.
    int Close();
    // Finalises an open file with the frames written so far, then clears index, headers and
    // counters.
    void Reset();

    // frames x 100000 over elapsedMs: hundredths of a frame per second, 0 for no time. Counted in
    // 64 bits: in 32 the product wraps after 42,949 frames, which a long recording reaches.
    static uint32_t MeasuredRate(uint32_t frames, uint32_t elapsedMs);
    // Whether one more frame, with its index entry, keeps the finished file under kPlayableBytes.
    bool RoomForFrame() const;
    // Readers of this form take its 32-bit sizes as signed: files stay below 2 GiB.
    static constexpr uint64_t kPlayableBytes = 0x80000000ull;

    bool isOpen() const { return file.fileHandle != nullptr; }
    // Bytes of one frame: height rows of the 4-byte-aligned stride of a 24-bit surface.
    uint32_t frameBytes() const;

    MemoryBlock file;  // holds the output file handle
    AviMainHeader mainHeader{};
    AviStreamHeader streamHeader{};
    BitmapInfoHeader format{};
    uint32_t riffSize = 0;
    uint32_t moviSize = 0;
    uint32_t moviSizePosition = 0;
    std::vector<AviIndexEntry> index;
    int32_t width = 0;
    int32_t height = 0;
    int16_t bitCount = 0;  // the camera's output format; the file is always 24-bit
    uint32_t rate = 0;
    uint32_t frameCount = 0;
    Clock clock;  // times the frames, for the rate of a file finalised by Reset

private:
    void FillHeaders();
    bool Write(const void* data, uint32_t bytes);
    bool WriteAt(uint32_t position, uint32_t value);
    int Finalize(uint32_t frames, uint32_t ratePer100s);
    uint32_t WrittenRate() const;

    uint32_t openingRate_ = 0;
    uint32_t firstFrameTime_ = 0;
    uint32_t lastFrameTime_ = 0;
    bool writeFailed_ = false;
};
