// The menu: output format and sub-sampling choices, files, the settings dialogs.
#include "viewer.h"
#include "viewer_ids.h"

namespace viewer {

namespace {

constexpr const char* kFormatNames[kFormatCount] = {
    "&8 bit gray", "&16 bit gray (10 bit)", "&24 bit colour", "&32 bit colour", "&48 bit colour (10 bit)",
    "&64 bit colour (10 bit)"};
constexpr int kSubSampleCodes[kSubSampleCount] = {VELMOR_SUBSAMPLE_NONE, VELMOR_SUBSAMPLE_SKIP_2,
                                                  VELMOR_SUBSAMPLE_SKIP_4, VELMOR_SUBSAMPLE_BIN_2,
                                                  VELMOR_SUBSAMPLE_BIN_4};
constexpr const char* kSubSampleNames[kSubSampleCount] = {"&None", "1/2 &skip", "1/4 s&kip", "1/2 &bin", "1/4 b&in"};

HMENU FileMenu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kCmdSnapshot, "&Snapshot");
    AppendMenuA(menu, MF_STRING, kCmdSaveAs, "Save &as...");
    AppendMenuA(menu, MF_STRING, kCmdRecord, "&Record");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCmdExit, "E&xit");
    return menu;
}

HMENU CameraMenu()
{
    HMENU menu = CreatePopupMenu();
    HMENU formats = CreatePopupMenu();
    for (int i = 0; i < kFormatCount; ++i)
        AppendMenuA(formats, MF_STRING, kCmdFormatBase + i, kFormatNames[i]);
    HMENU subSampling = CreatePopupMenu();
    for (int i = 0; i < kSubSampleCount; ++i)
        AppendMenuA(subSampling, MF_STRING, kCmdSubSampleBase + i, kSubSampleNames[i]);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(formats), "&Output format");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(subSampling), "&Sub-sampling");
    AppendMenuA(menu, MF_STRING, kCmdFullWindow, "&Full sensor window");
    AppendMenuA(menu, MF_STRING, kCmdPauseResume, "&Pause/Resume live picture");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCmdAnalogDialog, "&Analog settings...");
    AppendMenuA(menu, MF_STRING, kCmdCameraDialog, "&Camera settings...");
    AppendMenuA(menu, MF_STRING, kCmdImageDialog, "&Image settings...");
    return menu;
}

// Output format and sub-sampling take effect at the next start of the picture.
void ChooseFormat(Viewer& viewer, int index)
{
    if (viewer.camera.Check(Velmor_SetColorMode(viewer.camera.handle(), kFormatBits[index]), "Velmor_SetColorMode"))
        RestartPicture(viewer);
    CheckMenuChoices(viewer);
}

void ChooseSubSample(Viewer& viewer, int index)
{
    if (viewer.camera.Check(Velmor_SetSubSample(viewer.camera.handle(), kSubSampleCodes[index]),
                            "Velmor_SetSubSample"))
        RestartPicture(viewer);
    CheckMenuChoices(viewer);
}

void UseFullWindow(Viewer& viewer)
{
    if (viewer.camera.SetSensorWindow({0, 0, kSensorWidth, kSensorHeight}))
        RestartPicture(viewer);
}

void PauseOrResume(Viewer& viewer)
{
    if (viewer.camera.running()) {
        viewer.camera.Stop();
        return ShowMessage(viewer, "live picture paused");
    }
    RestartPicture(viewer);
    if (viewer.camera.running())
        ShowMessage(viewer, "live picture resumed");
}

// The dialogs are modal on this thread; the camera dialog stops and restarts the picture itself.
void OpenDialog(Viewer& viewer, int (*open)(int, HWND), const char* call)
{
    viewer.camera.Check(open(viewer.camera.handle(), viewer.main), call);
    CheckMenuChoices(viewer);
    // A changed format or window gives the picture other proportions.
    RestartPicture(viewer);
}

}  // namespace

HMENU BuildMenu()
{
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(FileMenu()), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CameraMenu()), "&Camera");
    return bar;
}

void CheckMenuChoices(Viewer& viewer)
{
    HMENU menu = GetMenu(viewer.main);
    const int bits = Velmor_GetColorMode(viewer.camera.handle());
    const int code = Velmor_GetSubSample(viewer.camera.handle());
    for (int i = 0; i < kFormatCount; ++i)
        CheckMenuItem(menu, kCmdFormatBase + i, kFormatBits[i] == bits ? MF_CHECKED : MF_UNCHECKED);
    for (int i = 0; i < kSubSampleCount; ++i)
        CheckMenuItem(menu, kCmdSubSampleBase + i, kSubSampleCodes[i] == code ? MF_CHECKED : MF_UNCHECKED);
}

void OnCommand(Viewer& viewer, int id)
{
    if (!viewer.camera.handle() && id != kCmdExit) {
        ShowMessage(viewer, "no camera: the command needs one");
        return;
    }
    if (id >= kCmdFormatBase && id < kCmdFormatBase + kFormatCount)
        return ChooseFormat(viewer, id - kCmdFormatBase);
    if (id >= kCmdSubSampleBase && id < kCmdSubSampleBase + kSubSampleCount)
        return ChooseSubSample(viewer, id - kCmdSubSampleBase);
    switch (id) {
    case kCmdSnapshot: return TakeSnapshot(viewer);
    case kCmdSaveAs: return SaveAs(viewer);
    case kCmdRecord: return StartRecording(viewer);
    case kCmdFullWindow: return UseFullWindow(viewer);
    case kCmdPauseResume: return PauseOrResume(viewer);
    case kCmdAnalogDialog: return OpenDialog(viewer, Velmor_SetAnalogDlg, "Velmor_SetAnalogDlg");
    case kCmdCameraDialog: return OpenDialog(viewer, Velmor_SetCameraDlg, "Velmor_SetCameraDlg");
    case kCmdImageDialog: return OpenDialog(viewer, Velmor_SetImageDlg, "Velmor_SetImageDlg");
    case kCmdExit: DestroyWindow(viewer.main); return;
    }
}

}  // namespace viewer
