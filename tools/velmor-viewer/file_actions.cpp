// Files: the automatic snapshot, saving the current frame in any file type through a save dialog,
// and recording video of a chosen duration with a progress bar.
#include "viewer.h"
#include "viewer_ids.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>

namespace viewer {

namespace {

struct FileType {
    const char* filter;  // description and pattern, as the save dialog lists them
    const char* extension;
    int code;
};

constexpr FileType kFileTypes[] = {
    {"Bitmap (*.bmp)\0*.bmp\0", "bmp", VELMOR_SAVE_BMP},
    {"Raw samples (*.raw)\0*.raw\0", "raw", VELMOR_SAVE_RAW},
    {"JPEG, quality 100 (*.jpg)\0*.jpg\0", "jpg", VELMOR_SAVE_JPEG_100},
    {"JPEG, quality 70 (*.jpg)\0*.jpg\0", "jpg", VELMOR_SAVE_JPEG_70},
    {"JPEG, quality 20 (*.jpg)\0*.jpg\0", "jpg", VELMOR_SAVE_JPEG_20},
    {"PNG (*.png)\0*.png\0", "png", VELMOR_SAVE_PNG},
    {"TIFF (*.tif)\0*.tif\0", "tif", VELMOR_SAVE_TIFF},
};
constexpr int kPngChoice = 5;  // the save dialog's first offer
constexpr int kProgressSteps = 1000;
constexpr DWORD kMsPerSecond = 1000;

// The filter string of the save dialog: every type's pair, each part ending in a NUL.
std::string Filters()
{
    std::string filters;
    for (const FileType& type : kFileTypes) {
        const std::string description = type.filter;  // up to the first NUL
        const std::string pattern = type.filter + description.size() + 1;
        filters += description + '\0' + pattern + '\0';
    }
    return filters + '\0';
}

std::string InFolder(const Viewer& viewer, const char* stem, int number, const char* extension)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s-%03d.%s", stem, number, extension);
    return viewer.options.recordFolder + "\\" + name;
}

bool Save(Viewer& viewer, std::string path, int code)
{
    if (!viewer.camera.Check(Velmor_SaveImage(viewer.camera.handle(), path.data(), code), "Velmor_SaveImage"))
        return false;
    LogLine(viewer, "saved " + path);
    return true;
}

}  // namespace

void TakeSnapshot(Viewer& viewer)
{
    const FileType& png = kFileTypes[kPngChoice];
    Save(viewer, InFolder(viewer, "snapshot", ++viewer.snapshots, png.extension), png.code);
}

void SaveAs(Viewer& viewer)
{
    char path[MAX_PATH] = "frame";
    const std::string filters = Filters();
    OPENFILENAMEA dialog = {sizeof dialog};
    dialog.hwndOwner = viewer.main;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = kPngChoice + 1;  // the dialog counts from 1
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrDefExt = kFileTypes[kPngChoice].extension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&dialog)) {
        if (const DWORD error = CommDlgExtendedError())
            ShowMessage(viewer, "the save dialog failed with code " + std::to_string(error));
        return;
    }
    const int index = int(dialog.nFilterIndex) - 1;
    if (index < 0 || index >= int(std::size(kFileTypes)))
        return ShowMessage(viewer, "unknown file type chosen");
    Save(viewer, path, kFileTypes[index].code);
}

void StartRecording(Viewer& viewer)
{
    if (viewer.recording.active)
        return ShowMessage(viewer, "a recording is running");
    BOOL read = FALSE;
    const UINT seconds = GetDlgItemInt(viewer.main, kIdDuration, &read, FALSE);
    if (!read || seconds == 0)
        return ShowMessage(viewer, "record: give the duration in whole seconds");
    std::string path = InFolder(viewer, "recording", ++viewer.recordings, "avi");
    const DWORD durationMs = seconds * kMsPerSecond;
    if (!viewer.camera.Check(Velmor_Record(viewer.camera.handle(), path.data(), int(durationMs), 0), "Velmor_Record"))
        return;
    // Recording takes over the frame messages: ask for them again, without stopping the picture.
    viewer.camera.Check(viewer.camera.Resume(viewer.picture, viewer.placement, viewer.main), "Velmor_CallBackPreview");
    viewer.recording = {true, GetTickCount(), durationMs, path};
    SendMessageA(viewer.progress, PBM_SETRANGE32, 0, kProgressSteps);
    SendMessageA(viewer.progress, PBM_SETPOS, 0, 0);
    SetTimer(viewer.main, kTimerRecord, kRecordTickMs, nullptr);
    LogLine(viewer, "recording " + std::to_string(seconds) + " s to " + path);
}

void OnRecordTick(Viewer& viewer)
{
    Recording& recording = viewer.recording;
    const DWORD elapsed = GetTickCount() - recording.startTick;
    const DWORD shown = elapsed < recording.durationMs ? elapsed : recording.durationMs;
    SendMessageA(viewer.progress, PBM_SETPOS, WPARAM(shown * kProgressSteps / recording.durationMs), 0);
    if (elapsed < recording.durationMs)
        return;
    KillTimer(viewer.main, kTimerRecord);
    recording.active = false;
    LogLine(viewer, "recorded " + recording.path);
}

}  // namespace viewer
