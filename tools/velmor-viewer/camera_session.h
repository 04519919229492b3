#pragma once
// The viewer's one camera: its handle, the frame buffer the camera copies every frame into, and
// the starts and stops of the live picture. Every failed call is reported in words; the reason
// the camera gives follows as a VELMOR_WM_ERROR to the notification window.
#include "frame_ref.h"
#include "geometry.h"

#include <VelmorSdk_520QK_ZRX.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace viewer {

struct DeviceEntry {
    int number = 0;
    std::string name;
};

class CameraSession {
public:
    using Report = std::function<void(const std::string&)>;

    explicit CameraSession(Report report) : report_(std::move(report)) {}
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    bool Open(HWND notifyWindow, int deviceNumber);
    int handle() const { return handle_; }
    int deviceNumber() const { return device_; }

    // The cameras present, by device number. Absent numbers raise VELMOR_ERROR_DEVICE_BUSY as
    // they are asked; the count of those is returned in `absentAsked` so that the caller can
    // tell the scan's posts from real failures.
    std::vector<DeviceEntry> ListDevices(int* absentAsked);
    bool SelectDevice(int number);

    // Live picture in a child of `parent` at `placement`, frames to `callback`.
    bool Start(HWND parent, const Box& placement, HWND callback);
    void Stop();
    bool running() const { return running_; }
    // Frames to `callback` again while the picture runs (after Velmor_Record took them over).
    bool Resume(HWND parent, const Box& placement, HWND callback);
    // Start again after a failed start or a lost camera, quietly: the caller reports the outcome.
    bool TryRestart(HWND parent, const Box& placement, HWND callback);

    // The frame the camera last copied, as the record of its notification describes it.
    FrameRef Frame(const VELMOR_FRAME_INFO& info) const;

    Box SensorWindow() const;
    bool SetSensorWindow(const Box& window);
    int SubSample() const;
    // The frame size a start with the current settings gives.
    void ExpectedFrameSize(int* width, int* height) const;

    bool Check(int result, const char* call) const;
    // The codes the camera queued since the last call, newest first, in words for the log.
    std::string QueuedErrors() const;

private:
    Report report_;
    int handle_ = 0;
    int device_ = 0;
    bool running_ = false;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace viewer
