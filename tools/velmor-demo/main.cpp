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

void PrintDevices(int camera)
{
    static char entries[32][256];
    const int count = Velmor_EnumDevice(camera, entries[0]);
    std::printf("Cameras found: %d\n", count);
    for (int i = 0; i < count; ++i)
        std::printf("  %s\n", entries[i]);
}

void PrintCameraInfo(int camera)
{
    VELMOR_CAMERA_INFO info = {};
    info.size = sizeof(info);
    if (!Velmor_GetCameraInfo(camera, &info)) {
        std::printf("Camera information: not available\n");
        return;
    }
    std::printf("Sensor: %d x %d; global gain %d..%d; colour gains %d..%d; exposure %d..%d lines\n", info.maxWidth,
                info.maxHeight, info.globalGainMin, info.globalGainMax, info.colorGainMin, info.colorGainMax,
                info.exposureMin, info.exposureMax);
}

const char* ClockText(int clock)
{
    switch (clock) {
    case 0: return "24 MHz";
    case 1: return "12 MHz";
    case 2: return "48 MHz";
    case 3: return "40 MHz";
    case 4: return "20 MHz";
    case 5: return "10 MHz";
    default: return "unknown";
    }
}

const char* GrayModeText(int mode)
{
    switch (mode) {
    case 0: return "off";
    case 1: return "per-site gains";
    case 2: return "gray from colour";
    default: return "unknown";
    }
}

// Every property of the camera, as an operator would read it.
void PrintProperties(int camera)
{
    int ok = 0;
    const int clock = Velmor_GetHalfClock(camera, &ok);
    std::printf("Sensor clock: %s\n", ok ? ClockText(clock) : "not readable");
    const int exposureUs = Velmor_GetRealExposureTime(camera, &ok);
    std::printf("Exposure: %d lines, %d us\n", Velmor_GetExposureTime(camera, nullptr), exposureUs);
    std::printf("Global gain: %d (14 is neutral)\n", Velmor_GetGlobalGain(camera, nullptr));
    std::printf("Colour gains: red %d, green1 %d, green2 %d, blue %d\n", Velmor_GetColorGainRed(camera, nullptr),
                Velmor_GetColorGainGreen1(camera, nullptr), Velmor_GetColorGainGreen2(camera, nullptr),
                Velmor_GetColorGainBlue(camera, nullptr));
    std::printf("Mirrors: horizontal %s, vertical %s\n", Velmor_GetMirrorH(camera) ? "on" : "off",
                Velmor_GetMirrorV(camera) ? "on" : "off");
    std::printf("Brightness %d, contrast %d, hue %d, saturation %d, sharpness %d, gamma %d\n",
                Velmor_GetBrightness(camera, nullptr), Velmor_GetContrast(camera, nullptr),
                Velmor_GetHue(camera, nullptr), Velmor_GetSaturation(camera, nullptr),
                Velmor_GetSharpness(camera, nullptr), Velmor_GetGamma(camera, nullptr));
    std::printf("White balance gains: red %d, green %d, blue %d (100 is neutral); automatic: %s\n",
                Velmor_GetBayerGainRed(camera, nullptr), Velmor_GetBayerGainGreen(camera, nullptr),
                Velmor_GetBayerGainBlue(camera, nullptr), Velmor_GetBayerGainAuto(camera, nullptr) ? "on" : "off");
    std::printf("Bayer mode: %d\n", Velmor_GetBayerMode(camera, nullptr));
    std::printf("Gray mode: %s; gains R %d, G1 %d, G2 %d, B %d; offsets R %d, G1 %d, G2 %d, B %d\n",
                GrayModeText(Velmor_GetGrayMode(camera, nullptr)), Velmor_GetGrayGainR(camera, nullptr),
                Velmor_GetGrayGainG1(camera, nullptr), Velmor_GetGrayGainG2(camera, nullptr),
                Velmor_GetGrayGainB(camera, nullptr), Velmor_GetGrayOffsetR(camera, nullptr),
                Velmor_GetGrayOffsetG1(camera, nullptr), Velmor_GetGrayOffsetG2(camera, nullptr),
                Velmor_GetGrayOffsetB(camera, nullptr));
    BYTE port = 0;
    if (Velmor_GetIOPort(camera, &port, 0, 0))
        std::printf("I/O port inputs: 0x%02X\n", port);
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
    PrintDevices(camera);
    PrintCameraInfo(camera);
    PrintSettings(camera);
    PrintProperties(camera);
    PrintErrors(camera);

    const int released = Velmor_Release(camera);
    std::printf("Released: %s\n", released ? "yes" : "no");
    return released ? 0 : 1;
}
