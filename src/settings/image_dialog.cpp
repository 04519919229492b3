#include "settings/image_dialog.h"

#include "pipeline/filter_table.h"
#include "settings/dialog_ids.h"


namespace {

constexpr UINT kRefreshMessage = WM_APP + 2;
// Tab texts, the same in both languages.
constexpr char kFilterTabText[] = "Image Filter";
constexpr char kGrayTabText[] = "Gray Filter";
constexpr int kFilterTab = 0, kGrayTab = 1;
// What Default sets: the filter page's values, and the gray page's when it is there.
constexpr int32_t FilterParams::* kDefaultFilterFields[] = {
    &FilterParams::brightness, &FilterParams::contrast,   &FilterParams::hue,        &FilterParams::saturation,
    &FilterParams::sharpness,  &FilterParams::bayerGainR, &FilterParams::bayerGainG, &FilterParams::bayerGainB,
    &FilterParams::gamma,      &FilterParams::bayerMode};
constexpr int32_t FilterParams::* kDefaultGrayFields[] = {
    &FilterParams::grayGainR,   &FilterParams::grayGainG1,   &FilterParams::grayGainG2,   &FilterParams::grayGainB,
    &FilterParams::grayOffsetR, &FilterParams::grayOffsetG1, &FilterParams::grayOffsetG2, &FilterParams::grayOffsetB};

// The first-run value of a filter field.
int32_t FirstRun(int32_t FilterParams::* field) { return FindFilterField(field)->firstRun; }

}  // namespace

ImageDialog::ImageDialog(FilterControls& controls, int outputFormat)
    : controls_(controls), flags_(EnableFlagsFor(outputFormat)), filterPage_(controls, flags_),
      grayPage_(controls, flags_)
{
}

INT_PTR ImageDialog::Run(HWND owner)
{
    return RunModal(IDD_IMAGE_FRAME_JA, IDD_IMAGE_FRAME_EN, owner);
}

void ImageDialog::RequestRefresh(void* dialog)
{
    if (HWND target = static_cast<ImageDialog*>(dialog)->refreshTarget_.load())
        PostMessageA(target, kRefreshMessage, 0, 0);
}

INT_PTR ImageDialog::OnOtherMessage(UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_DESTROY:
        refreshTarget_ = nullptr;
        return FALSE;
    case kRefreshMessage:
        filterPage_.Refresh();
        if (grayPage_.window())
            grayPage_.Refresh();
        return TRUE;
    default:
        return FALSE;
    }
}

void ImageDialog::Initialize()
{
    AddPage(kFilterTab, kFilterTabText, filterPage_.Create(Tab()), true);
    if (HasGrayPage())
        AddPage(kGrayTab, kGrayTabText, grayPage_.Create(Tab()), false);
    refreshTarget_ = window();
}

void ImageDialog::Accept()
{
    filterPage_.ReadBack();
    if (grayPage_.window())
        grayPage_.ReadBack();
}

void ImageDialog::ShowTab(int index)
{
    ShowWindow(filterPage_.window(), index == kFilterTab ? SW_SHOW : SW_HIDE);
    if (grayPage_.window())
        ShowWindow(grayPage_.window(), index == kGrayTab ? SW_SHOW : SW_HIDE);
}

void ImageDialog::SetDefaults()
{
    // The filter values and the Bayer mode, and the gray values with the gray tab, at their
    // first-run values; the gray mode and the automatic balances stay.
    const bool gray = HasGrayPage();
    controls_.Change([gray](FilterParams& f) {
        for (auto field : kDefaultFilterFields)
            f.*field = FirstRun(field);
        if (gray)
            for (auto field : kDefaultGrayFields)
                f.*field = FirstRun(field);
    });
    filterPage_.Refresh();
    if (grayPage_.window())
        grayPage_.Refresh();
}
