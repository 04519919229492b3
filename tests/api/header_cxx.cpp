// The public header compiles as C++ and its records have the layout the application reads.
#include <VelmorSdk_520QK_ZRX.h>

#include <cstddef>

static_assert(offsetof(VELMOR_FRAME_INFO, bitsPerPixel) == 12);
static_assert(offsetof(VELMOR_FRAME_INFO, fpsTenths) == 16);
static_assert(offsetof(VELMOR_FRAME_INFO, buffer) == 24);
static_assert(offsetof(VELMOR_CAMERA_INFO, exposureMax) == 32);

int main() { return Velmor_GetWaitTime(0) == -1 && Velmor_GetSubSample(0) == -1 ? 0 : 1; }
