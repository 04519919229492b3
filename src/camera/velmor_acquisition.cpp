// The camera object's acquisition: the common preparation, snapshots, prepared capture, live
// preview and triggered capture, the acquisition thread with its two loops, and the hand-off of
// each frame to the application. States and locks are described above the class.
#include "camera/velmor.h"

#include "pipeline/stages.h"

#include <mmsystem.h>

#include <cstring>

namespace {

constexpr int kTriggerOff = 0;
constexpr int kTriggerExternal = 1;
constexpr int kTriggerOption = 1;
constexpr uint32_t kTriggerWaitMs = 3000;  // a triggered frame is waited for this long
constexpr DWORD kClockSettleMs = 100;      // the sensor's clock needs this long after a change
constexpr DWORD kHoldPauseMs = 10;         // a trigger loop on hold, or after a failed read, polls this often
constexpr uint32_t kRateWindowMs = 1000;   // the frame rate is measured over windows just over this long
constexpr double kTenthsPerMs = 10000.0;   // frames per millisecond to tenths of a frame per second

// Output formats whose raw frame comes in two-byte samples (the 16-bit raw surface).
bool IsWideFormat(int format) { return format == 1 || format == 4 || format == 5; }

}  // namespace

// --- Frame geometry and surfaces ---

int CVelmor::FrameWidth() const { return region.width / SubSampleDivisor(stream.subSample); }
int CVelmor::FrameHeight() const { return region.height / SubSampleDivisor(stream.subSample); }

FrameSurface* CVelmor::RawSurface() const
{
    return IsWideFormat(preparedFormat) ? mono16Surface.get() : mono8Surface.get();
}

FrameSurface* CVelmor::OutputSurfaceOf(int format) const
{
    switch (format) {
    case 0: return mono8Surface.get();
    case 1: return mono16Surface.get();
    case 2: return bgr24Surface.get();
    case 3: return bgrx32Surface.get();
    case 4: return bgr48Surface.get();
    case 5: return bgra64Surface.get();
    default: return nullptr;
    }
}

bool CVelmor::CreateFrameSurfaces(int w, int h)
{
    const int format = stream.outputFormat;
    const struct {
        bool wanted;
        FrameSurface* surface;
        uint16_t bits;
    } plan[] = {
        {format >= 0 && format <= 3, mono8Surface.get(), 8},  // Create gives 8-bit surfaces the gray palette
        {IsWideFormat(format), mono16Surface.get(), 16},
        {format == 0 || (format >= 2 && format <= 5), bgr24Surface.get(), 24},
        {format == 3, bgrx32Surface.get(), 32},
        {format == 4, bgr48Surface.get(), 48},
        {format == 5, bgra64Surface.get(), 64},
    };
    for (const auto& step : plan) {
        if (step.wanted && !step.surface->Create(w, h, step.bits))
            return false;
    }
    const FrameSurface* output = OutputSurfaceOf(format);
    return output && !output->empty() && workSurface->CreateLike(output);
}

// --- Preparation ---

bool CVelmor::DeviceAnswers()
{
    // The scan at start-up may be old news: a camera unplugged since then no longer opens.
    DriverHandle handle = device->OpenDevice(device->devicePath);
    if (!handle)
        return false;
    device->CloseDevice(handle);
    return true;
}

int CVelmor::Prepare()
{
    const int n = device->GetDeviceNumber();
    if (!device->IsDevicePresent(n) || sharedMapping.IsDeviceClaimed(n) || !DeviceAnswers()) {
        Raise(kErrorDeviceBusy);
        return 0;
    }
    if (!CaptureRegionValid()) {
        Raise(kErrorCaptureWindow);
        return 0;
    }
    {
        Guard frame(frameLock);
        if (!CreateFrameSurfaces(FrameWidth(), FrameHeight())) {
            Raise(kErrorMemory);
            return 0;
        }
        preparedFormat = stream.outputFormat;
        preparedSubSample = stream.subSample;
    }
    device->SetSampleWidth(IsWideFormat(preparedFormat) ? 1 : 0);
    uint8_t clock = 0;
    if (!device->GetHalfClock(&clock))
        clock = 0;
    if (clock != stream.clock) {
        device->SetHalfClock(stream.clock);
        Sleep(kClockSettleMs);
    }
    device->SetSensorWindow(region.left, region.top, region.width, region.height, stream.subSample);
    device->SetMirrorV(analog.mirrorV);
    device->SetMirrorH(analog.mirrorH);
    device->SetTrigger(kTriggerOff, kTriggerOption);
    ApplyGainsAndExposure();
    UpdateRealExposure();

    int clientWidth = 0, clientHeight = 0;
    Guard frame(frameLock);
    if (PreviewClientSize(clientWidth, clientHeight))
        CreateDisplaySurface(clientWidth, clientHeight);
    return 1;
}

