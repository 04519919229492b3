// The sample application of sample.c, written in C++17 with the companion header: the camera
// object releases itself, errors come as an enum with their texts, frames as views.
//
//   velmor-sample-cpp [FOLDER]     files go to FOLDER (default: the current folder)
#include <VelmorSdk_520QK_ZRX.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024, kHeight = 768, kBits = 24;
constexpr UINT kPreviewMs = 3000, kRecordMs = 2000;
constexpr UINT_PTR kTimerId = 1;

// What the frame window has seen; its procedure runs on this thread only.
struct Seen {
    int frames = 0;
    velmor::FrameNotification last;
    bool lost = false;
} seen;

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const auto note = velmor::DecodeFrameMessage(message, wParam, lParam)) {
        if (note->failed()) {
            seen.lost = true;
        } else {
            seen.last = *note;
            ++seen.frames;
        }
        return 0;
    }
    if (message == WM_TIMER) {
        KillTimer(window, kTimerId);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpMessages(HWND window, UINT ms)
{
    SetTimer(window, kTimerId, ms, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
}

HWND CreateFrameWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FrameWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VelmorSampleFrames";
    if (!RegisterClassA(&windowClass))
        return nullptr;
    return CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

bool Step(bool ok, velmor::Camera& camera, const std::string& what)
{
    std::printf("%s: %s\n", what.c_str(), ok ? "ok" : "FAILED");
    if (!ok)
        for (velmor::Error e : camera.TakeErrors())
            std::printf("  error %d: %s\n", static_cast<int>(e), velmor::ErrorText(e));
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    std::printf("SDK version 0x%08X\n", static_cast<unsigned>(Velmor_GetDllVersion()));
    velmor::Camera camera;
    if (!camera) {
        std::printf("no camera object could be made\n");
        return 1;
    }
    const std::vector<std::string> devices = camera.Devices();
    std::printf("cameras found: %d\n", static_cast<int>(devices.size()));
    for (const std::string& name : devices)
        std::printf("  %s\n", name.c_str());
    HWND window = CreateFrameWindow();
    bool ok = Step(!devices.empty() && window, camera, "camera and window");

    ok = ok && Step(Velmor_SetColorMode(camera.handle(), kBits) &&
                        Velmor_SetCaptureWindowEx(camera.handle(), 2048, (2048 - kWidth) / 2, kWidth, 1536,
                                                  (1536 - kHeight) / 2, kHeight) &&
                        Velmor_SetPreviewWindow(camera.handle(), nullptr, 0, 0, 0, 0),
                    camera, "format 24-bit colour, window 1024 x 768");

    std::vector<std::uint8_t> frame;
    const velmor::FrameView snapshot = ok ? camera.SnapShot(frame) : velmor::FrameView{};
    ok = Step(bool(snapshot), camera, "snapshot") && ok;
    if (snapshot)
        std::printf("  top-left pixel: B %u, G %u, R %u\n", snapshot.Row(0)[0], snapshot.Row(0)[1], snapshot.Row(0)[2]);

    if (ok && Step(Velmor_CallBackPreview(camera.handle(), window, frame.data(), static_cast<int>(frame.size()), 1),
                   camera, "live preview")) {
        PumpMessages(window, kPreviewMs);
        const velmor::FrameView view = seen.last.View();
        std::printf("  frames: %d in %u ms, %d x %d, %d bits, camera rate %.1f frames per second\n", seen.frames,
                    kPreviewMs, view.width, view.height, view.bitsPerPixel, seen.last.info.fpsTenths / 10.0);
        ok = Step(seen.frames > 0 && !seen.lost && view.data == frame.data(), camera, "frames received") && ok;
        ok = Step(Velmor_StopPreview(camera.handle()), camera, "stop") && ok;
    } else {
        ok = false;
    }

    std::string png = folder + "\\sample.png", avi = folder + "\\sample.avi";
    ok = Step(Velmor_SaveImage(camera.handle(), png.data(), VELMOR_SAVE_PNG), camera, png) && ok;
    if (Step(Velmor_Record(camera.handle(), avi.data(), kRecordMs, 0), camera, avi)) {
        PumpMessages(window, kRecordMs + 1000);  // the file is finished at the first frame after 2 s
        ok = Step(Velmor_StopPreview(camera.handle()), camera, "stop") && ok;
    } else {
        ok = false;
    }

    std::printf("error queue, newest first:\n");
    const std::vector<velmor::Error> errors = camera.TakeErrors();
    for (velmor::Error e : errors)
        std::printf("  error %d: %s\n", static_cast<int>(e), velmor::ErrorText(e));
    if (errors.empty())
        std::printf("  empty\n");
    if (window)
        DestroyWindow(window);
    std::printf("result: %s\n", ok ? "every step worked" : "a step failed");
    return ok ? 0 : 1;
}
