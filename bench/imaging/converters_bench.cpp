// Converters on a full 2048 x 1536 frame (host and Windows builds), and on the host the peer:
// OpenCV's PNG, JPEG and TIFF writers of the same 24-bit image.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imaging/converters.h"
#include "imaging/frame_surface.h"

#ifdef VELMOR_BENCH_OPENCV
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>
#endif

namespace {

constexpr int32_t kWidth = 2048;
constexpr int32_t kHeight = 1536;

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

void Convert(benchmark::State& state, Converter converter, uint16_t srcBits, uint16_t dstBits)
{
    FrameSurface src, dst;
    src.Create(kWidth, kHeight, srcBits);
    dst.Create(kWidth, kHeight, dstBits);
    FillNoise(src, srcBits == 16 || srcBits == 48 || srcBits == 64);
    for (auto _ : state) {
        dst.Transfer(converter, src, nullptr, 0, 0, nullptr, nullptr);
        benchmark::DoNotOptimize(dst.pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * src.byteCount());
}

#define CONVERTER_BENCH(name, src, dst) BENCHMARK_CAPTURE(Convert, name, name, src, dst)->Unit(benchmark::kMillisecond)
CONVERTER_BENCH(CopyRowsFlipped, 24, 24);
CONVERTER_BENCH(Bgr24FromColorFlipped, 32, 24);
CONVERTER_BENCH(Bgr24FromBgrx32, 32, 24);
CONVERTER_BENCH(Mono8FromMono10, 16, 8);
CONVERTER_BENCH(Mono8FromMono10Flipped, 16, 8);
CONVERTER_BENCH(Bgr24FromColor10, 48, 24);
CONVERTER_BENCH(Bgr24FromColor10Flipped, 64, 24);
CONVERTER_BENCH(Mono16FromMono10, 16, 16);
CONVERTER_BENCH(Bgr48FromBgr10, 48, 48);
CONVERTER_BENCH(Rgb48FromBgr10, 48, 48);
CONVERTER_BENCH(Bgra64FromBgr10, 64, 64);
CONVERTER_BENCH(Rgba64FromBgr10, 64, 64);
CONVERTER_BENCH(RgbFromBgr8, 24, 24);
CONVERTER_BENCH(Bgra32InvertedAlpha, 32, 32);

#ifdef VELMOR_BENCH_OPENCV
// The peer: the same kind of 24-bit frame (a smooth pattern plus noise) written by OpenCV.
void OpenCvWrite(benchmark::State& state, const char* extension, std::vector<int> params)
{
    FrameSurface s;
    s.Create(kWidth, kHeight, 24);
    FillNoise(s, false);
    const cv::Mat image(kHeight, kWidth, CV_8UC3, s.pixels, static_cast<size_t>(s.stride));
    const std::string name = std::string("bench-opencv") + extension;
    for (auto _ : state)
        benchmark::DoNotOptimize(cv::imwrite(name, image, params));
}
BENCHMARK_CAPTURE(OpenCvWrite, bmp, ".bmp", std::vector<int>{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenCvWrite, jpeg100, ".jpg", std::vector<int>{cv::IMWRITE_JPEG_QUALITY, 100, cv::IMWRITE_JPEG_PROGRESSIVE, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenCvWrite, jpeg70, ".jpg", std::vector<int>{cv::IMWRITE_JPEG_QUALITY, 70, cv::IMWRITE_JPEG_PROGRESSIVE, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenCvWrite, jpeg20, ".jpg", std::vector<int>{cv::IMWRITE_JPEG_QUALITY, 20, cv::IMWRITE_JPEG_PROGRESSIVE, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenCvWrite, png, ".png", std::vector<int>{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenCvWrite, tiff, ".tif", std::vector<int>{cv::IMWRITE_TIFF_COMPRESSION, 1})->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
