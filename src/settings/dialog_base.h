#pragma once
// The settings dialogs' common ground: a dialog object whose window procedure forwards every
// message to it, the templates' module and language, and the owner-drawn tab of every frame.
#include <windows.h>

class DialogBase {
public:
    DialogBase() = default;
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    HWND window() const { return window_; }

protected:
    // The modal loop of a frame from the template of the system's language; what EndDialog gave,
    // or -1 when the template is missing.
    INT_PTR RunModal(int japaneseTemplate, int englishTemplate, HWND owner);
    // A modeless child page from the template of the system's language; null when it could not be made.
    HWND CreatePage(int japaneseTemplate, int englishTemplate, HWND parent);
    // Every message from WM_INITDIALOG on; the result a dialog procedure returns.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

// The SDK's own module, which holds the dialog templates.
HINSTANCE DialogModule();
// Whether the Japanese templates are used: the system's default language is Japanese.
bool JapaneseDialogs();
// The owner-drawn tab of the dialog frames: each item on the button face, its text centred.
class FrameTab {
public:
    FrameTab() = default;
    ~FrameTab() { DeleteObject(buttonFace_); }
    FrameTab(const FrameTab&) = delete;
    FrameTab& operator=(const FrameTab&) = delete;

    // WM_DRAWITEM of a frame: draws the tab's item; FALSE when the message is for another control.
    INT_PTR Draw(WPARAM control, LPARAM item) const;

private:
    HBRUSH buttonFace_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
};
