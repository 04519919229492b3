// The camera settings dialog worked as an operator works it (see dialog_driver.h); the effects are
// read from the registry and through the exports.
#include "dialog_driver.h"

#include "emulator/frame_number.h"
#include "settings/dialog_ids.h"

using namespace sdktest;

namespace {

const std::string kCameraKey = std::string(kRootKey) + "\\Camera_00";
constexpr int kPresetEdits[] = {IDC_CAMERA_TOTAL_H, IDC_CAMERA_TOTAL_V, IDC_CAMERA_WIDTH,
                                IDC_CAMERA_HEIGHT,  IDC_CAMERA_LEFT,    IDC_CAMERA_TOP};
constexpr const char* kPresetValues[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};

class CameraDialogTest : public CameraTest {
protected:
    template <typename Operate>
    int Run(Operate operate)
    {
        return RunDialog([&] { return Velmor_SetCameraDlg(camera, nullptr); },
                         [&](HWND dialog) {
                             operate(dialog);
                             PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // if still open
                         });
    }
    static DWORD Stored(const std::string& key, const char* value)
    {
        DWORD data = 0xDEADBEEF;
        EXPECT_TRUE(ReadDword(key, value, data)) << key << " " << value;
        return data;
    }
    static std::vector<DWORD> Preset(int number)
    {
        char name[16];
        std::snprintf(name, sizeof name, "\\Size_%02d", number);
        std::vector<DWORD> values;
        for (const char* value : kPresetValues)
            values.push_back(Stored(kCameraKey + name, value));
        return values;
    }
    static void TypePreset(HWND dialog, const std::vector<int>& values)
    {
        for (size_t i = 0; i < values.size(); ++i)
            Type(dialog, kPresetEdits[i], values[i]);
    }
    std::vector<int> CaptureWindow()
    {
        int hTotal = 0, hStart = 0, hEffective = 0, vTotal = 0, vStart = 0, vEffective = 0;
        Velmor_GetCaptureWindowEx(camera, &hTotal, &hStart, &hEffective, &vTotal, &vStart, &vEffective);
        return {hTotal, vTotal, hEffective, vEffective, hStart, vStart};
    }
};

}  // namespace

