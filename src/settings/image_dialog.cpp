#include "settings/image_dialog.h"

#include "pipeline/filter_table.h"
#include "settings/dialog_ids.h"

#include <commctrl.h>

namespace {

constexpr int kPageX = 30, kPageY = 25;  // the pages' place inside the tab
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

void InsertTab(HWND tab, int index, const char* text)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);  // read only
    SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

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
    return RunModal(JapaneseDialogs() ? IDD_IMAGE_FRAME_JA : IDD_IMAGE_FRAME_EN, owner);
}

void ImageDialog::RequestRefresh(void* dialog)
{
    if (HWND target = static_cast<ImageDialog*>(dialog)->refreshTarget_.load())
        PostMessageA(target, kRefreshMessage, 0, 0);
}

INT_PTR ImageDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Initialize();
        return TRUE;
    case WM_DESTROY:
        refreshTarget_ = nullptr;
        return FALSE;
    case kRefreshMessage:
        filterPage_.Refresh();
        if (grayPage_.window())
            grayPage_.Refresh();
        return TRUE;
    case WM_NOTIFY: {
        const auto* note = reinterpret_cast<const NMHDR*>(lParam);
        if (note->idFrom == IDC_FRAME_TAB && note->code == TCN_SELCHANGE)
            ShowTab(static_cast<int>(SendMessageA(note->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return TRUE;
    }
    case WM_DRAWITEM:
        return tab_.Draw(wParam, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            filterPage_.ReadBack();
            if (grayPage_.window())
                grayPage_.ReadBack();
            EndDialog(window(), IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(window(), IDCANCEL);
            return TRUE;
        case IDC_DEFAULT:
            SetDefaults();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void ImageDialog::Initialize()
{
    HWND tab = GetDlgItem(window(), IDC_FRAME_TAB);
    InsertTab(tab, kFilterTab, kFilterTabText);
    if (HWND page = filterPage_.Create(tab))
        SetWindowPos(page, nullptr, kPageX, kPageY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    if (HasGrayPage()) {
        InsertTab(tab, kGrayTab, kGrayTabText);
        if (HWND page = grayPage_.Create(tab))
            SetWindowPos(page, nullptr, kPageX, kPageY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    }
    refreshTarget_ = window();
}

void ImageDialog::ShowTab(int tab)
{
    ShowWindow(filterPage_.window(), tab == kFilterTab ? SW_SHOW : SW_HIDE);
    if (grayPage_.window())
        ShowWindow(grayPage_.window(), tab == kGrayTab ? SW_SHOW : SW_HIDE);
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
