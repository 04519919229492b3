// Bad input, configuration files, repeated start-up and concurrent use of the exports.
#include "sdk_test_support.h"

#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

using namespace sdktest;

namespace {

std::string TempFile(const char* name, size_t bytes)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    std::string path = std::string(folder) + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    for (size_t i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>(i), f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST_F(SdkTest, ConfigFiles)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    std::string twenty = TempFile("velmor_cfg20.bin", 20);
    std::string seven = TempFile("velmor_cfg7.bin", 7);
    std::string empty = TempFile("velmor_cfg0.bin", 0);
    EXPECT_EQ(Velmor_LoadConfigFileA(camera, twenty.data()), 1);
    EXPECT_EQ(Velmor_LoadConfigFileA(camera, seven.data()), 1);
    EXPECT_EQ(Velmor_LoadConfigFileA(camera, empty.data()), 1);
    char missing[] = "C:\\no such folder\\config.bin";
    EXPECT_EQ(Velmor_LoadConfigFileA(camera, missing), 0);
    EXPECT_EQ(Velmor_LoadConfigFileA(camera, nullptr), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);  // a missing file is not an error of the camera

    std::wstring wide(twenty.begin(), twenty.end());
    EXPECT_EQ(Velmor_LoadConfigFileW(camera, wide.data()), 1);
    // 1023 characters and the terminator fill the conversion buffer exactly; one more does not fit.
    std::wstring fits(1023, L'a');
    std::wstring tooLong(1024, L'a');
    EXPECT_EQ(Velmor_LoadConfigFileW(camera, fits.data()), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), 0);
    EXPECT_EQ(Velmor_LoadConfigFileW(camera, tooLong.data()), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_FILE);
    EXPECT_EQ(Velmor_LoadConfigFileW(camera, nullptr), 0);
    EXPECT_EQ(Velmor_GetLastError(camera), VELMOR_ERROR_FILE);

    std::string hugeNarrow(100000, 'x');
    EXPECT_EQ(Velmor_LoadConfigFileA(camera, hugeNarrow.data()), 0);
    DeleteFileA(twenty.c_str());
    DeleteFileA(seven.c_str());
    DeleteFileA(empty.c_str());
}

TEST_F(SdkTest, NullPointersAreHandled)
{
    const int camera = NewCamera();
    ASSERT_NE(camera, 0);
    EXPECT_EQ(Velmor_GetCaptureWindowEx(camera, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Velmor_GetAutoIris(camera, nullptr), 0);
    EXPECT_EQ(Velmor_GetSamplingRate(camera, nullptr), 0);
    EXPECT_EQ(Velmor_GetVideoFormat(camera, nullptr), 0);
    EXPECT_EQ(Velmor_Fpga_ReadRegister(camera, 0, nullptr), 0);
}

TEST_F(SdkTest, AThousandStartsLeakNoHandlesOrMemory)
{
    auto usage = [] {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof(counters));
        DWORD handles = 0;
        GetProcessHandleCount(GetCurrentProcess(), &handles);
        return std::pair<SIZE_T, DWORD>(counters.PrivateUsage, handles);
    };
    // Warm up: the first cameras create the settings and the shared block.
    for (int i = 0; i < 20; ++i)
        Velmor_Release(Velmor_Initialize(nullptr));
    const auto before = usage();
    for (int i = 0; i < 1000; ++i) {
        const int camera = Velmor_Initialize(nullptr);
        ASSERT_NE(camera, 0);
        ASSERT_EQ(Velmor_Release(camera), 1);
    }
    const auto after = usage();
    EXPECT_LE(after.second, before.second + 2) << "process handles grew";
    // A leak of even one camera object a cycle would show as well over a megabyte.
    EXPECT_LT(after.first, before.first + 512 * 1024) << "private memory grew";
    TakeThreadErrorPosts();
}

TEST_F(SdkTest, ConcurrentUseOfLiveAndReleasedHandles)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 300;
    std::atomic<int> handles[4];
    for (auto& h : handles)
        h = Velmor_Initialize(nullptr);
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};

    auto caller = [&](int seed) {
        std::mt19937 random(seed);
        int out = 0;
        while (!stop) {
            const int h = handles[random() % 4];
            switch (random() % 6) {
            case 0: Velmor_SetWaitTime(h, static_cast<int>(random() % 100)); break;
            case 1: Velmor_GetColorMode(h); break;
            case 2: Velmor_SetColorMode(h, 7); break;  // raises while others pop
            case 3: Velmor_GetLastError(h); break;
            case 4: Velmor_GetCaptureWindowEx(h, &out, &out, &out, &out, &out, &out); break;
            case 5: Velmor_Fps(h, 1); break;
            }
            ++calls;
        }
    };
    auto churner = [&](int slot) {
        for (int i = 0; i < kRounds; ++i) {
            const int old = handles[slot].exchange(Velmor_Initialize(nullptr));
            Velmor_Release(old);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads - 2; ++i)
        threads.emplace_back(caller, i);
    std::thread churnA(churner, 0), churnB(churner, 1);
    churnA.join();
    churnB.join();
    stop = true;
    for (auto& t : threads)
        t.join();
    EXPECT_GT(calls.load(), 0);
    for (auto& h : handles) {
        EXPECT_EQ(Velmor_Release(h), 1);
        EXPECT_EQ(Velmor_GetWaitTime(h), -1);
    }
}
