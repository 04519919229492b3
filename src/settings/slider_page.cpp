#include "settings/slider_page.h"

#include "settings/dialog_ids.h"

#include <commctrl.h>

const std::array<int, 4> kBayerModeRadios = {IDC_BAYER_MODE_0, IDC_BAYER_MODE_1, IDC_BAYER_MODE_2, IDC_BAYER_MODE_3};

EnableFlags EnableFlagsFor(int outputFormat)
{
    // Monochrome: the tone sliders and the gray tab; colour: every filter slider and the balance.
    constexpr int kMonoFlags[] = {0, 1, 4, 8, kFlagGrayTab};
    constexpr int kColourFlags[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, kFlagColourBalance};
    constexpr int kLastMonoFormat = 1;
    EnableFlags flags = {};
    if (outputFormat <= kLastMonoFormat)
        for (int flag : kMonoFlags)
            flags[flag] = 1;
    else
        for (int flag : kColourFlags)
            flags[flag] = 1;
    return flags;
}

SliderPage::SliderPage(FilterControls& controls, const EnableFlags& flags, std::span<const SliderRow> rows,
                       int japaneseTemplate, int englishTemplate)
    : controls_(controls), flags_(flags), rows_(rows), japaneseTemplate_(japaneseTemplate),
      englishTemplate_(englishTemplate)
{
}

HWND SliderPage::Create(HWND tab) { return CreatePage(japaneseTemplate_, englishTemplate_, tab); }

INT_PTR SliderPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ready_ = false;
        SetUpSliders();
        Initialize();
        ready_ = true;
        return TRUE;
    }
    if (SliderMessage(message, wParam, lParam))
        return TRUE;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Command(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void SliderPage::SetUpSliders()
{
    for (const SliderRow& row : rows_) {
        SetUpSlider(window(), row.ids, row.low, row.high, row.tick);
        EnableSlider(window(), row.ids, Enabled(row.flag));
    }
    Refresh();
}

void SliderPage::Refresh()
{
    const bool wasReady = ready_;
    ready_ = false;  // the edits are set from the record: nothing to store back
    const FilterParams record = controls_.Current();
    for (const SliderRow& row : rows_)
        ShowSliderValue(window(), row.ids, record.*row.field);
    ready_ = wasReady;
}

void SliderPage::ReadBack()
{
    controls_.Change([&](FilterParams& record) {
        for (const SliderRow& row : rows_)
            record.*row.field = SliderEditValue(window(), row.ids);
    });
}

bool SliderPage::SliderMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HSCROLL) {
        const int bar = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        for (const SliderRow& row : rows_) {
            if (row.ids.bar != bar)
                continue;
            SetDlgItemInt(window(), row.ids.edit, SliderPosition(window(), row.ids), TRUE);
            controls_.Set(row.field, SliderPosition(window(), row.ids));
            return true;
        }
        return false;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != EN_CHANGE)
        return false;
    for (const SliderRow& row : rows_) {
        if (row.ids.edit != LOWORD(wParam))
            continue;
        if (ready_) {
            // As typed: the trackbar keeps to its range, the record takes the value.
            const int value = SliderEditValue(window(), row.ids);
            controls_.Set(row.field, value);
            SendDlgItemMessageA(window(), row.ids.bar, TBM_SETPOS, TRUE, value);
        }
        return true;
    }
    return false;
}

void SliderPage::CheckRadio(std::span<const int> radios, int index) const
{
    for (size_t i = 0; i < radios.size(); ++i)
        CheckDlgButton(window(), radios[i], static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED);
}

int SliderPage::CheckedRadio(std::span<const int> radios) const
{
    for (size_t i = 0; i < radios.size(); ++i)
        if (IsDlgButtonChecked(window(), radios[i]) == BST_CHECKED)
            return static_cast<int>(i);
    return -1;
}

void SliderPage::StoreRadio(std::span<const int> radios, int control, int32_t FilterParams::* field)
{
    for (size_t i = 0; i < radios.size(); ++i)
        if (radios[i] == control)
            controls_.Set(field, static_cast<int32_t>(i));
}