TEST_F(CameraDialogTest, ShowsTheStoredValuesWithApplyDisabledAndCancelSavesNothing)
{
    WriteDword(kCameraKey, "SubSample", 17);
    EXPECT_EQ(Run([&](HWND dialog) {
                  EXPECT_EQ(Caption(dialog), "Property");
                  EXPECT_EQ(Items(dialog, IDC_CAMERA_FORMAT),
                            (std::vector<std::string>{"Monochrome 8bit", "Monochrome 10bit *", "Color 24bit",
                                                      "Color 32bit", "Color 48bit *", "Color 64bit *"}));
                  EXPECT_EQ(Items(dialog, IDC_CAMERA_CLOCK),
                            (std::vector<std::string>{"Nomal(24MHz)", "Half(12MHz)", "High(48MHz)"}));
                  EXPECT_EQ(Items(dialog, IDC_CAMERA_SUBSAMPLE),
                            (std::vector<std::string>{"1/1", "1/2 Skip", "1/4 Skip", "1/2 Bin", "1/4 Bin"}));
                  EXPECT_EQ(Items(dialog, IDC_CAMERA_PRESET), (std::vector<std::string>{"2048 x 1536", "Custom"}));
                  // The first run's values: 24-bit colour, 48 MHz, 1 ms; the stored 17 is "1/2 Bin".
                  EXPECT_EQ(Picked(dialog, IDC_CAMERA_FORMAT), 2);
                  EXPECT_EQ(Picked(dialog, IDC_CAMERA_CLOCK), 2);
                  EXPECT_EQ(Picked(dialog, IDC_CAMERA_SUBSAMPLE), 3);
                  EXPECT_EQ(Picked(dialog, IDC_CAMERA_PRESET), 0);
                  EXPECT_EQ(EditValue(dialog, IDC_CAMERA_WAIT), 1);
                  std::vector<int> shown;
                  for (int edit : kPresetEdits)
                      shown.push_back(EditValue(dialog, edit));
                  EXPECT_EQ(shown, (std::vector<int>{2048, 1536, 2048, 1536, 0, 0}));
                  EXPECT_FALSE(Enabled(dialog, IDC_APPLY));
                  Pick(dialog, IDC_CAMERA_CLOCK, 1);
                  EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
                  Click(dialog, IDCANCEL);
              }),
              1);
    EXPECT_EQ(Stored(kCameraKey, "Clock"), 2u);
    EXPECT_EQ(Stored(kCameraKey, "SubSample"), 17u);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(CameraDialogTest, AStoredSubSampleOfFiveShowsOneToOneAndIsSavedAsZero)
{
    WriteDword(kCameraKey, "SubSample", 5);
    EXPECT_EQ(Run([&](HWND dialog) {
                  EXPECT_EQ(Picked(dialog, IDC_CAMERA_SUBSAMPLE), 0);
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(Stored(kCameraKey, "SubSample"), 0u);
    EXPECT_EQ(Velmor_GetSubSample(camera), 0);
}

TEST_F(CameraDialogTest, CustomWithApplyAddsAPresetAndCancelKeepsItStoredButNotInUse)
{
    const std::vector<int> opening = CaptureWindow();
    EXPECT_EQ(Run([&](HWND dialog) {
                  Pick(dialog, IDC_CAMERA_PRESET, 1);  // "Custom" keeps the edits
                  EXPECT_EQ(EditValue(dialog, IDC_CAMERA_WIDTH), 2048);
                  Type(dialog, IDC_CAMERA_WIDTH, 1024);
                  Type(dialog, IDC_CAMERA_HEIGHT, 768);
                  EXPECT_TRUE(Enabled(dialog, IDC_APPLY));
                  Click(dialog, IDC_APPLY);
                  EXPECT_EQ(Items(dialog, IDC_CAMERA_PRESET),
                            (std::vector<std::string>{"2048 x 1536", "1024 x 768", "Custom"}));
                  EXPECT_EQ(Picked(dialog, IDC_CAMERA_PRESET), 1);
                  EXPECT_FALSE(Enabled(dialog, IDC_APPLY));
                  EXPECT_EQ(Preset(1), (std::vector<DWORD>{2048, 1536, 1024, 768, 0, 0, 4}));
                  EXPECT_EQ(Stored(kCameraKey, "Size"), 1u);
                  // Back to the first preset: its values return to the edits.
                  Pick(dialog, IDC_CAMERA_PRESET, 0);
                  EXPECT_EQ(EditValue(dialog, IDC_CAMERA_WIDTH), 2048);
                  Click(dialog, IDCANCEL);
              }),
              1);
    EXPECT_EQ(Stored(kCameraKey, "Size"), 1u);
    EXPECT_EQ(CaptureWindow(), opening);
}

TEST_F(CameraDialogTest, WithoutPresetsOnlyCustomIsListedAndOkStoresItAsTheFirst)
{
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, (kCameraKey + "\\Size_00").c_str()), ERROR_SUCCESS);
    EXPECT_EQ(Run([&](HWND dialog) {
                  EXPECT_EQ(Items(dialog, IDC_CAMERA_PRESET), (std::vector<std::string>{"Custom"}));
                  TypePreset(dialog, {2048, 1536, 640, 480, 8, 16});
                  Type(dialog, IDC_CAMERA_WAIT, 25);
                  Pick(dialog, IDC_CAMERA_FORMAT, 0);
                  Click(dialog, IDOK);
              }),
              1);
    EXPECT_EQ(Preset(0), (std::vector<DWORD>{2048, 1536, 640, 480, 8, 16, 4}));
    // Reloaded by the camera object at OK.
    EXPECT_EQ(CaptureWindow(), (std::vector<int>{2048, 1536, 640, 480, 8, 16}));
    EXPECT_EQ(Velmor_GetWaitTime(camera), 25);
    EXPECT_EQ(Velmor_GetColorMode(camera), 8);
}

TEST_F(CameraDialogTest, PreviewStopsWhileOpenAndRestartsWithTheNewSettings)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    EXPECT_EQ(Run([&](HWND dialog) {
                  // Stopped: a snapshot, refused while previewing, is taken.
                  EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 1);
                  Pick(dialog, IDC_CAMERA_FORMAT, 0);
                  TypePreset(dialog, {2048, 1536, 320, 240, 0, 0});
                  Click(dialog, IDOK);
              }),
              1);
    // Previewing again, in 8 bits: the snapshot is refused with the state error.
    EXPECT_EQ(Velmor_SnapShot(camera, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(camera), (std::vector<int>{VELMOR_ERROR_STATE}));
    window.Pump(5000, 3);
    ASSERT_GE(window.FrameCount(), 3u);
    EXPECT_EQ(window.notes.back().info.bitsPerPixel, 8);
    EXPECT_EQ(window.notes.back().info.width, 320);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
}

TEST_F(CameraDialogTest, FiftyOpeningsLeaveNothingBehind)
{
    ExpectNoGrowth([&] { Run([](HWND dialog) { Click(dialog, IDCANCEL); }); });
}

TEST_F(CameraDialogTest, TriggerModeIsHeldWhileOpenAndGoesOnAfter)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    // The sensor's number of the newest triggered frame, read from the bars' top-left blocks.
    const auto newest = [&]() -> int64_t {
        std::vector<BYTE> frame(FrameBytes(320, 240, 8));
        uint32_t number = 0;
        if (Velmor_GetImage(camera, frame.data(), int(frame.size()), 1) != 1 ||
            !emu::DecodeFrameNumber(frame.data(), FrameStride(320, 8), 1, 320, 240, &number))
            return -1;
        return number;
    };
    ASSERT_EQ(Velmor_Trigger(camera, nullptr, nullptr, 0, 1), 1);
    ASSERT_TRUE(WaitFor([&] { return newest() >= 0; }));
    PopAll(camera);  // GetImage before the first frame
    EXPECT_EQ(Run([&](HWND dialog) {
                  Sleep(300);  // a trigger already awaited when the hold began still lands
                  const int64_t held = newest();
                  Sleep(700);  // the pulses come every 200 ms
                  EXPECT_EQ(newest(), held);
                  Click(dialog, IDCANCEL);
              }),
              1);
    const int64_t after = newest();
    EXPECT_TRUE(WaitFor([&] { return newest() > after; }));
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_TRUE(PopAll(camera).empty());
}
