#include "camera/velmor.h"

#include "camera/driver_ports.h"
#include "device/memory_block.h"
#include "settings/registry_settings.h"

#include <mmsystem.h>

#include <cstring>
#include <new>

namespace {

constexpr int kSensorWidth = CVelmor520QKZRXSdk::kSensorColumns;
constexpr int kSensorHeight = CVelmor520QKZRXSdk::kSensorRows;

// Bit counts accepted by SetColorMode, by output format index, and the codes GetColorMode reports
// (10-bit samples in 16-bit words report their significant bits).
constexpr int kFormatBits[] = {8, 16, 24, 32, 48, 64};
constexpr int kFormatReported[] = {8, 10, 24, 32, 42, 58};

bool IsSettableSubSample(int code) { return code == 0 || code == 1 || code == 2 || code == 17 || code == 18; }

}  // namespace

CVelmor::CVelmor() { fpsWindowStart = timeGetTime(); }

CVelmor::~CVelmor()
{
    SaveSettings();
    Close();
    sharedMapping.ReleaseDevice(notifyWindow, deviceNumber);
    device.reset();
    DestroySurfaces();
    sharedMapping.Close();
}

std::array<std::unique_ptr<FrameSurface>*, 8> CVelmor::AllSurfaces()
{
    return {&mono8Surface, &mono16Surface, &bgr24Surface, &bgrx32Surface,
            &bgr48Surface, &bgra64Surface, &workSurface,  &displaySurface};
}

bool CVelmor::CreateSurfaces()
{
    for (std::unique_ptr<FrameSurface>* surface : AllSurfaces()) {
        surface->reset(new (std::nothrow) FrameSurface());
        if (!*surface)
            return false;
    }
    return true;
}

void CVelmor::DestroySurfaces()
{
    for (std::unique_ptr<FrameSurface>* surface : AllSurfaces())
        surface->reset();
}

void CVelmor::Raise(int32_t code)
{
    errors_.Push(code);
    if (notifyWindow)
        PostError(notifyWindow, code);
}

int CVelmor::Initialize(HWND notify)
{
    if (!sharedMapping.Open(SharedRegion::kName) &&
        !sharedMapping.OpenOrCreate(SharedRegion::kName, SharedRegion::kSize)) {
        // The notification window is not known yet: queued, not posted.
        errors_.Push(kErrorMemory);
        return 0;
    }
    Guard guard(deviceLock);
    device.reset(new (std::nothrow) CVelmor520QKZRXSdk(ProcessDriverPort()));
    notifyWindow = notify;
    if (!device || !CreateSurfaces()) {
        Raise(kErrorMemory);
        return 0;
    }

    settings::LoadWindowPreset(deviceNumber, region);
    if (!CaptureRegionValid()) {
        Raise(kErrorCaptureWindow);
        region = FullSensorRegion(region.bufferCount);
    }
    device->SetSensorWindow(region.left, region.top, region.width, region.height, stream.subSample);
    previewRect = RECT{0, 0, region.width, region.height};

    LoadDeviceSettings(device->GetDeviceNumber());
    settings::LoadStreamSettings(deviceNumber, stream);
    return 1;
}

void CVelmor::LoadDeviceSettings(int camera)
{
    settings::LoadFilterSettings(camera, filter);
    settings::LoadGraySettings(camera, filter);
    settings::LoadAnalogSettings(camera, analog, device->GetMirrorV(), device->GetMirrorH());
    ApplyAnalogSettings();
}

void CVelmor::ApplyGainsAndExposure()
{
    constexpr int kByte = 0xFF;
    constexpr int kWord = 0xFFFF;
    device->SetGlobalGain(analog.globalGain & kByte);
    device->SetColorGain(sensor::kGainGreen1, analog.gainG1 & kByte);
    device->SetColorGain(sensor::kGainRed, analog.gainR & kByte);
    device->SetColorGain(sensor::kGainBlue, analog.gainB & kByte);
    device->SetColorGain(sensor::kGainGreen2, analog.gainG2 & kByte);
    device->SetExposure(analog.exposureLines & kWord);
}

void CVelmor::ApplyAnalogSettings()
{
    ApplyGainsAndExposure();
    device->SetMirrorV(analog.mirrorV);
    device->SetMirrorH(analog.mirrorH);
}

int CVelmor::SetDeviceNumber(int index)
{
    if (!HasDevice())
        return 0;
    Guard guard(deviceLock);
    SaveSettings();
    if (!device->IsDevicePresent(index) || device->InitializeModel(index) != 0) {
        Raise(kErrorDeviceBusy);
        return 0;
    }
    LoadDeviceSettings(index);
    uint8_t variant = 0;
    if (device->ReadSrom(kSromVariantAddress, &variant)) {
        if (variant == 1)
            device->SetVariantCode(0);
        else if (variant == 2)
            device->SetVariantCode(1);
    }
    deviceNumber = index;
    return 1;
}

