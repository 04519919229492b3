// Acquisition through the SDK's exports against the emulated camera, as an application sees it,
// each beside a peer measured in the same process. The emulator reads VELMOR_EMULATION once, at
// the first Velmor_Initialize, so one process runs one timing: --timing=real or --timing=fast.
// Every preview and ring run takes a few warm-up frames before the measured ones.
//
// --timing=real (the sensor's own frame period):
//   IdleBaseline       the process's CPU time per second while it only waits for messages.
//   RingCpu            peer: the device layer's transfer ring alone at full frame and 48 MHz, one-
//                      and two-byte samples: frames per second and the transfer thread's CPU time
//                      per frame (it includes the emulator making the frame, which a camera does
//                      not cost). Wine counts thread and process times in 10 ms ticks.
//   PreviewCpu         a callback preview at full frame and 48 MHz into an application buffer, per
//                      output format: the process's CPU time (user + kernel) over a fixed number of
//                      frames, less the idle baseline for the same time, per frame received; the
//                      frame rate reached; the ratio to the ring's CPU time per frame.
//   RingTiming         peer: the ring alone with the window of NotificationTiming, the cadence
//                      figures below taken when each frame comes out of the ring.
//   NotificationTiming a callback preview of a 640 x 480 window, 24-bit, 48 MHz. There is no hook
//                      at a transfer's end, so what is measured is what the application can see:
//                      - posted_to_handled_ms: GetTickCount when a notification is handled less its
//                        MSG.time (the same millisecond tick, taken at posting). A single value is
//                        only good to a tick; the mean over the frames is not biased by it, as the
//                        instant of posting falls anywhere within a tick.
//                      - the frame-to-frame interval of the handling times (QueryPerformanceCounter):
//                        median and 95th percentile, and the period of the sensor's cadence found
//                        in them (see ReportCadence).
//                      - late_ms: how much later on that cadence a frame is handled than the run's
//                        earliest frames (the cadence's phase is unknown, so the delay common to
//                        all frames is not in it): median, 95th percentile, maximum, and the
//                        median's ratio to the ring's; unseen_frames, periods with no frame.
//                      - cpu_ms_per_frame as with PreviewCpu: the work between a transfer's end and
//                        the posting of its notification, which the common delay holds.
// --timing=fast (a frame as soon as one is asked for):
//   RingFps            peer: the ring alone at full frame, as the device benchmark runs it.
//   PreviewFps         a callback preview at full frame per output format: frames per second over a
//                      fixed number of notifications, and the ratio to the ring's rate with the same
//                      sample width.
//   WriteImage         peer: the still-image writer, linked into this program, on a copy of the
//                      frame the SDK holds (taken with Velmor_GetImage).
//   SaveImage          Velmor_SaveImage of that frame per save code, after one snapshot, and the
//                      ratio of its time to the writer's.
//   RecordFps          a full-frame 24-bit callback preview while it is recorded: the preview's
//                      frames per second and their ratio to PreviewFps/24 without a recording;
//                      frames recorded per second and the file's bytes per second from the start
//                      of the recording to its stop; CPU time per recorded frame of the recording
//                      thread (conversion and write) and of the whole process.
//
// Frames come from a raw source of noise (the emulator's cheapest source, and no easy case for
// the compressors). The SDK opens no window of its own; Velmor_SetWaitTime stays at its default.
// Settings start from a clean registry and are removed again at the end.
#include <VelmorSdk_520QK_ZRX.h>

#include "device/velmor_520qk.h"
#include "emulator/emulated_port.h"
#include "imaging/image_writer.h"
#include "message_window.h"
#include "win32_bench.h"

