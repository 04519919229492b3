// Properties of the camera object: filter and analog values, exposure as time, mirrors, the
// capture window, automatic exposure, and the camera information record.
#include "camera/velmor.h"

#include "pipeline/filter_table.h"
#include "settings/dialog_ids.h"
#include "settings/registry_settings.h"

#include <algorithm>

namespace {

constexpr int kGainMax = 63;
constexpr int kLowByte = 0xFF;
// The filter numbers are the public header's.
static_assert(kFilterBrightness == VELMOR_FILTER_BRIGHTNESS && kFilterSharpness == VELMOR_FILTER_SHARPNESS &&
              kFilterBayerRgb == VELMOR_FILTER_BAYER_GAIN_RGB && kFilterBayerAuto == VELMOR_FILTER_BAYER_GAIN_AUTO &&
              kFilterBayerMode == VELMOR_FILTER_BAYER_MODE && kFilterGlobalGain == VELMOR_FILTER_GLOBAL_GAIN &&
              kFilterColorGainRed == VELMOR_FILTER_COLOR_GAIN_RED &&
              kFilterColorGainBlue == VELMOR_FILTER_COLOR_GAIN_BLUE && kFilterExposure == VELMOR_FILTER_EXPOSURE &&
              kFilterGrayMode == VELMOR_FILTER_GRAY_MODE && kFilterGrayOffsetB == VELMOR_FILTER_GRAY_OFFSET_B &&
              kFilterGrayGainAuto == VELMOR_FILTER_GRAY_GAIN_AUTO);

// Filter numbers 14..17 and the sensor register and field of each.
struct ColorGain {
    int reg;
    int32_t AnalogSettings::* field;
};
const ColorGain* ColorGainOf(int number)
{
    static const ColorGain kGains[] = {
        {sensor::kGainRed, &AnalogSettings::gainR},    // 14
        {sensor::kGainGreen1, &AnalogSettings::gainG1},  // 15
        {sensor::kGainGreen2, &AnalogSettings::gainG2},  // 16
        {sensor::kGainBlue, &AnalogSettings::gainB},    // 17
    };
    return number >= kFilterColorGainRed && number <= kFilterColorGainBlue ? &kGains[number - kFilterColorGainRed]
                                                                           : nullptr;
}

}  // namespace

int CVelmor::SetFilterValue(int number, int value)
{
    if (!HasDevice())
        return 0;
    // The pipeline reads the filter record under frameLock, once per frame.
    if (const FilterValue* stored = FindFilterValue(number)) {
        if (value < stored->low || value > stored->high) {
            Raise(kErrorArgument);
            return 0;
        }
        Guard frame(frameLock);
        filter.*stored->field = value;
        return 1;
    }
    if (number == kFilterBayerRgb) {
        Guard frame(frameLock);
        filter.bayerGainR = value & kLowByte;
        filter.bayerGainG = (value >> 8) & kLowByte;
        filter.bayerGainB = (value >> 16) & kLowByte;
        return 1;
    }
    if (number == kFilterBayerAuto) {
        Guard frame(frameLock);
        filter.bayerGainAuto = value != 0 ? 1 : 0;
        return 1;
    }
    Guard guard(deviceLock);
    if (number == kFilterGlobalGain) {
        if (value < CVelmor520QKZRXSdk::GetGlobalGainMin() || value > kGainMax) {
            Raise(kErrorArgument);
            return 0;
        }
        // Only the global register is written; the colour fields follow it so that they are saved alike.
        analog.globalGain = analog.gainR = analog.gainG1 = analog.gainG2 = analog.gainB = value;
        device->SetGlobalGain(value);
        return 1;
    }
    if (const ColorGain* gain = ColorGainOf(number)) {
        uint8_t minimum = 0;
        device->GetColorGainMin(gain->reg, &minimum);
        if (value < minimum || value > kGainMax) {
            Raise(kErrorArgument);
            return 0;
        }
        analog.*gain->field = value;
        device->SetColorGain(gain->reg, value);
        return 1;
    }
    if (number == kFilterExposure) {
        if (value < 1 || value > CVelmor520QKZRXSdk::GetExposureMax()) {
            Raise(kErrorArgument);
            return 0;
        }
        analog.exposureLines = value;
        device->SetExposure(value);
        return 1;
    }
    Raise(kErrorArgument);
    return 0;
}

