/* The main job of an application, in C99 with nothing but the SDK's header and import library:
 * find the camera, choose the output format and the capture window, take a snapshot into a
 * buffer, run a live preview with frame notifications for a few seconds, save the frame as PNG,
 * record two seconds of video, print the error queue in words, release the camera.
 *
 *   velmor-sample [FOLDER]     files go to FOLDER (default: the current folder)
 *
 * Exit code 0 when every step worked. */
#include <VelmorSdk_520QK_ZRX.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    kWidth = 1024,      /* a centred 1024 x 768 window of the 2048 x 1536 sensor */
    kHeight = 768,
    kBits = 24,         /* 24-bit colour: rows of 3-byte BGR pixels padded to 4 bytes */
    kPreviewMs = 3000,
    kRecordMs = 2000,
    kTimerId = 1
};

/* What the frame window has seen; the window procedure runs on this thread only. */
static int framesSeen;
static VELMOR_FRAME_INFO lastFrame;
static int lostCamera;

static const char *ErrorText(int code)
{
    switch (code) {
    case VELMOR_ERROR_STATE: return "no device, or not allowed in this acquisition state";
    case VELMOR_ERROR_DEVICE_BUSY: return "the camera is missing or used by another process";
    case VELMOR_ERROR_THREAD: return "a thread or event could not be made";
    case VELMOR_ERROR_WINDOW: return "the preview window could not be made";
    case VELMOR_ERROR_MEMORY: return "a buffer is too small or memory ran out";
    case VELMOR_ERROR_REGISTER: return "the camera did not take a setting";
    case VELMOR_ERROR_CAPTURE_WINDOW: return "the capture window does not fit the sensor";
    case VELMOR_ERROR_TRANSFER: return "a frame transfer failed";
    case VELMOR_ERROR_ARGUMENT: return "an argument is out of range";
    case VELMOR_ERROR_NOT_AVAILABLE: return "this camera does not have that function";
    case VELMOR_ERROR_FILE: return "a file could not be written";
    case VELMOR_ERROR_NO_FRAME: return "no frame came: the camera was lost";
    default: return "unknown error";
    }
}

/* Prints and empties the camera's error queue, newest first; the number of codes printed. */
static int PrintErrors(int camera)
{
    int code, count = 0;
    while ((code = Velmor_GetLastError(camera)) != 0) {
        printf("  error %d: %s\n", code, ErrorText(code));
        ++count;
    }
    return count;
}

static LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case VELMOR_WM_FRAME:
        if (wParam) {
            /* The record lives in the camera object; copy what is needed while handling. */
            lastFrame = *(const VELMOR_FRAME_INFO *)wParam;
            ++framesSeen;
        } else {
            lostCamera = 1; /* a failure: lParam holds the error code */
        }
        return 0;
    case WM_TIMER:
        KillTimer(window, kTimerId);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

/* Handles this thread's messages for `ms` milliseconds. */
static void PumpMessages(HWND window, UINT ms)
{
    MSG msg;
    SetTimer(window, kTimerId, ms, NULL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
}

static HWND CreateFrameWindow(void)
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = FrameWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "VelmorSampleFrames";
    if (!RegisterClassA(&windowClass))
        return NULL;
    /* A message-only window: it receives the notifications and shows nothing. */
    return CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                           windowClass.hInstance, NULL);
}

static int Step(int ok, int camera, const char *what)
{
    printf("%s: %s\n", what, ok ? "ok" : "FAILED");
    if (!ok)
        PrintErrors(camera);
    return ok;
}

int main(int argc, char **argv)
{
    const char *folder = argc > 1 ? argv[1] : ".";
    const int stride = (kWidth * kBits / 8 + 3) & ~3;
    const int frameBytes = stride * kHeight;
    char devices[VELMOR_MAX_DEVICES * VELMOR_DEVICE_ENTRY_BYTES];
    char path[MAX_PATH];
    BYTE *frame;
    HWND window;
    int camera, found, i, ok = 1;

    printf("SDK version 0x%08X\n", (unsigned)Velmor_GetDllVersion());
    camera = Velmor_Initialize(NULL); /* errors are queued; no notification window */
    if (!camera) {
        printf("no camera object could be made\n");
        return 1;
    }
    found = Velmor_EnumDevice(camera, devices);
    printf("cameras found: %d\n", found);
    for (i = 0; i < found; ++i)
        printf("  %s\n", devices + i * VELMOR_DEVICE_ENTRY_BYTES);

    frame = (BYTE *)malloc((size_t)frameBytes);
    window = CreateFrameWindow();
    ok &= Step(found > 0 && frame && window, camera, "camera, buffer and window");

    /* Set up: output format, a centred window of the sensor, no preview window of the SDK's own. */
    ok &= Step(Velmor_SetColorMode(camera, kBits) &&
                   Velmor_SetCaptureWindowEx(camera, 2048, (2048 - kWidth) / 2, kWidth, 1536, (1536 - kHeight) / 2,
                                             kHeight) &&
                   Velmor_SetPreviewWindow(camera, NULL, 0, 0, 0, 0),
               camera, "format 24-bit colour, window 1024 x 768");

    /* One frame into the buffer, top row first. */
    if (ok && Step(Velmor_SnapShot(camera, frame, frameBytes, 1), camera, "snapshot")) {
        printf("  top-left pixel: B %u, G %u, R %u\n", frame[0], frame[1], frame[2]);
    } else {
        ok = 0;
    }

    /* Live preview: a notification per frame, the newest frame always in the buffer. */
    if (ok && Step(Velmor_CallBackPreview(camera, window, frame, frameBytes, 1), camera, "live preview")) {
        PumpMessages(window, kPreviewMs);
        printf("  frames: %d in %d ms, %d x %d, %d bits, camera rate %.1f frames per second\n", framesSeen,
               kPreviewMs, lastFrame.width, lastFrame.height, lastFrame.bitsPerPixel, lastFrame.fpsTenths / 10.0);
        ok &= Step(framesSeen > 0 && !lostCamera, camera, "frames received");
        ok &= Step(Velmor_StopPreview(camera), camera, "stop");
    } else {
        ok = 0;
    }

    /* The last frame as PNG. */
    snprintf(path, sizeof path, "%s\\sample.png", folder);
    ok &= Step(Velmor_SaveImage(camera, path, VELMOR_SAVE_PNG), camera, path);

    /* Two seconds of video: Record starts the preview, which goes on after the recording. */
    snprintf(path, sizeof path, "%s\\sample.avi", folder);
    if (Step(Velmor_Record(camera, path, kRecordMs, 0), camera, path)) {
        PumpMessages(window, kRecordMs + 1000); /* the file is finished at the first frame after 2 s */
        ok &= Step(Velmor_StopPreview(camera), camera, "stop");
    } else {
        ok = 0;
    }

    printf("error queue, newest first:\n");
    if (PrintErrors(camera) == 0)
        printf("  empty\n");
    Velmor_Release(camera);
    if (window)
        DestroyWindow(window);
    free(frame);
    printf("result: %s\n", ok ? "every step worked" : "a step failed");
    return ok ? 0 : 1;
}
