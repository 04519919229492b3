// The exported functions. Each looks its handle up, forwards to the camera object with the
// registry lock released, and never lets an exception escape: anything unexpected returns the
// function's failure value, as an unknown handle does.
#include "api/filter_forms.h"
#include "api/sdk_chain.h"
#include "camera/velmor.h"

#include <VelmorSdk_520QK_ZRX.h>

namespace {

constexpr int kFailure = 0;
constexpr int kFailureAllBits = -1;  // GetColorMode, GetSubSample, GetWaitTime

// Holds the reference that Lookup took for the duration of one export.
class CameraRef {
public:
    explicit CameraRef(int handle) : camera_(SdkChain().Lookup(handle)) {}
    ~CameraRef()
    {
        if (camera_)
            camera_->Drop();
    }
    CameraRef(const CameraRef&) = delete;
    CameraRef& operator=(const CameraRef&) = delete;
    CVelmor* get() const { return camera_; }

private:
    CVelmor* camera_;
};

template <typename Op>
int Forward(int handle, int failure, Op op) noexcept
{
    try {
        CameraRef camera(handle);
        return camera.get() ? op(*camera.get()) : failure;
    } catch (...) {
        return failure;
    }
}

}  // namespace

extern "C" {

int VELMOR_CALL Velmor_Initialize(HWND notifyWindow)
{
    try {
        const int handle = SdkChain().CreateCamera();
        if (handle == 0)
            return 0;
        // The result is not examined: the reason of a failed start waits in the error queue.
        Forward(handle, kFailure, [&](CVelmor& c) { return c.Initialize(notifyWindow); });
        return handle;
    } catch (...) {
        return 0;
    }
}

int VELMOR_CALL Velmor_Release(int handle)
{
    try {
        CVelmor* camera = SdkChain().Detach(handle);
        if (!camera)
            return 0;
        camera->Drop();  // the registry's reference: destroys the object unless an export still runs on it
        return 1;
    } catch (...) {
        return 0;
    }
}

int VELMOR_CALL Velmor_GetDllVersion(void) { return VELMOR_DLL_VERSION; }

int VELMOR_CALL Velmor_GetLastError(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.GetLastError(); });
}

int VELMOR_CALL Velmor_Close(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.Close(); });
}

int VELMOR_CALL Velmor_LoadConfigFileA(int handle, char* path)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.LoadConfigFile(path); });
}

int VELMOR_CALL Velmor_LoadConfigFileW(int handle, wchar_t* path)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.LoadConfigFileW(path); });
}

int VELMOR_CALL Velmor_Capture(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.Capture(); });
}

int VELMOR_CALL Velmor_SnapShot(int handle, BYTE* buffer, int size, int topDown)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SnapShot(buffer, size, topDown); });
}

int VELMOR_CALL Velmor_GetImage(int handle, BYTE* buffer, int size, int topDown)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetImage(buffer, size, topDown); });
}

int VELMOR_CALL Velmor_Preview(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.Preview(); });
}

int VELMOR_CALL Velmor_CallBackPreview(int handle, HWND callbackWindow, BYTE* buffer, int size, int topDown)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.CallBackPreview(callbackWindow, buffer, size, topDown); });
}

int VELMOR_CALL Velmor_Trigger(int handle, HWND callbackWindow, BYTE* buffer, int size, int topDown)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.Trigger(callbackWindow, buffer, size, topDown); });
}

int VELMOR_CALL Velmor_StartPreview(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.StartPreview(); });
}

int VELMOR_CALL Velmor_StopPreview(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.StopPreview(); });
}

int VELMOR_CALL Velmor_SetPreviewWindow(int handle, HWND parent, int x, int y, int width, int height)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetPreviewWindow(parent, x, y, width, height); });
}

int VELMOR_CALL Velmor_SetAnalogDlg(int handle, HWND parent)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.ShowAnalogDialog(parent); });
}

int VELMOR_CALL Velmor_SetCameraDlg(int handle, HWND parent)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.ShowCameraDialog(parent); });
}

