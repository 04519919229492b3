// Pipeline stages and whole frames at the sensor's 2048 x 1536, one thread, next to OpenCV.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/surface_transfer.h"
#include "pipeline/process_frame.h"
#include "pipeline/simd.h"
#include "pipeline/stage_tables.h"
#include "pipeline/stages.h"

namespace {

constexpr int32_t kW = 2048;
constexpr int32_t kH = 1536;
constexpr int kBits[6] = {8, 16, 24, 32, 48, 64};

struct Surface {
    std::vector<uint8_t> bytes;
    SurfaceView view;
    explicit Surface(int bits) : bytes(static_cast<size_t>(SurfaceStride(kW, bits)) * kH)
    {
        view = SurfaceView{bytes.data(), kW, kH, SurfaceStride(kW, bits), static_cast<uint16_t>(bits)};
        std::mt19937 rng(bits);
        const bool wide = bits == 16 || bits == 48 || bits == 64;
        for (size_t i = 0; i < bytes.size(); i += wide ? 2 : 1) {
            bytes[i] = static_cast<uint8_t>(rng());
            if (wide)
                bytes[i + 1] = static_cast<uint8_t>(rng() & 3);
        }
    }
    cv::Mat mat(int type) { return cv::Mat(kH, kW, type, bytes.data(), static_cast<size_t>(view.stride)); }
};

// A smooth mosaic with a few spikes, closer to a camera frame than noise (the defect filter's work
// depends on the content).
void FillScene(Surface& s)
{
    std::mt19937 rng(3);
    const bool wide = s.view.bitCount == 16;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            int32_t v = 60 + (x / 8 + y / 8) % 120 + static_cast<int32_t>(rng() % 8);
            if (rng() % 5000 == 0)
                v = 255;
            if (wide) {
                const uint16_t w = static_cast<uint16_t>(v * 4);
                std::memcpy(s.view.pixels + static_cast<size_t>(y) * s.view.stride + 2 * x, &w, 2);
            } else {
                s.view.pixels[static_cast<size_t>(y) * s.view.stride + x] = static_cast<uint8_t>(v);
            }
        }
}

// Caller value 2 as the pipeline passes it: the defect filter's threshold, or the tables of a
// table stage, kept over the iterations as the pipeline's state keeps them over frames.
template <typename Extra = int32_t>
void Stage(benchmark::State& state, Converter stage, int dstBits, int srcBits, std::vector<int32_t> params,
           Extra* extra = nullptr, bool scene = false)
{
    Surface dst(dstBits);
    Surface src(srcBits);
    if (scene)
        FillScene(src);
    const bool inPlace = dstBits == srcBits && stage != SharpenMono8 && stage != SharpenMono10 &&
                         stage != SharpenColor8 && stage != SharpenColor10;
    int32_t* p = params.data();
    Surface pristine(srcBits);
    pristine.bytes = src.bytes;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(src.bytes.data(), pristine.bytes.data(), src.bytes.size());  // in-place stages start fresh
        state.ResumeTiming();
        TransferPixels(inPlace ? src.view : dst.view, stage, src.view, nullptr, 0, 0, &p, extra ? &extra : nullptr);
        benchmark::ClobberMemory();
    }
}

