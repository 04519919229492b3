#include "settings/analog_dialog.h"

#include "settings/dialog_ids.h"

namespace {
constexpr char kTabText[] = "Analog Gain";  // the same in both languages
}  // namespace

INT_PTR AnalogDialog::Run(HWND owner)
{
    return RunModal(IDD_ANALOG_FRAME_JA, IDD_ANALOG_FRAME_EN, owner);
}

void AnalogDialog::ShowAutoValue(void* dialog, int control, int value)
{
    static_cast<AnalogDialog*>(dialog)->page_.PostAutoValue(control, value);
}

void AnalogDialog::Initialize() { AddPage(0, kTabText, page_.Create(Tab()), true); }

void AnalogDialog::Accept() { controls_.Keep(page_.Edits()); }

void AnalogDialog::ShowTab(int index)
{
    if (index == 0)
        ShowWindow(page_.window(), SW_SHOW);
}

void AnalogDialog::SetDefaults()
{
    // Gains and exposure only: the mirrors and the automatic exposure mode stay.
    const AnalogControls::Limits limits = controls_.DeviceLimits();
    controls_.SetGlobalGain(limits.gainDefault);
    for (int reg : kColourGainRegisters)
        controls_.SetColorGain(reg, limits.gainDefault);
    controls_.SetExposure(limits.exposureDefault);
    page_.Refresh();
}
