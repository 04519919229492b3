// Snapshots, prepared capture, live preview and triggered capture through the exports, against
// the emulated camera: the state table, the buffers and frame records the application gets, the
// failures and their codes, and what a stop leaves behind.
#include "acquisition_support.h"

#include "emulator/frame_number.h"

#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <thread>

using namespace sdktest;

namespace {

constexpr int kFullWidth = 2048;
constexpr int kFullHeight = 1536;
constexpr DWORD kFrameWaitMs = 10000;  // generous: the machine is shared

class AcquisitionTest : public CameraTest {
protected:
    // A small window keeps frames cheap; sub-sampling 0.
    void SmallWindow(int width = 320, int height = 240)
    {
        ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, kFullWidth, 0, width, kFullHeight, 0, height), 1);
    }
};

}  // namespace

TEST_F(AcquisitionTest, SnapShotFromIdleKeepsTheFrameForGetImageAndCopiesInBothRowOrders)
{
    SmallWindow(322, 240);  // 24-bit rows of 966 bytes: two bytes of padding
    ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
    const int bytes = FrameBytes(322, 240, 24);
    const int stride = FrameStride(322, 24);
    std::vector<BYTE> topDown(bytes), bottomUp(bytes), image(bytes);

    ASSERT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 1);
    // Still idle: a preview can start, which it could not from the capture state.
    ASSERT_EQ(Velmor_StartPreview(camera), 1);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);

    ASSERT_EQ(Velmor_SnapShot(camera, topDown.data(), bytes, 1), 1);
    ASSERT_EQ(Velmor_GetImage(camera, image.data(), bytes, 1), 1);
    EXPECT_EQ(image, topDown);
    ASSERT_EQ(Velmor_GetImage(camera, bottomUp.data(), bytes, 0), 1);
    for (int row = 0; row < 240; ++row)
        ASSERT_EQ(std::memcmp(&bottomUp[size_t(row) * stride], &topDown[size_t(239 - row) * stride], stride), 0)
            << "row " << row;
    // The bars are not blank.
    EXPECT_NE(std::count(topDown.begin(), topDown.end(), 0), bytes);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(AcquisitionTest, ABufferOneByteShortFailsWithTheMemoryErrorTwice)
{
    SmallWindow();
    ASSERT_EQ(Velmor_SetColorMode(camera, 32), 1);
    const int bytes = FrameBytes(320, 240, 32);
    std::vector<BYTE> buffer(bytes);
    EXPECT_EQ(Velmor_SnapShot(camera, buffer.data(), bytes - 1, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_MEMORY, VELMOR_ERROR_MEMORY}));
    // GetImage's failed copy raises it twice too; a null buffer once.
    EXPECT_EQ(Velmor_GetImage(camera, buffer.data(), bytes - 1, 1), 0);
    EXPECT_EQ(Velmor_GetImage(camera, nullptr, bytes, 1), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>(3, VELMOR_ERROR_MEMORY));
    EXPECT_EQ(Velmor_SnapShot(camera, buffer.data(), bytes, 1), 1);
}

