#include "stage_test_support.h"

#include <algorithm>
#include <cstring>

#include "imaging/surface_transfer.h"

TestSurface::TestSurface(int32_t width, int32_t height, uint16_t bitCount)
    : bytes(static_cast<size_t>(SurfaceStride(width, bitCount)) * height, 0)
{
    view = SurfaceView{bytes.data(), width, height, SurfaceStride(width, bitCount), bitCount};
}

TestSurface::TestSurface(const TestSurface& other) : bytes(other.bytes), view(other.view) { view.pixels = bytes.data(); }

int TestSurface::channels() const { return view.bitCount == 8 || view.bitCount == 16 ? 1 : view.bitCount / (wide() ? 16 : 8); }

int32_t TestSurface::at(int32_t x, int32_t y, int c) const
{
    const uint8_t* p = view.pixels + static_cast<size_t>(y) * view.stride + static_cast<size_t>(x) * view.bytesPerPixel();
    if (!wide())
        return p[c];
    uint16_t word;
    std::memcpy(&word, p + 2 * c, 2);
    return word;
}

void TestSurface::set(int32_t x, int32_t y, int c, int32_t value)
{
    uint8_t* p = view.pixels + static_cast<size_t>(y) * view.stride + static_cast<size_t>(x) * view.bytesPerPixel();
    if (!wide()) {
        p[c] = static_cast<uint8_t>(value);
        return;
    }
    const uint16_t word = static_cast<uint16_t>(value);
    std::memcpy(p + 2 * c, &word, 2);
}

void TestSurface::fill(int32_t value)
{
    for (int32_t y = 0; y < view.height; ++y)
        for (int32_t x = 0; x < view.width; ++x)
            for (int c = 0; c < channels(); ++c)
                set(x, y, c, value);
}

void TestSurface::randomise(std::mt19937& rng)
{
    std::uniform_int_distribution<int32_t> sample(0, wide() ? 1023 : 255);
    for (int32_t y = 0; y < view.height; ++y)
        for (int32_t x = 0; x < view.width; ++x)
            for (int c = 0; c < channels(); ++c)
                set(x, y, c, sample(rng));
}

bool TestSurface::samePixels(const TestSurface& other) const
{
    if (view.width != other.view.width || view.height != other.view.height || view.bitCount != other.view.bitCount)
        return false;
    for (int32_t y = 0; y < view.height; ++y)
        if (std::memcmp(view.pixels + static_cast<size_t>(y) * view.stride,
                        other.view.pixels + static_cast<size_t>(y) * other.view.stride,
                        static_cast<size_t>(view.width) * view.bytesPerPixel()) != 0)
            return false;
    return true;
}

const std::vector<std::pair<int32_t, int32_t>>& TestSizes()
{
    static const std::vector<std::pair<int32_t, int32_t>> sizes = {
        {1, 1}, {2, 1}, {1, 3}, {2, 2}, {3, 3}, {4, 4}, {3, 5}, {5, 5}, {6, 5}, {5, 6},
        {7, 7}, {8, 6}, {13, 9}, {16, 11}, {33, 17}, {37, 24}, {64, 48}, {101, 7}};
    return sizes;
}

int RunStage(const TestSurface& dst, Converter stage, const TestSurface& src, int32_t* params, int32_t* extra)
{
    return TransferPixels(dst.view, stage, src.view, nullptr, 0, 0, &params, extra ? &extra : nullptr);
}

namespace {

int32_t Fold(int32_t c, int32_t n)
{
    if (c < 0)
        c += 4;
    else if (c >= n)
        c -= 4;
    if (c >= 0 && c < n)
        return c;
    return (c & 1) < n ? (c & 1) : 0;
}

}  // namespace

RefRgb ReferenceBayer(const TestSurface& raw, int32_t x, int32_t y, int phase, int32_t gainRed, int32_t gainBlue)
{
    const int32_t w = raw.view.width;
    const int32_t h = raw.view.height;
    const bool wide = raw.view.bitCount == 16;
    const int32_t maxSample = wide ? 1023 : 255;
    const int32_t cap = wide ? 1 << 21 : 1 << 19;
    auto p = [&](int32_t cx, int32_t cy) { return raw.at(Fold(cx, w), Fold(cy, h)); };
    // Colour of a raw sample: G, B, R by (row state, column state).
    auto colour = [&](int32_t cx, int32_t cy) {
        const int rs = (phase & 1) ^ (cy & 1);
        const int cs = ((phase >> 1) & 1) ^ (cx & 1);
        return rs == cs ? 'G' : (rs == 0 ? 'B' : 'R');
    };
    const int32_t bx[4] = {x, x - 1, x, x - 1};
    const int32_t by[4] = {y, y, y - 1, y - 1};
    int32_t greenSum = 0;
    int32_t sums[2] = {};  // red, blue
    for (int i = 0; i < 4; ++i) {
        // The colour is judged on the unfolded coordinate: folding by 4 keeps it.
        const char c = colour(bx[i], by[i]);
        if (c == 'G') {
            greenSum += p(bx[i], by[i]);
            continue;
        }
        const int32_t hx = bx[i] == x - 1 ? x + 1 : x - 2;
        const int32_t hy = by[i] == y - 1 ? y + 1 : y - 2;
        sums[c == 'R' ? 0 : 1] = 9 * p(bx[i], by[i]) + 3 * p(hx, by[i]) + 3 * p(bx[i], hy) + p(hx, hy);
    }
    const int32_t gR = static_cast<int32_t>(gainRed * 1.28);
    const int32_t gB = static_cast<int32_t>(gainBlue * 1.28);
    auto scale = [&](int32_t g, int32_t s) { return g * s >= cap ? maxSample : (g * s) >> 11; };
    return RefRgb{scale(gR, sums[0]), std::min(greenSum >> 1, maxSample), scale(gB, sums[1])};
}
