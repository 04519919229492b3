#pragma once
// CVelmor: the camera object behind one handle. It owns the device object, the surfaces, the
// threads and the settings of one camera, and queues the reasons of its failures.
//
// Acquisition states (acqState), changed only by the acquisition operations:
//   0 idle --StartPreview--> 1 preview --StopPreview--> 0
//   0 idle --Capture-------> 2 capture --StopPreview--> 0
//   0 idle --Trigger-------> 3 trigger --StopPreview--> 0
// Close always returns to idle with no window.
#include "camera/critical_section.h"
#include "camera/error_queue.h"
#include "device/shared_region.h"
#include "device/velmor_520qk.h"
#include "imaging/frame_surface.h"
#include "pipeline/filter_params.h"
#include "pipeline/process_frame.h"
#include "settings/camera_settings.h"

#include <VelmorSdk_520QK_ZRX.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// Sensor registers of the colour gains.
constexpr int kRegisterGainG1 = 43;
constexpr int kRegisterGainB = 44;
constexpr int kRegisterGainR = 45;
constexpr int kRegisterGainG2 = 46;

class CVelmor {
public:
    CVelmor();
    virtual ~CVelmor();
    CVelmor(const CVelmor&) = delete;
    CVelmor& operator=(const CVelmor&) = delete;

    // Lifecycle and device selection
    int Initialize(HWND notify);
    int SetDeviceNumber(int index);
    int Close();
    int LoadConfigFile(const char* path);
    int LoadConfigFileW(const wchar_t* path);
    int GetLastError() { return errors_.Pop(); }

    // Acquisition state
    int StopPreview();
    int GetStatus() const { return 0; }
    int Width() const { return region.width; }
    int Height() const { return region.height; }

    // Properties that need no device object
    int SetColorMode(int bits);
    int GetColorMode() const;
    int SetSubSample(int code);
    int GetSubSample() const { return stream.subSample; }
    int SetWaitTime(int ms);
    int GetWaitTime() const { return stream.waitTime; }
    int SetHalfClock(int value);
    int SetAutoIris(int mode);
    int GetAutoIris(int* ok) const;
    int GetCaptureWindowEx(int* hTotal, int* hStart, int* hEffective, int* vTotal, int* vStart, int* vEffective) const;

