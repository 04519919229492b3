// Frame messages on the window's thread: counts, the frame number's gaps, the histogram and the
// status bar. Nothing here runs in the camera's own threads: the camera only posts the message.
#include "viewer.h"
#include "viewer_ids.h"

#include <cstdio>

namespace viewer {

namespace {

constexpr double kTenths = 10.0;

std::string Format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void ShowStatus(Viewer& viewer)
{
    const VELMOR_FRAME_INFO& info = viewer.lastInfo;
    SetStatus(viewer.status, kPartRate, Format("%.1f fps", info.fpsTenths / kTenths));
    SetStatus(viewer.status, kPartReceived, "received " + std::to_string(viewer.received));
    const std::optional<std::uint64_t> missed = viewer.missed.Missed();
    SetStatus(viewer.status, kPartMissed, "missed " + (missed ? std::to_string(*missed) : std::string("-")));
    SetStatus(viewer.status, kPartSize, std::to_string(info.width) + " x " + std::to_string(info.height));
    SetStatus(viewer.status, kPartFormat, std::to_string(info.bitsPerPixel) + " bit");
}

// While a capture window is being drawn, the frame just painted covered its outline: draw it again.
void DrawSelection(Viewer& viewer)
{
    if (!viewer.selection.dragging)
        return;
    InvalidateRect(viewer.picture, nullptr, FALSE);
}

}  // namespace

void ShowFrameStatus(Viewer& viewer) { ShowStatus(viewer); }

void OnFrameMessage(Viewer& viewer, WPARAM wParam, LPARAM lParam)
{
    if (!wParam) {  // a frame failure: lParam is the error code
        const int code = int(lParam);
        LogLine(viewer, "frame failure " + std::to_string(code) + ": " + ErrorWords(code));
        if (code == VELMOR_ERROR_NO_FRAME)
            OnCameraLost(viewer);
        return;
    }
    // The record lives in the camera object and the next frame overwrites it: copy it now.
    viewer.lastInfo = *reinterpret_cast<const VELMOR_FRAME_INFO*>(wParam);
    viewer.haveFrame = true;
    ++viewer.received;
    // The buffer is the camera's to write while we read it; a frame torn by the next one only
    // skews one histogram or one frame number, so no copy is made.
    const FrameRef frame = viewer.camera.Frame(viewer.lastInfo);
    viewer.missed.Add(DecodeFrameNumber(frame));
    DrawSelection(viewer);
    const DWORD now = GetTickCount();
    if (now - viewer.lastRefresh < kStatusRefreshMs)
        return;
    viewer.lastRefresh = now;
    viewer.histogram = ComputeHistogram(frame);
    InvalidateRect(viewer.histogramView, nullptr, FALSE);
    ShowStatus(viewer);
}

}  // namespace viewer
