#pragma once
// The viewer's window classes, child-window ids, menu commands and status-bar parts: one table that
// the viewer and its tests share, so that a test drives the viewer by the same numbers.

namespace viewer {

inline constexpr const char* kMainClass = "VelmorViewerMain";
inline constexpr const char* kPictureClass = "VelmorViewerPicture";
inline constexpr const char* kHistogramClass = "VelmorViewerHistogram";
inline constexpr const char* kMainTitle = "Velmor Viewer";

// Child windows of the main window.
enum ControlId : int {
    kIdDevices = 100,
    kIdPicture,
    kIdHistogram,
    kIdLog,
    kIdStatus,
    kIdDurationLabel,
    kIdDuration,
    kIdProgress,
};

// Menu commands. Output formats and sub-sampling modes are a base plus the index of their choice.
enum CommandId : int {
    kCmdFormatBase = 1000,     // + 0..5: 8, 16, 24, 32, 48, 64 bits
    kCmdSubSampleBase = 1010,  // + 0..4: none, 1/2 skip, 1/4 skip, 1/2 bin, 1/4 bin
    kCmdSnapshot = 1020,
    kCmdSaveAs,
    kCmdRecord,
    kCmdAnalogDialog,
    kCmdCameraDialog,
    kCmdImageDialog,
    kCmdFullWindow,
    kCmdExit,
    kCmdPauseResume,  // stops a running live picture, starts a stopped one
};

// Read-only questions to the histogram view, wParam the channel (0 for gray; blue, green, red).
// Both answer -1 for a channel the shown histogram does not have.
inline constexpr unsigned kMsgHistogramPeakBin = 0x8000 + 1;  // WM_APP + 1: the fullest bin
inline constexpr unsigned kMsgHistogramBinsUsed = 0x8000 + 2; // WM_APP + 2: bins holding samples

inline constexpr int kFormatBits[] = {8, 16, 24, 32, 48, 64};
inline constexpr int kFormatCount = 6;
inline constexpr int kSubSampleCount = 5;

// Parts of the status bar, left to right.
enum StatusPart : int {
    kPartRate,
    kPartReceived,
    kPartMissed,
    kPartSize,
    kPartFormat,
    kPartPixel,
    kPartMessage,
    kPartCount,
};

}  // namespace viewer
