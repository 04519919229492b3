// Frames per second of the transfer ring at full frame with timing=fast, and CPU time per frame,
// through the virtual camera driver (the SDK's Win32 port: DeviceIoControl, the Wine server, the
// driver's host process) beside the same ring on the emulator inside the process. Both run with
// the same settings, alternately, in one process.
//
// Counters: fps, frames the application took per second; process_cpu_ms_per_frame, this
// process's CPU time (all threads); machine_cpu_ms_per_frame, the busy time of all processors
// from /proc/stat, which also holds the Wine server and the driver's host process that the
// driver path costs (and whatever else the machine runs: the machine is shared).
#include "device/velmor_520qk.h"
#include "device/win32_port.h"
#include "emulator/emulated_port.h"
#include "virtual_camera.h"
#include "win32_bench.h"

#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kSettings[] = "devices=0;timing=fast";
constexpr int kColumns = CVelmor520QKZRXSdk::kSensorColumns;
constexpr int kRows = CVelmor520QKZRXSdk::kSensorRows;
constexpr int kWarmUpFrames = 5;
constexpr char kProcStat[] = "Z:\\proc\\stat";

// Busy milliseconds of all processors since boot: the "cpu" line of /proc/stat without idle and
// iowait, in clock ticks of 10 ms.
double MachineBusyMs()
{
    FILE* file = std::fopen(kProcStat, "r");
    if (!file)
        return 0;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    const int read = std::fscanf(file, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system, &idle,
                                 &iowait, &irq, &softirq, &steal);
    std::fclose(file);
    constexpr double kMsPerTick = 10.0;
    return read == 8 ? double(user + nice + system + irq + softirq + steal) * kMsPerTick : 0;
}

std::unique_ptr<DriverPort> MakePort(bool driver)
{
    if (driver)
        return std::make_unique<Win32DriverPort>();
    return std::make_unique<EmulatedDriverPort>(kSettings);
}

void Ring(benchmark::State& state)
{
    const bool driver = state.range(0) != 0;
    const bool wide = state.range(1) != 0;
    std::unique_ptr<DriverPort> port = MakePort(driver);
    CVelmor520QKZRXSdk device(*port);
    std::vector<uint8_t> frame;
    if (!bench::StartRing(state, device, kColumns, kRows, wide, frame))
        return;
    auto take = [&] { return bench::TakeFrame(device, frame.data()); };
    for (int i = 0; i < kWarmUpFrames; ++i)
        take();
    const double processBefore = bench::ProcessCpuMs();
    const double machineBefore = MachineBusyMs();
    int64_t frames = 0;
    for (auto _ : state) {
        if (!take()) {
            state.SkipWithError("transfer failed");
            break;
        }
        ++frames;
    }
    const double processMs = bench::ProcessCpuMs() - processBefore;
    const double machineMs = MachineBusyMs() - machineBefore;
    device.StopTransfer();
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["process_cpu_ms_per_frame"] = frames ? processMs / double(frames) : 0;
    state.counters["machine_cpu_ms_per_frame"] = frames ? machineMs / double(frames) : 0;
    state.SetBytesProcessed(frames * int64_t(frame.size()));
}

BENCHMARK(Ring)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"driver", "two_byte"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

}  // namespace

int main(int argc, char** argv)
{
    if (!vcam_test::UsesVirtualCamera() || !vcam_test::RestartVirtualCamera(kSettings)) {
        std::fprintf(stderr, "driver_bench: run it with scripts/wine-run --virtual-camera\n");
        return 1;
    }
    benchmark::AddCustomContext("settings", kSettings);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