void DefectFilter8Bench(benchmark::State& s)
{
    int32_t threshold = 30;
    Stage(s, DefectFilter8, 8, 8, {3, 100, 100, 100}, &threshold, true);
}
void DefectFilter10Bench(benchmark::State& s)
{
    int32_t threshold = 120;
    Stage(s, DefectFilter10, 16, 16, {3, 100, 100, 100}, &threshold, true);
}
void Demosaic8To24(benchmark::State& s)
{
    Surface raw(8), out(24);
    int32_t params[4] = {3, 120, 100, 90};
    int32_t* p = params;
    for (auto _ : s) {
        TransferPixels(out.view, DemosaicInterior8, raw.view, nullptr, 0, 0, &p, nullptr);
        TransferPixels(out.view, DemosaicBorder8, raw.view, nullptr, 0, 0, &p, nullptr);
        benchmark::ClobberMemory();
    }
}
void Demosaic10To48(benchmark::State& s)
{
    Surface raw(16), out(48);
    int32_t params[4] = {3, 120, 100, 90};
    int32_t* p = params;
    for (auto _ : s) {
        TransferPixels(out.view, DemosaicInterior10, raw.view, nullptr, 0, 0, &p, nullptr);
        TransferPixels(out.view, DemosaicBorder10, raw.view, nullptr, 0, 0, &p, nullptr);
        benchmark::ClobberMemory();
    }
}
void CvDemosaic8(benchmark::State& s)
{
    Surface raw(8);
    cv::Mat out;
    for (auto _ : s)
        cv::demosaicing(raw.mat(CV_8UC1), out, cv::COLOR_BayerGR2BGR);
}
void CvDemosaic16(benchmark::State& s)
{
    Surface raw(16);
    cv::Mat out;
    for (auto _ : s)
        cv::demosaicing(raw.mat(CV_16UC1), out, cv::COLOR_BayerGR2BGR);
}
void WhiteBalance8(benchmark::State& s) { Stage(s, MeasureBayerBalance8, 8, 8, {100, 100, 100, 3}); }
void WhiteBalance10(benchmark::State& s) { Stage(s, MeasureBayerBalance10, 16, 16, {100, 100, 100, 3}); }
void GrayBalance8(benchmark::State& s) { Stage(s, MeasureGrayBalance, 8, 8, {3, 128, 128, 128, 128, 0, 0, 0, 0, 8}); }
void GrayBalance10(benchmark::State& s) { Stage(s, MeasureGrayBalance, 16, 16, {3, 128, 128, 128, 128, 0, 0, 0, 0, 10}); }
void Gamma24(benchmark::State& s) { CurveTables t; Stage(s, GammaColor8, 24, 24, {150, 10}, &t); }
void Gamma48(benchmark::State& s) { CurveTables t; Stage(s, GammaColor10, 48, 48, {150, 10}, &t); }
void GammaMono8Bench(benchmark::State& s) { CurveTables t; Stage(s, GammaMono8, 8, 8, {150, 10}, &t); }
void Contrast24(benchmark::State& s) { CurveTables t; Stage(s, ContrastColor8, 24, 24, {40, 10}, &t); }
void Brightness24(benchmark::State& s) { CurveTables t; Stage(s, BrightnessColor8, 24, 24, {40, 10}, &t); }
void Brightness48(benchmark::State& s) { CurveTables t; Stage(s, BrightnessColor10, 48, 48, {40, 10}, &t); }
void Contrast48(benchmark::State& s) { CurveTables t; Stage(s, ContrastColor10, 48, 48, {40, 10}, &t); }
void GrayGain8(benchmark::State& s)
{
    GrayGainTables t;
    Stage(s, GrayGainMono8, 8, 8, {3, 140, 128, 128, 150, 0, 0, 0, 0, 8}, &t);
}
void GrayGain10(benchmark::State& s) { Stage(s, GrayGainMono10, 16, 16, {3, 140, 128, 128, 150, 0, 0, 0, 0, 10}); }
void GrayFromColor(benchmark::State& s) { Stage(s, GrayFromColor8, 8, 24, {}); }
// Stage() copies the frame back before every run with the timer paused, which leaves the frame
// out of the caches; the peers of the table and gray stages do the same, so that both start alike.
void RestoreFrame(benchmark::State& state, Surface& img, const std::vector<uint8_t>& pristine)
{
    state.PauseTiming();
    std::memcpy(img.bytes.data(), pristine.data(), pristine.size());
    state.ResumeTiming();
}
// cv::LUT of an 8-bit gray (bits 8, the peer of the gray tables and gains) or colour frame.
void CvLut(benchmark::State& s, int bits)
{
    Surface img(bits);
    const std::vector<uint8_t> pristine = img.bytes;
    cv::Mat table(1, 256, CV_8U);
    for (int i = 0; i < 256; ++i)
        table.at<uint8_t>(i) = static_cast<uint8_t>(255 - i);
    cv::Mat src = img.mat(bits == 8 ? CV_8UC1 : CV_8UC3), out;
    for (auto _ : s) {
        RestoreFrame(s, img, pristine);
        cv::LUT(src, table, out);
    }
}
void CvLut24(benchmark::State& s) { CvLut(s, 24); }
void CvLutMono8(benchmark::State& s) { CvLut(s, 8); }
// A plain 1024-entry table loop over the 16-bit samples of a surface.
void Table1024Loop(benchmark::State& s, int bits)
{
    Surface img(bits);
    std::vector<uint16_t> table(1024);
    for (int i = 0; i < 1024; ++i)
        table[i] = static_cast<uint16_t>(1023 - i);
    const int32_t samples = kW * (bits / 16);
    const std::vector<uint8_t> pristine = img.bytes;
    for (auto _ : s) {
        RestoreFrame(s, img, pristine);
        for (int32_t y = 0; y < kH; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(img.view.pixels + static_cast<size_t>(y) * img.view.stride);
            for (int32_t i = 0; i < samples; ++i)
                row[i] = table[row[i] & 1023];
        }
        benchmark::ClobberMemory();
    }
}
void Table1024Loop48(benchmark::State& s) { Table1024Loop(s, 48); }
void Table1024LoopMono16(benchmark::State& s) { Table1024Loop(s, 16); }
void CvGrayFromBgr(benchmark::State& s)
{
    Surface img(24);
    const std::vector<uint8_t> pristine = img.bytes;
    cv::Mat gray;
    for (auto _ : s) {
        RestoreFrame(s, img, pristine);
        cv::cvtColor(img.mat(CV_8UC3), gray, cv::COLOR_BGR2GRAY);
    }
}
void HueSat24(benchmark::State& s) { Stage(s, HueSat8, 24, 24, {40, 0, 60, 10}); }
void HueSat48(benchmark::State& s) { Stage(s, HueSat10, 48, 48, {40, 0, 60, 10}); }
void CvHlsRoundTrip(benchmark::State& s)
{
    Surface img(24);
    cv::Mat hls, back;
    for (auto _ : s) {
        cv::cvtColor(img.mat(CV_8UC3), hls, cv::COLOR_BGR2HLS);
        cv::cvtColor(hls, back, cv::COLOR_HLS2BGR);
    }
}
// OpenCV has no 16-bit HLS: a 10-bit frame goes through single precision and back.
void CvHlsRoundTrip48(benchmark::State& s)
{
    Surface img(48);
    cv::Mat scaled, hls, back, out;
    for (auto _ : s) {
        img.mat(CV_16UC3).convertTo(scaled, CV_32F, 1.0 / 1023);
        cv::cvtColor(scaled, hls, cv::COLOR_BGR2HLS);
        cv::cvtColor(hls, back, cv::COLOR_HLS2BGR);
        back.convertTo(out, CV_16U, 1023);
    }
}
void Sharpen24(benchmark::State& s) { SharpenTables t; Stage(s, SharpenColor8, 24, 24, {12, 10}, &t); }
void Sharpen48(benchmark::State& s) { SharpenTables t; Stage(s, SharpenColor10, 48, 48, {12, 10}, &t); }
void SharpenGray8(benchmark::State& s) { SharpenTables t; Stage(s, SharpenMono8, 8, 8, {12, 10}, &t); }
void SharpenGray16(benchmark::State& s) { SharpenTables t; Stage(s, SharpenMono10, 16, 16, {12, 10}, &t); }
// Unsharp mask: a 4 x 4 box blur and the weighted difference.
void CvUnsharp(benchmark::State& s, int bits, int type)
{
    Surface img(bits);
    cv::Mat blurred, out;
    for (auto _ : s) {
        cv::blur(img.mat(type), blurred, cv::Size(4, 4));
        cv::addWeighted(img.mat(type), 2.2, blurred, -1.2, 0, out);
    }
}
void CvUnsharp24(benchmark::State& s) { CvUnsharp(s, 24, CV_8UC3); }
void CvUnsharp48(benchmark::State& s) { CvUnsharp(s, 48, CV_16UC3); }
void CvUnsharpGray8(benchmark::State& s) { CvUnsharp(s, 8, CV_8UC1); }
void CvUnsharpGray16(benchmark::State& s) { CvUnsharp(s, 16, CV_16UC1); }
void Memcpy9MiB(benchmark::State& s)
{
    std::vector<uint8_t> a(static_cast<size_t>(kW) * kH * 3), b(a.size(), 1);
    for (auto _ : s) {
        std::memcpy(a.data(), b.data(), a.size());
        benchmark::ClobberMemory();
    }
}