// --- Capture and snapshots ---

int CVelmor::Capture()
{
    if (!HasDevice())
        return 0;
    Guard acquisition(acquisitionLock);
    Guard guard(deviceLock);
    if (acqState == kAcqCapture)
        return 1;
    if (acqState != kAcqIdle || !Prepare()) {
        Raise(kErrorState);
        return 0;
    }
    acqState = kAcqCapture;
    return 1;
}

int CVelmor::SnapShot(BYTE* buffer, int size, int topDown)
{
    if (!HasDevice())
        return 0;
    Guard acquisition(acquisitionLock);
    Guard guard(deviceLock);
    if (acqState == kAcqPreview || acqState == kAcqTrigger || (acqState == kAcqIdle && !Prepare())) {
        Raise(kErrorState);
        return 0;
    }
    const int failure = SnapShotFrame(buffer, size, topDown);
    if (acqState != kAcqCapture)
        device->CloseSnapshot();
    if (failure != kErrorNone) {
        Raise(failure);
        return 0;
    }
    return 1;
}

int CVelmor::SnapShotFrame(BYTE* buffer, int size, int topDown)
{
    Guard frame(frameLock);
    if (device->SnapFrame() != kStatusOk)
        return kErrorTransfer;
    FrameSurface* raw = RawSurface();
    if (!RawFits(*raw) || device->GetSnapFrame(raw->pixels) != kStatusOk) {
        PostFrameFailure(callbackWindow, kErrorTransfer);
        return kErrorTransfer;
    }
    RestrideRaw(*raw);
    ProcessFrame();
    hasImage = 1;
    if (buffer && size != 0 && !CopyToUser(*OutputSurfaceOf(preparedFormat), buffer, size, topDown))
        return kErrorMemory;
    return kErrorNone;
}

bool CVelmor::RawFits(const FrameSurface& raw) const
{
    // A capture window set since the start reprograms the device but not the surfaces.
    const int sampleBits = device->sampleWidth16 ? 16 : 8;
    return raw.pixels && raw.bitCount == sampleBits && device->width == raw.width && device->height == raw.height;
}

void CVelmor::RestrideRaw(FrameSurface& raw)
{
    const int bytes = raw.bytesPerPixel();
    if (raw.width * bytes == raw.stride)
        return;
    const PixelRect whole{0, 0, raw.width, raw.height};
    const auto stage = bytes == 2 ? RestrideRows16 : RestrideRows8;
    stage(raw.pixels, raw.pixels, &whole, 0, 0, static_cast<uint16_t>(bytes), static_cast<uint16_t>(bytes),
          raw.stride, raw.stride, nullptr, nullptr);
}

// --- Preview and trigger starts ---

int CVelmor::StartPreview()
{
    Guard acquisition(acquisitionLock);
    return StartPreviewLocked();
}

int CVelmor::StartPreviewLocked()
{
    if (!HasDevice())
        return 0;
    {
        Guard guard(deviceLock);
        if (acqState == kAcqPreview)
            return 1;
        if (acqState != kAcqIdle || !Prepare()) {
            Raise(kErrorState);
            return 0;
        }
    }
    // A rate window that began before this start would count the idle time as frame time.
    frameCount = 0;
    fpsTenths = 0;
    fpsWindowStart = timeGetTime();
    running = kRunGo;
    if (!StartAcquisitionThread()) {
        StopAcquisition();
        Raise(kErrorThread);
        return 0;
    }
    int started = kStatusOk;
    {
        Guard guard(deviceLock);
        device->SetTrigger(kTriggerOff, kTriggerOption);
        started = device->StartTransfer();
        if (started == kStatusOk) {
            acqState = kAcqPreview;
            sharedMapping.ClaimDevice(notifyWindow, device->GetDeviceNumber());
        }
    }
    if (started != kStatusOk) {
        StopAcquisition();
        Raise(kErrorRegister);
        return 0;
    }
    return 1;
}

int CVelmor::Preview()
{
    Guard acquisition(acquisitionLock);
    return ShowAndStart(nullptr, nullptr, 0, 0);
}

int CVelmor::CallBackPreview(HWND window, BYTE* buffer, int size, int topDown)
{
    Guard acquisition(acquisitionLock);
    return ShowAndStart(window, buffer, size, topDown);
}

int CVelmor::ShowAndStart(HWND window, BYTE* buffer, int size, int topDown)
{
    if (!SetFrameTarget(window, buffer, size, topDown))
        return 0;
    if (!StartPreviewLocked()) {
        CloseLocked();
        Raise(kErrorTransfer);
        return 0;
    }
    return 1;
}

