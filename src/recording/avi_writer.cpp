#include "recording/avi_writer.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kMainHeaderFlags = 0x10010;  // has index, interleaved
constexpr uint32_t kKeyFrame = 0x10;
constexpr uint32_t kStreamRate = 10'000'000;
constexpr uint32_t kMicrosecondsPerSecond = 1'000'000;
constexpr uint32_t kHundredthMicroseconds = 100'000'000;    // microseconds x 100
constexpr uint32_t kHundredthStreamRate = 1'000'000'000;     // kStreamRate x 100
constexpr uint32_t kRateScale = 100;                         // rate at Close is frames per second x 100
constexpr uint64_t kMeasuredRateFactor = 100'000;            // frames x 100 x 1000 ms
constexpr uint32_t kHdrlListSize = 200;
constexpr uint32_t kStrlListSize = 124;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kTotalFramesPosition = 48;
constexpr uint32_t kMicroSecPerFramePosition = 32;
constexpr uint32_t kStreamScalePosition = 128;
constexpr uint32_t kStreamLengthPosition = 140;
constexpr uint32_t kRiffSizePosition = 4;
constexpr uint16_t kFrameBitCount = 24;
constexpr uint64_t kRiffLimit = 0xFFFFFFFFull;

uint32_t TimeNow()
{
    return timeGetTime();
}

