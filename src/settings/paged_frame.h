#pragma once
// A modal frame of tab pages with OK, Cancel and Default: the owner-drawn tab, the pages placed on
// it, the switch between them and the three buttons. A frame says what its pages are and what OK,
// Default and a tab change do.
#include "settings/dialog_base.h"

class PagedFrame : public DialogBase {
protected:
    // Inserts tab `index` with its text and places the page on it, shown or hidden.
    void AddPage(int index, const char* text, HWND page, bool shown);
    HWND Tab() const;

    virtual void Initialize() = 0;
    // OK, before the frame closes with IDOK.
    virtual void Accept() = 0;
    virtual void SetDefaults() = 0;
    virtual void ShowTab(int index) = 0;
    // Messages the frame does not handle itself.
    virtual INT_PTR OnOtherMessage(UINT, WPARAM, LPARAM) { return FALSE; }

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) final;

    FrameTab tab_;
};
