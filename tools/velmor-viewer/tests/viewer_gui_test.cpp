// The viewer as an operator uses it, driven from this process through window messages against the
// emulated camera: live status and histogram, output formats and pixel values, a capture window
// drawn with the mouse, snapshot, recording, the settings dialogs, a photograph of the window,
// and a camera that is unplugged and comes back. Files go to VELMOR_TEST_OUTPUT; the recording's
// name and the photograph are left there for check_viewer_output.py.
#include "viewer_fixture.h"

#include <cstdio>
#include <fstream>
#include <regex>

using namespace viewertest;

namespace {

// The gray bar at the picture's left holds the brightest samples of the bars.
std::vector<int> PixelValues(const std::string& text)
{
    std::vector<int> values;
    const std::regex number(R"((?:gray|R|G|B) (\d+))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
        values.push_back(std::stoi((*it)[1]));
    return values;
}

// Width and height from a PNG file's header chunk, or zeros.
void PngSize(const std::string& path, int* width, int* height)
{
    unsigned char header[24] = {};
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(header), sizeof header);
    auto big = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
    const bool png = header[1] == 'P' && header[2] == 'N' && header[3] == 'G';
    *width = png ? big(16) : 0;
    *height = png ? big(20) : 0;
}

bool FileReleased(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

}  // namespace

TEST_F(Viewer, LiveStatusCountsFramesAndReadsTheirNumbers)
{
    ASSERT_TRUE(FramesFlow()) << process->Status(viewer::kPartReceived);
    EXPECT_TRUE(StatusBecomes(viewer::kPartSize, "2048 x 1536")) << process->Status(viewer::kPartSize);
    EXPECT_EQ(process->Status(viewer::kPartFormat), "24 bit");
    EXPECT_TRUE(std::regex_match(process->Status(viewer::kPartRate), std::regex(R"(\d+\.\d fps)")))
        << process->Status(viewer::kPartRate);
    // The emulated bars carry frame numbers: misses are counted, not shown as unknown.
    EXPECT_TRUE(std::regex_match(process->Status(viewer::kPartMissed), std::regex(R"(missed \d+)")))
        << process->Status(viewer::kPartMissed);
    HWND histogram = process->Child(viewer::kIdHistogram);
    ASSERT_TRUE(histogram);
    char name[64] = {};
    GetClassNameA(histogram, name, sizeof name);
    EXPECT_STREQ(name, viewer::kHistogramClass);
    RECT r = {};
    GetClientRect(histogram, &r);
    EXPECT_TRUE(IsWindowVisible(histogram) && r.right > 0 && r.bottom > 0);
    // The camera draws into a child of the picture area.
    EXPECT_TRUE(GetWindow(process->Child(viewer::kIdPicture), GW_CHILD));
}

TEST_F(Viewer, OutputFormatsShowTheirBitsAndPixelValuesInThem)
{
    const LPARAM grayBar = PicturePoint(0.05, 0.3);
    process->Command(viewer::kCmdFormatBase + 0);
    ASSERT_TRUE(StatusBecomes(viewer::kPartFormat, "8 bit")) << process->Status(viewer::kPartFormat);
    ASSERT_TRUE(FramesFlow());
    MouseMessage(WM_MOUSEMOVE, grayBar);
    std::vector<int> values = PixelValues(process->Status(viewer::kPartPixel));
    ASSERT_EQ(values.size(), 1u) << process->Status(viewer::kPartPixel);
    EXPECT_GT(values[0], 100);
    EXPECT_LE(values[0], 255);
    // 10 significant bits: the same bright bar reads above the 8-bit range.
    process->Command(viewer::kCmdFormatBase + 4);
    ASSERT_TRUE(StatusBecomes(viewer::kPartFormat, "48 bit"));
    ASSERT_TRUE(FramesFlow());
    MouseMessage(WM_MOUSEMOVE, grayBar);
    values = PixelValues(process->Status(viewer::kPartPixel));
    ASSERT_EQ(values.size(), 3u) << process->Status(viewer::kPartPixel);
    for (int value : values) {
        EXPECT_GT(value, 400);
        EXPECT_LE(value, 1023);
    }
    process->Command(viewer::kCmdSubSampleBase + 2);  // 1/4 skip
    EXPECT_TRUE(StatusBecomes(viewer::kPartSize, "512 x 384")) << process->Status(viewer::kPartSize);
    process->Command(viewer::kCmdSubSampleBase + 0);
    process->Command(viewer::kCmdFormatBase + 2);
    EXPECT_TRUE(StatusBecomes(viewer::kPartFormat, "24 bit"));
    EXPECT_TRUE(StatusBecomes(viewer::kPartSize, "2048 x 1536"));
}

TEST_F(Viewer, CaptureWindowDrawnWithTheMouse)
{
    ASSERT_TRUE(StatusBecomes(viewer::kPartSize, "2048 x 1536"));
    // A quarter of the picture each way, from its centre.
    MouseMessage(WM_LBUTTONDOWN, PicturePoint(0.5, 0.5));
    MouseMessage(WM_MOUSEMOVE, PicturePoint(0.75, 0.75));
    MouseMessage(WM_LBUTTONUP, PicturePoint(0.75, 0.75));
    int width = 0, height = 0;
    EXPECT_TRUE(WaitFor([&] { FrameSize(&width, &height); return width < kSensorWidth && width > 0; }, kFrameWaitMs))
        << process->Status(viewer::kPartSize);
    // The selection is snapped to whole 8-pixel steps and is about a quarter of the sensor.
    EXPECT_EQ(width % 8, 0);
    EXPECT_EQ(height % 8, 0);
    EXPECT_NEAR(width, kSensorWidth / 4, kSensorWidth / 16);
    EXPECT_NEAR(height, kSensorHeight / 4, kSensorHeight / 16);
    EXPECT_TRUE(process->LogHas("capture window"));
    process->Command(viewer::kCmdFullWindow);
    EXPECT_TRUE(StatusBecomes(viewer::kPartSize, "2048 x 1536")) << process->Status(viewer::kPartSize);
}

TEST_F(Viewer, SnapshotWritesAPictureOfTheFrame)
{
    ASSERT_TRUE(FramesFlow());
    const std::string path = OutputPath("snapshot-001.png");
    DeleteFileA(path.c_str());
    process->Command(viewer::kCmdSnapshot);
    ASSERT_TRUE(WaitFor([&] { return process->LogHas("saved"); }, kFrameWaitMs));
    int width = 0, height = 0;
    PngSize(path, &width, &height);
    EXPECT_EQ(width, kSensorWidth);
    EXPECT_EQ(height, kSensorHeight);
}

TEST_F(Viewer, SaveAsTakesTheNameFromTheSaveDialog)
{
    constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;  // the save dialog's name field
    const std::string path = OutputPath("saved-as.png");
    DeleteFileA(path.c_str());
    process->Command(viewer::kCmdSaveAs);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = FindProcessWindow(process->id(), "#32770")) != nullptr; }, kFrameWaitMs));
    HWND name = GetDlgItem(dialog, kFileNameCombo) ? GetDlgItem(dialog, kFileNameCombo) : GetDlgItem(dialog, kFileNameEdit);
    ASSERT_TRUE(name);
    std::string windowsPath = path;
    for (char& c : windowsPath)
        c = c == '/' ? '\\' : c;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(windowsPath.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return process->LogHas("saved-as.png"); }, kFrameWaitMs));
    int width = 0, height = 0;
    PngSize(path, &width, &height);  // the dialog offers PNG first
    EXPECT_EQ(width, kSensorWidth);
    EXPECT_EQ(height, kSensorHeight);
}