int CVelmor::Trigger(HWND window, BYTE* buffer, int size, int topDown)
{
    if (!HasDevice())
        return 0;
    Guard acquisition(acquisitionLock);
    {
        // Triggering again while triggering would start a second thread: refused like any other state.
        Guard guard(deviceLock);
        if (acqState != kAcqIdle) {
            Raise(kErrorState);
            return 0;
        }
    }
    if (!SetFrameTarget(window, buffer, size, topDown))
        return 0;
    bool prepared = false;
    {
        Guard guard(deviceLock);
        prepared = Prepare() != 0;
        if (prepared) {
            acqState = kAcqTrigger;
            triggerTimeout = kTriggerWaitMs;
            device->SetDriverWait(kTriggerWaitMs);
            device->SetTrigger(kTriggerExternal, kTriggerOption);
            skipTriggerFrame = 1;
        }
    }
    if (!prepared) {
        CloseLocked();
        Raise(kErrorState);
        return 0;
    }
    running = kRunGo;
    if (!StartAcquisitionThread()) {
        CloseLocked();
        Raise(kErrorThread);
        return 0;
    }
    return 1;
}

bool CVelmor::SetFrameTarget(HWND window, BYTE* buffer, int size, int topDown, bool showWindow)
{
    {
        Guard frame(frameLock);
        callbackWindow = window;
        userBuffer = buffer;
        userBufferSize = size;
        userTopDown = topDown;
    }
    if (showWindow && WantsPreviewWindow() && !OpenPreviewWindow()) {
        Raise(kErrorWindow);
        return false;
    }
    return true;
}

// --- Stop ---

int CVelmor::StopPreview()
{
    if (!HasDevice())
        return 0;
    Guard acquisition(acquisitionLock);
    StopAcquisition();
    return 1;
}

void CVelmor::StopAcquisition()
{
    // The threads end first: the preview loop may be waiting for the ring, which must outlive it.
    running = kRunStop;
    recording = 0;
    if (acqWakeEvent)
        SetEvent(acqWakeEvent);
    JoinThread(acqThread, acqThreadId, acqDoneEvent);
    if (acqWakeEvent) {
        CloseHandle(acqWakeEvent);
        acqWakeEvent = nullptr;
    }
    JoinThread(recordThread, recordThreadId, recordDoneEvent);

    Guard guard(deviceLock);
    if (acqState != kAcqIdle) {
        acqState = kAcqIdle;
        device->SetTrigger(kTriggerOff, kTriggerOption);
        device->StopTransfer();
        sharedMapping.ReleaseDevice(notifyWindow, deviceNumber);
    }
}

