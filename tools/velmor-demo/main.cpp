// velmor-demo: a first run of the camera through the SDK's exports only, as an application does it.
// It reports the camera, takes a snapshot in every output format and saves it in every file type,
// runs a live preview to a window of its own for a few seconds, records a few seconds of it into
// an AVI file, sums up the timings, and exits 1 when any step failed (2 for a bad command line).
//   velmor-demo [OPTIONS] [FOLDER]   (velmor-demo --help tells the options)
#include "report.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kDefaultFolder = "velmor-demo-output";
constexpr int kMaxDevices = 32;
constexpr int kDeviceEntryBytes = 256;
constexpr int kTopDown = 1;
constexpr DWORD kMaxDurationMs = 600000;
constexpr const char* kWindowClass = "VelmorDemoFrames";

// Output formats: the bit count Velmor_SetColorMode takes and the code Velmor_GetColorMode reports.
struct OutputFormat {
    int bits;
    int reportedCode;
    const char* text;
};
const OutputFormat kFormats[] = {
    {8, 8, "8-bit monochrome"},
    {16, 10, "16-bit monochrome (10 significant bits)"},
    {24, 24, "24-bit colour"},
    {32, 32, "32-bit colour"},
    {48, 42, "48-bit colour (10 significant bits)"},
    {64, 58, "64-bit colour (10 significant bits)"},
};

const OutputFormat* FormatOfBits(int bits)
{
    for (const OutputFormat& format : kFormats)
        if (format.bits == bits)
            return &format;
    return nullptr;
}

struct FileType {
    int code;
    const char* suffix;  // after "snapshot-NNbit"
};
const FileType kFileTypes[] = {
    {VELMOR_SAVE_BMP, ".bmp"},       {VELMOR_SAVE_RAW, ".raw"},      {VELMOR_SAVE_JPEG_100, "-q100.jpg"},
    {VELMOR_SAVE_JPEG_70, "-q70.jpg"}, {VELMOR_SAVE_JPEG_20, "-q20.jpg"}, {VELMOR_SAVE_PNG, ".png"},
    {VELMOR_SAVE_TIFF, ".tif"},
};

struct SubSampling {
    int code;
    int divisor;
    const char* text;
};
const SubSampling kSubSamplings[] = {
    {VELMOR_SUBSAMPLE_NONE, 1, "full resolution"}, {VELMOR_SUBSAMPLE_SKIP_2, 2, "1/2 by skipping"},
    {VELMOR_SUBSAMPLE_SKIP_4, 4, "1/4 by skipping"}, {VELMOR_SUBSAMPLE_BIN_2, 2, "1/2 by binning"},
    {VELMOR_SUBSAMPLE_BIN_4, 4, "1/4 by binning"},
};

// The command line: what the run uses where the camera's own settings do not decide.
struct DemoOptions {
    int device = -1;          // -1: the device the camera object chose
    int bits = 24;            // the output format of the preview and the recording
    DWORD previewMs = 3000;
    DWORD recordMs = 3000;
    const char* folder = kDefaultFolder;
};

const char kUsage[] =
    "usage: velmor-demo [--device N] [--format BITS] [--preview-ms MS] [--record-ms MS] [FOLDER]\n"
    "  Takes the camera through its main job and reports each step: the cameras found, a snapshot\n"
    "  in every output format saved in every file type, a live preview, a recording, the timings.\n"
    "  --device N       device number 0..31 to use (default: the first camera found)\n"
    "  --format BITS    output format of the preview and the recording: 8, 16, 24, 32, 48 or 64\n"
    "                   bits per pixel (default 24); the snapshots go through all six\n"
    "  --preview-ms MS  length of the live preview in milliseconds (default 3000)\n"
    "  --record-ms MS   length of the recording in milliseconds (default 3000)\n"
    "  FOLDER           where the files go (default velmor-demo-output)\n"
    "  Without a camera, set VELMOR_EMULATION (for example devices=0) to use the emulated one.\n";

bool ParseNumber(const char* text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= low && value <= high;
}

