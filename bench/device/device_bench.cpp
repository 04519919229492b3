// Frames per second that the transfer ring delivers from a fast emulated camera with a raw
// source, and the CPU time the transfer thread spends per frame.
#include "device/velmor_520qk.h"
#include "emulator/emulated_port.h"
#include "win32_bench.h"

#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = CVelmor520QKZRXSdk::kSensorColumns;
constexpr int kRows = CVelmor520QKZRXSdk::kSensorRows;

std::string RawFile()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "velmor_device_bench.raw";
    std::vector<uint16_t> samples(size_t(kColumns) * kRows);
    std::mt19937 random(7);
    for (uint16_t& v : samples)
        v = uint16_t(random() & 0x3FF);
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(samples.data(), sizeof(uint16_t), samples.size(), out);
        std::fclose(out);
    }
    return path;
}

void RingDelivery(benchmark::State& state)
{
    static const std::string path = RawFile();
    const bool wide = state.range(0) != 0;
    EmulatedDriverPort port(("devices=0;timing=fast;source=raw:" + path).c_str());
    CVelmor520QKZRXSdk device(port);
    std::vector<uint8_t> frame;
    if (!bench::StartRing(state, device, kColumns, kRows, wide, frame))
        return;
    HANDLE thread = device.TransferThread();
    int64_t delivered = 0;
    for (auto _ : state) {
        if (!bench::TakeFrame(device, frame.data())) {
            state.SkipWithError("transfer failed");
            break;
        }
        ++delivered;
    }
    // Read while the thread still runs: Wine reports no times for a thread that has ended.
    const double cpuMs = bench::ThreadCpuMs(thread);
    device.StopTransfer();
    state.counters["fps"] = benchmark::Counter(double(delivered), benchmark::Counter::kIsRate);
    state.counters["thread_cpu_ms_per_delivered_frame"] = delivered ? cpuMs / double(delivered) : 0;
    state.SetBytesProcessed(delivered * int64_t(frame.size()));
}

BENCHMARK(RingDelivery)->Arg(0)->Arg(1)->ArgName("two_byte")->UseRealTime()->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
