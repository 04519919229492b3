#pragma once
// The camera object's queue of the twenty most recent error codes, newest first, and the
// notifications that go with them. The acquisition thread raises while the application pops,
// so the queue has a lock of its own.
#include "camera/critical_section.h"

#include <cstdint>

// Error codes, as the public header names them.
enum ErrorCode : int32_t {
    kErrorNone = 0,
    kErrorState = 1,
    kErrorDeviceBusy = 2,
    kErrorThread = 3,
    kErrorWindow = 4,
    kErrorMemory = 5,
    kErrorRegister = 6,
    kErrorCaptureWindow = 7,
    kErrorTransfer = 8,
    kErrorArgument = 9,
    kErrorNotAvailable = 11,
    kErrorFile = 12,
    kErrorNoFrame = 13,
};

constexpr UINT kMessageFrame = WM_APP + 2;  // to the callback window
constexpr UINT kMessageError = WM_APP + 3;  // to the notification window

class ErrorQueue {
public:
    static constexpr int kDepth = 20;

    // Pushes the code; the oldest of a full queue is lost.
    void Push(int32_t code);
    // The newest code, or 0 when the queue is empty.
    int32_t Pop();

private:
    CriticalSection lock_;
    int32_t entries_[kDepth] = {};
};

// Posts an error notification; a null window posts to the calling thread's own queue.
void PostError(HWND window, int32_t code);
// Frame failure notification to the callback window: wParam 0, lParam 5, 8 or 13.
void PostFrameFailure(HWND callbackWindow, int32_t code);
