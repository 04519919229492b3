// When frames come: the free-running frame period, trigger pulses, the driver wait, and the
// faults (unplug, replug, short reads). A virtual clock makes the times exact; one check uses the real
// clock with a lower bound only. Also concurrent use from several threads.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "emu_test_support.h"
#include "emulator/frame_number.h"

using namespace emutest;

namespace {

constexpr uint64_t kFullWindow48MHzNanos = 82587250;  // 1626 lines × 2438 clocks at 48 MHz

// Line length by sub-sampling mode and window width, as the camera object converts exposures.
uint64_t LineClocks(int mode, int width)
{
    if (mode == 1 || mode == 2) {
        const int b = width / Divisor(mode);
        return b >= 278 ? b + 390 : 697;
    }
    if (mode == 17 || mode == 18) {
        const int b = width / Divisor(mode);
        return b >= 610 ? b + 717 : 1305;
    }
    return width >= 278 ? width + 390 : 647;
}

uint64_t ExpectedPeriodNanos(int mode, int width, int height, int exposure, uint64_t clockHz)
{
    uint64_t lines = height / Divisor(mode) + 90;
    if (uint64_t(exposure) > lines)
        lines = exposure + 1;
    return lines * LineClocks(mode, width) * 1000000000ull / clockHz;
}

TEST(FramePeriod, FollowsClockWindowSubSamplingAndExposure)
{
    EmulatedDriverPort port("timing=real");
    Client client(port);
    EXPECT_EQ(port.FramePeriodNanos(0), ExpectedPeriodNanos(0, 2048, 1536, 1561, 24000000));
    ASSERT_TRUE(client.WriteControl(15, 2));
    EXPECT_EQ(port.FramePeriodNanos(0), kFullWindow48MHzNanos);

    const uint64_t clocks[] = {24000000, 12000000, 48000000, 40000000, 20000000, 10000000, 24000000};
    const struct {
        int x, y, w, h, mode;
    } windows[] = {{0, 0, 2048, 1536, 1}, {0, 0, 2048, 1536, 2}, {0, 0, 2048, 1536, 17}, {0, 0, 2048, 1536, 18},
                   {64, 32, 200, 100, 0}, {0, 0, 1024, 512, 17}, {0, 0, 2000, 1000, 0}};
    for (int selection = 0; selection < 7; ++selection) {
        ASSERT_TRUE(client.WriteControl(15, uint8_t(selection == 6 ? 9 : selection)));
        for (const auto& w : windows) {
            client.ProgramWindow(w.x, w.y, w.w, w.h, w.mode, false);
            for (int exposure : {1561, 1, 5000}) {
                ASSERT_TRUE(client.WriteSensor(9, uint16_t(exposure)));
                EXPECT_EQ(port.FramePeriodNanos(0), ExpectedPeriodNanos(w.mode, w.w, w.h, exposure, clocks[selection]))
                    << "clock " << selection << " mode " << w.mode << " width " << w.w << " exposure " << exposure;
            }
        }
    }
    EXPECT_EQ(port.FramePeriodNanos(1), 0u) << "device 1 does not answer";
}

// Completion times of `count` consecutive frame reads, in virtual microseconds.
std::vector<uint64_t> ReadTimes(Client& client, VirtualClockHost& host, int count, uint32_t bytes)
{
    std::vector<uint64_t> times;
    std::vector<uint8_t> frame;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(client.ReadFrame(frame, bytes)) << "read " << i;
        times.push_back(host.Now());
    }
    return times;
}

TEST(FrameTiming, RealTimingDeliversOneFramePerPeriod)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=real;source=flat:1", host);
    Client client(port);
    ASSERT_TRUE(client.WriteControl(15, 2));
    const std::vector<uint64_t> times = ReadTimes(client, host, 5, 2048 * 1536);
    for (size_t i = 1; i < times.size(); ++i) {
        const uint64_t gap = times[i] - times[i - 1];
        EXPECT_GE(gap, kFullWindow48MHzNanos / 1000) << i;
        EXPECT_LE(gap, kFullWindow48MHzNanos / 1000 + 1) << i;
    }
    EXPECT_LE(times[0] - 1000000, kFullWindow48MHzNanos / 1000 + 1) << "the first frame within one period";
}

TEST(FrameTiming, FastTimingDoesNotWait)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast", host);
    Client client(port);
    const std::vector<uint64_t> times = ReadTimes(client, host, 3, 2048 * 1536);
    EXPECT_EQ(times.back(), 1000000u);
}

