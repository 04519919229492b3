// What the viewer shows and keeps: the bars' colours on the screen, the histogram's bars, every
// file type of the save dialog, no objects left behind by stopping and starting the picture, and
// (each in a run of its own) the frame rate of a camera on real timing and the histogram of a flat
// picture. The saved files and the two photographs are left for check_viewer_output.py.
#include "viewer_fixture.h"

#include <winternl.h>

#include <cstdint>
#include <regex>
#include <vector>

using namespace viewertest;

namespace {

constexpr int kFileTypeCombo = 0x470, kFileNameCombo = 0x47C, kFileNameEdit = 0x480;  // the save dialog's
constexpr int kCycles = 100;

int HistogramAnswer(const ViewerProcess& process, unsigned question, int channel)
{
    return int(SendMessageA(process.Child(viewer::kIdHistogram), question, WPARAM(channel), 0));
}

// Chooses an output format through the menu and waits for frames in it.
bool UseFormat(const ViewerProcess& process, int index)
{
    process.Command(viewer::kCmdFormatBase + index);
    const std::string wanted = std::to_string(viewer::kFormatBits[index]) + " bit";
    if (!WaitFor([&] { return process.Status(viewer::kPartFormat) == wanted; }, kFrameWaitMs))
        return false;
    const long long before = process.Number(viewer::kPartReceived);
    return WaitFor([&] { return process.Number(viewer::kPartReceived) > before + 2; }, kFrameWaitMs);
}

// GDI objects of the viewer's process. Wine reports none through GetGuiResources; there the used
// entries of the process's GDI handle table tell (PEB + 0xF8 in a 64-bit process: 24-byte
// entries, the type byte at offset 14, zero when free), read from the viewer's memory.
int GdiObjects(const ViewerProcess& process)
{
    if (const DWORD reported = GetGuiResources(process.handle(), GR_GDIOBJECTS))
        return int(reported);
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    std::uint64_t table = 0;
    if (!query || query(process.handle(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process.handle(), reinterpret_cast<char*>(basic.PebBaseAddress) + 0xF8, &table,
                           sizeof table, nullptr) ||
        !table)
        return -1;
    constexpr std::size_t kEntryBytes = 24, kEntries = 0x10000, kTypeAt = 14;
    std::vector<std::uint8_t> entries(kEntries * kEntryBytes);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process.handle(), reinterpret_cast<void*>(table), entries.data(), entries.size(), &read))
        return -1;
    int count = 0;
    for (std::size_t at = kTypeAt; at < read; at += kEntryBytes)
        count += entries[at] != 0;
    return count;
}

