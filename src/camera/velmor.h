#pragma once
// CVelmor: the camera object behind one handle. It owns the device object, the surfaces, the
// threads and the settings of one camera, and queues the reasons of its failures.
//
// Acquisition states (acqState) and the operations that move between them:
//
//            Capture                    StartPreview, Preview, CallBackPreview
//   Capture <-------- Idle ---------------------------------------------------> Preview
//   (no thread)        |  ^  StopPreview, Close from every state                (preview loop)
//                      |  |
//                      v  |  Trigger
//                    Trigger (trigger loop)
//
// SnapShot runs from Idle (prepares, one frame, stays Idle) and from Capture. Starting a state
// from another non-idle one fails with kErrorState; StartPreview in Preview and Capture in Capture
// succeed without doing anything. The acquisition thread's run flag (running) is Stop, Run or
// Hold (the loop polls without fetching while the camera dialog is open in trigger mode). When
// the preview loop loses the camera it clears the flag and ends: the state stays Preview until
// StopPreview or Close completes the stop.
// Recording (recording set) rides on Preview: Record starts preview, and the recording thread
// ends at the duration, at 2 GiB, when the preview loop has ended, or when a stop joins it.
//
// Locks, always taken in this order (a thread holding one never waits for an earlier one):
//   acquisitionLock  the acquisition operations (start, stop, snapshot, window, close). Held while
//                    waiting for the acquisition and recording threads, which never take it.
//   deviceLock       everything that programs or reconfigures the device object, and acqState.
//                    The acquisition thread holds it for each frame turn (fetch, pipeline with
//                    its automatic exposure, paint, copy), never while it sleeps or waits for
//                    the transfer ring; in trigger mode it includes the wait for the trigger.
//   frameLock        the surfaces, the pipeline state, the frame information, the application
//                    buffer and callback window, the preview window's handles and the filter record.
// The error queue has a lock of its own, taken last. Plain 32-bit fields that getters read
// without a lock are written by one operation at a time under the lock named beside them.
#include "camera/critical_section.h"
#include "camera/error_queue.h"
#include "device/shared_region.h"
#include "device/velmor_520qk.h"
#include "imaging/frame_surface.h"
#include "pipeline/filter_params.h"
#include "pipeline/process_frame.h"
#include "recording/avi_writer.h"
#include "settings/camera_settings.h"

