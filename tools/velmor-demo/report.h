// What every step of velmor-demo shares: reporting a failure with the camera's error codes, and timing.
#pragma once

#include <VelmorSdk_520QK_ZRX.h>

// The camera handle of the run and how many steps have failed so far (the exit code depends on it).
struct DemoRun {
    int camera = 0;
    int failedSteps = 0;
    // For the closing summary.
    int snapshots = 0;
    double snapshotMs = 0;
    int filesSaved = 0;
    double saveMs = 0;
    int previewFrames = 0;
    int previewFpsTenths = 0;
    int recordedFrames = 0;
    double recordMs = 0;
};

const char* ErrorText(int code);

// Prints "FAILED: <what>" followed by every code the camera has queued since, and counts the failure.
void ReportFailure(DemoRun& run, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Empties the camera's error queue, printing each code with its text; returns how many there were.
int DrainErrors(int camera, const char* indent);

// Pads a row of pixels to whole 4-byte words, as the SDK lays out every frame.
int PaddedRowBytes(int width, int bytesPerPixel);

// Elapsed time from the performance counter, in milliseconds.
class Stopwatch {
public:
    Stopwatch();
    double ElapsedMs() const;

private:
    LARGE_INTEGER start_;
};
