// A camera that goes away during live preview and comes back: the loss is reported within the
// frame wait, the stop completes, every start fails quickly while the camera is away, and a new
// start brings live frames once it answers again. Nothing stays behind.
// Emulation: unplug after 120 transfers, answer again 3 s later.
#include "acquisition_support.h"

using namespace sdktest;

namespace {
constexpr DWORD kLossWaitMs = 30000;  // the transfers before the unplug and the 6 s frame wait, on a shared machine
constexpr DWORD kReplugWaitMs = 15000;
const std::vector<int> kAbsent{VELMOR_ERROR_STATE, VELMOR_ERROR_DEVICE_BUSY};
}  // namespace

TEST_F(SdkTest, CameraLostDuringPreviewAndFoundAgain)
{
    FrameWindow notify;
    const int camera = NewCamera(notify.get());
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 640, 1536, 0, 480), 1);
    const ResourceCounts before = ResourceCounts::Now();

    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.PumpUntilFailure(kLossWaitMs);
    ASSERT_EQ(window.Failures(), std::vector<LPARAM>{VELMOR_ERROR_NO_FRAME});
    EXPECT_GT(window.FrameCount(), 0u);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_NO_FRAME});
    EXPECT_EQ(TakeWindowErrorPosts(notify.get()), std::vector<LPARAM>{VELMOR_ERROR_NO_FRAME});
    // The loop has ended; the stop completes it.
    EXPECT_EQ(Velmor_StopPreview(camera), 1);

    // While the camera is away every start fails at once with its codes.
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), kAbsent);
    EXPECT_EQ(Velmor_StartPreview(camera), 0);
    EXPECT_EQ(PopAll(camera), kAbsent);
    EXPECT_EQ(Velmor_Trigger(camera, window.get(), nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), kAbsent);

    // Once it answers again, a new start reprograms it and frames flow.
    const DWORD start = GetTickCount();
    int started = 0;
    while (!started && GetTickCount() - start < kReplugWaitMs) {
        started = Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1);
        if (!started) {
            EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_TRANSFER, VELMOR_ERROR_STATE,
                                                        VELMOR_ERROR_DEVICE_BUSY}));
            Sleep(100);
        }
    }
    ASSERT_EQ(started, 1);
    window.notes.clear();
    window.Pump(kLossWaitMs, 3);
    EXPECT_GE(window.FrameCount(), 3u);
    EXPECT_TRUE(window.Failures().empty());
    EXPECT_EQ(Velmor_Close(camera), 1);
    EXPECT_TRUE(PopAll(camera).empty());
    TakeWindowErrorPosts(notify.get());

    // Threads are counted by the acquisition tests after a warm-up; here the system may start one
    // of its own during the first preview of the process.
    EXPECT_EQ(ResourceCounts::Now().handles, before.handles);
}