int VELMOR_CALL Velmor_SetImageDlg(int handle, HWND parent)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.ShowImageDialog(parent); });
}

int VELMOR_CALL Velmor_Record(int handle, char* path, int durationMs, int showWindow)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.Record(path, durationMs, showWindow); });
}

int VELMOR_CALL Velmor_RecordW(int handle, wchar_t* path, int durationMs, int showWindow)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.RecordW(path, durationMs, showWindow); });
}

int VELMOR_CALL Velmor_SaveImage(int handle, char* path, int fileType)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SaveImage(path, fileType); });
}

int VELMOR_CALL Velmor_SaveImageW(int handle, wchar_t* path, int fileType)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SaveImageW(path, fileType); });
}

int VELMOR_CALL Velmor_GetStatus(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.GetStatus(); });
}

int VELMOR_CALL Velmor_Width(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.Width(); });
}

int VELMOR_CALL Velmor_Height(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.Height(); });
}

int VELMOR_CALL Velmor_SetColorMode(int handle, int bitCount)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetColorMode(bitCount); });
}

int VELMOR_CALL Velmor_GetColorMode(int handle)
{
    return Forward(handle, kFailureAllBits, [](CVelmor& c) { return c.GetColorMode(); });
}

int VELMOR_CALL Velmor_SetSubSample(int handle, int code)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetSubSample(code); });
}

int VELMOR_CALL Velmor_GetSubSample(int handle)
{
    return Forward(handle, kFailureAllBits, [](CVelmor& c) { return c.GetSubSample(); });
}

int VELMOR_CALL Velmor_SetWaitTime(int handle, int milliseconds)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetWaitTime(milliseconds); });
}

int VELMOR_CALL Velmor_GetWaitTime(int handle)
{
    return Forward(handle, kFailureAllBits, [](CVelmor& c) { return c.GetWaitTime(); });
}

int VELMOR_CALL Velmor_SetHalfClock(int handle, int clock)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetHalfClock(clock); });
}

int VELMOR_CALL Velmor_SetAutoIris(int handle, int mode)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetAutoIris(mode); });
}

int VELMOR_CALL Velmor_GetAutoIris(int handle, int* ok)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetAutoIris(ok); });
}

int VELMOR_CALL Velmor_GetCaptureWindowEx(int handle, int* hTotal, int* hStart, int* hEffective, int* vTotal,
                                          int* vStart, int* vEffective)
{
    return Forward(handle, kFailure,
                   [&](CVelmor& c) { return c.GetCaptureWindowEx(hTotal, hStart, hEffective, vTotal, vStart, vEffective); });
}

int VELMOR_CALL Velmor_SetDeviceNumber(int handle, int deviceNumber)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetDeviceNumber(deviceNumber); });
}

int VELMOR_CALL Velmor_EnumDevice(int handle, char* entries)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.EnumDevice(entries); });
}

int VELMOR_CALL Velmor_EnumDeviceW(int handle, wchar_t* entries)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.EnumDeviceW(entries); });
}

int VELMOR_CALL Velmor_GetDeviceName(int handle, int deviceNumber, char* name, int length)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetDeviceName(deviceNumber, name, length); });
}

int VELMOR_CALL Velmor_GetDeviceNameW(int handle, int deviceNumber, wchar_t* name, int length)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetDeviceNameW(deviceNumber, name, length); });
}

int VELMOR_CALL Velmor_SetCaptureWindow(int handle, int width, int height)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetCaptureWindow(width, height); });
}

int VELMOR_CALL Velmor_SetCaptureWindowEx(int handle, int hTotal, int hStart, int hEffective, int vTotal,
                                          int vStart, int vEffective)
{
    return Forward(handle, kFailure,
                   [&](CVelmor& c) { return c.SetCaptureWindowEx(hTotal, hStart, hEffective, vTotal, vStart, vEffective); });
}

int VELMOR_CALL Velmor_GetHalfClock(int handle, int* ok)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetHalfClock(ok); });
}

int VELMOR_CALL Velmor_SetMirrorH(int handle, int flag)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetMirrorH(flag); });
}

