// One short image transfer in a run is forgiven without a trace; the second ends the run, and
// the preview reports the lost frames. Emulation: transfers 3 and 3000 of a run are short; the
// second comes late enough for the preview loop to take frames past the first on a busy machine
// (the transfer thread runs at the highest priority and may outrun it).
#include "acquisition_support.h"

#include "emulator/frame_number.h"

using namespace sdktest;

TEST_F(SdkTest, TheFirstShortReadIsInvisibleAndTheSecondEndsTheRun)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 512, 1536, 0, 64), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    const int bytes = FrameBytes(512, 64, 8);
    std::vector<BYTE> buffer(bytes);
    FrameWindow window;
    std::vector<uint32_t> numbers;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), buffer.data(), bytes, 1), 1);
    window.PumpUntil(
        15000, [&] { return !window.Failures().empty(); },
        [&](const FrameWindow::Note& note) {
            uint32_t number = 0;
            if (note.wParam && DecodeFrameNumber(buffer.data(), FrameStride(512, 8), 1, 512, 64, &number))
                numbers.push_back(number);
        });
    EXPECT_EQ(Velmor_StopPreview(camera), 1);

    // Only the end of the run is reported: no failed frame before it.
    EXPECT_EQ(window.Failures(), std::vector<LPARAM>{VELMOR_ERROR_NO_FRAME});
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_NO_FRAME});
    // Frames went on past the forgiven transfer, never backwards.
    ASSERT_FALSE(numbers.empty());
    EXPECT_GT(numbers.back(), 3u);
    for (size_t i = 1; i < numbers.size(); ++i)
        EXPECT_GE(numbers[i], numbers[i - 1]);
}