#include <benchmark/benchmark.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFullWidth = CVelmor520QKZRXSdk::kSensorColumns;
constexpr int kFullHeight = CVelmor520QKZRXSdk::kSensorRows;
constexpr int kClock48MHz = 2;         // clock selection of Velmor_SetHalfClock
constexpr DWORD kFrameWaitMs = 10000;  // generous: the machine is shared
constexpr int kCpuFrames = 36;         // about 3 s at the sensor's 12.1 frames per second
constexpr DWORD kIdleMs = 3000;        // the idle baseline runs as long
constexpr int kWarmUpFrames = 3;       // frames taken before the measured ones
constexpr int kTimingWidth = 640, kTimingHeight = 480, kTimingBits = 24;
constexpr int kTimingFrames = 150;
constexpr int kFpsFrames = 30;
constexpr double kRingMinSeconds = 2.0;
constexpr double kSaveMinSeconds = 1.0;
constexpr char kSettingsKey[] = "Software\\Korvane";
constexpr int kOutputBits[] = {8, 16, 24, 32, 48, 64};

bool gRealTiming = true;
std::string gRawPath;
int gCamera = 0;

// --- Clocks and figures ---

double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / ticksPerMs;
}

using bench::ProcessCpuMs;
using bench::ThreadCpuMs;

double Quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    const size_t k = std::min(values.size() - 1, size_t(q * double(values.size() - 1) + 0.5));
    std::nth_element(values.begin(), values.begin() + k, values.end());
    return values[k];
}

// Figures of the peers, so that a benchmark run after a peer can give its own figure as a ratio
// to the peer's median (0 when the peer did not run). Where Google Benchmark picks the iteration
// count, it first runs a benchmark with fewer iterations than the runs it reports, all of which
// have the same count: only the runs with the last count are the peer's figures.
std::map<std::string, std::vector<std::pair<benchmark::IterationCount, double>>> gPeerFigures;

void RecordPeer(const benchmark::State& state, const std::string& key, double value)
{
    gPeerFigures[key].emplace_back(state.iterations(), value);
}

double PeerMedian(const std::string& key)
{
    const auto found = gPeerFigures.find(key);
    if (found == gPeerFigures.end())
        return 0;
    std::vector<double> reported;
    for (const auto& [iterations, value] : found->second)
        if (iterations == found->second.back().first)
            reported.push_back(value);
    return Quantile(reported, 0.5);
}

void SetRatio(benchmark::State& state, const char* name, double value, double peer)
{
    if (peer > 0)
        state.counters[name] = value / peer;
}

// Output formats whose frames come as two-byte samples.
bool TwoByteSamples(int bits) { return bits == 16 || bits == 48 || bits == 64; }
std::string RingKey(const char* figure, bool twoBytes) { return std::string(figure) + (twoBytes ? "/2" : "/1"); }

// --- The emulated camera ---

// 2048 x 1536 samples of noise in the raw source's file format.
std::string WriteNoiseFile()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "velmor_acquisition_bench.raw";
    std::vector<uint16_t> samples(size_t(kFullWidth) * kFullHeight);
    std::mt19937 random(11);
    std::generate(samples.begin(), samples.end(), [&] { return uint16_t(random() & 0x3FF); });
    FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(samples.data(), sizeof(uint16_t), samples.size(), out) == samples.size();
    if (out)
        std::fclose(out);
    return written ? path : std::string();
}

std::string EmulationSettings()
{
    return std::string("devices=0;timing=") + (gRealTiming ? "real" : "fast") + ";source=raw:" + gRawPath;
}

std::string QueuedErrors()
{
    std::string codes;
    for (int code; (code = Velmor_GetLastError(gCamera)) != 0;) {
        codes += ' ';
        codes += std::to_string(code);
    }
    return codes.empty() ? std::string(" none") : codes;
}

void Fail(benchmark::State& state, const char* what)
{
    state.SkipWithError((std::string(what) + "; queued errors:" + QueuedErrors()).c_str());
}

bool Configure(int width, int height, int bits)
{
    return Velmor_SetCaptureWindowEx(gCamera, kFullWidth, 0, width, kFullHeight, 0, height) == 1 &&
           Velmor_SetSubSample(gCamera, VELMOR_SUBSAMPLE_NONE) == 1 && Velmor_SetColorMode(gCamera, bits) == 1 &&
           Velmor_SetHalfClock(gCamera, kClock48MHz) == 1;
}

