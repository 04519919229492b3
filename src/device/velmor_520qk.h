#pragma once
// CVelmor520QKZRXSdk: the device object of the 520QK camera. It adds to the base the sensor's
// 2048 × 1536 array, the programming of its window, sub-sampling and binning, the gain, exposure,
// clock and trigger registers, and the model's way of setting the sample width.
#include "device/vlm_sdk_lib.h"

class CVelmor520QKZRXSdk : public CVLMSdkLib {
public:
    static constexpr const char (&kDeviceBaseName)[sizeof(::kDeviceBaseName)] = ::kDeviceBaseName;
    static constexpr int kSensorColumns = ::kSensorColumns;
    static constexpr int kSensorRows = ::kSensorRows;
    static constexpr int kMinColumns = 4;
    static constexpr int kMinRows = 3;
    static constexpr int kRingBuffers = 4;
    static constexpr int kGainDefault = 14;
    static constexpr int kGainMin = 0;
    static constexpr int kExposureDefault = 1561;
    static constexpr int kExposureMax = 16383;

    // Scans the devices and initialises device 0. `port` is borrowed and must outlive the object.
    explicit CVelmor520QKZRXSdk(DriverPort& port);

    int InitializeModel(int n);
    int SetSampleWidth(int wide) override;
    int InitSensor();
    // 0, 1 for a refused window or mode, or 21 while a transfer runs (its ring must not change).
    int SetSensorWindow(int x, int y, int w, int h, int mode);

    int SetColorGain(int reg, int value);
    int GetColorGain(int reg, uint8_t* value);
    int GetColorGainDefault(int reg, uint8_t* value);
    int GetColorGainMin(int reg, uint8_t* value);
    int SetGlobalGain(int value);
    int GetGlobalGain();
    static int GetGlobalGainDefault() { return kGainDefault; }
    static int GetGlobalGainMin() { return kGainMin; }
    int SetExposure(int lines);
    int GetExposure(uint16_t* value);
    static int GetExposureDefault() { return kExposureDefault; }
    static int GetExposureMax() { return kExposureMax; }

    int SetHalfClock(int selection);
    int GetHalfClock(uint8_t* value);
    int SetTrigger(int mode, int option);
    int SetMirrorH(int flag);
    int SetMirrorV(int flag);
    int GetMirrorH() const { return mirrorH; }
    int GetMirrorV() const { return mirrorV; }

    // Pixel clocks per sensor line for a window `windowWidth` sensor pixels wide in sub-sampling `mode`.
    static int LineLength(int mode, int windowWidth);
    // Milliseconds per pixel clock of the clock selection.
    static double ClockPeriodMs(int clock);
    // Exposure time in microseconds of `lines` sensor lines, truncated.
    static int ExposureTimeUs(int lines, int mode, int windowWidth, int clock);
    // Exposure lines for `microseconds`, truncated (the caller refuses 0 or more than the maximum).
    static int ExposureLinesFor(double microseconds, int mode, int windowWidth, int clock);

    int32_t triggerOption = 0;
    int32_t programmedTransferPixels = 0;

private:
    static bool IsColorGainRegister(int reg);
};
