#pragma once
// The state of one viewer window and the functions of its parts, each in a file of its own:
// main_window.cpp (window, layout, message dispatch), commands.cpp (menu), file_actions.cpp
// (snapshot, save, record), frame_display.cpp (frame messages, status, histogram), event_log.cpp
// (errors in words), picture_view.cpp (the picture, pixel probe, capture-window selection),
// histogram_view.cpp (the histogram's drawing), recovery.cpp (lost camera and restarts).
#include "camera_session.h"
#include "frame_number.h"
#include "histogram.h"
#include "options.h"
#include "viewer_ids.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace viewer {

// Timers of the main window.
enum TimerId : UINT_PTR { kTimerRetry = 1, kTimerResize, kTimerRecord };
inline constexpr UINT kRetryMs = 1000;         // a lost camera is tried again every second
inline constexpr UINT kResizeSettleMs = 200;   // a drag of the frame's edge restarts once, at its end
inline constexpr UINT kRecordTickMs = 100;     // progress bar steps
inline constexpr DWORD kStatusRefreshMs = 100; // status and histogram at most ten times a second

struct Recording {
    bool active = false;
    DWORD startTick = 0;
    DWORD durationMs = 0;
    std::string path;
};

struct Selection {
    bool dragging = false;
    Point from, to;  // frame pixels
};

struct Viewer {
    explicit Viewer(const Options& options);

    Options options;
    HWND main = nullptr, devices = nullptr, picture = nullptr, histogramView = nullptr, log = nullptr,
         status = nullptr, duration = nullptr, progress = nullptr;
    CameraSession camera;
    std::vector<DeviceEntry> deviceList;

    // Frames as the last notification described them.
    VELMOR_FRAME_INFO lastInfo{};
    bool haveFrame = false;
    std::uint64_t received = 0;
    MissedFrameCounter missed;
    Histogram histogram;
    DWORD lastRefresh = 0;

    Box placement;  // where the camera's window sits in the picture area
    Selection selection;
    Recording recording;
    int snapshots = 0;
    int recordings = 0;

    bool recovering = false;   // the camera was lost; retrying every second
    int quietDeviceErrors = 0; // posts of the device scan still to come
};

// main_window.cpp
HWND CreateViewerWindow(Viewer& viewer, HINSTANCE instance);
void RestartPicture(Viewer& viewer);
// commands.cpp
HMENU BuildMenu();
void OnCommand(Viewer& viewer, int id);
void CheckMenuChoices(Viewer& viewer);
// file_actions.cpp
void TakeSnapshot(Viewer& viewer);
void SaveAs(Viewer& viewer);
void StartRecording(Viewer& viewer);
void OnRecordTick(Viewer& viewer);
// frame_display.cpp
void OnFrameMessage(Viewer& viewer, WPARAM wParam, LPARAM lParam);
void ShowFrameStatus(Viewer& viewer);
// event_log.cpp
std::string ErrorWords(int code);
void LogLine(Viewer& viewer, const std::string& line);
void ShowMessage(Viewer& viewer, const std::string& line);
void OnErrorMessage(Viewer& viewer, int code);
// status bar
HWND CreateStatusBar(HWND parent);
void LayoutStatusBar(HWND status);
void SetStatus(HWND status, StatusPart part, const std::string& text);
// picture_view.cpp
// Registers a window class of the viewer's: its procedure, cursor and background (null: none).
bool RegisterViewerClass(HINSTANCE instance, const char* name, WNDPROC procedure, LPCSTR cursor, HBRUSH background);
bool RegisterPictureClass(HINSTANCE instance);
// histogram_view.cpp
bool RegisterHistogramClass(HINSTANCE instance);
// recovery.cpp
void OnCameraLost(Viewer& viewer);
void OnRetryTick(Viewer& viewer);
// devices.cpp
void FillDeviceList(Viewer& viewer);
void OnDeviceChosen(Viewer& viewer);

}  // namespace viewer