// --- Frames to the application ---

// A message-only window on the benchmark's thread that receives the frame notifications.
class FrameSink {
public:
    HWND get() const { return window_.get(); }

    // The next frame notification, taken off the queue at once; false for a frame failure or
    // when none came in time.
    bool Next(MSG& msg)
    {
        const double start = NowMs();
        while (!PeekMessageA(&msg, window_.get(), VELMOR_WM_FRAME, VELMOR_WM_FRAME, PM_REMOVE)) {
            const double waited = NowMs() - start;
            if (waited > kFrameWaitMs)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(kFrameWaitMs - waited) + 1, QS_POSTMESSAGE);
        }
        return msg.wParam != 0;
    }

private:
    sdktest::MessageWindow window_{"VelmorBenchFrameSink"};
};

// A callback preview into an application buffer, past its warm-up frames; stopped when it goes
// out of scope.
class CallbackPreview {
public:
    CallbackPreview(benchmark::State& state, int width, int height, int bits)
        : buffer_(sdktest::FrameBytes(width, height, bits))
    {
        if (!Configure(width, height, bits)) {
            Fail(state, "settings refused");
            return;
        }
        if (Velmor_CallBackPreview(gCamera, sink_.get(), buffer_.data(), int(buffer_.size()), 1) != 1) {
            Fail(state, "preview did not start");
            return;
        }
        MSG msg;
        running_ = true;
        for (int i = 0; i < kWarmUpFrames && running_; ++i)
            running_ = sink_.Next(msg);
        if (!running_)
            Fail(state, "no first frames");
    }
    ~CallbackPreview() { Velmor_StopPreview(gCamera); }
    // Takes the frames again after a call that cleared the callback (Velmor_Record).
    bool Resume()
    {
        return Velmor_CallBackPreview(gCamera, sink_.get(), buffer_.data(), int(buffer_.size()), 1) == 1;
    }
    CallbackPreview(const CallbackPreview&) = delete;
    CallbackPreview& operator=(const CallbackPreview&) = delete;

    bool running() const { return running_; }

    // The benchmark's loop: one frame notification an iteration, handed to `each` as it is taken.
    template <typename Each>
    bool Receive(benchmark::State& state, Each each)
    {
        for (auto _ : state) {
            MSG msg;
            if (!sink_.Next(msg)) {
                Fail(state, "frame failed or missing");
                return false;
            }
            each(msg);
        }
        return true;
    }

private:
    FrameSink sink_;
    std::vector<BYTE> buffer_;
    bool running_ = false;
};

// Wall time and CPU time (the process's, or one thread's) over a stretch of frames.
class Span {
public:
    explicit Span(HANDLE thread = nullptr) : thread_(thread), cpuStart_(CpuMs()), wallStart_(NowMs()) {}

    // Frames per second and CPU time per frame; the process's CPU time less the idle baseline.
    void End(int64_t frames)
    {
        const double wallMs = NowMs() - wallStart_;
        double cpuMs = CpuMs() - cpuStart_;
        if (!thread_)
            cpuMs -= PeerMedian("idle") * wallMs / 1000.0;
        if (frames > 0 && wallMs > 0) {
            fps = double(frames) * 1000.0 / wallMs;
            cpuMsPerFrame = cpuMs / double(frames);
        }
    }

    double fps = 0;
    double cpuMsPerFrame = 0;

private:
    double CpuMs() const { return thread_ ? ThreadCpuMs(thread_) : ProcessCpuMs(); }

    HANDLE thread_;
    double cpuStart_;
    double wallStart_;
};