void CVelmor::JoinThread(HANDLE& thread, DWORD& threadId, HANDLE& doneEvent)
{
    // The thread sets its completion event as its last act; a thread never created sets nothing.
    if (thread) {
        if (doneEvent)
            WaitForSingleObject(doneEvent, INFINITE);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    if (doneEvent)
        CloseHandle(doneEvent);
    thread = nullptr;
    threadId = 0;
    doneEvent = nullptr;
}

// --- The acquisition thread ---

bool CVelmor::StartAcquisitionThread()
{
    acqDoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    acqWakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (acqDoneEvent && acqWakeEvent)
        acqThread = CreateThread(nullptr, 0, AcquisitionThreadMain, this, 0, &acqThreadId);
    return acqDoneEvent && acqWakeEvent && acqThread && acqThreadId;
}

DWORD WINAPI CVelmor::AcquisitionThreadMain(void* self)
{
    CVelmor& camera = *static_cast<CVelmor*>(self);
    try {
        int32_t state = kAcqIdle;
        {
            Guard guard(camera.deviceLock);
            state = camera.acqState;
        }
        if (state == kAcqTrigger)
            camera.TriggerLoop();
        else
            camera.PreviewLoop();
    } catch (...) {
        camera.running = kRunStop;
    }
    SetEvent(camera.acqDoneEvent);
    return 0;
}

void CVelmor::Pause(DWORD ms) const { WaitForSingleObject(acqWakeEvent, ms); }

void CVelmor::PreviewLoop()
{
    while (running != kRunStop) {
        Pause(static_cast<DWORD>(stream.waitTime));
        if (running == kRunGo)
            PreviewTurn();
    }
}

void CVelmor::PreviewTurn()
{
    // The wait for the ring takes no lock: it can last up to the device's frame wait.
    const int wait = device->WaitFrame();
    if (wait == kWaitFailed || (wait == kWaitIdle && TransferEnded())) {
        LoseCamera();
        return;
    }
    if (wait != kWaitReady)
        return;
    HWND target = nullptr;
    {
        Guard guard(deviceLock);
        if (running != kRunGo)
            return;
        Guard frame(frameLock);
        FrameSurface* raw = RawSurface();
        if (!RawFits(*raw) || device->GetFrame(raw->pixels) != kStatusOk) {
            Raise(kErrorTransfer);
            PostFrameFailure(callbackWindow, kErrorTransfer);
            return;
        }
        const uint32_t taken = timeGetTime();
        MeasureFrameRate(taken);
        if (!DeliverFrame(*raw, fpsTenths, taken))
            return;
        target = callbackWindow;
    }
    PostFrame(target);
}

bool CVelmor::TransferEnded()
{
    // A run whose transfer thread ended on its own (it could not open the camera) delivers no
    // more frames and reports no failure either.
    Guard guard(deviceLock);
    return running == kRunGo && acqState == kAcqPreview && !device->TransferRunning();
}

void CVelmor::LoseCamera()
{
    running = kRunStop;
    // Queued before it is posted: an application that reads the queue on the message finds it.
    Raise(kErrorNoFrame);
    Guard frame(frameLock);
    PostFrameFailure(callbackWindow, kErrorNoFrame);
}

void CVelmor::TriggerLoop()
{
    while (running != kRunStop) {
        if (running != kRunGo)
            Pause(kHoldPauseMs);
        else
            TriggerTurn();
    }
}

void CVelmor::TriggerTurn()
{
    HWND target = nullptr;
    {
        Guard guard(deviceLock);
        const int read = device->SnapFrame();  // waits for the trigger, up to the driver wait
        if (running == kRunStop)
            return;
        if (read == kStatusOk && skipTriggerFrame) {
            skipTriggerFrame = 0;  // the first frame after the start is discarded
            return;
        }
        if (read == kStatusOk) {
            Guard frame(frameLock);
            FrameSurface* raw = RawSurface();
            if (!RawFits(*raw) || device->GetSnapFrame(raw->pixels) != kStatusOk ||
                !DeliverFrame(*raw, 0, timeGetTime()))
                return;
            target = callbackWindow;
        }
    }
    if (target)
        PostFrame(target);
    else
        Pause(kHoldPauseMs);  // a camera that is gone fails at once: do not spin
}

bool CVelmor::DeliverFrame(FrameSurface& raw, int32_t rate, uint32_t takenMs)
{
    RestrideRaw(raw);
    frameTakenMs = takenMs;
    frameInfo.size = sizeof(frameInfo);
    frameInfo.width = raw.width;
    frameInfo.height = raw.height;
    frameInfo.bitsPerPixel = OutputFormatBits(preparedFormat);
    frameInfo.fpsTenths = rate;
    frameInfo.buffer = userBuffer;
    ProcessFrame();
    frameForRecorder = 1;
    hasImage = 1;
    Paint();
    return !userBuffer || userBufferSize == 0 ||
           CopyToUser(*OutputSurfaceOf(preparedFormat), userBuffer, userBufferSize, userTopDown);
}

void CVelmor::PostFrame(HWND target)
{
    if (target)
        PostMessageA(target, kMessageFrame, reinterpret_cast<WPARAM>(&frameInfo), 0);
}

void CVelmor::MeasureFrameRate(uint32_t now)
{
    ++frameCount;
    const uint32_t elapsed = now - fpsWindowStart;
    if (elapsed > kRateWindowMs) {
        fpsTenths = static_cast<int32_t>(frameCount * kTenthsPerMs / elapsed);
        frameCount = 0;
        fpsWindowStart = now;
    }
}

// --- Frames to the application ---

int CVelmor::CopyToUser(const FrameSurface& source, BYTE* buffer, int size, int topDown)
{
    if (size < source.byteCount()) {
        Raise(kErrorMemory);
        PostFrameFailure(callbackWindow, kErrorMemory);
        return 0;
    }
    const size_t stride = static_cast<size_t>(source.stride);
    if (topDown) {
        std::memcpy(buffer, source.pixels, stride * source.height);
        return 1;
    }
    for (int32_t row = 0; row < source.height; ++row)
        std::memcpy(buffer + stride * row, source.pixels + stride * (source.height - 1 - row), stride);
    return 1;
}

int CVelmor::GetImage(BYTE* buffer, int size, int topDown)
{
    if (!HasDevice())
        return 0;
    Guard frame(frameLock);
    const FrameSurface* output = OutputSurfaceOf(stream.outputFormat);
    if (!output) {
        Raise(kErrorState);
        return 0;
    }
    // A failed copy raises the memory error once more, as a snapshot's does.
    if (!output->empty() && buffer && CopyToUser(*output, buffer, size, topDown))
        return 1;
    Raise(kErrorMemory);
    return 0;
}
