// Still-image writers on a full 2048 x 1536 frame (Windows build, run under Wine).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imaging/image_writer.h"

namespace {

constexpr int32_t kWidth = 2048;
constexpr int32_t kHeight = 1536;

// A noisy frame: what a camera delivers, and no easy case for the compressors.
void FillNoise(FrameSurface& s, bool tenBits)
{
    std::mt19937 random(1);
    for (int64_t i = 0; i < s.byteCount(); i += 2) {
        const uint32_t v = random();
        s.pixels[i] = static_cast<uint8_t>(v);
        if (i + 1 < s.byteCount())
            s.pixels[i + 1] = static_cast<uint8_t>(tenBits ? (v >> 8) & 3 : v >> 8);
    }
}

void Write(benchmark::State& state, uint16_t bits, int code)
{
    FrameSurface s;
    s.Create(kWidth, kHeight, bits);
    FillNoise(s, bits == 16 || bits == 48 || bits == 64);
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteImageFile("bench-writer.img", s, code));
}

BENCHMARK_CAPTURE(Write, bmp24, 24, kSaveBmp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, raw24, 24, kSaveRaw)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, jpeg100_24, 24, kSaveJpeg100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, jpeg70_24, 24, kSaveJpeg70)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, jpeg20_24, 24, kSaveJpeg20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, png8_24, 24, kSavePng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, png16_48, 48, kSavePng)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, tiff24, 24, kSaveTiff)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
