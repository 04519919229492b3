#include "settings/paged_frame.h"

#include "settings/dialog_ids.h"

#include <commctrl.h>

namespace {
constexpr int kPageX = 30, kPageY = 25;  // the pages' place inside the tab, in pixels
}  // namespace

HWND PagedFrame::Tab() const { return GetDlgItem(window(), IDC_FRAME_TAB); }

void PagedFrame::AddPage(int index, const char* text, HWND page, bool shown)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);  // read only
    SendMessageA(Tab(), TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
    if (page)
        SetWindowPos(page, nullptr, kPageX, kPageY, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

INT_PTR PagedFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Initialize();
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
            Accept();
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
        return OnOtherMessage(message, wParam, lParam);
    }
}