// USER objects of the viewer's process: the system's count, or under Wine, which reports none, its
// windows with all their children and its message-only windows.
int UserObjects(const ViewerProcess& process)
{
    if (const DWORD reported = GetGuiResources(process.handle(), GR_USEROBJECTS))
        return int(reported);
    struct Count {
        DWORD process;
        int windows;
        static BOOL CALLBACK Top(HWND window, LPARAM data)
        {
            auto* c = reinterpret_cast<Count*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == c->process) {
                ++c->windows;
                EnumChildWindows(window, [](HWND, LPARAM n) { return ++*reinterpret_cast<int*>(n), TRUE; },
                                 reinterpret_cast<LPARAM>(&c->windows));
            }
            return TRUE;
        }
    } count{process.id(), 0};
    EnumWindows(Count::Top, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        Count::Top(window, reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

struct Objects {
    int gdi, user;
};

Objects CountObjects(const ViewerProcess& process) { return {GdiObjects(process), UserObjects(process)}; }

}  // namespace

// Whether a screen colour is high (above 150) in the channels marked 1 and low (below 80) in the others.
bool ColourIs(COLORREF c, int red, int green, int blue)
{
    const int values[] = {GetRValue(c), GetGValue(c), GetBValue(c)}, high[] = {red, green, blue};
    for (int i = 0; i < 3; ++i)
        if (high[i] ? values[i] <= 150 : values[i] >= 80)
            return false;
    return true;
}

// Bar centres, left to right, at three heights between the frame number at the top and the gray
// ramp at the bottom: the moving square covers one of them at most. Colours as red, green, blue.
TEST_F(Viewer, PictureShowsTheBarsInTheirColours)
{
    ASSERT_TRUE(UseFormat(*process, 2));  // 24 bit
    HWND camera = GetWindow(process->Child(viewer::kIdPicture), GW_CHILD);
    ASSERT_TRUE(camera);
    RECT r = {};
    GetWindowRect(camera, &r);
    struct Bar {
        int index, red, green, blue;
    } bars[] = {{1, 1, 1, 0}, {2, 0, 1, 1}, {3, 0, 1, 0}, {4, 1, 0, 1}, {5, 1, 0, 0}, {6, 0, 0, 1}, {7, 0, 0, 0}};
    HDC screen = GetDC(nullptr);
    for (const Bar& bar : bars) {
        const int x = r.left + (r.right - r.left) * (2 * bar.index + 1) / 16;
        ASSERT_LT(x, GetSystemMetrics(SM_CXSCREEN));
        int matches = 0;
        std::string seen;
        for (int percent : {20, 40, 60}) {
            const COLORREF c = GetPixel(screen, x, r.top + (r.bottom - r.top) * percent / 100);
            matches += ColourIs(c, bar.red, bar.green, bar.blue);
            char text[32];
            std::snprintf(text, sizeof text, " %d,%d,%d", GetRValue(c), GetGValue(c), GetBValue(c));
            seen += text;
        }
        EXPECT_GE(matches, 2) << "bar " << bar.index << " at x " << x << " reads" << seen;
    }
    ReleaseDC(nullptr, screen);
}

TEST_F(Viewer, HistogramOfTheBarsHasSeveralBars)
{
    ASSERT_TRUE(UseFormat(*process, 0));  // 8-bit gray
    // Eight bar levels and the ramp below them.
    EXPECT_TRUE(WaitFor([&] { return HistogramAnswer(*process, viewer::kMsgHistogramBinsUsed, 0) > 8; }, kFrameWaitMs))
        << HistogramAnswer(*process, viewer::kMsgHistogramBinsUsed, 0);
    EXPECT_EQ(HistogramAnswer(*process, viewer::kMsgHistogramPeakBin, 1), -1);  // gray has one channel
    ASSERT_TRUE(UseFormat(*process, 2));
}

// Every type of the save dialog, chosen in its type list; the files' contents are read by the check script.
TEST_F(Viewer, SaveAsWritesEveryFileType)
{
    ASSERT_TRUE(UseFormat(*process, 2));
    const char* names[] = {"saved.bmp", "saved.raw", "saved-q100.jpg", "saved-q70.jpg", "saved-q20.jpg",
                           "saved.png", "saved.tif"};
    std::vector<long long> sizes;
    for (int type = 0; type < 7; ++type) {
        SCOPED_TRACE(names[type]);
        const std::string path = OutputPath(names[type]);
        DeleteFileA(path.c_str());
        process->Command(viewer::kCmdSaveAs);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (dialog = FindProcessWindow(process->id(), "#32770")) != nullptr; }, kFrameWaitMs));
        HWND types = GetDlgItem(dialog, kFileTypeCombo);
        ASSERT_TRUE(types);
        ASSERT_EQ(SendMessageA(types, CB_GETCOUNT, 0, 0), 7);
        SendMessageA(types, CB_SETCURSEL, type, 0);
        for (WORD note : {CBN_SELCHANGE, CBN_SELENDOK})  // dialogs take the type at either
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, note), reinterpret_cast<LPARAM>(types));
        HWND name = GetDlgItem(dialog, kFileNameCombo) ? GetDlgItem(dialog, kFileNameCombo) : GetDlgItem(dialog, kFileNameEdit);
        std::string windowsPath = path;
        for (char& c : windowsPath)
            c = c == '/' ? '\\' : c;
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(windowsPath.c_str()));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_TRUE(WaitFor([&] { return process->LogHas(names[type]); }, kFrameWaitMs));
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kFrameWaitMs));
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        sizes.push_back(static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    }
    const long long samples = 1LL * kSensorWidth * kSensorHeight * 3;
    EXPECT_GE(sizes[0], samples + 54);   // BMP: headers and rows
    EXPECT_EQ(sizes[1], samples);        // raw: the rows alone
    EXPECT_GT(sizes[2], sizes[3]);       // JPEG: less quality, fewer bytes
    EXPECT_GT(sizes[3], sizes[4]);
    EXPECT_GT(sizes[4], 10000);
    EXPECT_GT(sizes[5], 10000);          // PNG, compressed
    EXPECT_GE(sizes[6], samples);        // TIFF, uncompressed
    DeleteFileA(OutputPath(names[1]).c_str());  // no reader for raw samples: the size says it all
}

