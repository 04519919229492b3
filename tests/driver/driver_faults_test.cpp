// Faults through the virtual camera driver, seen by an application: a camera unplugged during live
// preview, and the driver stopped under a running preview, are reported as a lost camera within
// the SDK's frame wait; once the driver runs again a new camera object finds the camera.
#include "acquisition_support.h"
#include "virtual_camera.h"

using namespace sdktest;

namespace {

constexpr DWORD kReportMs = 6500;     // the SDK's 6 s frame wait and the posting of its failure
constexpr DWORD kLossWaitMs = 30000;  // the frames before the fault, on a shared machine
constexpr DWORD kFramesWaitMs = 15000;
constexpr size_t kSomeFrames = 5;
constexpr int kMaxDevices = 32;
constexpr int kEntryBytes = 256;

// The notification time of the last frame before the first failure.
DWORD LastFrameTime(const FrameWindow& window)
{
    DWORD last = 0;
    for (const FrameWindow::Note& note : window.notes) {
        if (note.wParam == 0)
            break;
        last = note.time;
    }
    return last;
}

DWORD FailureTime(const FrameWindow& window)
{
    for (const FrameWindow::Note& note : window.notes) {
        if (note.wParam == 0)
            return note.time;
    }
    return 0;
}

int CountCameras(int camera)
{
    static char entries[kMaxDevices][kEntryBytes];
    return Velmor_EnumDevice(camera, entries[0]);
}

class DriverFaults : public SdkTest {
protected:
    // Live preview of a narrow window with frame notifications to `window`.
    void StartPreview(int camera, FrameWindow& window)
    {
        ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
        ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 640, 1536, 0, 480), 1);
        ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    }

    // One camera found, and its live preview delivers frames to `window`.
    void ExpectPreview(int camera, FrameWindow& window)
    {
        EXPECT_EQ(1, CountCameras(camera));
        StartPreview(camera, window);
        window.Pump(kFramesWaitMs, kSomeFrames);
        EXPECT_GE(window.FrameCount(), kSomeFrames);
        EXPECT_TRUE(window.Failures().empty());
    }

    // Pumps until the loss is reported and checks how: failure 13 once, queued and posted to the
    // notify window; the stop completes and no camera is found. Returns the failure's time.
    DWORD ExpectLoss(int camera, FrameWindow& notify, FrameWindow& window)
    {
        window.PumpUntilFailure(kLossWaitMs);
        EXPECT_EQ(window.Failures(), std::vector<LPARAM>{VELMOR_ERROR_NO_FRAME});
        EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_NO_FRAME});
        EXPECT_EQ(TakeWindowErrorPosts(notify.get()), std::vector<LPARAM>{VELMOR_ERROR_NO_FRAME});
        EXPECT_EQ(Velmor_StopPreview(camera), 1);
        EXPECT_EQ(0, CountCameras(camera));
        return FailureTime(window);
    }
};

TEST_F(DriverFaults, UnplugDuringPreviewIsReportedWithinTheFrameWait)
{
    ASSERT_TRUE(vcam_test::RestartVirtualCamera("devices=0;timing=fast;unplug_after_frames=150"));
    FrameWindow notify;
    const int camera = NewCamera(notify.get());
    ASSERT_NE(camera, 0);
    FrameWindow window;
    StartPreview(camera, window);
    const DWORD failed = ExpectLoss(camera, notify, window);
    ASSERT_GT(window.FrameCount(), 0u);
    EXPECT_LE(failed - LastFrameTime(window), kReportMs);
}

TEST_F(DriverFaults, StoppingTheDriverUnderPreviewAndStartingItAgain)
{
    ASSERT_TRUE(vcam_test::RestartVirtualCamera("devices=0;timing=fast"));
    FrameWindow notify;
    const int camera = NewCamera(notify.get());
    ASSERT_NE(camera, 0);
    FrameWindow window;
    ExpectPreview(camera, window);
    ASSERT_FALSE(HasFailure());

    const DWORD stopped = GetTickCount();
    ASSERT_TRUE(vcam_test::ControlVirtualCamera(false));
    EXPECT_LE(ExpectLoss(camera, notify, window) - stopped, kReportMs);

    // Started again (a replug), the camera is found by a new camera object and delivers frames.
    ASSERT_TRUE(vcam_test::ControlVirtualCamera(true));
    const int again = NewCamera(nullptr);
    ASSERT_NE(again, 0);
    FrameWindow frames;
    ExpectPreview(again, frames);
    EXPECT_EQ(Velmor_StopPreview(again), 1);
}

}  // namespace
