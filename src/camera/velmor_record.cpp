// Video recording on live preview: Record starts preview and the AVI file, and the recording
// thread appends each frame the preview loop has processed, turned into a bottom-up 24-bit frame,
// until the duration has run out. The frame is converted under frameLock into the thread's own
// surface and written after leaving it, so that a slow disk never holds up live preview.
#include "camera/velmor.h"

#include "imaging/converters.h"

#include <mmsystem.h>

namespace {

constexpr uint32_t kRecordOpeningRate = 30;        // frames per second written at Open
constexpr DWORD kRecordPollMs = 10;                // the thread looks for a new frame this often

}  // namespace

int CVelmor::Record(const char* path, int durationMs, int showWindow)
{
    if (!path || !*path || durationMs < 0) {
        Raise(kErrorArgument);
        return 0;
    }
    Guard acquisition(acquisitionLock);
    // One writer per camera: a second recording waits until the first has ended.
    if (recording) {
        Raise(kErrorState);
        return 0;
    }
    JoinThread(recordThread, recordThreadId, recordDoneEvent);  // a recording that ended by itself
    if (!SetFrameTarget(nullptr, nullptr, 0, 0, showWindow != 0))
        return 0;
    if (!StartPreviewLocked()) {
        CloseLocked();
        Raise(kErrorFile);
        return 0;
    }
    {
        Guard frame(frameLock);
        const FrameSurface* output = OutputSurfaceOf(preparedFormat);
        aviWriter.width = output->width;
        aviWriter.height = output->height;
        aviWriter.bitCount = static_cast<int16_t>(output->bitCount);
        aviWriter.rate = kRecordOpeningRate;
        aviWriter.frameCount = 0;
    }
    if (!aviWriter.Open(path)) {
        CloseLocked();
        Raise(kErrorFile);
        return 0;
    }
    // Set before the thread exists, so that its loop sees it from the start.
    recording = 1;
    recordStart = 0;
    recordEnd = static_cast<uint32_t>(durationMs);
    frameForRecorder = 0;
    recordDoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (recordDoneEvent)
        recordThread = CreateThread(nullptr, 0, RecordThreadMain, this, 0, &recordThreadId);
    if (!recordDoneEvent || !recordThread || !recordThreadId) {
        recording = 0;
        aviWriter.Reset();
        CloseLocked();
        Raise(kErrorThread);
        return 0;
    }
    return 1;
}

int CVelmor::RecordW(const wchar_t* path, int durationMs, int showWindow)
{
    char narrow[kPathBufferBytes];
    if (!NarrowPath(path, narrow)) {
        Raise(kErrorFile);
        return 0;
    }
    return Record(narrow, durationMs, showWindow);
}

DWORD WINAPI CVelmor::RecordThreadMain(void* self)
{
    CVelmor& camera = *static_cast<CVelmor*>(self);
    try {
        camera.RecordLoop();
    } catch (...) {
        // Nothing is thrown on purpose; whatever was ends the recording like any failure.
    }
    camera.recording = 0;
    // A recording stopped early, or cut short by a failure, is finalised with the frames written
    // so far: every file the camera leaves behind plays.
    camera.aviWriter.Reset();
    SetEvent(camera.recordDoneEvent);
    return 0;
}

void CVelmor::RecordLoop()
{
    RecordSurfaces surfaces;
    {
        Guard frame(frameLock);
        const FrameSurface* output = OutputSurfaceOf(preparedFormat);
        if (!surfaces.Create(output->width, output->height)) {
            recording = 0;
            Raise(kErrorMemory);
            return;
        }
    }
    // The loop also ends when the preview loop has lost the camera: no frame will come.
    while (recording && running != kRunStop) {
        Sleep(kRecordPollMs);
        if (!frameForRecorder.exchange(0))
            continue;
        // The frame's own time, taken when the preview loop fetched it: this thread may see the
        // frame late (its disk writes, a busy machine), which would stretch or shrink the duration
        // and skew the measured rate.
        uint32_t now = 0;
        const FrameSurface* converted = nullptr;
        {
            Guard frame(frameLock);
            now = frameTakenMs;
            converted = surfaces.Convert(*OutputSurfaceOf(preparedFormat));
        }
        if (recordStart == 0) {
            recordStart = now;
            recordEnd += now;
        }
        if (!converted || !aviWriter.WriteFrame(converted->pixels)) {
            recording = 0;
            Raise(kErrorFile);
            return;
        }
        ++aviWriter.frameCount;
        // A full file ends like a duration that has run out: readers of this form take no more
        // than 2 GiB.
        if (recordEnd < now || !aviWriter.RoomForFrame())
            FinishRecording(now);
    }
}

void CVelmor::FinishRecording(uint32_t now)
{
    aviWriter.rate = AviWriter::MeasuredRate(aviWriter.frameCount, now - recordStart);  // 0 keeps the opening rate
    aviWriter.Close();
    aviWriter.rate = 0;
    aviWriter.frameCount = 0;
    recording = 0;
    recordStart = recordEnd = 0;
}

bool CVelmor::RecordSurfaces::Create(int width, int height)
{
    return frame24.Create(width, height, 24) && spare24.Create(width, height, 24) && gray8.Create(width, height, 8);
}

const FrameSurface* CVelmor::RecordSurfaces::Convert(const FrameSurface& output)
{
    // The output's memory rows run top-down; the file's frames run bottom-up.
    switch (output.bitCount) {
    case 8:
        if (!spare24.Blit(output, nullptr, 0, 0))
            return nullptr;
        frame24.Transfer(Bgr24FromColorFlipped, spare24, nullptr, 0, 0, nullptr, nullptr);
        return &frame24;
    case 16:
        gray8.Transfer(Mono8FromMono10Flipped, output, nullptr, 0, 0, nullptr, nullptr);
        return frame24.Blit(gray8, nullptr, 0, 0) ? &frame24 : nullptr;
    case 24:
    case 32:
        frame24.Transfer(Bgr24FromColorFlipped, output, nullptr, 0, 0, nullptr, nullptr);
        return &frame24;
    case 48:
    case 64:
        spare24.Transfer(Bgr24FromColor10Flipped, output, nullptr, 0, 0, nullptr, nullptr);
        return &spare24;
    default:
        return nullptr;
    }
}