TEST(FrameTiming, TriggerModeGivesFramesOnlyOnPulses)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast;trigger_period_ms=250;source=flat:1", host);
    Client client(port);
    const Geometry g = client.ProgramWindow(0, 0, 64, 64, 0, false);
    // Controller register 11 alone does not trigger: register 30 must enable it too.
    ASSERT_TRUE(client.WriteControl(11, 1));
    EXPECT_EQ(ReadTimes(client, host, 2, g.transferPixels).back(), 1000000u);
    ASSERT_TRUE(client.WriteSensor(30, 0x0700));
    std::vector<uint64_t> times = ReadTimes(client, host, 4, g.transferPixels);
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_EQ((times[i] - 1000000) % 250000, 0u) << "on a pulse: " << times[i];
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_EQ(times[i] - times[i - 1], 250000u);
    // Option bit 8 alone also triggers; switching off returns to free running.
    ASSERT_TRUE(client.WriteSensor(30, 0x0100));
    times = ReadTimes(client, host, 2, g.transferPixels);
    EXPECT_EQ(times[1] - times[0], 250000u);
    ASSERT_TRUE(client.WriteControl(11, 0));
    times = ReadTimes(client, host, 2, g.transferPixels);
    EXPECT_EQ(times[1], times[0]);
}

TEST(FrameTiming, TheDriverWaitBoundsAnImageRead)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast;trigger_period_ms=10000", host);
    Client client(port);
    std::vector<uint8_t> frame;
    ASSERT_TRUE(client.WriteControl(11, 1));
    ASSERT_TRUE(client.WriteSensor(30, 0x0700));
    ASSERT_TRUE(client.SetDriverWait(50));
    uint64_t start = host.Now();
    EXPECT_FALSE(client.ReadFrame(frame, 4096));
    EXPECT_EQ(host.Now() - start, 50000u);

    // Long enough for the next pulse: the read waits for it and succeeds.
    ASSERT_TRUE(client.SetDriverWait(20000));
    start = host.Now();
    EXPECT_TRUE(client.ReadFrame(frame, 4096));
    EXPECT_LE(host.Now() - start, 10000000u);

    // An image read without a frame request gets no frame: it ends with the wait.
    ASSERT_TRUE(client.WriteControl(11, 0));
    ASSERT_TRUE(client.SetDriverWait(3000));
    uint32_t pipe = kPipeImage, moved = 0;
    start = host.Now();
    EXPECT_FALSE(port.Control(client.Handle(), kRequestWritePipe, &pipe, 4, frame.data(), 4096, &moved));
    EXPECT_EQ(host.Now() - start, 3000000u);
    EXPECT_EQ(moved, 0u);
}

TEST(Faults, UnplugAfterFramesStopsTheCamera)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast;devices=0,1;unplug_after_frames=2", host);
    Client client(port);
    Client other(port, '1');
    std::vector<uint8_t> frame;
    ASSERT_TRUE(client.ReadFrame(frame, 4096));
    ASSERT_TRUE(client.ReadFrame(frame, 4096)) << "the last frame still completes";
    uint16_t value = 0;
    EXPECT_FALSE(client.ReadSensor(53, value));
    EXPECT_FALSE(client.ReadFrame(frame, 4096));
    EXPECT_EQ(port.Open(DevicePath('0').c_str()), nullptr);
    // Device 1 has its own count.
    EXPECT_TRUE(other.ReadSensor(53, value));
    EXPECT_TRUE(other.ReadFrame(frame, 4096));

    EmulatedDriverPort never("unplug_after_frames=0", host);
    EXPECT_EQ(never.Open(DevicePath('0').c_str()), nullptr);
}

// The first frame number after a replug; the full window after power-up holds the blocks.
int64_t NextFrameNumber(Client& client)
{
    std::vector<uint8_t> frame;
    const int rows = emu::kFrameNumberBlock;
    uint32_t number = 0;
    if (!client.ReadFrame(frame, kColumns * rows) ||
        !DecodeFrameNumber(frame.data(), kColumns, 1, kColumns, rows, &number))
        return -1;
    return number;
}

