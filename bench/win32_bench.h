#pragma once
// What the Windows benchmarks share: CPU times from Win32, and the device's transfer ring started
// and read.
#include "device/velmor_520qk.h"

#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdint>
#include <vector>

namespace bench {

// FILETIME counts 100 ns ticks.
inline double FileTimeMs(const FILETIME& t) { return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4; }

// This process's CPU time, all threads, kernel and user.
inline double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

// Read while the thread still runs: Wine reports no times for a thread that has ended.
inline double ThreadCpuMs(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

// Starts the transfer ring on a window of width x height at the sensor's origin, in one- or
// two-byte samples, with `frame` sized for what it delivers; false, the benchmark skipped, if it
// did not start.
inline bool StartRing(benchmark::State& state, CVelmor520QKZRXSdk& device, int width, int height, bool twoBytes,
                      std::vector<uint8_t>& frame)
{
    device.SetSampleWidth(twoBytes ? 1 : 0);
    device.SetSensorWindow(0, 0, width, height, 0);
    frame.resize(device.DeliveredBytes());
    if (device.StartTransfer() == kStatusOk)
        return true;
    state.SkipWithError("transfer did not start");
    return false;
}

// Waits for the ring's next frame (a signal without a frame is waited through) and copies the
// newest; false when the transfer has failed.
inline bool TakeFrame(CVelmor520QKZRXSdk& device, uint8_t* frame)
{
    int result = kWaitSignalled;
    while (result == kWaitSignalled)
        result = device.WaitFrame();
    return result == kWaitReady && device.GetFrame(frame) == kStatusOk;
}

}  // namespace bench
