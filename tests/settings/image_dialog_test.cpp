// The image filter dialog worked as an operator works it (see dialog_driver.h); the effects are
// read through the filter exports while frames go through the pipeline.
#include "dialog_driver.h"

#include "settings/dialog_ids.h"

#include <algorithm>

using namespace sdktest;

namespace {

// The filter numbers that the dialog edits, and the two automatic balances.
constexpr int kRecordNumbers[] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
constexpr int kColourOnly[] = {IDC_HUE_EDIT, IDC_SATURATION_EDIT, IDC_BAYER_R_EDIT, IDC_BAYER_G_EDIT, IDC_BAYER_B_EDIT,
                               IDC_HUE_BAR,  IDC_BAYER_B_SPIN,    IDC_AUTO_ONCE,    IDC_AUTO_ALL_FRAMES,
                               IDC_BAYER_MODE_0, IDC_BAYER_MODE_3};
constexpr int kAlways[] = {IDC_BRIGHTNESS_EDIT, IDC_CONTRAST_BAR, IDC_SHARPNESS_SPIN, IDC_GAMMA_EDIT};
constexpr int kGrayTab = 1;

class ImageDialogTest : public CameraTest {
protected:
    // The frame and its pages: the filter page first, the gray page when the format has one.
    template <typename Operate>
    int Run(Operate operate)
    {
        return RunDialog([&] { return Velmor_SetImageDlg(camera, nullptr); },
                         [&](HWND frame) {
                             HWND tab = GetDlgItem(frame, IDC_FRAME_TAB);
                             HWND filterPage = FindWindowExA(tab, nullptr, "#32770", nullptr);
                             HWND grayPage = filterPage ? FindWindowExA(tab, filterPage, "#32770", nullptr) : nullptr;
                             if (!filterPage)
                                 ADD_FAILURE() << "no page on the tab";
                             else
                                 operate(frame, filterPage, grayPage);
                             PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);  // if still open
                         });
    }
    int Filter(int number)
    {
        int ok = 0;
        const int value = Velmor_GetFilterValue(camera, number, &ok);
        EXPECT_EQ(ok, 1) << number;
        return value;
    }
    std::vector<int> Record()
    {
        std::vector<int> values;
        for (int number : kRecordNumbers)
            values.push_back(Filter(number));
        return values;
    }
    static int Tabs(HWND frame) { return int(SendDlgItemMessageA(frame, IDC_FRAME_TAB, TCM_GETITEMCOUNT, 0, 0)); }
    static void PickTab(HWND frame, int index)
    {
        HWND tab = GetDlgItem(frame, IDC_FRAME_TAB);
        SendMessageA(tab, TCM_SETCURSEL, index, 0);
        NMHDR note = {tab, IDC_FRAME_TAB, UINT(TCN_SELCHANGE)};
        SendMessageA(frame, WM_NOTIFY, IDC_FRAME_TAB, reinterpret_cast<LPARAM>(&note));
    }
    void SmallPreview(int bits)
    {
        ASSERT_EQ(Velmor_SetColorMode(camera, bits), 1);
        ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
        ASSERT_EQ(Velmor_StartPreview(camera), 1);
    }
};

}  // namespace

TEST_F(ImageDialogTest, ColourFormatsHaveOneTabWithEveryControlEnabled)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
    EXPECT_EQ(Run([&](HWND frame, HWND page, HWND gray) {
                  EXPECT_EQ(Caption(frame), "Property");
                  EXPECT_EQ(Tabs(frame), 1);
                  EXPECT_EQ(gray, nullptr);
                  for (int control : kColourOnly)
                      EXPECT_TRUE(Enabled(page, control)) << control;
                  EXPECT_TRUE(Checked(page, IDC_BAYER_MODE_3));
                  EXPECT_FALSE(Checked(page, IDC_AUTO_ALL_FRAMES));
                  EXPECT_EQ(EditValue(page, IDC_BAYER_R_EDIT), 100);
                  EXPECT_EQ(SendDlgItemMessageA(page, IDC_HUE_BAR, TBM_GETRANGEMIN, 0, 0), -360);
                  EXPECT_EQ(SendDlgItemMessageA(page, IDC_GAMMA_BAR, TBM_GETRANGEMAX, 0, 0), 200);
              }),
              1);
}

