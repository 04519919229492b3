// A lost camera: the picture stops, and a new start is tried every second until the camera
// answers again (a camera plugged back in must be programmed afresh by a new start).
#include "viewer.h"

namespace viewer {

void OnCameraLost(Viewer& viewer)
{
    if (viewer.recovering)
        return;
    viewer.recovering = true;
    viewer.camera.Stop();
    LogLine(viewer, "no live picture: trying again every second");
    SetTimer(viewer.main, kTimerRetry, kRetryMs, nullptr);
}

void OnRetryTick(Viewer& viewer)
{
    if (!viewer.camera.TryRestart(viewer.picture, viewer.placement, viewer.main))
        return;
    KillTimer(viewer.main, kTimerRetry);
    viewer.recovering = false;
    viewer.missed = MissedFrameCounter{};
    LogLine(viewer, "camera back: the picture runs again");
}

}  // namespace viewer