// How tightly times bunch on a cadence of `periodMs`: the length of the sum of their phases as
// unit vectors (the number of times when every one falls on the same phase).
double Bunching(const std::vector<double>& sinceFirstMs, double periodMs)
{
    constexpr double kTurn = 6.283185307179586;
    double c = 0, s = 0;
    for (double t : sinceFirstMs) {
        c += std::cos(kTurn * t / periodMs);
        s += std::sin(kTurn * t / periodMs);
    }
    return std::hypot(c, s);
}

// The sensor's cadence under the times frames were handled. Its period is the one under which
// they bunch most tightly, searched within 5 % of the median interval and then finely around the
// best; frames never seen do not disturb it. Its phase is unknown, and a frame can only be handled
// after its transfer: a frame's lateness is its phase counted from where the phases begin, just
// after their largest empty arc, so the run's earliest frames are 0 late.
void ReportCadence(benchmark::State& state, const std::vector<double>& handledMs, const std::string& peer)
{
    if (handledMs.size() < 3)
        return;
    std::vector<double> intervals, sinceFirst, late;
    for (size_t i = 1; i < handledMs.size(); ++i)
        intervals.push_back(handledMs[i] - handledMs[i - 1]);
    for (double t : handledMs)
        sinceFirst.push_back(t - handledMs.front());
    const double guess = Quantile(intervals, 0.5);
    double period = guess, best = -1;
    for (const double span : {0.05, 1e-4}) {
        const double centre = period, step = guess * span / 500;
        for (double p = centre * (1 - span); p <= centre * (1 + span); p += step) {
            const double b = Bunching(sinceFirst, p);
            if (b > best)
                best = b, period = p;
        }
    }
    std::vector<double> phases;
    for (double t : sinceFirst)
        phases.push_back(std::fmod(t, period));
    std::vector<double> sorted = phases;
    std::sort(sorted.begin(), sorted.end());
    double origin = sorted.front(), widestGap = sorted.front() + period - sorted.back();
    for (size_t i = 1; i < sorted.size(); ++i) {
        if (sorted[i] - sorted[i - 1] > widestGap)
            widestGap = sorted[i] - sorted[i - 1], origin = sorted[i];
    }
    for (double phase : phases)
        late.push_back(std::fmod(phase - origin + period, period));
    const double periods = std::round((sinceFirst.back() - late.back() + late.front()) / period);
    const double lateMedian = Quantile(late, 0.5);
    state.counters["interval_ms"] = guess;
    state.counters["interval_p95_ms"] = Quantile(intervals, 0.95);
    state.counters["period_ms"] = period;
    state.counters["late_ms"] = lateMedian;
    state.counters["late_p95_ms"] = Quantile(late, 0.95);
    state.counters["late_max_ms"] = Quantile(late, 1.0);
    state.counters["unseen_frames"] = periods + 1 - double(handledMs.size());
    if (peer.empty())
        RecordPeer(state, "late", lateMedian);
    else
        SetRatio(state, "late_vs_ring", lateMedian, PeerMedian(peer));
}

// --- Benchmarks ---

void IdleBaseline(benchmark::State& state)
{
    double cpuMsPerSecond = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpuMs(), start = NowMs();
        for (double waited = 0; waited < kIdleMs; waited = NowMs() - start) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(kIdleMs - waited) + 1, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
        cpuMsPerSecond = (ProcessCpuMs() - cpuStart) * 1000.0 / (NowMs() - start);
    }
    state.counters["cpu_ms_per_s"] = cpuMsPerSecond;
    RecordPeer(state, "idle", cpuMsPerSecond);
}

// The device layer's transfer ring alone, with the process's timing, as the device benchmark runs
// it: one iteration is one frame taken from the ring, past the same warm-up frames as a preview.
// `readyMs`, when given, gets the time each frame was taken.
bool RunRing(benchmark::State& state, int width, int height, bool twoBytes, Span& span,
             std::vector<double>* readyMs = nullptr)
{
    EmulatedDriverPort port(EmulationSettings().c_str());
    CVelmor520QKZRXSdk device(port);
    device.SetHalfClock(kClock48MHz);
    std::vector<uint8_t> frame;
    if (!bench::StartRing(state, device, width, height, twoBytes, frame))
        return false;
    auto take = [&] { return bench::TakeFrame(device, frame.data()); };
    bool ok = true;
    for (int i = 0; i < kWarmUpFrames && ok; ++i)
        ok = take();
    span = Span(device.TransferThread());
    for (auto _ : state) {
        if (!ok || !(ok = take()))
            break;
        if (readyMs)
            readyMs->push_back(NowMs());
    }
    span.End(state.iterations());  // while the thread still runs
    device.StopTransfer();
    if (!ok)
        state.SkipWithError("transfer failed");
    return ok;
}

