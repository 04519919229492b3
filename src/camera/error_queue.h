#pragma once
// The camera object's queue of the twenty most recent error codes, newest first, and the
// notifications that go with them. The acquisition thread raises while the application pops,
// so the queue has a lock of its own.
#include "camera/critical_section.h"

#include <VelmorSdk_520QK_ZRX.h>

#include <cstdint>

// Error codes and messages: the public header's.
enum ErrorCode : int32_t {
    kErrorNone = VELMOR_ERROR_NONE,
    kErrorState = VELMOR_ERROR_STATE,
    kErrorDeviceBusy = VELMOR_ERROR_DEVICE_BUSY,
    kErrorThread = VELMOR_ERROR_THREAD,
    kErrorWindow = VELMOR_ERROR_WINDOW,
    kErrorMemory = VELMOR_ERROR_MEMORY,
    kErrorRegister = VELMOR_ERROR_REGISTER,
    kErrorCaptureWindow = VELMOR_ERROR_CAPTURE_WINDOW,
    kErrorTransfer = VELMOR_ERROR_TRANSFER,
    kErrorArgument = VELMOR_ERROR_ARGUMENT,
    kErrorNotAvailable = VELMOR_ERROR_NOT_AVAILABLE,
    kErrorFile = VELMOR_ERROR_FILE,
    kErrorNoFrame = VELMOR_ERROR_NO_FRAME,
};

constexpr UINT kMessageFrame = VELMOR_WM_FRAME;  // to the callback window
constexpr UINT kMessageError = VELMOR_WM_ERROR;  // to the notification window

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
