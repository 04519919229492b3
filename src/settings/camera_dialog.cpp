#include "settings/camera_dialog.h"

#include "settings/dialog_ids.h"
#include "settings/registry_settings.h"

#include <commctrl.h>

#include <cwchar>
#include <iterator>

namespace {

constexpr int kClockMegahertz = 48;   // the third clock item names it
constexpr int kMonoSignificantBits = 10;
constexpr int kItemChars = 64;

// Sub-sampling list index -> code; any other index stores 0.
constexpr int32_t kSubSampleCodes[] = {0, 1, 2, 17, 18};

// The texts of the lists in one language; the dialog's own texts are in its template.
struct ListTexts {
    const wchar_t* tab;
    const wchar_t* formats[6];  // by output format index; %d takes the significant bits
    const wchar_t* clocks[3];   // by clock code; %d takes the megahertz
    const wchar_t* custom;
};
constexpr ListTexts kEnglish = {
    L"Stream Format",
    {L"Monochrome 8bit", L"Monochrome %dbit *", L"Color 24bit", L"Color 32bit", L"Color 48bit *", L"Color 64bit *"},
    {L"Nomal(24MHz)", L"Half(12MHz)", L"High(%dMHz)"},
    L"Custom",
};
constexpr ListTexts kJapanese = {
    L"ストリーム形式",
    {L"白黒 8bit", L"白黒 %dbit ※", L"カラー 24bit", L"カラー 32bit", L"カラー 48bit ※", L"カラー 64bit ※"},
    {L"標準(24MHz)", L"ハーフ(12MHz)", L"高速(%dMHz)"},
    L"カスタム",
};
constexpr const wchar_t* kSubSampleTexts[] = {L"1/1", L"1/2 Skip", L"1/4 Skip", L"1/2 Bin", L"1/4 Bin"};

// The preset's six shown values, in the order of their edits 1039..1044.
constexpr int32_t CaptureRegion::* kPresetFields[] = {&CaptureRegion::totalWidth, &CaptureRegion::totalHeight,
                                                       &CaptureRegion::width,      &CaptureRegion::height,
                                                       &CaptureRegion::left,       &CaptureRegion::top};
constexpr int kPresetEdits[] = {IDC_CAMERA_TOTAL_H, IDC_CAMERA_TOTAL_V, IDC_CAMERA_WIDTH,
                                IDC_CAMERA_HEIGHT,  IDC_CAMERA_LEFT,    IDC_CAMERA_TOP};

const ListTexts& Texts() { return JapaneseDialogs() ? kJapanese : kEnglish; }

int SubSampleIndex(int32_t code)
{
    for (int i = 0; i < static_cast<int>(std::size(kSubSampleCodes)); ++i)
        if (kSubSampleCodes[i] == code)
            return i;
    return 0;
}

int32_t SubSampleCode(int index)
{
    return index >= 0 && index < static_cast<int>(std::size(kSubSampleCodes)) ? kSubSampleCodes[index] : 0;
}

void AddItem(HWND list, const wchar_t* format, int number)
{
    wchar_t text[kItemChars];
    std::swprintf(text, kItemChars, format, number);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int Selection(HWND dialog, int list) { return static_cast<int>(SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0)); }

}  // namespace

CameraDialog::CameraDialog(int camera)
{
    data_.camera = camera;
    data_.stream = settings::FirstRunStreamSettings();
}

INT_PTR CameraDialog::Run(HWND owner) { return RunModal(IDD_CAMERA_JA, IDD_CAMERA_EN, owner); }

INT_PTR CameraDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Initialize();
        return TRUE;
    case WM_DRAWITEM:
        return tab_.Draw(wParam, lParam);
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void CameraDialog::Initialize()
{
    settings::ReadCameraDialogSettings(data_.camera, data_.presets, data_.size, data_.stream);
    TCITEMW tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(Texts().tab);  // read only
    SendDlgItemMessageW(window(), IDC_FRAME_TAB, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tab));
    FillLists();
    SendDlgItemMessageW(window(), IDC_CAMERA_FORMAT, CB_SETCURSEL, data_.stream.outputFormat, 0);
    SendDlgItemMessageW(window(), IDC_CAMERA_SUBSAMPLE, CB_SETCURSEL, SubSampleIndex(data_.stream.subSample), 0);
    SendDlgItemMessageW(window(), IDC_CAMERA_CLOCK, CB_SETCURSEL, data_.stream.clock, 0);
    SendDlgItemMessageW(window(), IDC_CAMERA_PRESET, CB_SETCURSEL, data_.size, 0);
    ShowPreset(data_.size);
    SetDlgItemInt(window(), IDC_CAMERA_WAIT, static_cast<UINT>(data_.stream.waitTime), FALSE);
    EnableApply(false);
    ready_ = true;
}