void RingRate(benchmark::State& state)
{
    const bool twoBytes = state.range(0) != 0;
    Span span;
    if (!RunRing(state, kFullWidth, kFullHeight, twoBytes, span))
        return;
    state.counters["fps"] = span.fps;
    state.counters["thread_cpu_ms_per_frame"] = span.cpuMsPerFrame;
    RecordPeer(state, RingKey("fps", twoBytes), span.fps);
    RecordPeer(state, RingKey("cpu", twoBytes), span.cpuMsPerFrame);
}

void RingTiming(benchmark::State& state)
{
    std::vector<double> readyMs;
    Span span;
    if (RunRing(state, kTimingWidth, kTimingHeight, false, span, &readyMs))
        ReportCadence(state, readyMs, "");
}

// Full-frame callback preview in one output format; one iteration is one frame notification.
void Preview(benchmark::State& state)
{
    const int bits = int(state.range(0));
    CallbackPreview preview(state, kFullWidth, kFullHeight, bits);
    if (!preview.running())
        return;
    Span span;
    if (!preview.Receive(state, [](const MSG&) {}))
        return;
    span.End(state.iterations());
    const bool twoBytes = TwoByteSamples(bits);
    state.counters["fps"] = span.fps;
    RecordPeer(state, "preview_fps/" + std::to_string(bits), span.fps);
    if (gRealTiming) {
        // With timing=fast the ring runs flat out beside the preview: its CPU time is no figure there.
        state.counters["cpu_ms_per_frame"] = span.cpuMsPerFrame;
        SetRatio(state, "cpu_vs_ring", span.cpuMsPerFrame, PeerMedian(RingKey("cpu", twoBytes)));
    } else {
        SetRatio(state, "fps_vs_ring", span.fps, PeerMedian(RingKey("fps", twoBytes)));
    }
}

void NotificationTiming(benchmark::State& state)
{
    CallbackPreview preview(state, kTimingWidth, kTimingHeight, kTimingBits);
    if (!preview.running())
        return;
    std::vector<double> handledMs;
    double postedToHandledMs = 0;
    Span span;
    const bool received = preview.Receive(state, [&](const MSG& msg) {
        handledMs.push_back(NowMs());
        postedToHandledMs += double(GetTickCount() - msg.time);
    });
    if (!received)
        return;
    span.End(state.iterations());
    state.counters["posted_to_handled_ms"] = postedToHandledMs / double(handledMs.size());
    state.counters["cpu_ms_per_frame"] = span.cpuMsPerFrame;
    ReportCadence(state, handledMs, "late");
}

// The current frame of an output format after one full-frame snapshot, and the writer's copy of it.
FrameSurface gFrame;
int gFrameBits = 0;

bool SnapFrame(benchmark::State& state, int bits)
{
    if (gFrameBits == bits)
        return true;
    gFrameBits = 0;
    if (!Configure(kFullWidth, kFullHeight, bits) || Velmor_SnapShot(gCamera, nullptr, 0, 1) != 1) {
        Fail(state, "snapshot failed");
        return false;
    }
    if (!gFrame.Create(kFullWidth, kFullHeight, uint16_t(bits)) ||
        Velmor_GetImage(gCamera, gFrame.pixels, int(gFrame.byteCount()), 1) != 1) {
        Fail(state, "no copy of the frame");
        return false;
    }
    gFrameBits = bits;
    return true;
}

