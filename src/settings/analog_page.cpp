#include "settings/analog_page.h"

#include "device/device_protocol.h"
#include "settings/dialog_ids.h"
#include "settings/slider.h"

#include <commctrl.h>

#include <cstdio>

namespace {

constexpr int kGainMax = 63;
constexpr int kTickDivisions = 8;
constexpr UINT kAutoValueMessage = WM_APP + 1;

// One numeric setting of the page; the colour gains name their sensor register.
struct Row {
    SliderIds ids;
    int sensorRegister;  // 0 for the global gain and the exposure
    int32_t AnalogSettings::* value;
};
constexpr Row kRows[] = {
    {{IDC_GLOBAL_GAIN_BAR, IDC_GLOBAL_GAIN_EDIT, IDC_GLOBAL_GAIN_SPIN}, 0, &AnalogSettings::globalGain},
    {{IDC_GAIN_G1_BAR, IDC_GAIN_G1_EDIT, IDC_GAIN_G1_SPIN}, sensor::kGainGreen1, &AnalogSettings::gainG1},
    {{IDC_GAIN_R_BAR, IDC_GAIN_R_EDIT, IDC_GAIN_R_SPIN}, sensor::kGainRed, &AnalogSettings::gainR},
    {{IDC_GAIN_B_BAR, IDC_GAIN_B_EDIT, IDC_GAIN_B_SPIN}, sensor::kGainBlue, &AnalogSettings::gainB},
    {{IDC_GAIN_G2_BAR, IDC_GAIN_G2_EDIT, IDC_GAIN_G2_SPIN}, sensor::kGainGreen2, &AnalogSettings::gainG2},
    {{IDC_EXPOSURE_BAR, IDC_EXPOSURE_EDIT, IDC_EXPOSURE_SPIN}, 0, &AnalogSettings::exposureLines},
};
constexpr const Row& kGlobalGain = kRows[0];
constexpr const Row& kExposure = kRows[5];

// The row whose control `member` has the id `id`, or null.
const Row* FindRow(int SliderIds::* member, int id)
{
    for (const Row& row : kRows)
        if (row.ids.*member == id)
            return &row;
    return nullptr;
}

}  // namespace

HWND AnalogPage::Create(HWND tab)
{
    return CreatePage(IDD_ANALOG_PAGE_JA, IDD_ANALOG_PAGE_EN, tab);
}

INT_PTR AnalogPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Initialize();
        return TRUE;
    case WM_HSCROLL:
        // The trackbar moved: its edit follows, and the edit's change does the rest.
        if (const Row* row = FindRow(&SliderIds::bar, GetDlgCtrlID(reinterpret_cast<HWND>(lParam))))
            SetDlgItemInt(window(), row->ids.edit, SliderPosition(window(), row->ids), TRUE);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            EditChanged(LOWORD(wParam));
        else
            CheckChanged(LOWORD(wParam));
        return TRUE;
    case kAutoValueMessage:
        SetDlgItemInt(window(), static_cast<int>(wParam), static_cast<int>(lParam), TRUE);
        return TRUE;
    default:
        return FALSE;
    }
}

void AnalogPage::Initialize()
{
    const AnalogControls::Limits limits = controls_.DeviceLimits();
    for (const Row& row : kRows) {
        const bool exposure = &row == &kExposure;
        const int low = exposure ? 1 : limits.gainMin;
        const int high = exposure ? limits.exposureMax : kGainMax;
        SetUpSlider(window(), row.ids, low, high, (high - low) / kTickDivisions);
    }
    Refresh();
    const AnalogSettings values = controls_.Current();
    CheckDlgButton(window(), IDC_MIRROR_V, values.mirrorV ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window(), IDC_MIRROR_H, values.mirrorH ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window(), IDC_AUTO_IRIS_EXPOSURE, values.autoIris == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window(), IDC_AUTO_IRIS_GAIN, values.autoIris == 2 ? BST_CHECKED : BST_UNCHECKED);
    ready_ = true;
}

void AnalogPage::Refresh()
{
    const bool wasReady = ready_;
    ready_ = false;  // the edits are set from the camera: nothing to send back
    const AnalogSettings values = controls_.Current();
    for (const Row& row : kRows)
        ShowSliderValue(window(), row.ids, values.*row.value);
    ShowExposureTime(values.exposureLines);
    ready_ = wasReady;
}

AnalogSettings AnalogPage::Edits() const
{
    AnalogSettings edits = {};
    for (const Row& row : kRows)
        edits.*row.value = SliderEditValue(window(), row.ids);
    return edits;
}

void AnalogPage::EditChanged(int edit)
{
    const Row* row = FindRow(&SliderIds::edit, edit);
    if (!ready_ || !row)
        return;
    // As typed: the trackbar and the up-down hold the range, the device its own limits.
    const int value = SliderEditValue(window(), row->ids);
    SendDlgItemMessageA(window(), row->ids.bar, TBM_SETPOS, TRUE, value);
    if (row == &kGlobalGain) {
        controls_.SetGlobalGain(value);
        // Each colour gain follows through its own edit.
        for (const Row& colour : kRows)
            if (colour.sensorRegister)
                SetDlgItemInt(window(), colour.ids.edit, value, TRUE);
    } else if (row == &kExposure) {
        controls_.SetExposure(value);
        ShowExposureTime(value);
    } else {
        controls_.SetColorGain(row->sensorRegister, value);
    }
}

void AnalogPage::CheckChanged(int box)
{
    const bool checked = IsDlgButtonChecked(window(), box) == BST_CHECKED;
    switch (box) {
    case IDC_MIRROR_V:
        controls_.SetMirrorV(checked ? 1 : 0);
        break;
    case IDC_MIRROR_H:
        controls_.SetMirrorH(checked ? 1 : 0);
        break;
    case IDC_AUTO_IRIS_GAIN:
        if (checked)
            CheckDlgButton(window(), IDC_AUTO_IRIS_EXPOSURE, BST_UNCHECKED);
        controls_.SetAutoIris(checked ? 2 : 0);
        break;
    case IDC_AUTO_IRIS_EXPOSURE:
        if (checked)
            CheckDlgButton(window(), IDC_AUTO_IRIS_GAIN, BST_UNCHECKED);
        controls_.SetAutoIris(checked ? 1 : 0);
        break;
    default:
        break;
    }
}

void AnalogPage::ShowExposureTime(int lines)
{
    char text[32];
    std::snprintf(text, sizeof text, "=%.2fms", controls_.ExposureTimeMs(lines));
    SetDlgItemTextA(window(), IDC_EXPOSURE_TIME, text);
}

void AnalogPage::PostAutoValue(int control, int value) const
{
    if (window())
        PostMessageA(window(), kAutoValueMessage, static_cast<WPARAM>(control), value);
}
