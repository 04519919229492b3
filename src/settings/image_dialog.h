#pragma once
// The image filter dialog: the filter page, and for the monochrome formats the gray page, on one
// frame. The pages write the camera's filter record as they change; the caller restores the
// record of the opening after Cancel.
#include "settings/filter_page.h"
#include "settings/gray_page.h"
#include "settings/paged_frame.h"

#include <atomic>

class ImageDialog : public PagedFrame {
public:
    ImageDialog(FilterControls& controls, int outputFormat);
    // The modal loop; 1 for OK, anything else for Cancel, the close command or a failure.
    INT_PTR Run(HWND owner);

    // The camera object's hook after an automatic balance changed the record: posts a refresh to
    // the dialog's own thread (it runs on the acquisition thread, under the camera's locks).
    static void RequestRefresh(void* dialog);

private:
    void Initialize() override;
    void Accept() override;
    void SetDefaults() override;
    void ShowTab(int index) override;
    INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HasGrayPage() const { return flags_[kFlagGrayTab] != 0; }

    FilterControls& controls_;
    const EnableFlags flags_;
    FilterPage filterPage_;
    GrayPage grayPage_;
    std::atomic<HWND> refreshTarget_{nullptr};  // the frame while it exists: the hook posts to it
};