int CVelmor::GetFilterValue(int number, int* ok)
{
    if (!device) {
        if (ok)
            *ok = 0;
        Raise(kErrorState);
        return 0;
    }
    if (number < 1 || number > kFilterNumbers) {
        if (ok)
            *ok = 0;
        Raise(kErrorArgument);
        return 0;
    }
    if (ok)
        *ok = 1;
    if (const FilterValue* stored = FindFilterValue(number))
        return filter.*stored->field;
    Guard guard(deviceLock);
    if (const ColorGain* gain = ColorGainOf(number)) {
        uint8_t value = 0;
        device->GetColorGain(gain->reg, &value);
        return value;
    }
    switch (number) {
    case kFilterBayerRgb:
        return (filter.bayerGainR & kLowByte) | (filter.bayerGainG & kLowByte) << 8 |
               (filter.bayerGainB & kLowByte) << 16;
    case kFilterBayerAuto:
        return filter.bayerGainAuto;
    case kFilterGlobalGain:
        return device->GetGlobalGain() & kLowByte;
    default: {  // kFilterExposure
        uint16_t lines = 0;
        device->GetExposure(&lines);
        return lines;
    }
    }
}

void CVelmor::ComputeExposureTiming()
{
    clockPeriod = CVelmor520QKZRXSdk::ClockPeriodMs(stream.clock);
    lineClocks = CVelmor520QKZRXSdk::LineLength(stream.subSample, region.width);
}

int CVelmor::GetRealExposureTime(int* ok)
{
    if (!device) {
        if (ok)
            *ok = 0;
        Raise(kErrorState);
        return 0;
    }
    Guard guard(deviceLock);
    UpdateRealExposure();
    if (ok)
        *ok = 1;
    return realExposureUs;
}

void CVelmor::UpdateRealExposure()
{
    ComputeExposureTiming();
    exposureLinesUsed = analog.exposureLines;
    realExposureUs = static_cast<int32_t>(analog.exposureLines * static_cast<double>(lineClocks) * clockPeriod * 1000);
}

int CVelmor::SetRealExposureTime(int microseconds)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    ComputeExposureTiming();
    const double lines = (microseconds / 1000.0) / (lineClocks * clockPeriod);
    // Out-of-range times are refused before the conversion to an integer could overflow.
    exposureLinesUsed = lines >= 0 && lines < 2147483647.0 ? static_cast<int32_t>(lines) : 0;
    if (lines < 1 || lines >= CVelmor520QKZRXSdk::GetExposureMax() + 1) {
        Raise(kErrorArgument);
        return 0;
    }
    analog.exposureLines = exposureLinesUsed;
    device->SetExposure(exposureLinesUsed);
    return 1;
}

int CVelmor::SetMirrorH(int flag)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    analog.mirrorH = flag != 0 ? 1 : 0;
    device->SetMirrorH(analog.mirrorH);
    return 1;
}

int CVelmor::GetMirrorH()
{
    if (!HasDevice())
        return 0;
    return analog.mirrorH;
}

int CVelmor::SetMirrorV(int flag)
{
    if (!HasDevicePostOnly())
        return 0;
    Guard guard(deviceLock);
    analog.mirrorV = flag != 0 ? 1 : 0;
    device->SetMirrorV(analog.mirrorV);
    return 1;
}

int CVelmor::GetMirrorV()
{
    if (!HasDevicePostOnly())
        return 0;
    return analog.mirrorV;
}

int CVelmor::GetHalfClock(int* ok)
{
    Guard guard(deviceLock);
    uint8_t value = 0;
    if (!device || !device->GetHalfClock(&value)) {
        if (ok)
            *ok = 0;
        PostOnly(kErrorState);
        return 0;
    }
    if (ok)
        *ok = 1;
    return value;
}

int CVelmor::SetCaptureWindowEx(int hTotal, int hStart, int hEffective, int vTotal, int vStart, int vEffective)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    region.totalWidth = hTotal;
    region.left = hStart;
    region.width = hEffective;
    region.totalHeight = vTotal;
    region.top = vStart;
    region.height = vEffective;
    if (!CaptureRegionValid()) {
        // The values stay: the next acquisition start fails with 7 until a valid window is set.
        Raise(kErrorCaptureWindow);
        return 0;
    }
    device->SetSensorWindow(region.left, region.top, region.width, region.height, stream.subSample);
    return 1;
}