    // Properties of the camera and its sensor (a device object is needed)
    int SetCaptureWindowEx(int hTotal, int hStart, int hEffective, int vTotal, int vStart, int vEffective);
    int SetCaptureWindow(int width, int height);
    int GetHalfClock(int* ok);
    int SetFilterValue(int number, int value);
    int GetFilterValue(int number, int* ok);
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int* ok);
    int SetMirrorH(int flag);
    int GetMirrorH();
    int SetMirrorV(int flag);
    int GetMirrorV();
    int GetCameraInfo(VELMOR_CAMERA_INFO* info);

    // Devices, registers, serial ROM and I/O port
    int EnumDevice(char* entries);
    int EnumDeviceW(wchar_t* entries);
    int GetDeviceName(int number, char* name, int length);
    int GetDeviceNameW(int number, wchar_t* name, int length);
    int ReadRegister(int reg, int* ok);
    int WriteRegister(int reg, int value);
    int ReadSromID(int address, int* ok);
    int WriteSromID(int address, int value);
    int SetIOPort(int value);
    int GetIOPort(BYTE* value);

    // The pipeline on the current surfaces, under frameLock (held by the caller).
    void ProcessFrame();
    // The automatic exposure rule, from the five measuring windows' mean levels.
    void ApplyAutoExposure(const int32_t means[kAutoIrisWindows]);
    // Shows a value set by the automatic exposure in the open analog dialog (control 1015 or 1027).
    using AnalogDialogHook = void (*)(void* dialog, int control, int value);
    AnalogDialogHook analogDialogHook = nullptr;

    // Functions this camera does not have: the error is posted only, or raised.
    int NotAvailablePostOnly();
    int NotAvailableRaised();

    // Pushes the code and posts it to the notification window.
    void Raise(int32_t code);
    // Posts the code without queueing it, also to a null window (the calling thread's queue).
    void PostOnly(int32_t code) const { PostError(notifyWindow, code); }
    // Whether the device object exists; when not, the state error is raised, or only posted.
    bool HasDevice()
    {
        if (!device)
            Raise(kErrorState);
        return device != nullptr;
    }
    bool HasDevicePostOnly() const
    {
        if (!device)
            PostOnly(kErrorState);
        return device != nullptr;
    }

    // References held by the registry and by exports in progress; the last one destroys the object,
    // so an export running on one thread never sees the object freed by Velmor_Release on another.
    void Retain() { references_.fetch_add(1, std::memory_order_relaxed); }
    void Drop()
    {
        if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

    // Capture window rule: inside the sensor and a sub-sampling that the window sizing knows.
    bool CaptureRegionValid() const;

    // --- State (fields of the camera object) ---
    SharedRegion sharedMapping;
    std::unique_ptr<CVelmor520QKZRXSdk> device;
    std::unique_ptr<FrameSurface> mono8Surface;    // raw frame of formats 0, 2, 3; output of format 0
    std::unique_ptr<FrameSurface> mono16Surface;   // raw frame of formats 1, 4, 5; output of format 1
    std::unique_ptr<FrameSurface> bgr24Surface;    // output of format 2; display source of formats 2-5
    std::unique_ptr<FrameSurface> bgrx32Surface;
    std::unique_ptr<FrameSurface> bgr48Surface;
    std::unique_ptr<FrameSurface> bgra64Surface;
    std::unique_ptr<FrameSurface> workSurface;     // scratch copy of the output for the pipeline
    std::unique_ptr<FrameSurface> displaySurface;  // the preview window's client size
    HWND previewWindow = nullptr;
    HDC previewDC = nullptr;
    char windowClassName[256] = {};
    CaptureRegion region;           // totalWidth, totalHeight, width, height, left, top, bufferCount
    FilterParams filter = {};
    void* imageDialog = nullptr;
    AnalogSettings analog;          // globalGain, gainG1, gainR, gainB, gainG2, exposureLines, mirrorV, mirrorH, autoIris
    void* analogDialog = nullptr;
    int32_t lineClocks = 0;
    int32_t exposureLinesUsed = 1;
    double clockPeriod = 1.0;       // milliseconds per pixel clock
    int32_t realExposureUs = 0;
    CriticalSection frameLock;      // the surfaces, against frame production and readers
    CriticalSection configLock;     // configList
    std::vector<std::pair<int32_t, int32_t>> configList;
    volatile int32_t recording = 0;  // plain 32-bit flags: each written by one side
    uint32_t recordStart = 0;
    uint32_t recordEnd = 0;
    volatile int32_t frameForRecorder = 0;
    HANDLE recordThread = nullptr;
    DWORD recordThreadId = 0;
    HANDLE recordDoneEvent = nullptr;
    volatile int32_t running = 0;   // 0 stop, 1 run, 2 hold
    HANDLE acqThread = nullptr;
    DWORD acqThreadId = 0;
    HANDLE acqDoneEvent = nullptr;
    HWND parentWindow = nullptr;
    RECT previewRect = {0, 0, 2048, 1536};
    HWND notifyWindow = nullptr;
    HWND callbackWindow = nullptr;
    BYTE* userBuffer = nullptr;
    int32_t userBufferSize = 0;
    int32_t userTopDown = 0;
    VELMOR_FRAME_INFO frameInfo = {sizeof(VELMOR_FRAME_INFO), 0, 0, 0, 0, 0, nullptr};
    int32_t acqState = 0;
    StreamSettings stream;          // outputFormat, subSample, waitTime, clock
    int32_t hasImage = 0;
    int32_t fpsTenths = 0;
    int32_t frameCount = 0;
    uint32_t fpsWindowStart = 0;
    int32_t triggerTimeout = 3000;
    int32_t skipTriggerFrame = 0;
    int32_t deviceNumber = 0;
    PipelineState pipelineState;

private:
    // Gains, exposure and mirrors to the device, in the order the sensor takes them.
    void ApplyAnalogSettings();
    void LoadDeviceSettings(int camera);
    // The exposure-time fields for the current clock, sub-sampling and width.
    void ComputeExposureTiming();
    static void CloseThread(HANDLE& thread, DWORD& threadId, HANDLE& doneEvent);
    // Raises the error of a device-name lookup that failed; 1 when it succeeded.
    int ReportDeviceName(int result);
    void SaveSettings();
    std::array<std::unique_ptr<FrameSurface>*, 8> AllSurfaces();
    bool CreateSurfaces();
    void DestroySurfaces();

    ErrorQueue errors_;
    std::atomic<int32_t> references_{1};
};