// False for a command line that cannot be followed; `help` when the usage was asked for.
bool ParseOptions(int argc, char** argv, DemoOptions& options, bool& help)
{
    help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        long value = 0;
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg.rfind("--", 0) != 0) {
            options.folder = argv[i];
        } else if (i + 1 >= argc) {
            return false;
        } else if (arg == "--device" && ParseNumber(argv[i + 1], 0, kMaxDevices - 1, value)) {
            options.device = static_cast<int>(value);
            ++i;
        } else if (arg == "--format" && ParseNumber(argv[i + 1], 8, 64, value) && FormatOfBits(int(value))) {
            options.bits = static_cast<int>(value);
            ++i;
        } else if (arg == "--preview-ms" && ParseNumber(argv[i + 1], 1, kMaxDurationMs, value)) {
            options.previewMs = static_cast<DWORD>(value);
            ++i;
        } else if (arg == "--record-ms" && ParseNumber(argv[i + 1], 1, kMaxDurationMs, value)) {
            options.recordMs = static_cast<DWORD>(value);
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

const OutputFormat* FormatReportedAs(int code)
{
    for (const OutputFormat& format : kFormats) {
        if (format.reportedCode == code)
            return &format;
    }
    return nullptr;
}

const SubSampling* SubSamplingOf(int code)
{
    for (const SubSampling& sampling : kSubSamplings) {
        if (sampling.code == code)
            return &sampling;
    }
    return nullptr;
}

// The frame the camera delivers with its current capture window and sub-sampling.
struct FrameSize {
    int width;
    int height;
};

FrameSize CurrentFrameSize(int camera)
{
    const SubSampling* sampling = SubSamplingOf(Velmor_GetSubSample(camera));
    const int divisor = sampling ? sampling->divisor : 1;
    return {Velmor_Width(camera) / divisor, Velmor_Height(camera) / divisor};
}

const char* SubSamplingText(int camera)
{
    const SubSampling* sampling = SubSamplingOf(Velmor_GetSubSample(camera));
    return sampling ? sampling->text : "unknown sub-sampling";
}

// --- Step 1: the camera ---

int PrintDevices(DemoRun& run)
{
    static char entries[kMaxDevices][kDeviceEntryBytes];
    const int count = Velmor_EnumDevice(run.camera, entries[0]);
    std::printf("Cameras found: %d\n", count);
    for (int i = 0; i < count; ++i)
        std::printf("  %s\n", entries[i]);
    if (count == 0)
        ReportFailure(run, "no camera answers; snapshots and preview are skipped");
    return count;
}

void PrintCameraInfo(DemoRun& run)
{
    VELMOR_CAMERA_INFO info = {};
    info.size = sizeof(info);
    if (Velmor_GetCameraInfo(run.camera, &info))
        std::printf("Sensor: %d x %d; global gain %d..%d; colour gains %d..%d; exposure %d..%d lines\n",
                    info.maxWidth, info.maxHeight, info.globalGainMin, info.globalGainMax, info.colorGainMin,
                    info.colorGainMax, info.exposureMin, info.exposureMax);
    else
        ReportFailure(run, "Velmor_GetCameraInfo");

    int hTotal = 0, left = 0, width = 0, vTotal = 0, top = 0, height = 0;
    if (Velmor_GetCaptureWindowEx(run.camera, &hTotal, &left, &width, &vTotal, &top, &height))
        std::printf("Capture window: %d x %d at (%d, %d); %s\n", width, height, left, top, SubSamplingText(run.camera));
    else
        ReportFailure(run, "Velmor_GetCaptureWindowEx");

    const OutputFormat* format = FormatReportedAs(Velmor_GetColorMode(run.camera));
    int linesOk = 0, timeOk = 0, gainOk = 0;
    const int lines = Velmor_GetExposureTime(run.camera, &linesOk);
    const int microseconds = Velmor_GetRealExposureTime(run.camera, &timeOk);
    const int gain = Velmor_GetGlobalGain(run.camera, &gainOk);
    if (format && linesOk && timeOk && gainOk)
        std::printf("Output format: %s; exposure %d lines (%d us); global gain %d\n", format->text, lines,
                    microseconds, gain);
    else
        ReportFailure(run, "the output format, exposure or gain cannot be read");
}

// --- Step 2: snapshots and files ---

bool MakeFolder(DemoRun& run, const char* folder)
{
    if (CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    ReportFailure(run, "cannot create the folder %s (Windows error %lu); snapshots are skipped", folder,
                  GetLastError());
    return false;
}

bool FileSize(const char* path, unsigned long long& bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

void SaveInEveryType(DemoRun& run, const char* folder, const OutputFormat& format)
{
    for (const FileType& type : kFileTypes) {
        char name[MAX_PATH], path[MAX_PATH];
        std::snprintf(name, sizeof(name), "snapshot-%dbit%s", format.bits, type.suffix);
        std::snprintf(path, sizeof(path), "%s\\%s", folder, name);
        const Stopwatch watch;
        const int saved = Velmor_SaveImage(run.camera, path, type.code);
        const double ms = watch.ElapsedMs();
        unsigned long long bytes = 0;
        if (!saved)
            ReportFailure(run, "Velmor_SaveImage(%s, type %d)", name, type.code);
        else if (!FileSize(path, bytes))
            ReportFailure(run, "%s was saved but cannot be found (Windows error %lu)", name, GetLastError());
        else {
            std::printf("    %-26s %10llu bytes %8.1f ms\n", name, bytes, ms);
            ++run.filesSaved;
            run.saveMs += ms;
        }
    }
}

void SnapshotEveryFormat(DemoRun& run, const char* folder)
{
    for (const OutputFormat& format : kFormats) {
        if (!Velmor_SetColorMode(run.camera, format.bits)) {
            ReportFailure(run, "Velmor_SetColorMode(%d)", format.bits);
            continue;
        }
        // No buffer: the frame stays in the SDK, which is all that saving needs.
        const Stopwatch watch;
        if (!Velmor_SnapShot(run.camera, nullptr, 0, kTopDown)) {
            ReportFailure(run, "Velmor_SnapShot in %s; its files are skipped", format.text);
            continue;
        }
        const double ms = watch.ElapsedMs();
        std::printf("  %s: snapshot in %.1f ms\n", format.text, ms);
        ++run.snapshots;
        run.snapshotMs += ms;
        SaveInEveryType(run, folder, format);
    }
}

// The full frame at the camera's own settings: all 42 files take a few seconds even under Wine.
void TakeSnapshots(DemoRun& run, const char* folder)
{
    if (!MakeFolder(run, folder))
        return;
    char fullPath[MAX_PATH];
    if (!GetFullPathNameA(folder, sizeof(fullPath), fullPath, nullptr))
        std::snprintf(fullPath, sizeof(fullPath), "%s", folder);
    const FrameSize size = CurrentFrameSize(run.camera);
    std::printf("Snapshots at %d x %d (%s), saved to %s:\n", size.width, size.height, SubSamplingText(run.camera),
                fullPath);
    SnapshotEveryFormat(run, folder);
}

// --- Step 3: live preview to a callback window ---

struct PreviewTally {
    int frames = 0;
    int failures = 0;
    VELMOR_FRAME_INFO last = {};
    std::vector<DWORD> latenciesMs;  // from posting (MSG.time) to handling
};

void CountFrameMessage(PreviewTally& tally, const MSG& msg)
{
    tally.latenciesMs.push_back(GetTickCount() - msg.time);
    const auto* info = reinterpret_cast<const VELMOR_FRAME_INFO*>(msg.wParam);
    if (!info) {
        ++tally.failures;
        std::printf("  frame failure, error %d: %s\n", static_cast<int>(msg.lParam),
                    ErrorText(static_cast<int>(msg.lParam)));
        return;
    }
    ++tally.frames;
    tally.last = *info;  // the record is rewritten for every frame
}

// Frame messages are counted here, where MSG.time is at hand; the rest go to their windows.
void HandleQueuedMessages(HWND window, PreviewTally& tally)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == window && msg.message == VELMOR_WM_FRAME) {
            CountFrameMessage(tally, msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void PumpMessages(HWND window, DWORD durationMs, PreviewTally& tally)
{
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < durationMs; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, durationMs - elapsed, QS_ALLINPUT);
        HandleQueuedMessages(window, tally);
    }
}

HWND CreateFrameWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass))
        return nullptr;
    // Message-only: it receives the frames and never shows, so the demo runs headless.
    return CreateWindowExA(0, kWindowClass, "velmor-demo frames", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

void DestroyFrameWindow(HWND window)
{
    if (window)
        DestroyWindow(window);
    UnregisterClassA(kWindowClass, GetModuleHandleA(nullptr));
}

bool AllZero(const std::vector<BYTE>& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](BYTE b) { return b == 0; });
}