// Paused, the viewer is photographed idle. Wine fills a cache of device contexts over the first
// hundred or so windows: of two batches after a warm-up, one must stay flat.
TEST_F(Viewer, PauseAndResumeLeaveNoObjectsBehind)
{
    ASSERT_TRUE(UseFormat(*process, 2));
    auto command = [&] { SendMessageA(process->main(), WM_COMMAND, MAKEWPARAM(viewer::kCmdPauseResume, 0), 0); };
    command();
    ASSERT_EQ(process->Status(viewer::kPartMessage), "live picture paused");
    RedrawWindow(process->main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(SaveWindowPicture(process->main(), OutputPath("viewer-idle.bmp")));
    auto cycle = [&] {
        command();  // resumes: frames come again
        const long long before = process->Number(viewer::kPartReceived);
        const bool resumed = WaitFor([&] { return process->Number(viewer::kPartReceived) > before; }, kFrameWaitMs);
        command();
        return resumed;
    };
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(cycle());
    auto batch = [&] {
        const Objects before = CountObjects(*process);
        for (int i = 0; i < kCycles; ++i)
            if (!cycle())
                ADD_FAILURE() << "no frames after resume " << i;
        const Objects after = CountObjects(*process);
        std::printf("objects before/after %d cycles: GDI %d/%d, USER %d/%d\n", kCycles, before.gdi, after.gdi,
                    before.user, after.user);
        EXPECT_GT(before.gdi, 0);  // a count that reads nothing would hide any growth
        EXPECT_GT(before.user, 0);
        return Objects{after.gdi - before.gdi, after.user - before.user};
    };
    const Objects first = batch(), second = batch();
    constexpr int kFlat = 2;
    EXPECT_LE(std::min(first.gdi, second.gdi), kFlat) << first.gdi << " and " << second.gdi << " GDI objects";
    EXPECT_LE(std::min(first.user, second.user), kFlat) << first.user << " and " << second.user << " USER objects";
    command();
    EXPECT_EQ(process->Status(viewer::kPartMessage), "live picture resumed");
}

// Run alone on real timing: the full window at the first run's 48 MHz takes 1626 x 2438 pixel
// clocks a frame. The status bar's rate and the count of frames over the test's own clock agree with it.
TEST(ViewerRate, StatusShowsTheCamerasFrameRate)
{
    const double expected = 48e6 / (1626.0 * 2438.0);
    ClearCameraSettings();
    {
        ViewerProcess process("--device 0 --record-to " + OutputFolder());
        ASSERT_TRUE(process.main());
        // Settled: the first frames and the rate's averaging behind.
        ASSERT_TRUE(WaitFor([&] { return process.Number(viewer::kPartReceived) >= 30; }, 4 * kFrameWaitMs));
        const long long firstCount = process.Number(viewer::kPartReceived);
        const DWORD firstTick = GetTickCount();
        WaitFor([&] { return process.Number(viewer::kPartReceived) >= firstCount + 60; }, 4 * kFrameWaitMs);
        const double measured =
            (process.Number(viewer::kPartReceived) - firstCount) * 1000.0 / double(GetTickCount() - firstTick);
        double shown = 0;
        std::sscanf(process.Status(viewer::kPartRate).c_str(), "%lf", &shown);
        std::printf("rate: expected %.2f, shown %.1f, counted %.2f frames per second\n", expected, shown, measured);
        EXPECT_NEAR(shown, expected, expected * 0.1) << process.Status(viewer::kPartRate);
        EXPECT_NEAR(measured, expected, expected * 0.1);
    }
    ClearCameraSettings();
}

// Run alone on a flat picture of sample V (VELMOR_EMULATION's source=flat:V): in 8 bits with the
// first run's neutral settings every pixel reads V >> 2, one bar of the histogram.
TEST(ViewerFlat, HistogramHasOneBarAtTheSample)
{
    std::smatch match;
    const std::string emulation = std::getenv("VELMOR_EMULATION") ? std::getenv("VELMOR_EMULATION") : "";
    ASSERT_TRUE(std::regex_search(emulation, match, std::regex(R"(flat:(\d+))"))) << emulation;
    const int expected = std::stoi(match[1]) >> 2;
    ClearCameraSettings();
    {
        ViewerProcess process("--device 0 --record-to " + OutputFolder());
        ASSERT_TRUE(process.main());
        ASSERT_TRUE(UseFormat(process, 0));
        EXPECT_TRUE(WaitFor([&] { return HistogramAnswer(process, viewer::kMsgHistogramBinsUsed, 0) == 1; }, kFrameWaitMs))
            << HistogramAnswer(process, viewer::kMsgHistogramBinsUsed, 0) << " bins used";
        EXPECT_EQ(HistogramAnswer(process, viewer::kMsgHistogramPeakBin, 0), expected);
        RECT area = {};
        GetClientRect(process.Child(viewer::kIdPicture), &area);
        SendMessageA(process.Child(viewer::kIdPicture), WM_MOUSEMOVE, 0, MAKELPARAM(area.right / 2, area.bottom / 2));
        EXPECT_EQ(process.Status(viewer::kPartPixel).find("gray " + std::to_string(expected)) != std::string::npos, true)
            << process.Status(viewer::kPartPixel);
    }
    ClearCameraSettings();
}
