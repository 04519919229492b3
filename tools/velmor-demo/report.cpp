#include "report.h"

#include <cstdarg>
#include <cstdio>

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

int DrainErrors(int camera, const char* indent)
{
    int count = 0;
    for (int code = Velmor_GetLastError(camera); code != VELMOR_ERROR_NONE; code = Velmor_GetLastError(camera)) {
        std::printf("%serror %d: %s\n", indent, code, ErrorText(code));
        ++count;
    }
    return count;
}

void ReportFailure(DemoRun& run, const char* format, ...)
{
    std::printf("  FAILED: ");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    if (DrainErrors(run.camera, "    ") == 0)
        std::printf("    (no error code queued)\n");
    ++run.failedSteps;
}

int PaddedRowBytes(int width, int bytesPerPixel) { return (width * bytesPerPixel + 3) & ~3; }

Stopwatch::Stopwatch() { QueryPerformanceCounter(&start_); }

double Stopwatch::ElapsedMs() const
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