TEST_F(AcquisitionTest, StateTable)
{
    SmallWindow();
    FrameWindow window;
    // Capture prepares once; snapshots then run from the capture state.
    EXPECT_EQ(Velmor_Capture(camera), 1);
    EXPECT_EQ(Velmor_Capture(camera), 1);
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 1);
    EXPECT_EQ(Velmor_StartPreview(camera), 0);
    EXPECT_EQ(Velmor_Trigger(camera, window.get(), nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_STATE}));
    EXPECT_EQ(Velmor_StopPreview(camera), 1);

    // Preview: starting again changes nothing; the other starts are refused.
    EXPECT_EQ(Velmor_StartPreview(camera), 1);
    EXPECT_EQ(Velmor_StartPreview(camera), 1);
    EXPECT_EQ(Velmor_Capture(camera), 0);
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 0);
    EXPECT_EQ(Velmor_Trigger(camera, window.get(), nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_STATE, VELMOR_ERROR_STATE}));
    EXPECT_EQ(Velmor_StopPreview(camera), 1);

    // Trigger: a second Trigger is refused like every other start, so one thread runs.
    EXPECT_EQ(Velmor_Trigger(camera, window.get(), nullptr, 0, 1), 1);
    EXPECT_EQ(Velmor_Trigger(camera, window.get(), nullptr, 0, 1), 0);
    EXPECT_EQ(Velmor_Capture(camera), 0);
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 0);
    EXPECT_EQ(Velmor_StartPreview(camera), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>(4, VELMOR_ERROR_STATE));
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_EQ(Velmor_Close(camera), 1);
    EXPECT_EQ(Velmor_Close(camera), 1);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(AcquisitionTest, CallBackPreviewPostsTheFrameRecordAndFillsTheBuffer)
{
    ASSERT_EQ(Velmor_SetSubSample(camera, VELMOR_SUBSAMPLE_SKIP_4), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 48), 1);
    const int bytes = FrameBytes(512, 384, 48);
    std::vector<BYTE> buffer(bytes), image(bytes);
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), buffer.data(), bytes, 1), 1);
    window.Pump(kFrameWaitMs, 5);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);

    ASSERT_GE(window.FrameCount(), 5u);
    EXPECT_TRUE(window.Failures().empty());
    for (const FrameWindow::Note& note : window.notes) {
        EXPECT_EQ(note.lParam, 0);
        EXPECT_EQ(note.info.size, 32);
        EXPECT_EQ(note.info.width, 512);  // after sub-sampling
        EXPECT_EQ(note.info.height, 384);
        EXPECT_EQ(note.info.bitsPerPixel, 48);
        EXPECT_EQ(note.info.buffer, buffer.data());
    }
    EXPECT_EQ(Velmor_Width(camera), kFullWidth);  // the unscaled region
    EXPECT_EQ(Velmor_Height(camera), kFullHeight);
    // After the stop the buffer holds the last frame, which is the current output.
    ASSERT_EQ(Velmor_GetImage(camera, image.data(), bytes, 1), 1);
    EXPECT_EQ(image, buffer);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(AcquisitionTest, PreviewRateIsMeasuredAndAStopLeavesNothingBehind)
{
    SmallWindow();
    FrameWindow window;
    const ResourceCounts before = ResourceCounts::Now();
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.Pump(3000);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    const DWORD stoppedAt = GetTickCount();
    const ResourceCounts after = ResourceCounts::Now();

    ASSERT_FALSE(window.notes.empty());
    EXPECT_GT(window.notes.back().info.fpsTenths, 0);  // measured over the first second
    EXPECT_EQ(window.notes.back().info.buffer, nullptr);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.handles, before.handles);
    // Nothing is posted after the stop returned.
    window.notes.clear();
    window.Pump(300);
    for (const FrameWindow::Note& note : window.notes)
        EXPECT_LE(note.time, stoppedAt);
}

TEST_F(AcquisitionTest, ASlowApplicationStillReadsTheNewestFrame)
{
    SmallWindow();
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    const int bytes = FrameBytes(320, 240, 8);
    std::vector<BYTE> buffer(bytes), newest(bytes);
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), buffer.data(), bytes, 1), 1);
    // The application handles one message every 500 ms; meanwhile frames keep coming, and each
    // message finds in the buffer the frame processed last, not the one it was posted for.
    std::vector<uint32_t> numbers;
    window.Pump(2000, SIZE_MAX, [&](const FrameWindow::Note&) {
        uint32_t number = 0;
        if (DecodeFrameNumber(buffer.data(), FrameStride(320, 8), 1, 320, 240, &number))
            numbers.push_back(number);
        Sleep(500);
    });
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    ASSERT_GE(numbers.size(), 2u);
    for (size_t i = 1; i < numbers.size(); ++i)
        EXPECT_GT(numbers[i], numbers[i - 1] + 1);
    // The buffer is not a queue: it holds the frame that was processed last.
    ASSERT_EQ(Velmor_GetImage(camera, newest.data(), bytes, 1), 1);
    EXPECT_EQ(buffer, newest);
}