// The header bytes in file order, built in memory and written in one go.
class ByteList {
public:
    void FourCC(const char* id) { bytes_.insert(bytes_.end(), id, id + 4); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    template <typename Record>
    void Raw(const Record& r)
    {
        const auto* p = reinterpret_cast<const uint8_t*>(&r);
        bytes_.insert(bytes_.end(), p, p + sizeof(Record));
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace

AviWriter::AviWriter() : clock(TimeNow)
{
    Reset();
}

AviWriter::~AviWriter()
{
    Reset();
}

uint32_t AviWriter::frameBytes() const
{
    return static_cast<uint32_t>(static_cast<uint64_t>(height) * static_cast<uint32_t>(SurfaceStride(width, kFrameBitCount)));
}

void AviWriter::Reset()
{
    if (isOpen())
        Finalize(static_cast<uint32_t>(index.size()), WrittenRate());
    file.Release();
    index.clear();
    mainHeader = AviMainHeader{};
    streamHeader = AviStreamHeader{};
    format = BitmapInfoHeader{};
    riffSize = moviSize = moviSizePosition = 0;
    openingRate_ = firstFrameTime_ = lastFrameTime_ = 0;
    writeFailed_ = false;
}

uint32_t AviWriter::MeasuredRate(uint32_t frames, uint32_t elapsedMs)
{
    if (elapsedMs == 0)
        return 0;
    const uint64_t rate = frames * kMeasuredRateFactor / elapsedMs;
    return rate > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(rate);
}

// The rate of the frames written so far, as the camera object measures it (from the first to the
// last frame), or the opening rate when there is no span.
uint32_t AviWriter::WrittenRate() const
{
    const uint32_t frames = static_cast<uint32_t>(index.size());
    const uint32_t rate = frames < 2 ? 0 : MeasuredRate(frames, lastFrameTime_ - firstFrameTime_);
    return rate ? rate : openingRate_ * kRateScale;
}

void AviWriter::FillHeaders()
{
    const uint32_t bytes = frameBytes();
    const uint32_t suggested = bytes + kChunkHeaderBytes;
    const bool paddedRows = static_cast<int64_t>(width) * 3 != SurfaceStride(width, kFrameBitCount);

    mainHeader = AviMainHeader{};
    mainHeader.microSecPerFrame = kMicrosecondsPerSecond / rate;
    mainHeader.maxBytesPerSec = suggested * rate;
    mainHeader.flags = kMainHeaderFlags;
    mainHeader.totalFrames = frameCount;
    mainHeader.streams = 1;
    mainHeader.suggestedBufferSize = suggested;
    mainHeader.width = static_cast<uint32_t>(width);
    mainHeader.height = static_cast<uint32_t>(height);

    streamHeader = AviStreamHeader{};
    std::memcpy(streamHeader.type, "vids", 4);
    std::memcpy(streamHeader.handler, "DIB ", 4);
    streamHeader.scale = kStreamRate / rate;
    streamHeader.rate = kStreamRate;
    streamHeader.length = frameCount;
    streamHeader.suggestedBufferSize = suggested;

    format = BitmapInfoHeader{};
    format.biSize = sizeof(BitmapInfoHeader);
    format.biWidth = width;
    format.biHeight = height;
    format.biPlanes = 1;
    format.biBitCount = kFrameBitCount;
    // Readers take unpadded rows when the size is 0; say so when ours are padded.
    format.biSizeImage = paddedRows ? bytes : 0;
}

int AviWriter::Open(const char* name)
{
    Reset();
    const uint64_t bytes = static_cast<uint64_t>(height > 0 ? height : 0) * SurfaceStride(width > 0 ? width : 0, kFrameBitCount);
    if (!name || width <= 0 || height <= 0 || rate == 0 || bytes == 0 || bytes > kRiffLimit / 2)
        return 0;

    HANDLE handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    file.fileHandle = handle;
    file.size = GetFileSize(handle, nullptr);
    openingRate_ = rate;
    FillHeaders();

    ByteList h;
    h.FourCC("RIFF");
    h.U32(0);
    h.FourCC("AVI ");
    h.FourCC("LIST");
    h.U32(kHdrlListSize);
    h.FourCC("hdrl");
    h.FourCC("avih");
    h.U32(sizeof(AviMainHeader));
    h.Raw(mainHeader);
    h.FourCC("LIST");
    h.U32(kStrlListSize);
    h.FourCC("strl");
    h.FourCC("strh");
    h.U32(sizeof(AviStreamHeader));
    h.Raw(streamHeader);
    h.FourCC("strf");
    h.U32(sizeof(BitmapInfoHeader));
    h.Raw(format);
    h.FourCC("LIST");
    moviSizePosition = static_cast<uint32_t>(h.bytes().size());
    h.U32(0);
    h.FourCC("movi");
    // Everything after the RIFF size field.
    riffSize = static_cast<uint32_t>(h.bytes().size()) - kChunkHeaderBytes;
    moviSize = 4;
    if (!Write(h.bytes().data(), static_cast<uint32_t>(h.bytes().size()))) {
        file.Release();  // the partly written file stays
        return 0;
    }
    return 1;
}

int AviWriter::WriteFrame(const uint8_t* pixels)
{
    if (!isOpen() || !pixels)
        return 0;
    const uint32_t bytes = frameBytes();
    const uint64_t chunk = kChunkHeaderBytes + static_cast<uint64_t>(bytes);
    // Room for this chunk and the index that will follow, within 32-bit RIFF sizes.
    const uint64_t after = riffSize + chunk + kChunkHeaderBytes + sizeof(AviIndexEntry) * (index.size() + 1);
    if (after > kRiffLimit - kChunkHeaderBytes)
        return 0;

    const AviIndexEntry entry{{'0', '0', 'd', 'b'}, kKeyFrame, moviSize, bytes};
    uint8_t chunkHeader[kChunkHeaderBytes];
    std::memcpy(chunkHeader, "00db", 4);
    std::memcpy(chunkHeader + 4, &bytes, 4);
    if (!Write(chunkHeader, kChunkHeaderBytes) || !Write(pixels, bytes))
        return 0;
    index.push_back(entry);
    riffSize += static_cast<uint32_t>(chunk);
    moviSize += static_cast<uint32_t>(chunk);

    const uint32_t now = clock();
    if (index.size() == 1)
        firstFrameTime_ = now;
    lastFrameTime_ = now;
    return 1;
}

bool AviWriter::RoomForFrame() const
{
    // The file is the RIFF header, riffSize bytes, the next chunk and the index of every frame.
    const uint64_t frames = index.size() + 1;
    const uint64_t finished = kChunkHeaderBytes + uint64_t{riffSize} + kChunkHeaderBytes + frameBytes() +
                              kChunkHeaderBytes + sizeof(AviIndexEntry) * frames;
    return isOpen() && finished < kPlayableBytes;
}

int AviWriter::Close()
{
    if (!isOpen())
        return 0;
    const uint32_t frames = std::min<uint32_t>(frameCount, static_cast<uint32_t>(index.size()));
    return Finalize(frames, rate ? rate : openingRate_ * kRateScale);
}

int AviWriter::Finalize(uint32_t frames, uint32_t ratePer100s)
{
    if (ratePer100s == 0)
        ratePer100s = openingRate_ * kRateScale;
    const uint32_t indexBytes = frames * static_cast<uint32_t>(sizeof(AviIndexEntry));
    SetFilePointer(static_cast<HANDLE>(file.fileHandle), 0, nullptr, FILE_END);
    uint8_t indexHeader[kChunkHeaderBytes];
    std::memcpy(indexHeader, "idx1", 4);
    std::memcpy(indexHeader + 4, &indexBytes, 4);
    Write(indexHeader, kChunkHeaderBytes);
    if (frames)
        Write(index.data(), indexBytes);
    riffSize += kChunkHeaderBytes + indexBytes;

    WriteAt(kRiffSizePosition, riffSize);
    WriteAt(moviSizePosition, moviSize);
    WriteAt(kTotalFramesPosition, frames);
    WriteAt(kStreamLengthPosition, frames);
    WriteAt(kMicroSecPerFramePosition, kHundredthMicroseconds / ratePer100s);
    WriteAt(kStreamScalePosition, kHundredthStreamRate / ratePer100s);
    const bool ok = !writeFailed_;
    file.Release();
    return ok ? 1 : 0;
}

bool AviWriter::Write(const void* data, uint32_t bytes)
{
    DWORD written = 0;
    const bool ok = isOpen() && WriteFile(static_cast<HANDLE>(file.fileHandle), data, bytes, &written, nullptr) &&
                    written == bytes;
    if (!ok)
        writeFailed_ = true;
    return ok;
}

bool AviWriter::WriteAt(uint32_t position, uint32_t value)
{
    if (SetFilePointer(static_cast<HANDLE>(file.fileHandle), static_cast<LONG>(position), nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
        writeFailed_ = true;
        return false;
    }
    return Write(&value, sizeof(value));
}