char gSavePath[] = "acquisition-bench.img";

std::string SaveKey(int bits, int code) { return std::to_string(bits) + "/" + std::to_string(code); }

// One save a loop, by the writer alone or through the SDK; the time per save in milliseconds.
template <typename Save>
double SaveLoop(benchmark::State& state, Save save)
{
    const int bits = int(state.range(0)), code = int(state.range(1));
    if (!SnapFrame(state, bits))
        return 0;
    const double start = NowMs();
    for (auto _ : state) {
        if (save(code) != 1) {
            Fail(state, "save failed");
            return 0;
        }
    }
    return (NowMs() - start) / double(state.iterations());
}

void WriteImage(benchmark::State& state)
{
    const double ms = SaveLoop(state, [](int code) { return WriteImageFile(gSavePath, gFrame, code); });
    if (ms > 0)
        RecordPeer(state, SaveKey(int(state.range(0)), int(state.range(1))), ms);
}

void SaveImage(benchmark::State& state)
{
    const double ms = SaveLoop(state, [](int code) { return Velmor_SaveImage(gCamera, gSavePath, code); });
    if (ms > 0)
        SetRatio(state, "vs_writer", ms, PeerMedian(SaveKey(int(state.range(0)), int(state.range(1)))));
}

// --- Recording ---

constexpr int kRecordBits = 24;
constexpr int kRecordMs = 600000;  // longer than any run: the stop ends it
char gRecordPath[] = "acquisition-bench.avi";

std::set<DWORD> ProcessThreadIds()
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

// The one thread that started since `before`, opened for its times; null when not exactly one.
HANDLE OpenNewThread(const std::set<DWORD>& before)
{
    std::vector<DWORD> started;
    for (DWORD id : ProcessThreadIds())
        if (!before.count(id))
            started.push_back(id);
    return started.size() == 1 ? OpenThread(THREAD_QUERY_INFORMATION, FALSE, started[0]) : nullptr;
}

// Frames and bytes of a finished recording.
bool ReadRecording(uint32_t& frames, double& bytes)
{
    FILE* file = std::fopen(gRecordPath, "rb");
    if (!file)
        return false;
    unsigned char head[64] = {};
    const bool read = std::fread(head, 1, sizeof head, file) == sizeof head;
    _fseeki64(file, 0, SEEK_END);
    bytes = double(_ftelli64(file));
    std::fclose(file);
    std::memcpy(&frames, head + 48, 4);  // the main header's total frames
    return read;
}

void RecordFps(benchmark::State& state)
{
    CallbackPreview preview(state, kFullWidth, kFullHeight, kRecordBits);
    if (!preview.running())
        return;
    // The preview runs already: the recording's thread is the only one Velmor_Record starts.
    const std::set<DWORD> before = ProcessThreadIds();
    const double cpuStartMs = ProcessCpuMs(), startMs = NowMs();
    if (Velmor_Record(gCamera, gRecordPath, kRecordMs, 0) != 1 || !preview.Resume()) {
        Fail(state, "recording did not start");
        return;
    }
    HANDLE recorder = OpenNewThread(before);
    Span previewSpan;
    if (!preview.Receive(state, [](const MSG&) {}))
        return;
    previewSpan.End(state.iterations());
    const double recorderCpuMs = ThreadCpuMs(recorder);  // while it still runs
    Velmor_StopPreview(gCamera);
    const double wallMs = NowMs() - startMs, cpuMs = ProcessCpuMs() - cpuStartMs;
    if (recorder)
        CloseHandle(recorder);
    uint32_t frames = 0;
    double bytes = 0;
    if (!ReadRecording(frames, bytes) || frames == 0) {
        Fail(state, "no frames recorded");
        return;
    }
    state.counters["fps"] = previewSpan.fps;
    SetRatio(state, "fps_vs_preview", previewSpan.fps, PeerMedian("preview_fps/" + std::to_string(kRecordBits)));
    state.counters["recorded_fps"] = frames * 1000.0 / wallMs;
    state.counters["write_mb_per_s"] = bytes / 1e6 * 1000.0 / wallMs;
    if (recorder)
        state.counters["recorder_cpu_ms_per_frame"] = recorderCpuMs / frames;
    state.counters["process_cpu_ms_per_frame"] = cpuMs / frames;
}