TEST(Faults, ReplugBringsTheCameraBackOnceAtItsPowerUpState)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast;unplug_after_frames=2;replug_after_ms=500", host);
    Client before(port);
    ASSERT_TRUE(before.WriteSensor(53, 40));
    ASSERT_TRUE(before.WriteControl(15, 2));
    EXPECT_EQ(NextFrameNumber(before), 0);
    EXPECT_EQ(NextFrameNumber(before), 1) << "the last frame before the unplug";

    host.SleepMicros(500 * 1000 - 1);
    EXPECT_EQ(port.Open(DevicePath('0').c_str()), nullptr) << "still unplugged";
    host.SleepMicros(1);
    Client after(port);
    ASSERT_NE(after.Handle(), nullptr) << "plugged back in";
    uint16_t gain = 0;
    uint8_t clock = 0xFF;
    ASSERT_TRUE(after.ReadSensor(53, gain));
    ASSERT_TRUE(after.ReadControl(15, clock));
    EXPECT_EQ(gain, 14) << "registers at their power-up values";
    EXPECT_EQ(clock, 0);
    EXPECT_FALSE(before.ReadSensor(53, gain)) << "a handle from before the unplug stays dead";
    // The camera counts its transfers from power-up again, and does not unplug a second time.
    for (int64_t i = 0; i < 4; ++i)
        EXPECT_EQ(NextFrameNumber(after), i);

    // Unplugged from the start: the time counts from then.
    EmulatedDriverPort late("timing=fast;unplug_after_frames=0;replug_after_ms=30", host);
    EXPECT_EQ(late.Open(DevicePath('0').c_str()), nullptr);
    host.SleepMicros(30 * 1000);
    Client client(late);
    EXPECT_EQ(NextFrameNumber(client), 0);
}

TEST(Faults, ShortReadsAtTheirNumbersWithinARun)
{
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast;short_read_at=2,3", host);
    Client client(port);
    const Geometry g = client.ProgramWindow(0, 0, 64, 64, 0, true);
    const uint32_t bytes = g.transferPixels * 2;
    std::vector<uint8_t> frame(bytes);
    // A run as the transfer thread makes it: one ArmTransfer, then request and read per frame.
    auto run = [&](int count) {
        std::vector<uint32_t> moved;
        EXPECT_TRUE(client.SendBytes({0x01}));
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(client.SendBytes({0x02}, kRequestReadPipe));
            uint32_t pipe = kPipeImage, count = 0;
            EXPECT_TRUE(port.Control(client.Handle(), kRequestWritePipe, &pipe, 4, frame.data(), bytes, &count));
            moved.push_back(count);
        }
        return moved;
    };
    std::vector<uint32_t> moved = run(4);
    EXPECT_EQ(moved[0], bytes);
    EXPECT_LT(moved[1], bytes);
    EXPECT_LT(moved[2], bytes);
    EXPECT_EQ(moved[3], bytes);
    moved = run(2);
    EXPECT_EQ(moved[0], bytes) << "a new run counts from 1";
    EXPECT_LT(moved[1], bytes);
}

TEST(FrameTiming, RealClockNeverDeliversFasterThanThePeriod)
{
    EmulatedDriverPort port("timing=real;source=flat:1");
    Client client(port);
    const uint64_t period = port.FramePeriodNanos(0);  // full window at 24 MHz: 165 ms
    std::vector<uint8_t> frame;
    // Three frames end on three successive period boundaries, all after the start.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(client.ReadFrame(frame, 2048 * 1536));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // A lower bound only: sleeps never end early.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count(), int64_t(2 * period / 1000));
}

TEST(Concurrency, FramesRegistersAndOpensFromSeveralThreads)
{
    EmulatedDriverPort port("timing=fast;source=flat:700;devices=0,1");
    {
        Client setup(port);
        setup.ProgramWindow(0, 0, 128, 64, 0, true);
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        Client client(port);
        std::vector<uint8_t> frame;
        for (int i = 0; i < 200; ++i) {
            uint32_t moved = 0;
            if (!client.ReadFrame(frame, 128 * 64 * 2, &moved) || moved != 128 * 64 * 2 ||
                (frame[0] | frame[1] << 8) != 700)
                ++failures;
        }
    });
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                Client client(port, t == 0 ? '0' : '1');  // short-lived handles, as the SDK's exchanges
                uint16_t value = 0;
                const int reg = 100 + t;
                if (!client.WriteSensor(reg, uint16_t(i)) || !client.ReadSensor(reg, value) || value != i)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