TEST_F(AcquisitionTest, TriggeredFramesSkipTheFirstAndComeAtThePulsePeriodWithRateZero)
{
    SmallWindow();
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    const int bytes = FrameBytes(320, 240, 8);
    std::vector<BYTE> buffer(bytes);
    uint32_t snapped = 0, first = 0;
    ASSERT_EQ(Velmor_SnapShot(camera, buffer.data(), bytes, 1), 1);
    ASSERT_TRUE(DecodeFrameNumber(buffer.data(), FrameStride(320, 8), 1, 320, 240, &snapped));

    FrameWindow window;
    ASSERT_EQ(Velmor_Trigger(camera, window.get(), buffer.data(), bytes, 1), 1);
    window.Pump(kFrameWaitMs, 4, [&](const FrameWindow::Note&) {
        if (!first)
            DecodeFrameNumber(buffer.data(), FrameStride(320, 8), 1, 320, 240, &first);
    });
    const auto stopStart = std::chrono::steady_clock::now();
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    const auto stopped = std::chrono::steady_clock::now() - stopStart;

    ASSERT_GE(window.FrameCount(), 4u);
    // The frame that came with the first trigger after the start was thrown away.
    EXPECT_GE(first, snapped + 2);
    for (const FrameWindow::Note& note : window.notes) {
        EXPECT_EQ(note.info.fpsTenths, 0);
        EXPECT_EQ(note.info.buffer, buffer.data());
    }
    // Pulses every 100 ms (the test's emulation setting): frames are spaced by about that.
    const DWORD firstTime = window.notes.front().time, lastTime = window.notes.back().time;
    const double spacing = double(lastTime - firstTime) / double(window.notes.size() - 1);
    EXPECT_GT(spacing, 50.0);
    EXPECT_LT(spacing, 400.0);
    // The stop waits for at most the pending trigger, never the driver's 3 s frame wait.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(stopped).count(), 2500);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(AcquisitionTest, InvalidCaptureRegionFailsEveryStartWithSevenThenOne)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, kFullWidth, 100, kFullWidth, kFullHeight, 0, kFullHeight), 0);
    PopAll(camera);
    FrameWindow window;
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_CAPTURE_WINDOW}));
    EXPECT_EQ(Velmor_Capture(camera), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_CAPTURE_WINDOW}));
    EXPECT_EQ(Velmor_StartPreview(camera), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_CAPTURE_WINDOW}));
    // Preview adds the start failure; Trigger closes and reports the state.
    EXPECT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera),
              (std::vector<int>{VELMOR_ERROR_TRANSFER, VELMOR_ERROR_STATE, VELMOR_ERROR_CAPTURE_WINDOW}));
    EXPECT_EQ(Velmor_Trigger(camera, window.get(), nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE, VELMOR_ERROR_CAPTURE_WINDOW}));
}

TEST_F(AcquisitionTest, ReleaseWhileAcquiringAndFromAnotherThreadDuringACallback)
{
    SmallWindow();
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.Pump(kFrameWaitMs, 1);
    EXPECT_EQ(Velmor_Release(camera), 1);
    Forget(camera);

    const int triggering = NewCamera();
    ASSERT_EQ(Velmor_SetPreviewWindow(triggering, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_Trigger(triggering, window.get(), nullptr, 0, 1), 1);
    EXPECT_EQ(Velmor_Release(triggering), 1);
    Forget(triggering);

    const int third = NewCamera();
    ASSERT_EQ(Velmor_SetPreviewWindow(third, nullptr, 0, 0, 0, 0), 1);
    std::vector<BYTE> buffer(FrameBytes(2048, 1536, 8));
    ASSERT_EQ(Velmor_SetColorMode(third, 8), 1);
    ASSERT_EQ(Velmor_CallBackPreview(third, window.get(), buffer.data(), int(buffer.size()), 1), 1);
    bool released = false;
    window.notes.clear();
    window.Pump(kFrameWaitMs, 1, [&](const FrameWindow::Note&) {
        if (released)
            return;
        // While this thread handles the frame, another one releases the camera.
        std::thread([&] { EXPECT_EQ(Velmor_Release(third), 1); }).join();
        released = true;
        Forget(third);
    });
    EXPECT_TRUE(released);
    EXPECT_EQ(Velmor_StopPreview(third), 0);  // the handle is gone
}

TEST_F(AcquisitionTest, AThousandSnapShotsAndTwoHundredPreviewsHoldNothing)
{
    SmallWindow(64, 48);
    std::vector<BYTE> buffer(FrameBytes(64, 48, 8));
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    const auto memory = [] {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof(counters);
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters));
        return counters.PrivateUsage;
    };
    // A first round of each, so that what is made once per process is in both readings.
    ASSERT_EQ(Velmor_SnapShot(camera, buffer.data(), int(buffer.size()), 0), 1);
    ASSERT_EQ(Velmor_StartPreview(camera), 1);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    const ResourceCounts before = ResourceCounts::Now();
    const SIZE_T memoryBefore = memory();

    int snapped = 0, started = 0;
    for (int i = 0; i < 1000; ++i)
        snapped += Velmor_SnapShot(camera, buffer.data(), int(buffer.size()), i & 1);
    for (int i = 0; i < 200; ++i) {
        started += Velmor_StartPreview(camera);
        Velmor_StopPreview(camera);
    }
    EXPECT_EQ(snapped, 1000);
    EXPECT_EQ(started, 200);
    const ResourceCounts after = ResourceCounts::Now();
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_LT(memory(), memoryBefore + 4 * 1024 * 1024);
    EXPECT_TRUE(PopAll(camera).empty());
}