void PrintLatency(std::vector<DWORD> latencies)
{
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    std::printf("  latency from posting to handling: median %lu ms, maximum %lu ms\n",
                latencies[latencies.size() / 2], latencies.back());
}

// What arrived must be the frames asked for: their size, format and the application's buffer.
void CheckPreview(DemoRun& run, const DemoOptions& options, const PreviewTally& tally, FrameSize size,
                  const std::vector<BYTE>& buffer)
{
    const VELMOR_FRAME_INFO& info = tally.last;
    std::printf("  frames received: %d in %.1f s (%.1f per second counted here)\n", tally.frames,
                options.previewMs / 1000.0, tally.frames * 1000.0 / options.previewMs);
    run.previewFrames = tally.frames;
    run.previewFpsTenths = info.fpsTenths;
    if (tally.frames == 0) {
        ReportFailure(run, "no frame arrived in %lu ms", options.previewMs);
        return;
    }
    std::printf("  frame rate from the frame information: %.1f frames per second\n", info.fpsTenths / 10.0);
    PrintLatency(tally.latenciesMs);
    std::printf("  frame size: %d x %d, %d bits per pixel, %zu-byte buffer\n", info.width, info.height,
                info.bitsPerPixel, buffer.size());
    if (info.width != size.width || info.height != size.height || info.bitsPerPixel != options.bits)
        ReportFailure(run, "the frames are not the %d x %d %d-bit frames asked for", size.width, size.height,
                      options.bits);
    if (info.buffer != buffer.data() || AllZero(buffer))
        ReportFailure(run, "the frames did not reach the application's buffer");
    if (tally.failures != 0)
        ReportFailure(run, "%d frame failures during the preview", tally.failures);
}

