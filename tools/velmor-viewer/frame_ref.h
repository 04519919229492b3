#pragma once
// A frame in the viewer's buffer as the camera wrote it: top row first, rows padded to 4 bytes, in
// one of the six output formats. Portable (no Windows header), so that its readers can be tested
// anywhere.
#include <cstddef>
#include <cstdint>

namespace viewer {

struct FrameRef {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;

    int Stride() const { return (width * (bitsPerPixel / 8) + 3) & ~3; }
    std::size_t Bytes() const { return static_cast<std::size_t>(Stride()) * height; }
    bool Valid() const { return data && width > 0 && height > 0 && IsKnownFormat(bitsPerPixel); }

    static bool IsKnownFormat(int bits)
    {
        return bits == 8 || bits == 16 || bits == 24 || bits == 32 || bits == 48 || bits == 64;
    }
    // 16, 48 and 64-bit formats hold 10 significant bits in each 16-bit word; the others 8 bits.
    static bool WideSamples(int bits) { return bits == 16 || bits == 48 || bits == 64; }
    static int SampleMax(int bits) { return WideSamples(bits) ? 1023 : 255; }
    // Colour channels shown to the operator: 1 for the gray formats, 3 (B, G, R) for colour.
    static int Channels(int bits) { return bits == 8 || bits == 16 ? 1 : 3; }

    // Channel c (0 = blue or gray) of the pixel at column x, row y, in the format's own bits.
    int Sample(int x, int y, int c) const
    {
        constexpr unsigned kTenBits = 0x3FF;
        const int bytesPerPixel = bitsPerPixel / 8;
        const std::uint8_t* pixel = data + static_cast<std::size_t>(y) * Stride() + static_cast<std::size_t>(x) * bytesPerPixel;
        if (!WideSamples(bitsPerPixel))
            return pixel[c];
        const std::uint8_t* word = pixel + 2 * c;
        return static_cast<int>((word[0] | unsigned{word[1]} << 8) & kTenBits);
    }
};

}  // namespace viewer
