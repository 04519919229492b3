// The picture area: the camera's own window sits inside it at the placement that keeps the
// frame's proportions. The mouse shows the pixel under it, and a rectangle drawn with the left
// button becomes the camera's capture window.
#include "pixel_probe.h"
#include "viewer.h"
#include "viewer_ids.h"

#include <windowsx.h>

namespace viewer {

namespace {

constexpr COLORREF kSelectionColour = RGB(255, 220, 0);

Viewer* From(HWND window) { return reinterpret_cast<Viewer*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

std::optional<Point> FramePoint(const Viewer& viewer, LPARAM lParam)
{
    if (!viewer.haveFrame)
        return std::nullopt;
    return AreaToFrame(viewer.placement, viewer.lastInfo.width, viewer.lastInfo.height, GET_X_LPARAM(lParam),
                       GET_Y_LPARAM(lParam));
}

// The selection's outline in area coordinates, drawn over the camera's window (the area does not
// clip its child, so this DC reaches over it).
void DrawOutline(const Viewer& viewer, HDC dc)
{
    const Selection& s = viewer.selection;
    const Box& p = viewer.placement;
    auto toArea = [&](int frameValue, int frameSize, int offset, int size) {
        return offset + int(1LL * frameValue * size / (frameSize > 0 ? frameSize : 1));
    };
    RECT r = {toArea(std::min(s.from.x, s.to.x), viewer.lastInfo.width, p.x, p.width),
              toArea(std::min(s.from.y, s.to.y), viewer.lastInfo.height, p.y, p.height),
              toArea(std::max(s.from.x, s.to.x) + 1, viewer.lastInfo.width, p.x, p.width),
              toArea(std::max(s.from.y, s.to.y) + 1, viewer.lastInfo.height, p.y, p.height)};
    HBRUSH brush = CreateSolidBrush(kSelectionColour);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

void OnMouseMove(Viewer& viewer, LPARAM lParam)
{
    const std::optional<Point> point = FramePoint(viewer, lParam);
    const std::string text = point ? PixelText(viewer.camera.Frame(viewer.lastInfo), point->x, point->y) : "";
    SetStatus(viewer.status, kPartPixel, text);
    if (viewer.selection.dragging && point) {
        viewer.selection.to = *point;
        InvalidateRect(viewer.picture, nullptr, FALSE);
    }
}

void OnButtonDown(Viewer& viewer, HWND window, LPARAM lParam)
{
    if (const std::optional<Point> point = FramePoint(viewer, lParam)) {
        viewer.selection = {true, *point, *point};
        SetCapture(window);
    }
}

void OnButtonUp(Viewer& viewer)
{
    if (!viewer.selection.dragging)
        return;
    viewer.selection.dragging = false;
    ReleaseCapture();
    const int factor = SubSampleFactor(viewer.camera.SubSample());
    const std::optional<Box> window =
        SelectionToSensor(viewer.camera.SensorWindow(), factor, viewer.selection.from, viewer.selection.to);
    if (!window)
        return;
    if (viewer.camera.SetSensorWindow(*window)) {
        LogLine(viewer, "capture window " + std::to_string(window->width) + " x " + std::to_string(window->height) +
                            " at " + std::to_string(window->x) + ", " + std::to_string(window->y));
        RestartPicture(viewer);
    }
}

void OnPaint(Viewer& viewer, HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (viewer.selection.dragging && viewer.haveFrame)
        DrawOutline(viewer, dc);
    EndPaint(window, &paint);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Viewer* viewer = From(window);
    if (!viewer)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: OnMouseMove(*viewer, lParam); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(*viewer, window, lParam); return 0;
    case WM_LBUTTONUP: OnButtonUp(*viewer); return 0;
    case WM_PAINT: OnPaint(*viewer, window); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterPictureClass(HINSTANCE instance)
{
    return RegisterViewerClass(instance, kPictureClass, PictureProc, IDC_CROSS,
                               static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
}

}  // namespace viewer
