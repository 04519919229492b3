/* The public header compiles as plain C: an application written in C links and calls the SDK. */
#include <VelmorSdk_520QK_ZRX.h>

#include <stdio.h>

int main(void)
{
    VELMOR_FRAME_INFO info;
    VELMOR_CAMERA_INFO camera;
    int version = Velmor_GetDllVersion();
    if (sizeof(info) != 32 || sizeof(camera) != 36) {
        printf("record sizes %u and %u\n", (unsigned)sizeof(info), (unsigned)sizeof(camera));
        return 1;
    }
    if (version != VELMOR_DLL_VERSION) {
        printf("version 0x%08X\n", (unsigned)version);
        return 1;
    }
    return Velmor_GetColorMode(0) == -1 ? 0 : 1;
}
