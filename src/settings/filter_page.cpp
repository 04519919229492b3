#include "settings/filter_page.h"

#include "pipeline/filter_table.h"
#include "settings/dialog_ids.h"

namespace {

// A slider over a stored filter value: its range is the value's own.
constexpr SliderRow Row(SliderIds ids, int number, int tick, int flag)
{
    for (const FilterValue& value : kFilterValues)
        if (value.number == number)
            return {ids, value.field, value.low, value.high, tick, flag};
    return {ids, nullptr, 0, 0, tick, flag};
}

constexpr SliderRow kRows[] = {
    Row({IDC_BRIGHTNESS_BAR, IDC_BRIGHTNESS_EDIT, IDC_BRIGHTNESS_SPIN}, kFilterBrightness, 64, 0),
    Row({IDC_CONTRAST_BAR, IDC_CONTRAST_EDIT, IDC_CONTRAST_SPIN}, kFilterContrast, 32, 1),
    Row({IDC_HUE_BAR, IDC_HUE_EDIT, IDC_HUE_SPIN}, kFilterHue, 90, 2),
    Row({IDC_SATURATION_BAR, IDC_SATURATION_EDIT, IDC_SATURATION_SPIN}, kFilterSaturation, 64, 3),
    Row({IDC_SHARPNESS_BAR, IDC_SHARPNESS_EDIT, IDC_SHARPNESS_SPIN}, kFilterSharpness, 4, 4),
    Row({IDC_BAYER_R_BAR, IDC_BAYER_R_EDIT, IDC_BAYER_R_SPIN}, kFilterBayerRed, 32, 5),
    Row({IDC_BAYER_G_BAR, IDC_BAYER_G_EDIT, IDC_BAYER_G_SPIN}, kFilterBayerGreen, 32, 6),
    Row({IDC_BAYER_B_BAR, IDC_BAYER_B_EDIT, IDC_BAYER_B_SPIN}, kFilterBayerBlue, 32, 7),
    Row({IDC_GAMMA_BAR, IDC_GAMMA_EDIT, IDC_GAMMA_SPIN}, kFilterGamma, 32, 8),
};
static_assert([] {
    for (const SliderRow& row : kRows)
        if (!row.field)
            return false;
    return true;
}());

}  // namespace

FilterPage::FilterPage(FilterControls& controls, const EnableFlags& flags)
    : SliderPage(controls, flags, kRows, IDD_FILTER_PAGE_JA, IDD_FILTER_PAGE_EN)
{
}

void FilterPage::Initialize()
{
    for (int control : {IDC_AUTO_ONCE, IDC_AUTO_ALL_FRAMES, IDC_BAYER_MODE_0, IDC_BAYER_MODE_1, IDC_BAYER_MODE_2,
                        IDC_BAYER_MODE_3})
        EnableWindow(GetDlgItem(window(), control), Enabled(kFlagColourBalance));
    // "All frames" starts unchecked whatever the record holds.
    CheckRadio(kBayerModeRadios, controls_.Current().bayerMode);
}

void FilterPage::Command(int control)
{
    StoreRadio(kBayerModeRadios, control, &FilterParams::bayerMode);
    switch (control) {
    case IDC_AUTO_ALL_FRAMES: {
        // A white balance on every frame, or none.
        const int32_t on = IsDlgButtonChecked(window(), IDC_AUTO_ALL_FRAMES) == BST_CHECKED ? 1 : 0;
        controls_.Change([on](FilterParams& f) {
            f.bayerGainAuto = on;
            f.bayerAutoOnce1 = f.bayerAutoOnce2 = 0;
        });
        break;
    }
    case IDC_AUTO_ONCE:
        // One measurement: the pipeline clears all three after it.
        controls_.Change([](FilterParams& f) { f.bayerGainAuto = f.bayerAutoOnce1 = f.bayerAutoOnce2 = 1; });
        CheckDlgButton(window(), IDC_AUTO_ALL_FRAMES, BST_UNCHECKED);
        break;
    default:
        break;
    }
}

void FilterPage::Refresh()
{
    SliderPage::Refresh();
    CheckRadio(kBayerModeRadios, controls_.Current().bayerMode);
}

void FilterPage::ReadBack()
{
    SliderPage::ReadBack();
    const int mode = CheckedRadio(kBayerModeRadios);
    if (mode >= 0)
        controls_.Set(&FilterParams::bayerMode, mode);
}