void CVelmor::SaveSettings()
{
    const int camera = device ? device->GetDeviceNumber() : deviceNumber;
    settings::SaveAnalogSettings(camera, analog);
    settings::SaveFilterSettings(camera, filter);
    settings::SaveGraySettings(camera, filter);
}

int CVelmor::Close()
{
    Guard guard(acquisitionLock);
    return CloseLocked();
}

int CVelmor::CloseLocked()
{
    DestroyPreviewWindow();
    if (HasDevice())
        StopAcquisition();
    {
        Guard frame(frameLock);
        hasImage = 0;
    }
    if (device) {
        Guard guard(deviceLock);
        device->CloseSnapshot();
    }
    UnregisterPreviewClass();
    return 1;
}

int CVelmor::LoadConfigFile(const char* path)
{
    MemoryBlock file;
    const uint8_t* data = file.LoadFile(path);
    if (!data)
        return 0;
    Guard guard(configLock);
    configList.clear();
    for (uint32_t offset = 0; offset + 8 <= file.size; offset += 8) {
        int32_t first, second;
        std::memcpy(&first, data + offset, 4);
        std::memcpy(&second, data + offset + 4, 4);
        configList.emplace_back(first, second);
    }
    return 1;
}

int CVelmor::LoadConfigFileW(const wchar_t* path)
{
    char narrow[kPathBufferBytes];
    if (!NarrowPath(path, narrow)) {
        Raise(kErrorFile);
        return 0;
    }
    return LoadConfigFile(narrow);
}

bool CVelmor::CaptureRegionValid() const
{
    const CaptureRegion& r = region;
    return r.width >= 0 && r.height >= 0 && r.left >= 0 && r.top >= 0 && r.width <= kSensorWidth &&
           r.height <= kSensorHeight && r.left <= kSensorWidth && r.top <= kSensorHeight &&
           r.left + r.width <= kSensorWidth && r.top + r.height <= kSensorHeight && stream.subSample != 3 &&
           stream.subSample != 19;
}

CaptureRegion CVelmor::FullSensorRegion(int32_t bufferCount)
{
    return CaptureRegion{kSensorWidth, kSensorHeight, kSensorWidth, kSensorHeight, 0, 0, bufferCount};
}

bool CVelmor::NarrowPath(const wchar_t* path, char (&narrow)[kPathBufferBytes])
{
    return path && WideCharToMultiByte(CP_THREAD_ACP, 0, path, -1, narrow, kPathBufferBytes, nullptr, nullptr) != 0;
}

int CVelmor::SubSampleDivisor(int code)
{
    switch (code) {
    case 1:
    case 17: return 2;
    case 2:
    case 18: return 4;
    case 3:
    case 19: return 8;
    default: return 1;
    }
}

int CVelmor::OutputFormatBits(int format)
{
    return format >= 0 && format < static_cast<int>(std::size(kFormatBits)) ? kFormatBits[format] : 0;
}

int CVelmor::SetColorMode(int bits)
{
    for (int index = 0; index < static_cast<int>(std::size(kFormatBits)); ++index) {
        if (kFormatBits[index] == bits) {
            stream.outputFormat = index;
            return 1;
        }
    }
    Raise(kErrorArgument);
    return 0;
}

int CVelmor::GetColorMode() const
{
    const int index = stream.outputFormat;
    return index >= 0 && index < static_cast<int>(std::size(kFormatReported)) ? kFormatReported[index] : -1;
}

int CVelmor::SetSubSample(int code)
{
    if (!IsSettableSubSample(code))
        return 0;
    stream.subSample = code;
    return 1;
}

int CVelmor::SetWaitTime(int ms)
{
    if (ms < 0)
        return 0;
    stream.waitTime = ms;
    return 1;
}

int CVelmor::SetHalfClock(int value)
{
    stream.clock = value;
    return 1;
}

int CVelmor::SetAutoIris(int mode)
{
    if (static_cast<unsigned>(mode) >= 3) {
        PostOnly(kErrorArgument);
        return 0;
    }
    analog.autoIris = mode;
    return 1;
}

int CVelmor::GetAutoIris(int* ok) const
{
    if (ok)
        *ok = 1;
    return analog.autoIris;
}

int CVelmor::GetCaptureWindowEx(int* hTotal, int* hStart, int* hEffective, int* vTotal, int* vStart,
                                int* vEffective) const
{
    const std::pair<int*, int32_t> outputs[] = {{hTotal, region.totalWidth}, {hStart, region.left},
                                                {hEffective, region.width},  {vTotal, region.totalHeight},
                                                {vStart, region.top},        {vEffective, region.height}};
    for (const auto& [out, value] : outputs)
        if (out)
            *out = value;
    return 1;
}

int CVelmor::NotAvailablePostOnly()
{
    PostOnly(kErrorNotAvailable);
    return 0;
}

int CVelmor::NotAvailableRaised()
{
    Raise(kErrorNotAvailable);
    return -1;
}
