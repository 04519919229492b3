// velmor-viewer: the live picture of a 520QK camera with its status, histogram, pixel values,
// capture window, files and settings dialogs.
//   velmor-viewer [--device N] [--record-to FOLDER]
#include "viewer.h"
#include "viewer_ids.h"

#include <commctrl.h>

namespace {

constexpr int kUsageExit = 2;

int Run(const viewer::Options& options)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    viewer::Viewer state(options);
    HWND window = viewer::CreateViewerWindow(state, GetModuleHandleA(nullptr));
    if (!window) {
        MessageBoxA(nullptr, "The viewer's window could not be made.", viewer::kMainTitle, MB_ICONERROR);
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    const std::optional<viewer::Options> options =
        viewer::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options) {
        MessageBoxA(nullptr, error.c_str(), viewer::kMainTitle, MB_ICONERROR);
        return kUsageExit;
    }
    return Run(*options);
}