TEST_F(Viewer, RecordWithTheDefaultDurationFillsTheProgressBar)
{
    ASSERT_TRUE(FramesFlow());
    char seconds[16] = {};
    // WM_GETTEXT itself: GetWindowText does not ask a control of another process for its text.
    SendMessageA(process->Child(viewer::kIdDuration), WM_GETTEXT, sizeof seconds, reinterpret_cast<LPARAM>(seconds));
    EXPECT_STREQ(seconds, "3");
    const std::string path = OutputPath("recording-001.avi");
    DeleteFileA(path.c_str());
    process->Command(viewer::kCmdRecord);
    ASSERT_TRUE(WaitFor([&] { return process->LogHas("recorded"); }, kRecordWaitMs));
    HWND progress = process->Child(viewer::kIdProgress);
    EXPECT_EQ(SendMessageA(progress, PBM_GETPOS, 0, 0), SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
    EXPECT_TRUE(WaitFor([&] { return FileReleased(path); }, kRecordWaitMs)) << path;
    // Preview goes on after the recording.
    EXPECT_TRUE(FramesFlow());
}

TEST_F(Viewer, EachSettingsDialogOpensAndTheCancelledOneLeavesThePictureRunning)
{
    for (int command : {viewer::kCmdAnalogDialog, viewer::kCmdCameraDialog, viewer::kCmdImageDialog}) {
        SCOPED_TRACE(command);
        process->Command(command);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (dialog = FindProcessWindow(process->id(), "#32770", "Property")) != nullptr; },
                            kFrameWaitMs));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, kFrameWaitMs));
        EXPECT_TRUE(FramesFlow());
    }
    EXPECT_TRUE(process->Running());
}

// The live window, left for the check script as viewer-live.png.
TEST_F(Viewer, Photograph)
{
    ASSERT_TRUE(FramesFlow());
    EXPECT_TRUE(SaveWindowPicture(process->main(), OutputPath("viewer-live.bmp")));
}

// Run alone, with a camera that stops answering after 60 frames and comes back 2 s later.
TEST(ViewerUnplug, LossIsShownAndThePictureComesBack)
{
    ClearCameraSettings();
    {
        ViewerProcess process("--record-to " + OutputFolder());
        ASSERT_TRUE(process.main());
        ASSERT_TRUE(WaitFor([&] { return process.LogHas("error 13"); }, kLossWaitMs))
            << process.Status(viewer::kPartMessage);
        EXPECT_TRUE(process.LogHas("frame failure 13"));
        ASSERT_TRUE(WaitFor([&] { return process.LogHas("camera back"); }, kLossWaitMs));
        const long long after = process.Number(viewer::kPartReceived);
        EXPECT_TRUE(WaitFor([&] { return process.Number(viewer::kPartReceived) > after + 2; }, kFrameWaitMs));
    }
    ClearCameraSettings();
}