// The whole frame for one output format, neutral or with every stage on.
void WholeFrame(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const bool everything = state.range(1) != 0;
    std::vector<std::unique_ptr<Surface>> surfaces;
    for (int bits : kBits)
        surfaces.push_back(std::make_unique<Surface>(bits));
    Surface work(kBits[format]);
    Surface& raw = *surfaces[format == 1 || format >= 4 ? 1 : 0];
    FillScene(raw);
    const std::vector<uint8_t> pristine = raw.bytes;
    PipelineSurfaces views{surfaces[0]->view, surfaces[1]->view, surfaces[2]->view, surfaces[3]->view,
                           surfaces[4]->view, surfaces[5]->view, work.view};
    FilterParams f{};
    f.bayerGainR = f.bayerGainG = f.bayerGainB = 100;
    f.gamma = 100;
    f.bayerMode = 3;
    f.grayGainR = f.grayGainG1 = f.grayGainG2 = f.grayGainB = 128;
    if (everything) {
        f.hue = 20, f.saturation = 40, f.gamma = 130, f.contrast = 10, f.sharpness = 8, f.brightness = 15;
        f.grayMode = 1, f.grayGainR = 150;
    }
    PipelineSettings settings;
    settings.outputFormat = format;
    PipelineState pipeline;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(raw.bytes.data(), pristine.data(), pristine.size());
        state.ResumeTiming();
        ProcessFrame(pipeline, views, settings, f, nullptr, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(kBits[format]) + (everything ? "-bit all stages" : "-bit neutral"));
}

}  // namespace