#include <VelmorSdk_520QK_ZRX.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// Acquisition states (acqState).
enum AcquisitionState : int32_t { kAcqIdle = 0, kAcqPreview = 1, kAcqCapture = 2, kAcqTrigger = 3 };
// The acquisition thread's run flag (running).
enum RunFlag : int32_t { kRunStop = 0, kRunGo = 1, kRunHold = 2 };

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

    // Acquisition
    int Capture();
    int SnapShot(BYTE* buffer, int size, int topDown);
    int StartPreview();
    int StopPreview();
    int Preview();
    int CallBackPreview(HWND window, BYTE* buffer, int size, int topDown);
    int Trigger(HWND window, BYTE* buffer, int size, int topDown);
    int GetImage(BYTE* buffer, int size, int topDown);
    int SaveImage(const char* path, int fileType);
    int SaveImageW(const wchar_t* path, int fileType);
    // Records live preview into an AVI file for durationMs (velmor_record.cpp).
    int Record(const char* path, int durationMs, int showWindow);
    int RecordW(const wchar_t* path, int durationMs, int showWindow);
    int SetPreviewWindow(HWND parent, int x, int y, int width, int height);
    int GetStatus() const { return 0; }
    int Width() const { return region.width; }
    int Height() const { return region.height; }

    // Settings dialogs (velmor_dialogs.cpp): modal on the calling thread, 1 whatever closed them.
    int ShowAnalogDialog(HWND parent);
    // Stops (or holds, in trigger mode) the acquisition while it is open, and restarts it after.
    int ShowCameraDialog(HWND parent);
    // The filter record edited in place while frames keep coming; Cancel restores the opening's.
    int ShowImageDialog(HWND parent);

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

    // The pipeline on the current surfaces, under deviceLock and frameLock (held by the caller).
    void ProcessFrame();
    // The automatic exposure rule, from the five measuring windows' mean levels.
    void ApplyAutoExposure(const int32_t means[kAutoIrisWindows]);
    // Shows a value set by the automatic exposure in the open analog dialog (control 1015 or 1027).
    // Runs on the acquisition thread with deviceLock and frameLock held: it must post to the
    // dialog, never send, since the dialog's thread may be waiting for deviceLock.
    using AnalogDialogHook = void (*)(void* dialog, int control, int value);
    AnalogDialogHook analogDialogHook = nullptr;
    // Asks the open image dialog to show the filter record again after an automatic balance
    // changed it; runs on the acquisition thread with frameLock held, so it only posts.
    using ImageDialogHook = void (*)(void* dialog);
    ImageDialogHook imageDialogHook = nullptr;  // imageDialog, imageDialogHook: frameLock

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
    // The whole sensor as the capture region.
    static CaptureRegion FullSensorRegion(int32_t bufferCount);
    // Wide paths are converted to the thread's code page into a buffer of this size; false when
    // the path is null or does not convert or fit.
    static constexpr int kPathBufferBytes = 1024;
    static bool NarrowPath(const wchar_t* path, char (&narrow)[kPathBufferBytes]);
    // Sensor pixels per frame pixel along each axis for a sub-sampling code.
    static int SubSampleDivisor(int code);
    // Bits per pixel of an output format index: 8, 16, 24, 32, 48, 64.
    static int OutputFormatBits(int format);

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
    CriticalSection acquisitionLock;  // see the lock order above the class
    CriticalSection deviceLock;
    CriticalSection frameLock;
    CriticalSection configLock;     // configList
    std::vector<std::pair<int32_t, int32_t>> configList;
    std::atomic<int32_t> recording{0};         // set by Record, cleared by the recording thread and stops
    AviWriter aviWriter;                       // Record until the thread starts, then the recording thread only
    uint32_t recordStart = 0;                  // recordStart, recordEnd: the recording thread
    uint32_t recordEnd = 0;
    std::atomic<int32_t> frameForRecorder{0};  // set by the preview loop, cleared by the recording thread
    HANDLE recordThread = nullptr;             // the thread handles and events: acquisitionLock
    DWORD recordThreadId = 0;
    HANDLE recordDoneEvent = nullptr;
    std::atomic<int32_t> running{kRunStop};    // RunFlag; set by the operations, cleared by the preview loop on failure
    HANDLE acqThread = nullptr;
    DWORD acqThreadId = 0;
    HANDLE acqDoneEvent = nullptr;
    HANDLE acqWakeEvent = nullptr;  // manual reset: cuts the loop's pauses short when it is stopped
    HWND parentWindow = nullptr;    // parentWindow, previewRect: acquisitionLock
    RECT previewRect = {0, 0, kSensorColumns, kSensorRows};
    HWND notifyWindow = nullptr;
    HWND callbackWindow = nullptr;  // callbackWindow, userBuffer, userBufferSize, userTopDown: frameLock
    BYTE* userBuffer = nullptr;
    int32_t userBufferSize = 0;
    int32_t userTopDown = 0;
    VELMOR_FRAME_INFO frameInfo = {sizeof(VELMOR_FRAME_INFO), 0, 0, 0, 0, 0, nullptr};  // frameLock
    int32_t acqState = kAcqIdle;    // AcquisitionState; acquisitionLock and deviceLock
    StreamSettings stream;          // outputFormat, subSample, waitTime, clock: plain stores, read at starts and per frame
    int32_t hasImage = 0;           // frameLock
    uint32_t frameTakenMs = 0;      // frameLock: timeGetTime when the output frame was taken from the camera
    int32_t fpsTenths = 0;          // fpsTenths, frameCount, fpsWindowStart: the acquisition thread only
    int32_t frameCount = 0;
    uint32_t fpsWindowStart = 0;
    int32_t triggerTimeout = 3000;  // deviceLock
    int32_t skipTriggerFrame = 0;   // the trigger loop, set before it starts
    int32_t deviceNumber = 0;       // deviceLock
    PipelineState pipelineState;    // frameLock
    // The output format and sub-sampling the surfaces were prepared for: the frame path uses them
    // until the next start, whatever the setters store meanwhile. deviceLock and frameLock.
    int32_t preparedFormat = 0;
    int32_t preparedSubSample = 0;