void RunLivePreview(DemoRun& run, const DemoOptions& options)
{
    const FrameSize size = CurrentFrameSize(run.camera);
    std::printf("Live preview for %.1f s to a callback window (%d x %d, %s, %s):\n", options.previewMs / 1000.0,
                size.width, size.height, SubSamplingText(run.camera), FormatOfBits(options.bits)->text);
    HWND window = CreateFrameWindow();
    if (!window) {
        ReportFailure(run, "cannot create the frame window (Windows error %lu)", GetLastError());
        DestroyFrameWindow(window);
        return;
    }
    std::vector<BYTE> buffer(static_cast<size_t>(PaddedRowBytes(size.width, options.bits / 8)) * size.height);
    PreviewTally tally;
    // A preview window of zero size at no parent: the SDK opens no window of its own.
    if (!Velmor_SetPreviewWindow(run.camera, nullptr, 0, 0, 0, 0))
        ReportFailure(run, "Velmor_SetPreviewWindow");
    else if (!Velmor_SetColorMode(run.camera, options.bits))
        ReportFailure(run, "Velmor_SetColorMode(%d)", options.bits);
    else if (!Velmor_CallBackPreview(run.camera, window, buffer.data(), static_cast<int>(buffer.size()), kTopDown))
        ReportFailure(run, "Velmor_CallBackPreview");
    else {
        PumpMessages(window, options.previewMs, tally);
        if (!Velmor_StopPreview(run.camera))
            ReportFailure(run, "Velmor_StopPreview");
        HandleQueuedMessages(window, tally);  // frames posted before the stop
        CheckPreview(run, options, tally, size, buffer);
    }
    DestroyFrameWindow(window);
}

// --- Step 4: a recording ---

constexpr DWORD kRecordEndWaitMs = 30000;  // past the duration, for the last frame and the file's index

// The fields of a finished AVI file's headers that the report shows.
struct AviHeaders {
    unsigned frames = 0;
    unsigned scale = 0;  // the stream's rate is 10,000,000 per scale frames per second
    unsigned microSecPerFrame = 0;
};

bool ReadAviHeaders(const char* path, AviHeaders& headers)
{
    constexpr long kMicroSecPerFrame = 32, kTotalFrames = 48, kStreamScale = 128;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    unsigned char head[232] = {};
    const bool read = std::fread(head, 1, sizeof head, file) == sizeof head && std::memcmp(head, "RIFF", 4) == 0;
    std::fclose(file);
    std::memcpy(&headers.microSecPerFrame, head + kMicroSecPerFrame, 4);
    std::memcpy(&headers.frames, head + kTotalFrames, 4);
    std::memcpy(&headers.scale, head + kStreamScale, 4);
    return read && headers.scale != 0;
}

// The SDK holds the file unshared until the recording has written its index.
bool WaitForFinishedFile(const char* path, DWORD ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
    }
    return false;
}

