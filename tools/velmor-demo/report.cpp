#include "report.h"

#include <VelmorSdk_520QK_ZRX.hpp>

#include <cstdarg>
#include <cstdio>

// The words of the companion header, which C++ applications use too.
const char* ErrorText(int code) { return velmor::ErrorText(static_cast<velmor::Error>(code)); }

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
