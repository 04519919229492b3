#pragma once
// Helpers of the recording tests: the fields of a recorded AVI file, the emulator's frame number
// read from a frame of any output format or of the file, and a preview frame turned into the
// bottom-up 24-bit frame the file should hold.
#include "snapshot_support.h"

#include "emulator/frame_number.h"

#include <cstring>
#include <string>

namespace sdktest {

// A recorded file, read whole, or its headers only (the first 232 bytes).
struct AviFile {
    static constexpr size_t kHeaderBytes = 232;
    static constexpr size_t kMoviFourCC = 228;

    std::vector<BYTE> bytes;
    uint64_t size = 0;  // of the file on disk

    static AviFile Read(const std::string& path, bool headersOnly = false)
    {
        AviFile file;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return file;
        _fseeki64(f, 0, SEEK_END);
        file.size = static_cast<uint64_t>(_ftelli64(f));
        std::fclose(f);
        file.bytes = ReadBytes(path, headersOnly ? kHeaderBytes : SIZE_MAX);
        return file;
    }

    uint32_t Field(size_t offset) const
    {
        uint32_t v = 0;
        if (offset + 4 <= bytes.size())
            std::memcpy(&v, &bytes[offset], 4);
        return v;
    }
    uint32_t riffSize() const { return Field(4); }
    uint32_t microSecPerFrame() const { return Field(32); }
    uint32_t totalFrames() const { return Field(48); }
    uint32_t width() const { return Field(64); }
    uint32_t height() const { return Field(68); }
    uint32_t streamScale() const { return Field(128); }
    uint32_t streamLength() const { return Field(140); }
    uint32_t moviSize() const { return Field(224); }

    // A finished file: sizes, counts and index agree with each other and with the file.
    bool Finished() const
    {
        const size_t index = kMoviFourCC + moviSize();
        return bytes.size() >= kHeaderBytes && size == uint64_t{riffSize()} + 8 && totalFrames() == streamLength() &&
               index + 8 <= bytes.size() && std::memcmp(&bytes[index], "idx1", 4) == 0 &&
               Field(index + 4) == 16 * totalFrames() && index + 8 + 16 * totalFrames() == bytes.size();
    }
    // The pixels of frame k through the index.
    const BYTE* Frame(uint32_t k) const
    {
        const size_t entry = kMoviFourCC + moviSize() + 8 + 16 * size_t{k};
        return &bytes[kMoviFourCC + Field(entry + 8) + 8];
    }
};

// The frame number in the top rows of a frame whose first image row is at `top`, rows `rowStep`
// bytes apart (negative for bottom-up frames): read from the sample at `sampleOffset` in each
// pixel (the green one of colour pixels), one byte or a 10-bit word.
inline bool FrameNumberOf(const BYTE* top, ptrdiff_t rowStep, int width, int height, int pixelBytes,
                          int sampleBytes, int sampleOffset, uint32_t* number)
{
    if (width < emu::kFrameNumberColumns || height < emu::kFrameNumberBlock)
        return false;
    const int planeStride = width * sampleBytes;
    std::vector<BYTE> plane(static_cast<size_t>(planeStride) * emu::kFrameNumberBlock);
    for (int y = 0; y < emu::kFrameNumberBlock; ++y)
        for (int x = 0; x < width; ++x)
            std::memcpy(&plane[y * planeStride + x * sampleBytes], top + y * rowStep + x * pixelBytes + sampleOffset,
                        sampleBytes);
    return DecodeFrameNumber(plane.data(), planeStride, sampleBytes, width, emu::kFrameNumberBlock, number);
}

// The number of a top-down frame of the application buffer in output format `bits`.
inline bool OutputFrameNumber(const BYTE* frame, int width, int height, int bits, uint32_t* number)
{
    const int pixelBytes = bits / 8;
    const bool wide = bits == 16 || bits == 48 || bits == 64;
    const bool colour = bits > 16;
    const int sampleBytes = wide ? 2 : 1;
    return FrameNumberOf(frame, FrameStride(width, bits), width, height, pixelBytes, sampleBytes,
                         colour ? sampleBytes : 0, number);
}

// The number of a bottom-up 24-bit frame of the file.
inline bool AviFrameNumber(const BYTE* frame, int width, int height, uint32_t* number)
{
    const int stride = FrameStride(width, 24);
    return FrameNumberOf(frame + static_cast<ptrdiff_t>(stride) * (height - 1), -stride, width, height, 3, 1, 1, number);
}

// A top-down frame of output format `bits` as the file holds it: rows bottom-up, 24 bits, gray
// repeated in the three samples, 10-bit samples reduced to their top 8 bits.
inline std::vector<BYTE> AviFrameOf(const BYTE* frame, int width, int height, int bits)
{
    const int stride = FrameStride(width, 24), sourceStride = FrameStride(width, bits);
    const int pixelBytes = bits / 8;
    const bool wide = bits == 16 || bits == 48 || bits == 64;
    auto sample = [&](const BYTE* p, int k) -> BYTE {
        return wide ? static_cast<BYTE>((p[2 * k] | p[2 * k + 1] << 8) >> 2) : p[k];
    };
    std::vector<BYTE> out(static_cast<size_t>(stride) * height);
    for (int y = 0; y < height; ++y) {
        const BYTE* s = frame + static_cast<ptrdiff_t>(y) * sourceStride;
        BYTE* d = &out[static_cast<size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x, s += pixelBytes, d += 3) {
            const bool colour = bits > 16;
            d[0] = sample(s, 0);
            d[1] = colour ? sample(s, 1) : d[0];
            d[2] = colour ? sample(s, 2) : d[0];
        }
    }
    return out;
}

// Whether the recording has released its file: the camera holds it unshared while it writes.
inline bool FileReleased(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Waits until the recording has released its file; false when it did not within `ms`.
inline bool WaitReleased(const std::string& path, DWORD ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (FileReleased(path))
            return true;
    return false;
}

}  // namespace sdktest
