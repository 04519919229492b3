#pragma once
// Surfaces, random frames and plain reference formulas shared by the pipeline tests.
#include <cstdint>
#include <random>
#include <vector>

#include "imaging/pixel_types.h"

// A heap surface with the camera's row padding.
struct TestSurface {
    std::vector<uint8_t> bytes;
    SurfaceView view;

    TestSurface(int32_t width, int32_t height, uint16_t bitCount);
    TestSurface(const TestSurface& other);
    TestSurface& operator=(const TestSurface&) = delete;

    // Sample c of pixel (x, y) in memory rows: bytes for 8/24/32 bits, 16-bit words otherwise.
    int32_t at(int32_t x, int32_t y, int c = 0) const;
    void set(int32_t x, int32_t y, int c, int32_t value);
    int channels() const;  // samples per pixel
    bool wide() const { return view.bitCount == 16 || view.bitCount == 48 || view.bitCount == 64; }
    void fill(int32_t value);
    // Every sample random: 0..255, or 0..1023 for 16-bit samples.
    void randomise(std::mt19937& rng);
    bool samePixels(const TestSurface& other) const;  // ignoring the row padding
};

// Frame sizes from 1 x 1 up, odd, tiny and unaligned ones among them.
const std::vector<std::pair<int32_t, int32_t>>& TestSizes();

// Runs a stage over whole surfaces as the pipeline does (caller values are pointers to pointers).
int RunStage(const TestSurface& dst, Converter stage, const TestSurface& src, int32_t* params,
             int32_t* extra = nullptr);

// The demosaic colour at (x, y) straight from the colour-site table, with border coordinates
// folded 4 inward (tiny frames: the first sample of the same parity, or 0).
struct RefRgb {
    int32_t red, green, blue;
};
RefRgb ReferenceBayer(const TestSurface& raw, int32_t x, int32_t y, int phase, int32_t gainRed, int32_t gainBlue);