void CameraDialog::FillLists()
{
    const ListTexts& texts = Texts();
    HWND formats = GetDlgItem(window(), IDC_CAMERA_FORMAT);
    for (const wchar_t* format : texts.formats)
        AddItem(formats, format, kMonoSignificantBits);
    HWND subSamples = GetDlgItem(window(), IDC_CAMERA_SUBSAMPLE);
    for (const wchar_t* text : kSubSampleTexts)
        AddItem(subSamples, text, 0);
    HWND clocks = GetDlgItem(window(), IDC_CAMERA_CLOCK);
    for (const wchar_t* clock : texts.clocks)
        AddItem(clocks, clock, kClockMegahertz);
    for (size_t i = 0; i < data_.presets.size(); ++i)
        SetPresetItem(static_cast<int>(i), data_.presets[i], false);
    AddItem(GetDlgItem(window(), IDC_CAMERA_PRESET), texts.custom, 0);
}

void CameraDialog::SetPresetItem(int index, const CaptureRegion& preset, bool replace)
{
    HWND list = GetDlgItem(window(), IDC_CAMERA_PRESET);
    wchar_t text[kItemChars];
    std::swprintf(text, kItemChars, L"%d x %d", preset.width, preset.height);
    if (replace)
        SendMessageW(list, CB_DELETESTRING, index, 0);
    SendMessageW(list, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text));
}

void CameraDialog::ShowPreset(int index)
{
    // "Custom" keeps what the edits show.
    if (index < 0 || index >= static_cast<int>(data_.presets.size()))
        return;
    for (size_t i = 0; i < std::size(kPresetEdits); ++i)
        SetDlgItemInt(window(), kPresetEdits[i], data_.presets[index].*kPresetFields[i], TRUE);
}

void CameraDialog::Command(int control, int code)
{
    switch (control) {
    case IDOK:
        ReadControls();
        settings::SaveCameraDialogSettings(data_.camera, data_.presets, data_.size, data_.stream);
        EndDialog(window(), IDOK);
        return;
    case IDC_APPLY:
        ReadControls();
        settings::SaveCameraDialogSettings(data_.camera, data_.presets, data_.size, data_.stream);
        return;
    case IDCANCEL:
        EndDialog(window(), IDCANCEL);
        return;
    default:
        break;
    }
    if (code == CBN_SELCHANGE) {
        if (control == IDC_CAMERA_PRESET) {
            data_.size = Selection(window(), IDC_CAMERA_PRESET);
            ShowPreset(data_.size);
        }
        EnableApply(true);
    } else if (code == EN_CHANGE && ready_) {
        EnableApply(true);
    }
}

void CameraDialog::ReadControls()
{
    HWND dialog = window();
    data_.stream.outputFormat = Selection(dialog, IDC_CAMERA_FORMAT);
    data_.stream.subSample = SubSampleCode(Selection(dialog, IDC_CAMERA_SUBSAMPLE));
    data_.stream.clock = Selection(dialog, IDC_CAMERA_CLOCK);
    data_.stream.waitTime = static_cast<int32_t>(GetDlgItemInt(dialog, IDC_CAMERA_WAIT, nullptr, FALSE));
    int index = Selection(dialog, IDC_CAMERA_PRESET);
    if (index >= 0) {
        CaptureRegion preset;  // a new one keeps the default buffer count
        const int count = static_cast<int>(data_.presets.size());
        // The store holds settings::kMaxPresets: a "Custom" beyond them replaces the last one.
        const bool added = index >= count && count < settings::kMaxPresets;
        if (index >= count)
            index = added ? count : count - 1;
        else
            preset = data_.presets[index];
        for (size_t i = 0; i < std::size(kPresetEdits); ++i)
            preset.*kPresetFields[i] = static_cast<int32_t>(GetDlgItemInt(dialog, kPresetEdits[i], nullptr, TRUE));
        if (added)
            data_.presets.push_back(preset);
        else
            data_.presets[index] = preset;
        SetPresetItem(index, preset, !added);
        SendDlgItemMessageW(dialog, IDC_CAMERA_PRESET, CB_SETCURSEL, index, 0);
        data_.size = index;
    }
    EnableApply(false);
}

void CameraDialog::EnableApply(bool enable) const { EnableWindow(GetDlgItem(window(), IDC_APPLY), enable); }
