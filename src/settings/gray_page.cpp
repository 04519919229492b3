#include "settings/gray_page.h"

#include "settings/dialog_ids.h"

namespace {

// Every gray slider spans 0..400 on this page, whatever the setters accept.
constexpr int kLow = 0, kHigh = 400, kTick = 32;
constexpr SliderRow Row(int bar, int32_t FilterParams::* field)
{
    return {{bar, bar + 1, bar + 2}, field, kLow, kHigh, kTick, kFlagAlways};
}

constexpr SliderRow kRows[] = {
    Row(IDC_GRAY_GAIN_R_BAR, &FilterParams::grayGainR),       Row(IDC_GRAY_GAIN_G1_BAR, &FilterParams::grayGainG1),
    Row(IDC_GRAY_GAIN_G2_BAR, &FilterParams::grayGainG2),     Row(IDC_GRAY_GAIN_B_BAR, &FilterParams::grayGainB),
    Row(IDC_GRAY_OFFSET_R_BAR, &FilterParams::grayOffsetR),   Row(IDC_GRAY_OFFSET_G1_BAR, &FilterParams::grayOffsetG1),
    Row(IDC_GRAY_OFFSET_G2_BAR, &FilterParams::grayOffsetG2), Row(IDC_GRAY_OFFSET_B_BAR, &FilterParams::grayOffsetB),
};
static_assert(IDC_GRAY_OFFSET_B_EDIT == IDC_GRAY_OFFSET_B_BAR + 1 && IDC_GRAY_OFFSET_B_SPIN == IDC_GRAY_OFFSET_B_BAR + 2,
              "each gray slider's edit and up-down follow its trackbar");

constexpr std::array<int, 3> kGrayModeRadios = {IDC_GRAY_MODE_BAYER, IDC_GRAY_MODE_CONVERT, IDC_GRAY_MODE_GRAYSCALE};

}  // namespace

GrayPage::GrayPage(FilterControls& controls, const EnableFlags& flags)
    : SliderPage(controls, flags, kRows, IDD_GRAY_PAGE_JA, IDD_GRAY_PAGE_EN)
{
}

void GrayPage::Initialize()
{
    const FilterParams record = controls_.Current();
    CheckRadio(kGrayModeRadios, record.grayMode);
    CheckRadio(kBayerModeRadios, record.bayerMode);
}

void GrayPage::Command(int control)
{
    StoreRadio(kGrayModeRadios, control, &FilterParams::grayMode);
    StoreRadio(kBayerModeRadios, control, &FilterParams::bayerMode);
    switch (control) {
    case IDC_AUTO_ALL_FRAMES:
        // A negative count never runs out: a gray balance on every frame, until switched off.
        controls_.Change([](FilterParams& f) { f.grayGainAuto = f.grayGainAuto == 0 ? -1 : 0; });
        break;
    case IDC_AUTO_ONCE:
        controls_.Set(&FilterParams::grayGainAuto, 1);
        break;
    default:
        break;
    }
}