TEST_F(ImageDialogTest, MonochromeFormatsAddTheGrayTabAndDisableTheColourControls)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 16), 1);
    EXPECT_EQ(Run([&](HWND frame, HWND page, HWND gray) {
                  EXPECT_EQ(Tabs(frame), 2);
                  for (int control : kColourOnly)
                      EXPECT_FALSE(Enabled(page, control)) << control;
                  for (int control : kAlways)
                      EXPECT_TRUE(Enabled(page, control)) << control;
                  ASSERT_NE(gray, nullptr);
                  EXPECT_TRUE(IsWindowVisible(page));
                  EXPECT_FALSE(IsWindowVisible(gray));
                  PickTab(frame, kGrayTab);
                  EXPECT_FALSE(IsWindowVisible(page));
                  EXPECT_TRUE(IsWindowVisible(gray));
                  EXPECT_TRUE(Enabled(gray, IDC_GRAY_OFFSET_B_EDIT));
                  EXPECT_EQ(SendDlgItemMessageA(gray, IDC_GRAY_GAIN_R_BAR, TBM_GETRANGEMAX, 0, 0), 400);
                  EXPECT_EQ(EditValue(gray, IDC_GRAY_GAIN_G2_EDIT), 128);
                  EXPECT_TRUE(Checked(gray, IDC_GRAY_MODE_BAYER));
                  // The gray page's controls write the record at once.
                  MoveBar(gray, IDC_GRAY_OFFSET_G1_BAR, 40);
                  EXPECT_EQ(EditValue(gray, IDC_GRAY_OFFSET_G1_EDIT), 40);
                  EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_OFFSET_G1), 40);
                  Click(gray, IDC_GRAY_MODE_GRAYSCALE);
                  EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_MODE), 2);
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_OFFSET_G1), 40);
    EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_MODE), 2);
}

TEST_F(ImageDialogTest, DefaultOnAColourFormatLeavesTheGrayValuesAlone)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 32), 1);
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_BRIGHTNESS, 50), 1);
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_GAMMA, 150), 1);
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_BAYER_MODE, 1), 1);
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_GRAY_GAIN_R, 200), 1);
    EXPECT_EQ(Run([&](HWND frame, HWND page, HWND) {
                  EXPECT_EQ(EditValue(page, IDC_BRIGHTNESS_EDIT), 50);
                  EXPECT_TRUE(Checked(page, IDC_BAYER_MODE_1));
                  Type(page, IDC_HUE_EDIT, -90);
                  Click(frame, IDC_DEFAULT);
                  EXPECT_TRUE(IsWindowVisible(frame));
                  EXPECT_EQ(EditValue(page, IDC_BRIGHTNESS_EDIT), 0);
                  EXPECT_EQ(EditValue(page, IDC_HUE_EDIT), 0);
                  EXPECT_EQ(EditValue(page, IDC_GAMMA_EDIT), 100);
                  EXPECT_EQ(BarPosition(page, IDC_GAMMA_BAR), 100);
                  EXPECT_TRUE(Checked(page, IDC_BAYER_MODE_3));
                  EXPECT_FALSE(Checked(page, IDC_BAYER_MODE_1));
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(Filter(VELMOR_FILTER_BRIGHTNESS), 0);
    EXPECT_EQ(Filter(VELMOR_FILTER_GAMMA), 100);
    EXPECT_EQ(Filter(VELMOR_FILTER_BAYER_MODE), 3);
    EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_GAIN_R), 200);
}

TEST_F(ImageDialogTest, ATypedValueIsStoredAsTypedBeyondTheTrackbar)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
    EXPECT_EQ(Run([&](HWND frame, HWND page, HWND) {
                  Type(page, IDC_BAYER_R_EDIT, 500);
                  EXPECT_EQ(Filter(VELMOR_FILTER_BAYER_GAIN_RED), 500);
                  EXPECT_EQ(BarPosition(page, IDC_BAYER_R_BAR), 400);
                  Click(page, IDC_BAYER_MODE_0);
                  EXPECT_EQ(Filter(VELMOR_FILTER_BAYER_MODE), 0);
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(Filter(VELMOR_FILTER_BAYER_GAIN_RED), 500);
    EXPECT_EQ(Filter(VELMOR_FILTER_BAYER_MODE), 0);
}

TEST_F(ImageDialogTest, CancelRestoresEveryValueOfTheOpening)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_CONTRAST, -20), 1);
    const std::vector<int> opening = Record();
    EXPECT_EQ(Run([&](HWND frame, HWND page, HWND gray) {
                  MoveBar(page, IDC_BRIGHTNESS_BAR, 100);
                  MoveBar(page, IDC_CONTRAST_BAR, 60);
                  Type(page, IDC_GAMMA_EDIT, 30);
                  ASSERT_NE(gray, nullptr);
                  MoveBar(gray, IDC_GRAY_GAIN_B_BAR, 300);
                  Click(gray, IDC_GRAY_MODE_CONVERT);
                  Click(gray, IDC_AUTO_ALL_FRAMES);
                  Click(frame, IDC_DEFAULT);
                  EXPECT_NE(Record(), opening);
                  Click(frame, IDCANCEL);
              }),
              1);
    EXPECT_EQ(Record(), opening);
}