BENCHMARK(DefectFilter8Bench)->Unit(benchmark::kMillisecond);
BENCHMARK(DefectFilter10Bench)->Unit(benchmark::kMillisecond);
BENCHMARK(Demosaic8To24)->Unit(benchmark::kMillisecond);
BENCHMARK(CvDemosaic8)->Unit(benchmark::kMillisecond);
BENCHMARK(Demosaic10To48)->Unit(benchmark::kMillisecond);
BENCHMARK(CvDemosaic16)->Unit(benchmark::kMillisecond);
BENCHMARK(WhiteBalance8)->Unit(benchmark::kMillisecond);
BENCHMARK(WhiteBalance10)->Unit(benchmark::kMillisecond);
BENCHMARK(GrayBalance8)->Unit(benchmark::kMillisecond);
BENCHMARK(GrayBalance10)->Unit(benchmark::kMillisecond);
BENCHMARK(Gamma24)->Unit(benchmark::kMillisecond);
BENCHMARK(Contrast24)->Unit(benchmark::kMillisecond);
BENCHMARK(Brightness24)->Unit(benchmark::kMillisecond);
BENCHMARK(CvLut24)->Unit(benchmark::kMillisecond);
BENCHMARK(GammaMono8Bench)->Unit(benchmark::kMillisecond);
BENCHMARK(CvLutMono8)->Unit(benchmark::kMillisecond);
BENCHMARK(Gamma48)->Unit(benchmark::kMillisecond);
BENCHMARK(Brightness48)->Unit(benchmark::kMillisecond);
BENCHMARK(Contrast48)->Unit(benchmark::kMillisecond);
BENCHMARK(Table1024Loop48)->Unit(benchmark::kMillisecond);
BENCHMARK(GrayGain8)->Unit(benchmark::kMillisecond);
BENCHMARK(GrayGain10)->Unit(benchmark::kMillisecond);
BENCHMARK(Table1024LoopMono16)->Unit(benchmark::kMillisecond);
BENCHMARK(GrayFromColor)->Unit(benchmark::kMillisecond);
BENCHMARK(CvGrayFromBgr)->Unit(benchmark::kMillisecond);
BENCHMARK(HueSat24)->Unit(benchmark::kMillisecond);
BENCHMARK(HueSat48)->Unit(benchmark::kMillisecond);
BENCHMARK(CvHlsRoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK(CvHlsRoundTrip48)->Unit(benchmark::kMillisecond);
BENCHMARK(Sharpen24)->Unit(benchmark::kMillisecond);
BENCHMARK(Sharpen48)->Unit(benchmark::kMillisecond);
BENCHMARK(SharpenGray8)->Unit(benchmark::kMillisecond);
BENCHMARK(SharpenGray16)->Unit(benchmark::kMillisecond);
BENCHMARK(CvUnsharp24)->Unit(benchmark::kMillisecond);
BENCHMARK(CvUnsharp48)->Unit(benchmark::kMillisecond);
BENCHMARK(CvUnsharpGray8)->Unit(benchmark::kMillisecond);
BENCHMARK(CvUnsharpGray16)->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy9MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeFrame)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})->Unit(benchmark::kMillisecond);

// OpenCV would spread its peers over every core; ours run on one thread, so theirs do too.
// --level=scalar|sse2|avx2 caps the pipeline's vector level, to see what machines without the
// wider units get; the default is the best this machine has.
static bool CapLevel(int& argc, char** argv)
{
    constexpr const char kFlag[] = "--level=";
    const std::pair<const char*, SimdLevel> names[] = {
        {"scalar", SimdLevel::kScalar}, {"sse2", SimdLevel::kSse2}, {"avx2", SimdLevel::kAvx2}};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, sizeof(kFlag) - 1) != 0)
            continue;
        const char* name = argv[i] + sizeof(kFlag) - 1;
        bool known = false;
        for (const auto& [text, level] : names)
            if (std::strcmp(name, text) == 0) {
                SetPipelineSimdLimit(level);
                known = true;
            }
        if (!known)
            return false;
        std::copy(argv + i + 1, argv + argc, argv + i);  // hide it from the benchmark library
        --argc;
        --i;
    }
    return true;
}

int main(int argc, char** argv)
{
    cv::setNumThreads(1);
    if (!CapLevel(argc, argv)) {
        std::fprintf(stderr, "--level takes scalar, sse2 or avx2\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
