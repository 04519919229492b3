// The error queue (a stack of the twenty newest codes) and the notifications posted with it.
#include "sdk_test_support.h"

using namespace sdktest;

namespace {

// A plain top-level window that only collects posted messages.
class MessageWindow {
public:
    MessageWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmorTestSink";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "VelmorTestSink", "sink", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    }
    ~MessageWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Raises one error code through the exports: 9 by a bad colour mode, 11 by a function this camera lacks.
void RaiseThrough(int camera, int code)
{
    if (code == VELMOR_ERROR_ARGUMENT)
        ASSERT_EQ(Velmor_SetColorMode(camera, 12), 0);
    else
        ASSERT_EQ(Velmor_SetConfigFilter(camera), -1);
}

}  // namespace

TEST_F(SdkTest, QueueKeepsTheTwentyNewestNewestFirst)
{
    MessageWindow sink;
    ASSERT_NE(sink.get(), nullptr);
    const int camera = NewCamera(sink.get());
    ASSERT_NE(camera, 0);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);  // a fresh camera object has nothing queued
    TakeWindowErrorPosts(sink.get());

    std::vector<int> raised;
    for (int i = 0; i < 25; ++i) {
        const int code = (i * 7 % 3 == 0) ? VELMOR_ERROR_NOT_AVAILABLE : VELMOR_ERROR_ARGUMENT;
        RaiseThrough(camera, code);
        raised.push_back(code);
    }
    // Every raise was posted to the notification window as well, in order.
    const std::vector<LPARAM> posted = TakeWindowErrorPosts(sink.get());
    EXPECT_EQ(std::vector<int>(posted.begin(), posted.end()), raised);

    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Velmor_GetLastError(camera), raised[24 - i]) << "pop " << i;
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
}

TEST_F(SdkTest, PostOnlyCasesPostWithoutQueueing)
{
    MessageWindow sink;
    const int camera = NewCamera(sink.get());
    ASSERT_NE(camera, 0);
    TakeWindowErrorPosts(sink.get());

    EXPECT_EQ(Velmor_Fps(camera, 30), 0);
    EXPECT_EQ(Velmor_Fpga_ReadRegister(camera, 0, nullptr), 0);
    EXPECT_EQ(Velmor_Fpga_WriteRegister(camera, 0, 0), 0);
    EXPECT_EQ(Velmor_SetCrossbar(camera, 0, 0), 0);
    EXPECT_EQ(Velmor_SetSamplingRate(camera, 0), 0);
    EXPECT_EQ(Velmor_SetAutoIris(camera, 3), 0);
    const std::vector<LPARAM> posted = TakeWindowErrorPosts(sink.get());
    EXPECT_EQ(posted, (std::vector<LPARAM>{11, 11, 11, 11, 11, 9}));
    EXPECT_EQ(Velmor_GetLastError(camera), 0);

    // Quiet ones: no error, no post.
    int out = -1;
    EXPECT_EQ(Velmor_GetVideoFormat(camera, &out), 0);
    EXPECT_EQ(out, 0);
    out = -1;
    EXPECT_EQ(Velmor_GetSamplingRate(camera, &out), 0);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(Velmor_GetSamplingRate(camera, nullptr), 0);
    EXPECT_EQ(Velmor_SetSubSample(camera, 3), 0);
    EXPECT_EQ(Velmor_SetWaitTime(camera, -1), 0);
    EXPECT_TRUE(TakeWindowErrorPosts(sink.get()).empty());
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
}

TEST_F(SdkTest, PostOnlyCasesReachTheThreadQueueWithoutAWindow)
{
    const int camera = NewCamera(nullptr);
    ASSERT_NE(camera, 0);
    TakeThreadErrorPosts();
    EXPECT_EQ(Velmor_Fps(camera, 30), 0);
    EXPECT_EQ(Velmor_SetAutoIris(camera, 3), 0);
    EXPECT_EQ(TakeThreadErrorPosts(), (std::vector<LPARAM>{11, 9}));
    EXPECT_EQ(Velmor_GetLastError(camera), 0);

    // A raised error with no notification window is queued but posted nowhere.
    EXPECT_EQ(Velmor_SetConfigFilter(camera), -1);
    EXPECT_EQ(Velmor_GetConfigFilter(camera), -1);
    EXPECT_TRUE(TakeThreadErrorPosts().empty());
    EXPECT_EQ(PopAll(camera), (std::vector<int>{11, 11}));
}
