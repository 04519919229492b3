// The settings dialogs on the camera object: the analog dialog's controls take deviceLock for
// each change, never for the dialog's life, so frames keep coming while it is open.
#include "camera/velmor.h"

#include "settings/analog_dialog.h"
#include "settings/camera_dialog.h"
#include "settings/image_dialog.h"
#include "settings/registry_settings.h"

#include <algorithm>

namespace {

// The camera's analog settings and device as the analog dialog changes them.
class CameraAnalogControls : public AnalogControls {
public:
    explicit CameraAnalogControls(CVelmor& camera) : camera_(camera) {}

    AnalogSettings Current() override
    {
        Guard guard(camera_.deviceLock);
        return camera_.analog;
    }
    Limits DeviceLimits() override
    {
        uint8_t colourMin = 0;
        Guard guard(camera_.deviceLock);
        camera_.device->GetColorGainMin(sensor::kGainGreen1, &colourMin);
        return {std::min<int>(colourMin, CVelmor520QKZRXSdk::GetGlobalGainMin()),
                CVelmor520QKZRXSdk::GetExposureMax(), CVelmor520QKZRXSdk::GetGlobalGainDefault(),
                CVelmor520QKZRXSdk::GetExposureDefault()};
    }
    void SetGlobalGain(int value) override
    {
        Store(&AnalogSettings::globalGain, value, &CVelmor520QKZRXSdk::SetGlobalGain);
    }
    void SetColorGain(int sensorRegister, int value) override
    {
        Guard guard(camera_.deviceLock);
        if (const auto field = ColourGainField(sensorRegister))
            camera_.analog.*field = value;
        camera_.device->SetColorGain(sensorRegister, value);
    }
    void SetExposure(int lines) override
    {
        Store(&AnalogSettings::exposureLines, lines, &CVelmor520QKZRXSdk::SetExposure);
    }
    void SetMirrorV(int flag) override { Store(&AnalogSettings::mirrorV, flag, &CVelmor520QKZRXSdk::SetMirrorV); }
    void SetMirrorH(int flag) override { Store(&AnalogSettings::mirrorH, flag, &CVelmor520QKZRXSdk::SetMirrorH); }
    void SetAutoIris(int mode) override
    {
        Guard guard(camera_.deviceLock);
        camera_.analog.autoIris = mode;
    }
    void Keep(const AnalogSettings& edits) override
    {
        Guard guard(camera_.deviceLock);
        AnalogSettings& a = camera_.analog;
        a.globalGain = edits.globalGain;
        a.gainG1 = edits.gainG1;
        a.gainR = edits.gainR;
        a.gainB = edits.gainB;
        a.gainG2 = edits.gainG2;
        a.exposureLines = edits.exposureLines;
    }
    double ExposureTimeMs(int lines) override
    {
        Guard guard(camera_.deviceLock);
        return static_cast<double>(lines) * camera_.lineClocks * camera_.clockPeriod;
    }

private:
    // Stores an analog value and sends it to the device, as one change under deviceLock.
    template <typename Result, typename Value>
    void Store(int32_t AnalogSettings::* field, int value, Result (CVelmor520QKZRXSdk::*send)(Value))
    {
        Guard guard(camera_.deviceLock);
        camera_.analog.*field = value;
        (camera_.device.get()->*send)(static_cast<Value>(value));
    }

    CVelmor& camera_;
};

// The camera's filter record as the image dialog changes it, under frameLock: the pipeline
// reads the record once per frame under the same lock.
class CameraFilterControls : public FilterControls {
public:
    explicit CameraFilterControls(CVelmor& camera) : camera_(camera) {}

    FilterParams Current() override
    {
        Guard frame(camera_.frameLock);
        return camera_.filter;
    }
    void Change(const std::function<void(FilterParams&)>& change) override
    {
        Guard frame(camera_.frameLock);
        change(camera_.filter);
    }

private:
    CVelmor& camera_;
};

}  // namespace

void CVelmor::ReadAnalogBack()
{
    uint8_t gain = 0;
    uint16_t exposure = 0;
    analog.globalGain = device->GetGlobalGain();
    for (int reg : kColourGainRegisters) {
        if (device->GetColorGain(reg, &gain))
            analog.*ColourGainField(reg) = gain;
    }
    if (device->GetExposure(&exposure))
        analog.exposureLines = exposure;
    analog.mirrorV = device->GetMirrorV();
    analog.mirrorH = device->GetMirrorH();
}

int CVelmor::ShowAnalogDialog(HWND parent)
{
    if (!HasDevice())
        return 0;
    AnalogSettings opening;
    int32_t openingBayerMode = 0;  // kept and restored with the analog values
    {
        Guard guard(deviceLock);
        ReadAnalogBack();
        opening = analog;
        Guard frame(frameLock);
        openingBayerMode = filter.bayerMode;
    }
    CameraAnalogControls controls(*this);
    AnalogDialog dialog(controls);
    {
        Guard guard(deviceLock);  // the automatic exposure reads these under it
        analogDialog = &dialog;
        analogDialogHook = AnalogDialog::ShowAutoValue;
    }
    const INT_PTR result = dialog.Run(parent);
    Guard guard(deviceLock);
    if (result != IDOK) {
        analog = opening;
        ApplyAnalogSettings();
        Guard frame(frameLock);
        filter.bayerMode = openingBayerMode;
    }
    analogDialog = nullptr;
    analogDialogHook = nullptr;
    return 1;
}

int CVelmor::ShowCameraDialog(HWND parent)
{
    if (!HasDevice())
        return 0;
    // The stream settings take effect at a start: what runs stops, or holds in trigger mode.
    int32_t former = kAcqIdle;
    int camera = 0;
    {
        Guard acquisition(acquisitionLock);
        {
            Guard guard(deviceLock);
            former = acqState;
            camera = deviceNumber;
        }
        if (former == kAcqPreview || former == kAcqCapture)
            StopAcquisition();
        else if (former == kAcqTrigger && running == kRunGo)
            running = kRunHold;
    }
    CameraDialog dialog(camera);
    if (dialog.Run(parent) == IDOK) {
        Guard guard(deviceLock);
        settings::LoadWindowPreset(camera, region);
        settings::LoadStreamSettings(camera, stream);
    }
    // Restarted with the settings of now: Cancel leaves those of the opening.
    if (former == kAcqPreview)
        StartPreview();
    else if (former == kAcqCapture)
        Capture();
    else if (former == kAcqTrigger && running == kRunHold)
        running = kRunGo;
    return 1;
}

int CVelmor::ShowImageDialog(HWND parent)
{
    if (!HasDevice())
        return 0;
    CameraFilterControls controls(*this);
    ImageDialog dialog(controls, stream.outputFormat);
    FilterParams opening;
    {
        Guard frame(frameLock);
        opening = filter;
        imageDialog = &dialog;
        imageDialogHook = ImageDialog::RequestRefresh;
    }
    const INT_PTR result = dialog.Run(parent);
    Guard frame(frameLock);
    if (result != IDOK)
        filter = opening;
    imageDialog = nullptr;
    imageDialogHook = nullptr;
    return 1;
}
