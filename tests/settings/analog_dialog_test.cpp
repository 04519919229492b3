// The analog settings dialog worked as an operator works it (see dialog_driver.h); the effects are
// read through the exports and the emulated camera's sensor registers.
#include "dialog_driver.h"

#include "device/device_protocol.h"
#include "settings/dialog_ids.h"

using namespace sdktest;

namespace {

constexpr int kColourGainRegisters[] = {sensor::kGainGreen1, sensor::kGainRed, sensor::kGainBlue, sensor::kGainGreen2};
constexpr int kColourEdits[] = {IDC_GAIN_G1_EDIT, IDC_GAIN_R_EDIT, IDC_GAIN_B_EDIT, IDC_GAIN_G2_EDIT};

class AnalogDialogTest : public CameraTest {
protected:
    template <typename Operate>
    int Run(Operate operate)
    {
        return RunDialog([&] { return Velmor_SetAnalogDlg(camera, nullptr); },
                         [&](HWND frame) {
                             HWND page = FindPage(frame, IDC_FRAME_TAB);
                             if (!page)
                                 ADD_FAILURE() << "no page on the tab";
                             else
                                 operate(frame, page);
                             PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);  // if still open
                         });
    }
    int Register(int reg)
    {
        int ok = 0;
        const int value = Velmor_ReadRegister(camera, reg, &ok);
        EXPECT_EQ(ok, 1) << reg;
        return value;
    }
    int AutoIris()
    {
        int ok = 0;
        return Velmor_GetAutoIris(camera, &ok);
    }
};

}  // namespace

TEST_F(AnalogDialogTest, GlobalGainMovesTheFourColourGainsAndKeepsThemAtOk)
{
    EXPECT_EQ(Run([&](HWND frame, HWND page) {
                  EXPECT_EQ(Caption(frame), "Property");  // English templates: the system is not Japanese
                  EXPECT_EQ(Text(frame, IDC_DEFAULT), "Default(&D)");
                  MoveBar(page, IDC_GLOBAL_GAIN_BAR, 20);
                  EXPECT_EQ(EditValue(page, IDC_GLOBAL_GAIN_EDIT), 20);
                  for (int i = 0; i < 4; ++i) {
                      EXPECT_EQ(EditValue(page, kColourEdits[i]), 20);
                      EXPECT_EQ(BarPosition(page, kColourEdits[i] - 1), 20);
                      EXPECT_EQ(Register(kColourGainRegisters[i]), 20);
                  }
                  EXPECT_EQ(Register(sensor::kGlobalGain), 20);
                  Click(frame, IDOK);
              }),
              1);
    int ok = 0;
    EXPECT_EQ(Velmor_GetGlobalGain(camera, &ok), 20);
    EXPECT_EQ(Register(sensor::kGainRed), 20);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(AnalogDialogTest, AutoIrisBoxesAreExclusive)
{
    EXPECT_EQ(Run([&](HWND frame, HWND page) {
                  Click(page, IDC_AUTO_IRIS_EXPOSURE);
                  EXPECT_EQ(AutoIris(), 1);
                  Click(page, IDC_AUTO_IRIS_GAIN);
                  EXPECT_TRUE(Checked(page, IDC_AUTO_IRIS_GAIN));
                  EXPECT_FALSE(Checked(page, IDC_AUTO_IRIS_EXPOSURE));
                  EXPECT_EQ(AutoIris(), 2);
                  Click(page, IDC_AUTO_IRIS_GAIN);
                  EXPECT_EQ(AutoIris(), 0);
                  Click(page, IDC_AUTO_IRIS_GAIN);
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(AutoIris(), 2);
}

TEST_F(AnalogDialogTest, DefaultSetsGainsAndExposureWithoutClosingOrTouchingTheMirrors)
{
    EXPECT_EQ(Run([&](HWND frame, HWND page) {
                  Click(page, IDC_MIRROR_V);
                  Type(page, IDC_EXPOSURE_EDIT, 300);
                  MoveBar(page, IDC_GLOBAL_GAIN_BAR, 30);
                  Click(frame, IDC_DEFAULT);
                  EXPECT_TRUE(IsWindowVisible(frame));
                  EXPECT_EQ(EditValue(page, IDC_GLOBAL_GAIN_EDIT), 14);
                  for (int i = 0; i < 4; ++i) {
                      EXPECT_EQ(EditValue(page, kColourEdits[i]), 14);
                      EXPECT_EQ(Register(kColourGainRegisters[i]), 14);
                  }
                  EXPECT_EQ(EditValue(page, IDC_EXPOSURE_EDIT), 1561);
                  EXPECT_EQ(BarPosition(page, IDC_EXPOSURE_BAR), 1561);
                  EXPECT_EQ(Register(sensor::kExposure), 1561);
                  EXPECT_EQ(Register(sensor::kGlobalGain), 14);
                  EXPECT_TRUE(Checked(page, IDC_MIRROR_V));
                  EXPECT_EQ(Velmor_GetMirrorV(camera), 1);
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(Velmor_GetMirrorV(camera), 1);
}

TEST_F(AnalogDialogTest, CancelRestoresTheValuesOfTheOpening)
{
    const int exposure = Register(sensor::kExposure);
    const int gain = Register(sensor::kGainBlue);
    EXPECT_EQ(Run([&](HWND frame, HWND page) {
                  EXPECT_EQ(EditValue(page, IDC_EXPOSURE_EDIT), exposure);
                  Type(page, IDC_EXPOSURE_EDIT, exposure + 100);
                  EXPECT_EQ(Register(sensor::kExposure), exposure + 100);
                  EXPECT_EQ(Text(page, IDC_EXPOSURE_TIME).substr(0, 1), "=");
                  Type(page, IDC_GAIN_B_EDIT, gain + 5);
                  Click(page, IDC_MIRROR_V);
                  Click(page, IDC_MIRROR_H);
                  EXPECT_EQ(Velmor_GetMirrorH(camera), 1);
                  Click(frame, IDCANCEL);
              }),
              1);
    EXPECT_EQ(Register(sensor::kExposure), exposure);
    EXPECT_EQ(Register(sensor::kGainBlue), gain);
    EXPECT_EQ(Velmor_GetMirrorV(camera), 0);
    EXPECT_EQ(Velmor_GetMirrorH(camera), 0);
}

TEST_F(AnalogDialogTest, LivePreviewGoesOnAndFiftyOpeningsLeaveNothingBehind)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    ASSERT_EQ(Velmor_Preview(camera), 1);
    EXPECT_EQ(Run([&](HWND frame, HWND) {
                  // Frames keep coming while the dialog is open: counted on this thread's own window.
                  FrameWindow window;
                  EXPECT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
                  window.Pump(5000, 3);
                  EXPECT_GE(window.FrameCount(), 3u);
                  Click(frame, IDOK);
              }),
              1);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);

    ExpectNoGrowth([&] { Run([](HWND frame, HWND) { Click(frame, IDCANCEL); }); });
}
