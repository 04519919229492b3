// Time the transfer thread spends in FrameRenderer::Render for one full 2048 x 1536 frame, by
// source and sample width: a stream of frames with the same registers, as in live acquisition,
// and frames whose registers changed since the last one (every sample rendered anew).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "emulator/emu_host.h"
#include "emulator/sensor_model.h"

namespace {

using emu::FrameRenderer;
using emu::SourceKind;

constexpr size_t kSamples = size_t{emu::kSensorColumns} * emu::kSensorRows;
constexpr int kRingBuffers = 4;  // frames go round the device layer's transfer ring
constexpr uint16_t kFlatLevel = 600;
constexpr uint16_t kOtherExposure = emu::kNeutralExposure - 1;

const uint16_t* RawSamples()
{
    static const std::vector<uint16_t> samples = [] {
        std::vector<uint16_t> s(kSamples);
        std::mt19937 random(3);
        for (uint16_t& v : s)
            v = static_cast<uint16_t>(random() & emu::kMaxSample);
        return s;
    }();
    return samples.data();
}

FrameRenderer::Source MakeSource(SourceKind kind)
{
    return {kind, kFlatLevel, kind == SourceKind::Raw ? RawSamples() : nullptr};
}

// One frame a loop; with `changing`, the exposure alternates so that no frame repeats the last.
void Render(benchmark::State& state, SourceKind kind, bool changing)
{
    const bool twoBytes = state.range(0) != 0;
    const FrameRenderer::Source source = MakeSource(kind);
    emu::RegisterFile regs;
    regs.Reset();
    regs.twoByteSamples = twoBytes;
    const uint64_t bytes = kSamples * (twoBytes ? 2 : 1);
    std::vector<std::vector<uint8_t>> ring(kRingBuffers, std::vector<uint8_t>(bytes));
    auto renderer = std::make_unique<FrameRenderer>(emu::ProcessEmuHost());
    uint32_t frame = 0;
    renderer->Render(source, regs, frame++, ring[0].data(), bytes);  // the first frame sets up
    for (auto _ : state) {
        if (changing)
            regs.sensor[emu::reg::kExposure] = frame % 2 ? kOtherExposure : emu::kNeutralExposure;
        uint8_t* out = ring[frame % kRingBuffers].data();
        renderer->Render(source, regs, frame++, out, bytes);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void Stream(benchmark::State& state, SourceKind kind) { Render(state, kind, false); }
void Changed(benchmark::State& state, SourceKind kind) { Render(state, kind, true); }

#define RENDER_BENCH(function, name, kind) \
    BENCHMARK_CAPTURE(function, name, kind)->Arg(0)->Arg(1)->ArgName("two_byte")->Unit(benchmark::kMillisecond)
RENDER_BENCH(Stream, bars, SourceKind::Bars);
RENDER_BENCH(Stream, flat, SourceKind::Flat);
RENDER_BENCH(Stream, raw, SourceKind::Raw);
RENDER_BENCH(Changed, bars, SourceKind::Bars);
RENDER_BENCH(Changed, flat, SourceKind::Flat);
RENDER_BENCH(Changed, raw, SourceKind::Raw);

}  // namespace

BENCHMARK_MAIN();
