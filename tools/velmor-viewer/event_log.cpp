// Errors and events in words: the log list keeps them, the status bar shows the latest.
#include "viewer.h"
#include "viewer_ids.h"

#include <VelmorSdk_520QK_ZRX.hpp>

#include <ctime>

namespace viewer {

namespace {

constexpr int kMaxLogLines = 500;  // the oldest lines go first

std::string Clock()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d ", now.wHour, now.wMinute, now.wSecond);
    return text;
}

}  // namespace

std::string ErrorWords(int code) { return velmor::ErrorText(static_cast<velmor::Error>(code)); }

void ShowMessage(Viewer& viewer, const std::string& line)
{
    SetStatus(viewer.status, kPartMessage, line);
    LogLine(viewer, line);
}

void LogLine(Viewer& viewer, const std::string& line)
{
    if (!viewer.log)
        return;
    if (SendMessageA(viewer.log, LB_GETCOUNT, 0, 0) >= kMaxLogLines)
        SendMessageA(viewer.log, LB_DELETESTRING, 0, 0);
    const std::string text = Clock() + line;
    const LRESULT index = SendMessageA(viewer.log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(viewer.log, LB_SETTOPINDEX, WPARAM(index), 0);
    SetStatus(viewer.status, kPartMessage, line);
}

void OnErrorMessage(Viewer& viewer, int code)
{
    // The device scan asks for the names of absent numbers on purpose.
    if (code == VELMOR_ERROR_DEVICE_BUSY && viewer.quietDeviceErrors > 0) {
        --viewer.quietDeviceErrors;
        return;
    }
    const std::string line = "error " + std::to_string(code) + ": " + ErrorWords(code);
    if (viewer.recovering && code != VELMOR_ERROR_NO_FRAME) {
        // Every retry while the camera is away fails the same way: the status bar shows it, the
        // log has said once that the viewer waits.
        SetStatus(viewer.status, kPartMessage, line);
        return;
    }
    LogLine(viewer, line);
    if (code == VELMOR_ERROR_NO_FRAME)
        OnCameraLost(viewer);
}

}  // namespace viewer