void RecordVideo(DemoRun& run, const DemoOptions& options)
{
    char name[MAX_PATH], path[MAX_PATH];
    std::snprintf(name, sizeof name, "recording-%dbit.avi", options.bits);
    std::snprintf(path, sizeof path, "%s\\%s", options.folder, name);
    std::printf("Recording %.1f s of live preview (%s) to %s:\n", options.recordMs / 1000.0,
                FormatOfBits(options.bits)->text, path);
    if (!Velmor_SetColorMode(run.camera, options.bits)) {
        ReportFailure(run, "Velmor_SetColorMode(%d)", options.bits);
        return;
    }
    const Stopwatch watch;
    const int started = Velmor_Record(run.camera, path, static_cast<int>(options.recordMs), 0);
    if (!started) {
        ReportFailure(run, "Velmor_Record");
        return;
    }
    const bool finished = WaitForFinishedFile(path, options.recordMs + kRecordEndWaitMs);
    run.recordMs = watch.ElapsedMs();
    if (!Velmor_StopPreview(run.camera))
        ReportFailure(run, "Velmor_StopPreview after the recording");
    AviHeaders headers;
    unsigned long long bytes = 0;
    if (!finished || !FileSize(path, bytes) || !ReadAviHeaders(path, headers)) {
        ReportFailure(run, "the recording did not end with a finished file");
        return;
    }
    std::printf("  file: %s, %llu bytes\n", name, bytes);
    run.recordedFrames = static_cast<int>(headers.frames);
    std::printf("  frames: %u\n", headers.frames);
    std::printf("  rate written: %.2f frames per second (%u us per frame)\n", 1e7 / headers.scale,
                headers.microSecPerFrame);
    if (headers.frames < 2)
        ReportFailure(run, "the recording holds %u frames", headers.frames);
}

// --- Step 5: the end ---

// The output format is stored with the camera's settings: leave it as found.
void RestoreColorMode(DemoRun& run, int colorModeCode)
{
    const OutputFormat* format = FormatReportedAs(colorModeCode);
    if (format && !Velmor_SetColorMode(run.camera, format->bits))
        ReportFailure(run, "Velmor_SetColorMode(%d) to restore the output format", format->bits);
}

// Every failure has been reported with its codes already: anything left here went unnoticed.
void PrintErrorQueue(DemoRun& run)
{
    std::printf("Error queue, newest first:\n");
    if (DrainErrors(run.camera, "  ") == 0)
        std::printf("  empty\n");
    else
        ++run.failedSteps;
}

void PrintSummary(const DemoRun& run, double totalMs)
{
    std::printf("Summary:\n");
    std::printf("  snapshots: %d in %.0f ms (%.1f ms each)\n", run.snapshots, run.snapshotMs,
                run.snapshots ? run.snapshotMs / run.snapshots : 0.0);
    std::printf("  files saved: %d in %.0f ms (%.1f ms each)\n", run.filesSaved, run.saveMs,
                run.filesSaved ? run.saveMs / run.filesSaved : 0.0);
    std::printf("  live preview: %d frames, %.1f frames per second by the camera\n", run.previewFrames,
                run.previewFpsTenths / 10.0);
    std::printf("  recording: %d frames, file finished after %.0f ms\n", run.recordedFrames, run.recordMs);
    std::printf("  whole run: %.1f s\n", totalMs / 1000.0);
}

}  // namespace

int main(int argc, char** argv)
{
    // Unbuffered, so that every line shows as its step ends, even when a later step hangs.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    DemoOptions options;
    bool help = false;
    if (!ParseOptions(argc, argv, options, help) || help) {
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const Stopwatch whole;

    const unsigned version = static_cast<unsigned>(Velmor_GetDllVersion());
    std::printf("VelmorSdk_520QK_ZRX version 0x%08X (%u)\n", version, version);
    DemoRun run;
    run.camera = Velmor_Initialize(nullptr);
    if (run.camera == 0) {
        std::printf("FAILED: no camera object could be created\n");
        return 1;
    }
    std::printf("Camera handle: %d\n", run.camera);

    if (options.device >= 0 && !Velmor_SetDeviceNumber(run.camera, options.device))
        ReportFailure(run, "Velmor_SetDeviceNumber(%d)", options.device);
    else if (PrintDevices(run) > 0) {
        const int colorMode = Velmor_GetColorMode(run.camera);
        PrintCameraInfo(run);
        TakeSnapshots(run, options.folder);
        RunLivePreview(run, options);
        RecordVideo(run, options);
        RestoreColorMode(run, colorMode);
    }
    PrintErrorQueue(run);
    if (!Velmor_Release(run.camera))
        ReportFailure(run, "Velmor_Release");
    else
        std::printf("Released the camera\n");
    PrintSummary(run, whole.ElapsedMs());
    if (run.failedSteps == 0)
        std::printf("Result: every step succeeded\n");
    else
        std::printf("Result: %d failure%s, each reported above\n", run.failedSteps, run.failedSteps == 1 ? "" : "s");
    return run.failedSteps == 0 ? 0 : 1;
}
