#pragma once
// The analog settings dialog's page: trackbars, edits and up-downs for the gains and the
// exposure, the mirrors and the automatic exposure mode. Every change goes to the camera at once
// through AnalogControls.
#include "settings/camera_settings.h"
#include "settings/dialog_base.h"

// What the dialog changes on the camera. Each setter stores the value in the camera's analog
// settings and sends it to the device, under the camera's own lock.
class AnalogControls {
public:
    struct Limits {
        int gainMin;
        int exposureMax;
        int gainDefault;
        int exposureDefault;
    };
    virtual ~AnalogControls() = default;
    virtual AnalogSettings Current() = 0;
    virtual Limits DeviceLimits() = 0;
    virtual void SetGlobalGain(int value) = 0;
    virtual void SetColorGain(int sensorRegister, int value) = 0;  // 43, 45, 44 or 46
    virtual void SetExposure(int lines) = 0;
    virtual void SetMirrorV(int flag) = 0;
    virtual void SetMirrorH(int flag) = 0;
    virtual void SetAutoIris(int mode) = 0;
    // Stores the edits' values at OK without sending them.
    virtual void Keep(const AnalogSettings& edits) = 0;
    // The exposure time of `lines` in milliseconds, from the camera's last timing computation.
    virtual double ExposureTimeMs(int lines) = 0;
};

class AnalogPage : public DialogBase {
public:
    explicit AnalogPage(AnalogControls& controls) : controls_(controls) {}
    HWND Create(HWND tab);
    // Trackbars and edits from the camera's values, without sending them again.
    void Refresh();
    // The six edits' values, as OK stores them.
    AnalogSettings Edits() const;
    // Shows a value the automatic exposure set in edit 1015 or 1027; safe from any thread.
    void PostAutoValue(int control, int value) const;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Initialize();
    void EditChanged(int edit);
    void CheckChanged(int box);
    void ShowExposureTime(int lines);

    AnalogControls& controls_;
    bool ready_ = false;  // edit changes act only after the page is filled
};
