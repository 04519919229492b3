// Several threads on one camera object at once, as a multi-threaded application drives it: every
// call runs whole and gives the result it gives on one thread, and the camera works afterwards.
#include "acquisition_support.h"

#include <atomic>
#include <functional>
#include <thread>

using namespace sdktest;

namespace {

constexpr int kCalls = 150;  // per thread
constexpr int kChipVersionRegister = 0;
constexpr int kGlobalGainRegister = 53;

class ConcurrencyTest : public CameraTest {
protected:
    // Runs each body on a thread of its own, `kCalls` times; counts the calls whose result differs
    // from the one the body expects.
    int RunTogether(const std::vector<std::function<bool()>>& bodies, int calls = kCalls)
    {
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (const auto& body : bodies)
            threads.emplace_back([&, body] {
                for (int i = 0; i < calls; ++i)
                    wrong += body() ? 0 : 1;
            });
        for (std::thread& t : threads)
            t.join();
        return wrong;
    }

    // The camera still answers: a register written and read back, and a snapshot.
    void ExpectCameraWorks()
    {
        EXPECT_EQ(Velmor_WriteRegister(camera, kGlobalGainRegister, 20), 1);
        int ok = 0;
        EXPECT_EQ(Velmor_ReadRegister(camera, kGlobalGainRegister, &ok), 20);
        EXPECT_EQ(ok, 1);
        ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
        std::vector<BYTE> frame(FrameBytes(2048, 1536, 24));
        EXPECT_EQ(Velmor_SnapShot(camera, frame.data(), int(frame.size()), 1), 1);
        EXPECT_TRUE(PopAll(camera).empty());
    }
};

bool FullWindow(int camera) { return Velmor_SetCaptureWindowEx(camera, 2048, 0, 2048, 1536, 0, 1536) == 1; }

}  // namespace

TEST_F(ConcurrencyTest, TwoThreadsSettingTheCaptureWindow)
{
    EXPECT_EQ(RunTogether({[&] { return FullWindow(camera); }, [&] { return FullWindow(camera); }}), 0);
    EXPECT_TRUE(PopAll(camera).empty());
    ExpectCameraWorks();
}

TEST_F(ConcurrencyTest, TwoThreadsSelectingTheDevice)
{
    const auto select = [&] { return Velmor_SetDeviceNumber(camera, 0) == 1; };
    EXPECT_EQ(RunTogether({select, select}, kCalls / 3), 0);
    EXPECT_TRUE(PopAll(camera).empty());
    ExpectCameraWorks();
}

TEST_F(ConcurrencyTest, WindowSelectionRegistersGainsAndListingsTogether)
{
    // What each call gives on one thread.
    int ok = 0;
    const int chipVersion = Velmor_ReadRegister(camera, kChipVersionRegister, &ok);
    ASSERT_EQ(ok, 1);
    char name[256] = {};
    ASSERT_EQ(Velmor_GetDeviceName(camera, 0, name, sizeof(name)), 1);
    const std::string deviceName = name;

    const int wrong = RunTogether({
        [&] { return FullWindow(camera); },
        [&] { return Velmor_SetDeviceNumber(camera, 0) == 1; },
        [&] {
            int read = 0;
            return Velmor_ReadRegister(camera, kChipVersionRegister, &read) == chipVersion && read == 1 &&
                   Velmor_SetGlobalGain(camera, 14) == 1 && Velmor_SetColorGainRed(camera, 16) == 1 &&
                   Velmor_SetExposureTime(camera, 1561) == 1 && Velmor_SetMirrorH(camera, 0) == 1;
        },
        [&] {
            static thread_local char entries[32][256];
            char own[256] = {};
            return Velmor_EnumDevice(camera, entries[0]) == 1 && deviceName == entries[0] &&
                   Velmor_GetDeviceName(camera, 0, own, sizeof(own)) == 1 && deviceName == own;
        },
    }, kCalls / 3);
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(PopAll(camera).empty());
    ExpectCameraWorks();
}

TEST_F(ConcurrencyTest, EightThreadsAroundAPreviewThatIsStoppedAndRestarted)
{
    const int other = NewCamera();
    ASSERT_NE(other, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetDeviceNumber(other, 0), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 640, 1536, 0, 480), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
    const int bytes = FrameBytes(640, 480, 24);
    ASSERT_EQ(Velmor_StartPreview(camera), 1);

    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    const std::string png = std::string(folder) + "velmor_concurrent.png";
    std::atomic<bool> done{false};
    std::atomic<int> images{0};
    std::vector<std::thread> threads;
    // Snapshots on the second camera object while the first previews the same device: in this
    // process the claim is not taken without a notification window, so both work.
    threads.emplace_back([&] {
        std::vector<BYTE> frame(FrameBytes(2048, 1536, 8));
        Velmor_SetColorMode(other, 8);
        while (!done)
            Velmor_SnapShot(other, frame.data(), int(frame.size()), 1);
    });
    for (int i = 0; i < 3; ++i)
        threads.emplace_back([&] {
            while (!done) {
                int ok = 0;
                Velmor_GetColorMode(camera);
                Velmor_GetCaptureWindowEx(camera, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
                Velmor_GetGlobalGain(camera, &ok);
                Velmor_GetRealExposureTime(camera, &ok);
            }
        });
    threads.emplace_back([&] {
        std::vector<BYTE> frame(bytes);
        while (!done)
            images += Velmor_GetImage(camera, frame.data(), bytes, 0);
    });
    threads.emplace_back([&] {
        while (!done)
            Velmor_SaveImage(camera, const_cast<char*>(png.c_str()), VELMOR_SAVE_PNG);
    });
    threads.emplace_back([&] {
        while (!done)
            Velmor_SetBrightness(camera, 10);
    });
    for (int cycle = 0; cycle < 20; ++cycle) {
        EXPECT_EQ(Velmor_StopPreview(camera), 1);
        EXPECT_EQ(Velmor_StartPreview(camera), 1);
        Sleep(50);
    }
    done = true;
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_GT(images.load(), 0);
    // SaveImage before the first frame and snapshots of the second camera may have failed; the
    // first camera still runs a preview and takes snapshots.
    PopAll(camera);
    PopAll(other);
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.Pump(10000, 2);
    EXPECT_GE(window.FrameCount(), 2u);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    ExpectCameraWorks();
    DeleteFileA(png.c_str());
}
