#include "camera/error_queue.h"

#include <cstring>

void ErrorQueue::Push(int32_t code)
{
    Guard guard(lock_);
    std::memmove(entries_ + 1, entries_, sizeof(entries_[0]) * (kDepth - 1));
    entries_[0] = code;
}

int32_t ErrorQueue::Pop()
{
    Guard guard(lock_);
    const int32_t newest = entries_[0];
    std::memmove(entries_, entries_ + 1, sizeof(entries_[0]) * (kDepth - 1));
    entries_[kDepth - 1] = 0;
    return newest;
}

void PostError(HWND window, int32_t code) { PostMessageA(window, kMessageError, 0, code); }

void PostFrameFailure(HWND callbackWindow, int32_t code)
{
    if (callbackWindow)
        PostMessageA(callbackWindow, kMessageFrame, 0, code);
}