// --- Registration ---

// Every benchmark here gives wall time per iteration in milliseconds.
benchmark::internal::Benchmark* Register(const char* name, void (*function)(benchmark::State&))
{
    return benchmark::RegisterBenchmark(name, function)->UseRealTime()->Unit(benchmark::kMillisecond);
}

// The ring peer at both sample widths, then a preview in every output format.
void RegisterRingAndPreviews(const char* ring, const char* preview, int previewFrames)
{
    auto* rings = Register(ring, RingRate)->Arg(0)->Arg(1)->ArgName("two_byte");
    if (gRealTiming)
        rings->Iterations(kCpuFrames);
    else
        rings->MinTime(kRingMinSeconds);
    auto* previews = Register(preview, Preview)->ArgName("bits")->Iterations(previewFrames);
    for (int bits : kOutputBits)
        previews->Arg(bits);
}

void RegisterReal()
{
    Register("IdleBaseline", IdleBaseline)->Iterations(1);
    RegisterRingAndPreviews("RingCpu", "PreviewCpu", kCpuFrames);
    Register("RingTiming", RingTiming)->Iterations(kTimingFrames);
    Register("NotificationTiming", NotificationTiming)->Iterations(kTimingFrames);
}

void RegisterFast()
{
    RegisterRingAndPreviews("RingFps", "PreviewFps", kFpsFrames);
    Register("RecordFps", RecordFps)->Iterations(kFpsFrames);
    const struct {
        int bits;
        std::vector<int> codes;
    } saves[] = {{24, {0, 1, 2, 3, 4, 5, 6}}, {64, {1, 5, 6}}};
    for (const auto& format : saves) {
        for (int code : format.codes) {
            for (auto* b : {Register("WriteImage", WriteImage), Register("SaveImage", SaveImage)})
                b->Args({format.bits, code})->ArgNames({"bits", "code"})->MinTime(kSaveMinSeconds);
        }
    }
}

// Takes --timing=real|fast off the command line; false for any other value.
bool TakeTiming(int& argc, char** argv)
{
    constexpr char kFlag[] = "--timing=";
    bool ok = true;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, sizeof(kFlag) - 1) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        const std::string value = argv[i] + sizeof(kFlag) - 1;
        ok = value == "real" || value == "fast";
        gRealTiming = value == "real";
    }
    argc = kept;
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!TakeTiming(argc, argv)) {
        std::fprintf(stderr, "usage: acquisition_bench [--timing=real|fast] [benchmark options]\n");
        return 2;
    }
    gRawPath = WriteNoiseFile();
    if (gRawPath.empty()) {
        std::fprintf(stderr, "acquisition_bench: the raw source could not be written\n");
        return 1;
    }
    // Before the first Velmor_Initialize, which starts the emulator.
    SetEnvironmentVariableA("VELMOR_EMULATION", EmulationSettings().c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    gCamera = Velmor_Initialize(nullptr);
    if (!gCamera || Velmor_SetPreviewWindow(gCamera, nullptr, 0, 0, 0, 0) != 1) {
        std::fprintf(stderr, "acquisition_bench: no camera\n");
        return 1;
    }
    benchmark::AddCustomContext("emulation", EmulationSettings());
    benchmark::AddCustomContext("wait_time_ms", std::to_string(Velmor_GetWaitTime(gCamera)));
    if (gRealTiming)
        RegisterReal();
    else
        RegisterFast();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Velmor_Release(gCamera);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    DeleteFileA(gSavePath);
    DeleteFileA(gRecordPath);
    DeleteFileA(gRawPath.c_str());
    return 0;
}
