#pragma once
// The camera settings dialog: output format, capture-window preset (with "Custom" for a new
// one), sub-sampling, clock and wait time. It works on the registry, not on the camera: it reads
// the stored values when it opens and writes them at OK and Apply; the caller reloads them.
#include "settings/camera_settings.h"
#include "settings/dialog_base.h"

#include <vector>

// What the dialog shows and saves, read afresh for every opening.
struct CameraDialogData {
    int camera = 0;                      // the device number, which names the registry key
    std::vector<CaptureRegion> presets;  // Size_00 ..., at most settings::kMaxPresets
    int32_t size = 0;                    // the selected preset ("Size"); presets.size() is "Custom"
    StreamSettings stream;               // "Color", "SubSample" (a code), "WaitTime", "Clock"
};

class CameraDialog : public DialogBase {
public:
    explicit CameraDialog(int camera);
    // The modal loop; 1 for OK, anything else for Cancel, the close command or a failure.
    INT_PTR Run(HWND owner);
    const CameraDialogData& data() const { return data_; }

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Initialize();
    void FillLists();
    void ShowPreset(int index);
    void Command(int control, int code);
    // The controls into the data, a "Custom" preset added or the selected one overwritten.
    void ReadControls();
    void SetPresetItem(int index, const CaptureRegion& preset, bool replace);
    void EnableApply(bool enable) const;

    CameraDialogData data_;
    FrameTab tab_;
    bool ready_ = false;  // edit changes count only once the controls are filled
};