int CVelmor::SetCaptureWindow(int width, int height)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    std::vector<CaptureRegion> presets;
    if (!settings::ReadWindowPresets(device->GetDeviceNumber(), presets)) {
        Raise(kErrorWindow);
        return 0;
    }
    const auto match = std::find_if(presets.begin(), presets.end(),
                                    [&](const CaptureRegion& p) { return p.width == width && p.height == height; });
    if (match == presets.end()) {
        Raise(kErrorWindow);
        return 0;
    }
    region = *match;
    if (!CaptureRegionValid()) {
        Raise(kErrorCaptureWindow);
        region = FullSensorRegion(match->bufferCount);
    }
    device->SetSensorWindow(region.left, region.top, region.width, region.height, stream.subSample);
    return 1;
}

int CVelmor::GetCameraInfo(VELMOR_CAMERA_INFO* info)
{
    constexpr int kInfoBytes = sizeof(VELMOR_CAMERA_INFO);
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    if (!info) {
        Raise(kErrorArgument);
        return 0;
    }
    if (info->size < kInfoBytes) {
        Raise(kErrorMemory);
        return 0;
    }
    uint8_t colorMin = 0;
    device->GetColorGainMin(sensor::kGainRed, &colorMin);
    info->maxWidth = CVelmor520QKZRXSdk::kSensorColumns;
    info->maxHeight = CVelmor520QKZRXSdk::kSensorRows;
    info->globalGainMin = CVelmor520QKZRXSdk::GetGlobalGainMin();
    info->globalGainMax = kGainMax;
    info->colorGainMin = colorMin;
    info->colorGainMax = kGainMax;
    info->exposureMin = 1;
    info->exposureMax = CVelmor520QKZRXSdk::GetExposureMax();
    return 1;
}

void CVelmor::ProcessFrame()
{
    const PipelineSurfaces surfaces{mono8Surface->view(),  mono16Surface->view(), bgr24Surface->view(),
                                    bgrx32Surface->view(), bgr48Surface->view(),  bgra64Surface->view(),
                                    workSurface->view()};
    const PipelineSettings settings{preparedFormat, preparedSubSample, analog.mirrorH, analog.mirrorV,
                                    analog.autoIris};
    const bool balanced = ::ProcessFrame(
        pipelineState, surfaces, settings, filter,
        [](void* context, const int32_t means[kAutoIrisWindows]) {
            static_cast<CVelmor*>(context)->ApplyAutoExposure(means);
        },
        this);
    // Gains that an automatic balance rewrote show in the open image dialog.
    if (balanced && imageDialogHook)
        imageDialogHook(imageDialog);
}

void CVelmor::ApplyAutoExposure(const int32_t means[kAutoIrisWindows])
{
    constexpr int kGainFloor = 4;
    if (!device || (analog.autoIris != 1 && analog.autoIris != 2))
        return;

    // The upper-left window sets the base factor; each other window nudges it.
    const int32_t first = means[0];
    double d = first > 200 ? 0.85 : first > 160 ? 0.9 : first < 50 ? 1.1 : first < 100 ? 1.05 : 1.0;
    for (int i = 1; i < kAutoIrisWindows; ++i) {
        const int32_t m = means[i];
        if (m > 200)
            d -= 0.15;
        else if (m > 160)
            d -= 0.1;
        else if (m < 50)
            d += 0.1;
        else if (m < 100)
            d += 0.05;
    }
    if (d > 0.6 && d < 1.2)
        return;

    if (analog.autoIris == 2) {
        const int g = std::max(device->GetGlobalGain(), kGainFloor);
        int u = static_cast<int>(g * d);
        if (d > 1 && u < kGainFloor)
            u = kGainFloor;
        u = std::min(std::max(u, CVelmor520QKZRXSdk::GetGlobalGainMin()), kGainMax);
        device->SetGlobalGain(u);
        analog.globalGain = analog.gainR = analog.gainG1 = analog.gainG2 = analog.gainB = u;
        if (analogDialog && analogDialogHook)
            analogDialogHook(analogDialog, IDC_GLOBAL_GAIN_EDIT, u);
        return;
    }
    uint16_t exposure = 0;
    device->GetExposure(&exposure);
    int u = static_cast<int>(exposure * d) & 0xFFFF;
    if (u == 0)
        u = 1;
    u = std::min(u, CVelmor520QKZRXSdk::GetExposureMax());
    device->SetExposure(u);
    analog.exposureLines = u;
    if (analogDialog && analogDialogHook)
        analogDialogHook(analogDialog, IDC_EXPOSURE_EDIT, u);
}
