// velmor-demo: drives the SDK from a terminal the way an application does, through the exports only.
#include <VelmorSdk_520QK_ZRX.h>

#include <cstdio>

namespace {

const char* ErrorText(int code)
{
    switch (code) {
    case VELMOR_ERROR_STATE: return "no device object, or not allowed in the current acquisition state";
    case VELMOR_ERROR_DEVICE_BUSY: return "device absent or busy";
    case VELMOR_ERROR_THREAD: return "thread or event not created";
    case VELMOR_ERROR_WINDOW: return "window not created, or no capture-window preset";
    case VELMOR_ERROR_MEMORY: return "memory or buffer problem";
    case VELMOR_ERROR_REGISTER: return "register access or transfer start failed";
    case VELMOR_ERROR_CAPTURE_WINDOW: return "capture window invalid";
    case VELMOR_ERROR_TRANSFER: return "frame transfer failed";
    case VELMOR_ERROR_ARGUMENT: return "argument out of range or missing";
    case VELMOR_ERROR_NOT_AVAILABLE: return "function not available on this camera";
    case VELMOR_ERROR_FILE: return "file or text conversion failed";
    case VELMOR_ERROR_NO_FRAME: return "frame transfer ended, or no frame for 6000 ms";
    default: return "unknown error";
    }
}

const char* ColorModeText(int code)
{
    switch (code) {
    case 8: return "8-bit monochrome";
    case 10: return "16-bit monochrome (10 significant bits)";
    case 24: return "24-bit colour";
    case 32: return "32-bit colour";
    case 42: return "48-bit colour (10 significant bits)";
    case 58: return "64-bit colour (10 significant bits)";
    default: return "not a valid output format";
    }
}

const char* SubSampleText(int code)
{
    switch (code) {
    case VELMOR_SUBSAMPLE_NONE: return "full resolution";
    case VELMOR_SUBSAMPLE_SKIP_2: return "1/2 by skipping";
    case VELMOR_SUBSAMPLE_SKIP_4: return "1/4 by skipping";
    case VELMOR_SUBSAMPLE_BIN_2: return "1/2 by binning";
    case VELMOR_SUBSAMPLE_BIN_4: return "1/4 by binning";
    default: return "not a valid sub-sampling";
    }
}

const char* AutoIrisText(int mode)
{
    switch (mode) {
    case 0: return "off";
    case 1: return "by exposure";
    case 2: return "by gain";
    default: return "unknown";
    }
}

void PrintSettings(int camera)
{
    int hTotal = 0, left = 0, width = 0, vTotal = 0, top = 0, height = 0;
    Velmor_GetCaptureWindowEx(camera, &hTotal, &left, &width, &vTotal, &top, &height);
    std::printf("Capture window: %d x %d at (%d, %d) of %d x %d\n", width, height, left, top, hTotal, vTotal);
    const int colorMode = Velmor_GetColorMode(camera);
    std::printf("Output format: %s (code %d)\n", ColorModeText(colorMode), colorMode);
    const int subSample = Velmor_GetSubSample(camera);
    std::printf("Sub-sampling: %s (code %d)\n", SubSampleText(subSample), subSample);
    std::printf("Preview poll interval: %d ms\n", Velmor_GetWaitTime(camera));
    int ok = 0;
    const int autoIris = Velmor_GetAutoIris(camera, &ok);
    std::printf("Automatic exposure: %s\n", AutoIrisText(autoIris));
}

void PrintErrors(int camera)
{
    int code = Velmor_GetLastError(camera);
    if (code == 0) {
        std::printf("Error queue: empty\n");
        return;
    }
    std::printf("Error queue, newest first:\n");
    for (; code != 0; code = Velmor_GetLastError(camera))
        std::printf("  %d: %s\n", code, ErrorText(code));
}

}  // namespace

int main()
{
    const unsigned version = static_cast<unsigned>(Velmor_GetDllVersion());
    std::printf("VelmorSdk_520QK_ZRX version 0x%08X (%u)\n", version, version);

    const int camera = Velmor_Initialize(nullptr);
    if (camera == 0) {
        std::printf("No camera object could be created.\n");
        return 1;
    }
    std::printf("Camera handle: %d\n", camera);
    PrintSettings(camera);
    PrintErrors(camera);

    const int released = Velmor_Release(camera);
    std::printf("Released: %s\n", released ? "yes" : "no");
    return released ? 0 : 1;
}
