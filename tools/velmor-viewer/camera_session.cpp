#include "camera_session.h"

#include <VelmorSdk_520QK_ZRX.hpp>

namespace viewer {

namespace {

// The largest frame of any setting: the whole sensor in the 64-bit format, rows already 4-byte
// multiples. One buffer of that size serves every format and window without reallocating.
constexpr std::size_t kMaxFrameBytes = std::size_t{kSensorWidth} * 8 * kSensorHeight;
constexpr int kTopRowFirst = 1;

}  // namespace

CameraSession::~CameraSession()
{
    if (handle_) {
        Velmor_StopPreview(handle_);
        Velmor_Release(handle_);
    }
}

bool CameraSession::Check(int result, const char* call) const
{
    if (!result)
        report_(std::string(call) + " failed");
    return result != 0;
}

bool CameraSession::Open(HWND notifyWindow, int deviceNumber)
{
    buffer_.assign(kMaxFrameBytes, 0);
    handle_ = Velmor_Initialize(notifyWindow);
    if (!Check(handle_, "Velmor_Initialize"))
        return false;
    return SelectDevice(deviceNumber);
}

std::vector<DeviceEntry> CameraSession::ListDevices(int* absentAsked)
{
    std::vector<DeviceEntry> devices;
    *absentAsked = 0;
    std::vector<char> entries(VELMOR_MAX_DEVICES * VELMOR_DEVICE_ENTRY_BYTES, 0);
    const int found = Velmor_EnumDevice(handle_, entries.data());
    // The listing names cameras by their running count; the device numbers come from the names
    // the camera gives each number that answers.
    for (int number = 0; number < VELMOR_MAX_DEVICES && int(devices.size()) < found; ++number) {
        char name[VELMOR_DEVICE_ENTRY_BYTES] = {};
        if (Velmor_GetDeviceName(handle_, number, name, sizeof name))
            devices.push_back({number, name});
        else
            ++*absentAsked;
    }
    // The listing may have moved the selection to device 0: put back the one in use.
    Velmor_SetDeviceNumber(handle_, device_);
    return devices;
}

bool CameraSession::SelectDevice(int number)
{
    if (!Check(Velmor_SetDeviceNumber(handle_, number), "Velmor_SetDeviceNumber"))
        return false;
    device_ = number;
    return true;
}

bool CameraSession::Start(HWND parent, const Box& placement, HWND callback)
{
    const bool started = TryRestart(parent, placement, callback);
    if (!started)
        report_("the live picture did not start: " + QueuedErrors());
    return started;
}

bool CameraSession::TryRestart(HWND parent, const Box& placement, HWND callback)
{
    Stop();
    return Resume(parent, placement, callback);
}

bool CameraSession::Resume(HWND parent, const Box& placement, HWND callback)
{
    if (!Velmor_SetPreviewWindow(handle_, parent, placement.x, placement.y, placement.width, placement.height))
        return false;
    running_ = Velmor_CallBackPreview(handle_, callback, buffer_.data(), int(buffer_.size()), kTopRowFirst) != 0;
    // The camera's window covers the area; disabled, it lets the mouse through to the area below.
    if (HWND window = running_ ? GetWindow(parent, GW_CHILD) : nullptr)
        EnableWindow(window, FALSE);
    return running_;
}

std::string CameraSession::QueuedErrors() const
{
    std::string codes;
    for (int code; (code = Velmor_GetLastError(handle_)) != VELMOR_ERROR_NONE;)
        codes += (codes.empty() ? "error " : "; ") + std::to_string(code) + " " +
                 velmor::ErrorText(static_cast<velmor::Error>(code));
    return codes.empty() ? "no error queued" : codes + " (newest first)";
}

void CameraSession::Stop()
{
    if (handle_)
        Velmor_StopPreview(handle_);
    running_ = false;
}

FrameRef CameraSession::Frame(const VELMOR_FRAME_INFO& info) const
{
    FrameRef frame{buffer_.data(), info.width, info.height, info.bitsPerPixel};
    if (!frame.Valid() || frame.Bytes() > buffer_.size())
        return {};
    return frame;
}

Box CameraSession::SensorWindow() const
{
    int hTotal = 0, hStart = 0, hEffective = 0, vTotal = 0, vStart = 0, vEffective = 0;
    if (!Check(Velmor_GetCaptureWindowEx(handle_, &hTotal, &hStart, &hEffective, &vTotal, &vStart, &vEffective),
               "Velmor_GetCaptureWindowEx"))
        return {0, 0, kSensorWidth, kSensorHeight};
    return {hStart, vStart, hEffective, vEffective};
}

bool CameraSession::SetSensorWindow(const Box& window)
{
    return Check(Velmor_SetCaptureWindowEx(handle_, kSensorWidth, window.x, window.width, kSensorHeight, window.y,
                                           window.height),
                 "Velmor_SetCaptureWindowEx");
}

int CameraSession::SubSample() const { return Velmor_GetSubSample(handle_); }

void CameraSession::ExpectedFrameSize(int* width, int* height) const
{
    const Box window = SensorWindow();
    const int factor = SubSampleFactor(SubSample());
    *width = window.width / factor;
    *height = window.height / factor;
}

}  // namespace viewer
