#pragma once
// Drives a settings dialog as an operator does: the export's modal loop runs on the test's
// thread while a second thread finds the dialog and works its controls with their own messages.
#include "../camera/acquisition_support.h"

#include <commctrl.h>

#include <algorithm>

#include <string>
#include <thread>
#include <vector>

namespace sdktest {

constexpr DWORD kDialogWaitMs = 10000;

// The visible dialog frame of a thread, once it is shown.
inline HWND FindDialog(DWORD threadId, DWORD ms = kDialogWaitMs)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10)) {
        HWND found = nullptr;
        EnumThreadWindows(
            threadId,
            [](HWND window, LPARAM result) {
                char name[16] = {};
                GetClassNameA(window, name, sizeof name);
                if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window))
                    return TRUE;
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found)
            return found;
    }
    return nullptr;
}

// The page shown on a frame's tab control.
inline HWND FindPage(HWND frame, int tab)
{
    return FindWindowExA(GetDlgItem(frame, tab), nullptr, "#32770", nullptr);
}

// Runs `open` (the export) on this thread and `operate(frame)` on a second one; the export's result.
// A frame that never shows is a failure; the operator must close the dialog.
template <typename Open, typename Operate>
int RunDialog(Open open, Operate operate)
{
    const DWORD self = GetCurrentThreadId();
    std::thread operatorThread([&] {
        if (HWND frame = FindDialog(self))
            operate(frame);
        else
            ADD_FAILURE() << "no dialog came up";
    });
    const int result = open();
    operatorThread.join();
    return result;
}

// Waits for a condition that a posted message, the pipeline or the camera brings about.
template <typename Done>
bool WaitFor(Done done, DWORD ms = 5000)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10))
        if (done())
            return true;
    return done();
}

// Opens and closes a dialog in two runs of `times` openings after a few warm-up ones, and checks
// that GDI objects, windows and handles do not grow by one an opening. Wine keeps a cache of
// device contexts that fills up to some sixty of them over the first hundred openings or so (seen
// as 0 to 100 objects more in one run, and nothing more after it); a leak grows both runs.
template <typename OpenAndClose>
void ExpectNoGrowth(OpenAndClose openAndClose, int times = 50)
{
    constexpr int kWarmUps = 5;
    for (int i = 0; i < kWarmUps; ++i)
        openAndClose();
    auto run = [&] {
        const ResourceCounts before = ResourceCounts::Now();
        for (int i = 0; i < times; ++i)
            openAndClose();
        const ResourceCounts after = ResourceCounts::Now();
        return ResourceCounts{after.handles - before.handles, after.gdi - before.gdi, after.user - before.user, 0};
    };
    const ResourceCounts first = run(), second = run();
    // Unsigned differences: a count that fell reads as a large growth, so compare as signed.
    auto least = [](DWORD a, DWORD b) { return std::min(int(a), int(b)); };
    EXPECT_LT(least(first.gdi, second.gdi), times / 2) << int(first.gdi) << " and " << int(second.gdi) << " GDI objects";
    EXPECT_LT(least(first.user, second.user), times / 2) << int(first.user) << " and " << int(second.user) << " windows";
    EXPECT_LT(least(first.handles, second.handles), times / 2)
        << int(first.handles) << " and " << int(second.handles) << " handles";
}

inline void MoveBar(HWND dialog, int bar, int position)
{
    HWND control = GetDlgItem(dialog, bar);
    SendMessageA(control, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(control));
}
inline int BarPosition(HWND dialog, int bar) { return int(SendDlgItemMessageA(dialog, bar, TBM_GETPOS, 0, 0)); }
inline void Type(HWND dialog, int edit, int value) { SetDlgItemInt(dialog, edit, value, TRUE); }
inline int EditValue(HWND dialog, int edit) { return int(GetDlgItemInt(dialog, edit, nullptr, TRUE)); }
// Picks a list item as the operator's click does: the selection, then its notification.
inline void Pick(HWND dialog, int list, int index)
{
    HWND control = GetDlgItem(dialog, list);
    SendMessageA(control, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
}
inline int Picked(HWND dialog, int list) { return int(SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0)); }
inline std::vector<std::string> Items(HWND dialog, int list)
{
    std::vector<std::string> items;
    const int count = int(SendDlgItemMessageA(dialog, list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}
inline bool Enabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE; }
inline void Click(HWND dialog, int button) { SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }
inline bool Checked(HWND dialog, int box) { return IsDlgButtonChecked(dialog, box) == BST_CHECKED; }
inline std::string Text(HWND dialog, int control)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}
inline std::string Caption(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace sdktest
