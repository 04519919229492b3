#pragma once
// The analog settings dialog: its one page on a frame with OK, Cancel and Default. The caller
// restores the values of the opening after Cancel.
#include "settings/analog_page.h"
#include "settings/paged_frame.h"

class AnalogDialog : public PagedFrame {
public:
    explicit AnalogDialog(AnalogControls& controls) : controls_(controls), page_(controls) {}
    // The modal loop; 1 for OK, anything else for Cancel, the close command or a failure.
    INT_PTR Run(HWND owner);
    AnalogPage& page() { return page_; }

    // The camera object's automatic exposure hook (posts only).
    static void ShowAutoValue(void* dialog, int control, int value);

private:
    void Initialize() override;
    void Accept() override;
    void SetDefaults() override;
    void ShowTab(int index) override;

    AnalogControls& controls_;
    AnalogPage page_;
};
