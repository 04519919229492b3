#include "settings/dialog_base.h"

#include "settings/dialog_ids.h"

#include <commctrl.h>

namespace {
constexpr char kModuleName[] = "VelmorSdk_520QK_ZRX.dll";
constexpr LANGID kJapanese = 1041;
constexpr int kTabTextChars = 64;
}  // namespace

INT_PTR DialogBase::RunModal(int japaneseTemplate, int englishTemplate, HWND owner)
{
    const int templateId = JapaneseDialogs() ? japaneseTemplate : englishTemplate;
    // The trackbars, up-downs and tabs of the templates.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    return DialogBoxParamA(DialogModule(), MAKEINTRESOURCEA(templateId), owner, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::CreatePage(int japaneseTemplate, int englishTemplate, HWND parent)
{
    const int templateId = JapaneseDialogs() ? japaneseTemplate : englishTemplate;
    return CreateDialogParamA(DialogModule(), MAKEINTRESOURCEA(templateId), parent, Procedure,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
    }
    if (!self)
        return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT)
    const INT_PTR result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        self->window_ = nullptr;
    return result;
}

HINSTANCE DialogModule() { return GetModuleHandleA(kModuleName); }

bool JapaneseDialogs() { return GetSystemDefaultLangID() == kJapanese; }

INT_PTR FrameTab::Draw(WPARAM control, LPARAM lParam) const
{
    if (control != IDC_FRAME_TAB)
        return FALSE;
    const DRAWITEMSTRUCT& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    // Wide: the Japanese tab texts are drawn whatever the thread's code page.
    wchar_t text[kTabTextChars] = {};
    TCITEMW tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = kTabTextChars;
    SendMessageW(item.hwndItem, TCM_GETITEMW, item.itemID, reinterpret_cast<LPARAM>(&tab));
    FillRect(item.hDC, &item.rcItem, buttonFace_);
    SetBkColor(item.hDC, GetSysColor(COLOR_BTNFACE));
    const int length = lstrlenW(text);
    SIZE size = {};
    GetTextExtentPoint32W(item.hDC, text, length, &size);
    const RECT& r = item.rcItem;
    TextOutW(item.hDC, r.left + (r.right - r.left - size.cx) / 2, r.top + (r.bottom - r.top - size.cy) / 2, text,
             length);
    return TRUE;
}