private:
    // --- Acquisition (velmor_acquisition.cpp) ---
    // The common preparation of every acquisition start; deviceLock held. 1, or 0 with the error raised.
    int Prepare();
    bool DeviceAnswers();
    // The surfaces of the current output format at w × h, the scratch copy of the output included.
    bool CreateFrameSurfaces(int w, int h);
    // The frame size after sub-sampling.
    int FrameWidth() const;
    int FrameHeight() const;
    // Start and stop with acquisitionLock held and deviceLock not held.
    int StartPreviewLocked();
    void StopAcquisition();
    int CloseLocked();
    static void JoinThread(HANDLE& thread, DWORD& threadId, HANDLE& doneEvent);
    int ShowAndStart(HWND window, BYTE* buffer, int size, int topDown);
    // Stores the frames' callback window and buffer, and opens the preview window when the
    // placement asks for one (and showWindow); false (error raised) when it cannot be made.
    bool SetFrameTarget(HWND window, BYTE* buffer, int size, int topDown, bool showWindow = true);
    // One frame of a snapshot; deviceLock held. The error code of a failure, or kErrorNone.
    int SnapShotFrame(BYTE* buffer, int size, int topDown);
    // Creates the run's events and the acquisition thread; false when any is missing.
    bool StartAcquisitionThread();
    static DWORD WINAPI AcquisitionThreadMain(void* self);
    void PreviewLoop();
    void PreviewTurn();
    bool TransferEnded();
    void LoseCamera();
    void TriggerLoop();
    void TriggerTurn();
    // Sleeps up to `ms`, woken at once when the run is stopped.
    void Pause(DWORD ms) const;
    // The surfaces by the prepared output format (raw) or by a format index (output, null for none).
    FrameSurface* RawSurface() const;
    FrameSurface* OutputSurfaceOf(int format) const;
    bool RawFits(const FrameSurface& raw) const;
    static void RestrideRaw(FrameSurface& raw);
    // The fetched frame through the pipeline to the window and the application buffer; deviceLock
    // and frameLock held. False when the frame is not to be announced (the copy failed).
    bool DeliverFrame(FrameSurface& raw, int32_t rate, uint32_t takenMs);
    void PostFrame(HWND target);
    void MeasureFrameRate(uint32_t now);
    // Copies the surface into the buffer, rows top-down or bottom-up; frameLock held.
    int CopyToUser(const FrameSurface& source, BYTE* buffer, int size, int topDown);
    // The still-image writer on a copy of the output surface, taken under frameLock.
    int SaveFrame(const char* path, int fileType, bool needsImage);

    // --- Recording (velmor_record.cpp) ---
    // The recording thread's surfaces, made once per recording at the output's size: two 24-bit
    // frames and an 8-bit one for the conversions by output format.
    struct RecordSurfaces {
        FrameSurface frame24;
        FrameSurface spare24;
        FrameSurface gray8;
        bool Create(int width, int height);
        // The output turned into a bottom-up 24-bit frame; frameLock held. Null when GDI failed.
        const FrameSurface* Convert(const FrameSurface& output);
    };
    static DWORD WINAPI RecordThreadMain(void* self);
    void RecordLoop();
    // Ends the recording at the frame timed `now`: the measured rate into the file, and the file closed.
    void FinishRecording(uint32_t now);

    // --- Preview window (preview_window.cpp) ---
    bool WantsPreviewWindow() const;
    // Creates the window and takes its DC; false (nothing left behind) when either fails.
    bool OpenPreviewWindow();
    HWND CreatePreviewWindow();
    void DestroyPreviewWindow();
    void UnregisterPreviewClass();
    // Paints the output surface into the window; frameLock held. Non-zero when something was drawn.
    int Paint();
    // The 8- or 24-bit surface the window shows for the prepared format, converted where needed.
    FrameSurface* DisplaySource();
    // The client size of a visible window with a DC, or false.
    bool PreviewClientSize(int& width, int& height) const;
    void CreateDisplaySurface(int width, int height);

    // The gains, exposure and mirrors as the device has them, into the analog settings.
    void ReadAnalogBack();
    // Gains and exposure to the device, in the order the sensor takes them.
    void ApplyGainsAndExposure();
    // Gains, exposure and mirrors to the device.
    void ApplyAnalogSettings();
    void LoadDeviceSettings(int camera);
    // The exposure-time fields for the current clock, sub-sampling and width.
    void ComputeExposureTiming();
    // The real exposure time fields for the current exposure lines.
    void UpdateRealExposure();
    // Raises the error of a device-name lookup that failed; 1 when it succeeded.
    int ReportDeviceName(int result);
    void SaveSettings();
    std::array<std::unique_ptr<FrameSurface>*, 8> AllSurfaces();
    bool CreateSurfaces();
    void DestroySurfaces();

    ErrorQueue errors_;
    std::atomic<int32_t> references_{1};
};
