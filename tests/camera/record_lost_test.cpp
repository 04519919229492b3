// A camera that goes away during a recording: the recording ends with the preview loop and its
// file is finished with the frames written before the loss, without waiting for a stop.
// Emulation: unplug after 3000 transfers (a second or so of the ring running flat out).
#include "record_support.h"

using namespace sdktest;

TEST_F(CameraTest, CameraLostDuringARecordingFinishesTheFile)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    std::string path = "lost.avi";
    ASSERT_EQ(Velmor_Record(camera, path.data(), 600000, 0), 1);
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.PumpUntilFailure(30000);
    ASSERT_EQ(window.Failures(), std::vector<LPARAM>{VELMOR_ERROR_NO_FRAME});
    const DWORD start = GetTickCount();
    while (!FileReleased(path) && GetTickCount() - start < 5000)
        Sleep(20);
    const AviFile file = AviFile::Read(path);
    EXPECT_TRUE(file.Finished());
    EXPECT_GE(file.totalFrames(), 1u);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_NO_FRAME});
    DeleteFileA(path.c_str());
}
