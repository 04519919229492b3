// The main window: its children, their layout, and the dispatch of its messages.
#include "viewer.h"
#include "viewer_ids.h"

#include <commctrl.h>

namespace viewer {

namespace {

constexpr int kMainWidth = 1100, kMainHeight = 760;
constexpr int kBarHeight = 30;        // the row of device list, duration and progress
constexpr int kSideWidth = 300;       // histogram and log column
constexpr int kHistogramHeight = 200;
constexpr int kGap = 4;
constexpr int kDeviceListWidth = 260, kDeviceListDrop = 200;
constexpr int kLabelWidth = 90, kDurationWidth = 50, kProgressWidth = 200, kControlHeight = 22;
constexpr int kDefaultDurationSeconds = 3;

Viewer* From(HWND window) { return reinterpret_cast<Viewer*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int id, DWORD exStyle = 0)
{
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
}

void CreateChildren(Viewer& viewer, HWND main)
{
    viewer.devices = Child(main, WC_COMBOBOXA, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kIdDevices);
    Child(main, WC_STATICA, "Record (s):", SS_RIGHT | SS_CENTERIMAGE, kIdDurationLabel);
    viewer.duration = Child(main, WC_EDITA, "", ES_NUMBER | WS_TABSTOP, kIdDuration, WS_EX_CLIENTEDGE);
    SetDlgItemInt(main, kIdDuration, kDefaultDurationSeconds, FALSE);
    viewer.progress = Child(main, PROGRESS_CLASSA, "", 0, kIdProgress);
    viewer.picture = Child(main, kPictureClass, "", 0, kIdPicture);
    SetWindowLongPtrA(viewer.picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&viewer));
    viewer.histogramView = Child(main, kHistogramClass, "", 0, kIdHistogram, WS_EX_CLIENTEDGE);
    SetWindowLongPtrA(viewer.histogramView, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&viewer));
    viewer.log = Child(main, WC_LISTBOXA, "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, kIdLog, WS_EX_CLIENTEDGE);
    viewer.status = CreateStatusBar(main);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Place(HWND main, int id, int x, int y, int width, int height)
{
    MoveWindow(GetDlgItem(main, id), x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

void Layout(Viewer& viewer, int width, int height)
{
    LayoutStatusBar(viewer.status);
    RECT bar = {};
    GetWindowRect(viewer.status, &bar);
    const int bottom = height - (bar.bottom - bar.top);
    const int y = (kBarHeight - kControlHeight) / 2;
    int x = kGap;
    Place(viewer.main, kIdDevices, x, y, kDeviceListWidth, kDeviceListDrop);
    x += kDeviceListWidth + kGap;
    Place(viewer.main, kIdDurationLabel, x, y, kLabelWidth, kControlHeight);
    x += kLabelWidth + kGap;
    Place(viewer.main, kIdDuration, x, y, kDurationWidth, kControlHeight);
    x += kDurationWidth + kGap;
    Place(viewer.main, kIdProgress, x, y, kProgressWidth, kControlHeight);
    const int sideX = width - kSideWidth;
    Place(viewer.main, kIdPicture, 0, kBarHeight, sideX - kGap, bottom - kBarHeight);
    Place(viewer.main, kIdHistogram, sideX, kBarHeight, kSideWidth - kGap, kHistogramHeight);
    const int logY = kBarHeight + kHistogramHeight + kGap;
    Place(viewer.main, kIdLog, sideX, logY, kSideWidth - kGap, bottom - logY - kGap);
}

void OnCreate(Viewer& viewer, HWND main)
{
    viewer.main = main;
    CreateChildren(viewer, main);
    LogLine(viewer, "record folder: " + viewer.options.recordFolder);
    if (!viewer.camera.Open(main, viewer.options.device))
        return;
    FillDeviceList(viewer);
    CheckMenuChoices(viewer);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* viewer = static_cast<Viewer*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(viewer));
    }
    Viewer* viewer = From(window);
    if (!viewer)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: OnCreate(*viewer, window); return 0;
    case WM_SIZE:
        Layout(*viewer, LOWORD(lParam), HIWORD(lParam));
        SetTimer(window, kTimerResize, kResizeSettleMs, nullptr);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kIdDevices && HIWORD(wParam) == CBN_SELCHANGE)
            OnDeviceChosen(*viewer);
        else if (lParam == 0)
            OnCommand(*viewer, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerResize) {
            // A restart would end a running recording: the new size waits for its end.
            if (viewer->recording.active)
                return 0;
            KillTimer(window, kTimerResize);
            if (!viewer->recovering)
                RestartPicture(*viewer);
        } else if (wParam == kTimerRetry) {
            OnRetryTick(*viewer);
        } else if (wParam == kTimerRecord) {
            OnRecordTick(*viewer);
        }
        return 0;
    case VELMOR_WM_FRAME: OnFrameMessage(*viewer, wParam, lParam); return 0;
    case VELMOR_WM_ERROR: OnErrorMessage(*viewer, int(lParam)); return 0;
    case WM_DESTROY:
        viewer->camera.Stop();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

Viewer::Viewer(const Options& chosen)
    : options(chosen), camera([this](const std::string& line) { LogLine(*this, line); })
{
}

void RestartPicture(Viewer& viewer)
{
    if (!viewer.camera.handle())
        return;
    RECT area = {};
    GetClientRect(viewer.picture, &area);
    int width = 0, height = 0;
    viewer.camera.ExpectedFrameSize(&width, &height);
    viewer.placement = FitPicture(area.right, area.bottom, width, height);
    InvalidateRect(viewer.picture, nullptr, TRUE);
    viewer.haveFrame = false;
    if (viewer.placement.width > 0 && !viewer.camera.Start(viewer.picture, viewer.placement, viewer.main))
        OnCameraLost(viewer);
}

bool RegisterViewerClass(HINSTANCE instance, const char* name, WNDPROC procedure, LPCSTR cursor, HBRUSH background)
{
    WNDCLASSEXA windowClass = {sizeof windowClass};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, cursor);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

HWND CreateViewerWindow(Viewer& viewer, HINSTANCE instance)
{
    if (!RegisterViewerClass(instance, kMainClass, MainProc, IDC_ARROW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !RegisterPictureClass(instance) || !RegisterHistogramClass(instance))
        return nullptr;
    return CreateWindowExA(0, kMainClass, kMainTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, kMainWidth, kMainHeight, nullptr, BuildMenu(), instance, &viewer);
}

}  // namespace viewer