TEST_F(ImageDialogTest, OnceMeasuresOneWhiteBalanceAndTheSlidersFollowIt)
{
    // Red twice as strong at the sensor: the balance must lower the red gain.
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_COLOR_GAIN_RED, 28), 1);
    SmallPreview(24);
    EXPECT_EQ(Run([&](HWND frame, HWND page, HWND) {
                  Click(page, IDC_AUTO_ONCE);
                  EXPECT_TRUE(WaitFor([&] { return Filter(VELMOR_FILTER_BAYER_GAIN_AUTO) == 0; }));
                  const int red = Filter(VELMOR_FILTER_BAYER_GAIN_RED);
                  EXPECT_LT(red, 80);
                  EXPECT_TRUE(WaitFor([&] { return EditValue(page, IDC_BAYER_R_EDIT) == red; }));
                  EXPECT_EQ(BarPosition(page, IDC_BAYER_R_BAR), red);
                  EXPECT_EQ(EditValue(page, IDC_BAYER_B_EDIT), Filter(VELMOR_FILTER_BAYER_GAIN_BLUE));
                  // One measurement only: the gains stay where it put them.
                  Sleep(300);
                  EXPECT_EQ(Filter(VELMOR_FILTER_BAYER_GAIN_RED), red);
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
}

TEST_F(ImageDialogTest, AllFramesOnTheGrayPageMeasuresEveryFrameUntilUnchecked)
{
    // Red sites twice as strong: the balance gives red a gain of its own.
    ASSERT_EQ(Velmor_SetFilterValue(camera, VELMOR_FILTER_COLOR_GAIN_RED, 28), 1);
    SmallPreview(8);
    EXPECT_EQ(Run([&](HWND frame, HWND, HWND gray) {
                  ASSERT_NE(gray, nullptr);
                  PickTab(frame, kGrayTab);
                  Click(gray, IDC_GRAY_MODE_CONVERT);  // the mode that balances the sites
                  Click(gray, IDC_AUTO_ALL_FRAMES);
                  EXPECT_TRUE(Checked(gray, IDC_AUTO_ALL_FRAMES));
                  // The count runs down by one a frame and never reaches 0.
                  EXPECT_TRUE(WaitFor([&] { return Filter(VELMOR_FILTER_GRAY_GAIN_AUTO) < -3; }));
                  Click(gray, IDC_AUTO_ALL_FRAMES);
                  EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_GAIN_AUTO), 0);
                  Sleep(300);
                  EXPECT_EQ(Filter(VELMOR_FILTER_GRAY_GAIN_AUTO), 0);
                  // The measured gains, not all at their first 128, reached the sliders.
                  const std::vector<int> gains = {Filter(VELMOR_FILTER_GRAY_GAIN_R), Filter(VELMOR_FILTER_GRAY_GAIN_G1),
                                                  Filter(VELMOR_FILTER_GRAY_GAIN_G2), Filter(VELMOR_FILTER_GRAY_GAIN_B)};
                  EXPECT_NE(gains, std::vector<int>(4, 128));
                  const int edits[] = {IDC_GRAY_GAIN_R_EDIT, IDC_GRAY_GAIN_G1_EDIT, IDC_GRAY_GAIN_G2_EDIT,
                                       IDC_GRAY_GAIN_B_EDIT};
                  EXPECT_TRUE(WaitFor([&] {
                      for (int i = 0; i < 4; ++i)
                          if (EditValue(gray, edits[i]) != gains[i])
                              return false;
                      return true;
                  }));
                  EXPECT_EQ(BarPosition(gray, IDC_GRAY_GAIN_B_BAR), std::min(Filter(VELMOR_FILTER_GRAY_GAIN_B), 400));
                  Click(gray, IDC_AUTO_ONCE);
                  EXPECT_TRUE(WaitFor([&] { return Filter(VELMOR_FILTER_GRAY_GAIN_AUTO) == 0; }));
                  Click(frame, IDOK);
              }),
              1);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
}

TEST_F(ImageDialogTest, LivePreviewGoesOnAndFiftyOpeningsLeaveNothingBehind)
{
    SmallPreview(24);
    EXPECT_EQ(Run([&](HWND frame, HWND, HWND) {
                  FrameWindow window;
                  EXPECT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
                  window.Pump(5000, 3);
                  EXPECT_GE(window.FrameCount(), 3u);
                  Click(frame, IDOK);
              }),
              1);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);  // both pages
    ExpectNoGrowth([&] { Run([](HWND frame, HWND, HWND) { Click(frame, IDCANCEL); }); });
}