int VELMOR_CALL Velmor_GetMirrorH(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.GetMirrorH(); });
}

int VELMOR_CALL Velmor_SetMirrorV(int handle, int flag)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetMirrorV(flag); });
}

int VELMOR_CALL Velmor_GetMirrorV(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.GetMirrorV(); });
}

int VELMOR_CALL Velmor_SetRealExposureTime(int handle, int microseconds)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetRealExposureTime(microseconds); });
}

int VELMOR_CALL Velmor_GetRealExposureTime(int handle, int* ok)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetRealExposureTime(ok); });
}

int VELMOR_CALL Velmor_SetFilterValue(int handle, int number, int value)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetFilterValue(number, value); });
}

int VELMOR_CALL Velmor_GetFilterValue(int handle, int number, int* ok)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetFilterValue(number, ok); });
}

// The named forms pass their fixed filter number.
#define VELMOR_DEFINE_FILTER_FORM(number, Name)                                                                \
    int VELMOR_CALL Velmor_Set##Name(int handle, int value) { return Velmor_SetFilterValue(handle, number, value); } \
    int VELMOR_CALL Velmor_Get##Name(int handle, int* ok) { return Velmor_GetFilterValue(handle, number, ok); }
VELMOR_FILTER_FORMS(VELMOR_DEFINE_FILTER_FORM)
#undef VELMOR_DEFINE_FILTER_FORM

int VELMOR_CALL Velmor_GetCameraInfo(int handle, VELMOR_CAMERA_INFO* info)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetCameraInfo(info); });
}

int VELMOR_CALL Velmor_ReadRegister(int handle, int reg, int* ok)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.ReadRegister(reg, ok); });
}

int VELMOR_CALL Velmor_ReadRegisterEx(int handle, int reg, int* ok) { return Velmor_ReadRegister(handle, reg, ok); }

int VELMOR_CALL Velmor_WriteRegister(int handle, int reg, int value)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.WriteRegister(reg, value); });
}

int VELMOR_CALL Velmor_WriteRegisterEx(int handle, int reg, int value)
{
    return Velmor_WriteRegister(handle, reg, value);
}

int VELMOR_CALL Velmor_ReadSromID(int handle, int address, int* ok)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.ReadSromID(address, ok); });
}

int VELMOR_CALL Velmor_WriteSromID(int handle, int address, int value)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.WriteSromID(address, value); });
}

int VELMOR_CALL Velmor_SetIOPort(int handle, int value)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.SetIOPort(value); });
}

int VELMOR_CALL Velmor_GetIOPort(int handle, BYTE* value, int, int)
{
    return Forward(handle, kFailure, [&](CVelmor& c) { return c.GetIOPort(value); });
}

// Functions of other camera models: the handle is all they read.
int VELMOR_CALL Velmor_Fpga_ReadRegister(int handle, int, int*)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailablePostOnly(); });
}

int VELMOR_CALL Velmor_Fpga_WriteRegister(int handle, int, int)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailablePostOnly(); });
}

int VELMOR_CALL Velmor_Fps(int handle, int)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailablePostOnly(); });
}

int VELMOR_CALL Velmor_SetCrossbar(int handle, int, int)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailablePostOnly(); });
}

int VELMOR_CALL Velmor_SetSamplingRate(int handle, int)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailablePostOnly(); });
}

int VELMOR_CALL Velmor_GetSamplingRate(int handle, int* rate)
{
    return Forward(handle, kFailure, [&](CVelmor&) {
        if (rate)
            *rate = 0;
        return 0;
    });
}

int VELMOR_CALL Velmor_GetVideoFormat(int handle, int* format)
{
    return Velmor_GetSamplingRate(handle, format);
}

int VELMOR_CALL Velmor_GetConfigFilter(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailableRaised(); });
}

int VELMOR_CALL Velmor_SetConfigFilter(int handle)
{
    return Forward(handle, kFailure, [](CVelmor& c) { return c.NotAvailableRaised(); });
}

}  // extern "C"
