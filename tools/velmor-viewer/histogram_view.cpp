// The histogram's drawing: one curve per channel over a black field, and a clipping warning when
// more than a small share of samples sit at full scale.
#include "viewer.h"
#include "viewer_ids.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace viewer {

namespace {

constexpr COLORREF kChannelColours[Histogram::kMaxChannels] = {RGB(80, 140, 255), RGB(60, 220, 60), RGB(255, 70, 70)};
constexpr COLORREF kGrayColour = RGB(220, 220, 220);
constexpr COLORREF kWarningColour = RGB(255, 80, 40);
constexpr COLORREF kQuietColour = RGB(150, 150, 150);
constexpr int kTextMargin = 4;
constexpr double kPercent = 100.0;

Viewer* From(HWND window) { return reinterpret_cast<Viewer*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

void DrawCurve(HDC dc, const Histogram& histogram, int channel, const RECT& area)
{
    const std::uint32_t peak = histogram.Peak();
    if (!peak)
        return;
    const int width = area.right, height = area.bottom;
    std::vector<POINT> points(Histogram::kBins);
    for (int bin = 0; bin < Histogram::kBins; ++bin) {
        const int x = bin * (width - 1) / (Histogram::kBins - 1);
        const int y = height - 1 - int(1LL * histogram.bins[channel][bin] * (height - 1) / peak);
        points[bin] = {x, y};
    }
    const COLORREF colour = histogram.channels == 1 ? kGrayColour : kChannelColours[channel];
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), Histogram::kBins);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawClipping(HDC dc, const Histogram& histogram)
{
    const double share = histogram.ClippedShare();
    char text[64];
    const bool clipping = share > kClippingShare;
    std::snprintf(text, sizeof text, clipping ? "CLIPPING: %.1f%% at full scale" : "clipped %.2f%%", share * kPercent);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, clipping ? kWarningColour : kQuietColour);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TextOutA(dc, kTextMargin, kTextMargin, text, int(strlen(text)));
}

// Drawn into a bitmap first and copied in one go, so that ten redraws a second do not flicker.
void OnPaint(const Viewer& viewer, HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area = {};
    GetClientRect(window, &area);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    FillRect(memory, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // Curves merge where they overlap (red over green reads yellow, all three white), so that
    // no channel hides another.
    SetROP2(memory, R2_MERGEPEN);
    for (int channel = 0; channel < viewer.histogram.channels; ++channel)
        DrawCurve(memory, viewer.histogram, channel, area);
    SetROP2(memory, R2_COPYPEN);
    if (viewer.histogram.samples)
        DrawClipping(memory, viewer.histogram);
    BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

LRESULT Ask(const Histogram& histogram, UINT message, WPARAM channel)
{
    if (channel >= WPARAM(histogram.channels))
        return -1;
    const auto& bins = histogram.bins[channel];
    if (message == kMsgHistogramPeakBin)
        return std::max_element(bins.begin(), bins.end()) - bins.begin();
    return std::count_if(bins.begin(), bins.end(), [](std::uint32_t count) { return count > 0; });
}

LRESULT CALLBACK HistogramProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const Viewer* viewer = From(window);
    if ((message == kMsgHistogramPeakBin || message == kMsgHistogramBinsUsed) && viewer)
        return Ask(viewer->histogram, message, wParam);
    if (message == WM_PAINT && viewer) {
        OnPaint(*viewer, window);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;  // the paint covers everything
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterHistogramClass(HINSTANCE instance)
{
    return RegisterViewerClass(instance, kHistogramClass, HistogramProc, IDC_ARROW, nullptr);
}

}  // namespace viewer
