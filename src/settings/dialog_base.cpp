#include "settings/dialog_base.h"

#include <commctrl.h>

namespace {
constexpr char kModuleName[] = "VelmorSdk_520QK_ZRX.dll";
constexpr LANGID kJapanese = 1041;
constexpr int kTabTextBytes = 64;
}  // namespace

INT_PTR DialogBase::RunModal(int templateId, HWND owner)
{
    // The trackbars, up-downs and tabs of the templates.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    return DialogBoxParamA(DialogModule(), MAKEINTRESOURCEA(templateId), owner, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::CreatePage(int templateId, HWND parent)
{
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

void DrawTabItem(const DRAWITEMSTRUCT& item, HBRUSH buttonFace)
{
    char text[kTabTextBytes] = {};
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    SendMessageA(item.hwndItem, TCM_GETITEMA, item.itemID, reinterpret_cast<LPARAM>(&tab));
    FillRect(item.hDC, &item.rcItem, buttonFace);
    SetBkColor(item.hDC, GetSysColor(COLOR_BTNFACE));
    const int length = lstrlenA(text);
    SIZE size = {};
    GetTextExtentPoint32A(item.hDC, text, length, &size);
    const RECT& r = item.rcItem;
    TextOutA(item.hDC, r.left + (r.right - r.left - size.cx) / 2, r.top + (r.bottom - r.top - size.cy) / 2, text,
             length);
}
