// The status bar: frame rate, frames received and missed, frame size, output format, the pixel
// under the mouse, and the latest message.
#include "viewer.h"
#include "viewer_ids.h"

#include <commctrl.h>

namespace viewer {

namespace {

// Widths of the parts before the message, which takes the rest.
constexpr int kPartWidths[kPartCount - 1] = {80, 120, 90, 100, 60, 220};

}  // namespace

HWND CreateStatusBar(HWND parent)
{
    return CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(INT_PTR(kIdStatus)), GetModuleHandleA(nullptr), nullptr);
}

void LayoutStatusBar(HWND status)
{
    SendMessageA(status, WM_SIZE, 0, 0);  // the bar places itself along its parent's bottom
    int edges[kPartCount];
    int x = 0;
    for (int i = 0; i < kPartCount - 1; ++i)
        edges[i] = x += kPartWidths[i];
    edges[kPartCount - 1] = -1;  // to the right edge
    SendMessageA(status, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(edges));
}

void SetStatus(HWND status, StatusPart part, const std::string& text)
{
    SendMessageA(status, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace viewer
