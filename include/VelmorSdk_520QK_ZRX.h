/*
 * VelmorSdk_520QK_ZRX: the SDK of the 520QK USB colour camera (2048 x 1536 Bayer sensor, 10-bit samples).
 *
 * Every function returns a 32-bit integer: 1 (or the value asked for) on success, 0 on failure.
 * Velmor_Initialize hands out a camera handle; every other function except Velmor_GetDllVersion takes it
 * first. The reason for a failure is queued per camera (Velmor_GetLastError, newest first) and posted to
 * the notification window as VELMOR_WM_ERROR. Compiles as C (C99 and later) and as C++.
 */
#ifndef VELMORSDK_520QK_ZRX_H
#define VELMORSDK_520QK_ZRX_H

#include <windows.h>

#ifdef VELMOR_SDK_BUILD
#define VELMOR_API
#else
#define VELMOR_API __declspec(dllimport)
#endif
#define VELMOR_CALL __cdecl

#ifdef __cplusplus
extern "C" {
#endif

/* Constant result of Velmor_GetDllVersion. */
#define VELMOR_DLL_VERSION 0x0192051F

/* Window messages, posted (never sent). */
#define VELMOR_WM_FRAME (WM_APP + 2) /* to the callback window: wParam = VELMOR_FRAME_INFO*, lParam 0;
                                        a frame failure has wParam 0 and lParam 5, 8 or 13 */
#define VELMOR_WM_ERROR (WM_APP + 3) /* to the notification window: wParam 0, lParam = error code */

/* Error codes (Velmor_GetLastError, lParam of VELMOR_WM_ERROR). */
#define VELMOR_ERROR_NONE 0
#define VELMOR_ERROR_STATE 1            /* no device object, or not allowed in the current acquisition state */
#define VELMOR_ERROR_DEVICE_BUSY 2      /* device absent or claimed by another camera object */
#define VELMOR_ERROR_THREAD 3           /* thread or event not created */
#define VELMOR_ERROR_WINDOW 4           /* window not created, or no capture-window preset */
#define VELMOR_ERROR_MEMORY 5           /* memory or buffer problem */
#define VELMOR_ERROR_REGISTER 6         /* register access or transfer start failed */
#define VELMOR_ERROR_CAPTURE_WINDOW 7   /* capture window invalid */
#define VELMOR_ERROR_TRANSFER 8         /* frame transfer failed */
#define VELMOR_ERROR_ARGUMENT 9         /* argument out of range or missing */
#define VELMOR_ERROR_NOT_AVAILABLE 11   /* function not available on this camera */
#define VELMOR_ERROR_FILE 12            /* file or text conversion failed */
#define VELMOR_ERROR_NO_FRAME 13        /* frame transfer ended, or no frame for 6000 ms */

/* File types of Velmor_SaveImage / Velmor_SaveImageW. */
#define VELMOR_SAVE_BMP 0
#define VELMOR_SAVE_RAW 1
#define VELMOR_SAVE_JPEG_100 2
#define VELMOR_SAVE_JPEG_70 3
#define VELMOR_SAVE_JPEG_20 4
#define VELMOR_SAVE_PNG 5
#define VELMOR_SAVE_TIFF 6

/* Sub-sampling codes (Velmor_SetSubSample). */
#define VELMOR_SUBSAMPLE_NONE 0
#define VELMOR_SUBSAMPLE_SKIP_2 1
#define VELMOR_SUBSAMPLE_SKIP_4 2
#define VELMOR_SUBSAMPLE_BIN_2 17
#define VELMOR_SUBSAMPLE_BIN_4 18

/* Filter numbers of Velmor_SetFilterValue / Velmor_GetFilterValue. */
#define VELMOR_FILTER_BRIGHTNESS 1
#define VELMOR_FILTER_CONTRAST 2
#define VELMOR_FILTER_HUE 3
#define VELMOR_FILTER_SATURATION 4
#define VELMOR_FILTER_SHARPNESS 5
#define VELMOR_FILTER_BAYER_GAIN_RGB 6
#define VELMOR_FILTER_BAYER_GAIN_RED 7
#define VELMOR_FILTER_BAYER_GAIN_GREEN 8
#define VELMOR_FILTER_BAYER_GAIN_BLUE 9
#define VELMOR_FILTER_BAYER_GAIN_AUTO 10
#define VELMOR_FILTER_GAMMA 11
#define VELMOR_FILTER_BAYER_MODE 12
#define VELMOR_FILTER_GLOBAL_GAIN 13
#define VELMOR_FILTER_COLOR_GAIN_RED 14
#define VELMOR_FILTER_COLOR_GAIN_GREEN1 15
#define VELMOR_FILTER_COLOR_GAIN_GREEN2 16
#define VELMOR_FILTER_COLOR_GAIN_BLUE 17
#define VELMOR_FILTER_EXPOSURE 18
#define VELMOR_FILTER_GRAY_MODE 19
#define VELMOR_FILTER_GRAY_GAIN_R 20
#define VELMOR_FILTER_GRAY_GAIN_G1 21
#define VELMOR_FILTER_GRAY_GAIN_G2 22
#define VELMOR_FILTER_GRAY_GAIN_B 23
#define VELMOR_FILTER_GRAY_OFFSET_R 24
#define VELMOR_FILTER_GRAY_OFFSET_G1 25
#define VELMOR_FILTER_GRAY_OFFSET_G2 26
#define VELMOR_FILTER_GRAY_OFFSET_B 27
#define VELMOR_FILTER_GRAY_GAIN_AUTO 28

/* Handed by address with every VELMOR_WM_FRAME; lives in the camera object until Velmor_Release. */
typedef struct VELMOR_FRAME_INFO {
    int size;            /* 32 */
    int width;           /* frame width in pixels, after sub-sampling */
    int height;          /* frame height in pixels */
    int bitsPerPixel;    /* 8, 16, 24, 32, 48 or 64 */
    int fpsTenths;       /* frame rate in tenths of a frame per second; 0 in trigger mode */
    int reserved;        /* not written */
    BYTE *buffer;        /* the application buffer of Velmor_CallBackPreview / Velmor_Trigger, or NULL */
} VELMOR_FRAME_INFO;

/* Filled by Velmor_GetCameraInfo; the application sets size (at least 36). */
typedef struct VELMOR_CAMERA_INFO {
    int size;
    int maxWidth;
    int maxHeight;
    int globalGainMin;
    int globalGainMax;
    int colorGainMin;
    int colorGainMax;
    int exposureMin;
    int exposureMax;
} VELMOR_CAMERA_INFO;

#ifdef __cplusplus
#define VELMOR_STATIC_ASSERT(cond, msg) static_assert(cond, #msg)
#else
#define VELMOR_STATIC_ASSERT(cond, msg) typedef char velmor_static_assert_##msg[(cond) ? 1 : -1]
#endif
VELMOR_STATIC_ASSERT(sizeof(VELMOR_FRAME_INFO) == 32, frame_info_is_32_bytes);
VELMOR_STATIC_ASSERT(sizeof(VELMOR_CAMERA_INFO) == 36, camera_info_is_36_bytes);

/* Lifecycle and device selection */
VELMOR_API int VELMOR_CALL Velmor_Initialize(HWND notifyWindow);
VELMOR_API int VELMOR_CALL Velmor_Release(int handle);
VELMOR_API int VELMOR_CALL Velmor_GetDllVersion(void);
VELMOR_API int VELMOR_CALL Velmor_GetLastError(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetDeviceNumber(int handle, int deviceNumber);
VELMOR_API int VELMOR_CALL Velmor_Close(int handle);
VELMOR_API int VELMOR_CALL Velmor_LoadConfigFileA(int handle, char *path);
VELMOR_API int VELMOR_CALL Velmor_LoadConfigFileW(int handle, wchar_t *path);
/* A device listing writes one entry per camera found (at least ten, the ones after the last
   camera empty): VELMOR_MAX_DEVICES entries of VELMOR_DEVICE_ENTRY_BYTES always suffice (twice
   the bytes for the wide form). */
#define VELMOR_MAX_DEVICES 32
#define VELMOR_DEVICE_ENTRY_BYTES 256
VELMOR_API int VELMOR_CALL Velmor_EnumDevice(int handle, char *entries);     /* 256-byte entries */
VELMOR_API int VELMOR_CALL Velmor_EnumDeviceW(int handle, wchar_t *entries); /* 512-byte entries */
VELMOR_API int VELMOR_CALL Velmor_GetDeviceName(int handle, int deviceNumber, char *name, int length);
VELMOR_API int VELMOR_CALL Velmor_GetDeviceNameW(int handle, int deviceNumber, wchar_t *name, int length);

/* Acquisition.
 * Any thread may call any function; calls on one camera that program it run one at a time.
 * Velmor_SnapShot blocks for one frame; Velmor_StopPreview, Velmor_Close and Velmor_Release wait
 * for the acquisition thread to end: at most the frame in progress (in trigger mode the pending
 * trigger, up to 3000 ms). In trigger mode, calls that program the camera also wait for the
 * pending trigger. Output format and sub-sampling take effect at the next start.
 * A camera lost during live preview is reported once with VELMOR_ERROR_NO_FRAME (queued, and as a
 * frame failure to the callback window); the preview has then ended. To go on, call
 * Velmor_StopPreview (or Velmor_Close) and start again: while the camera is away, every start
 * fails at once with VELMOR_ERROR_DEVICE_BUSY and then VELMOR_ERROR_STATE; once it answers again
 * the start programs it afresh and frames flow. */
VELMOR_API int VELMOR_CALL Velmor_Capture(int handle);
VELMOR_API int VELMOR_CALL Velmor_SnapShot(int handle, BYTE *buffer, int size, int topDown);
VELMOR_API int VELMOR_CALL Velmor_GetImage(int handle, BYTE *buffer, int size, int topDown);
VELMOR_API int VELMOR_CALL Velmor_Preview(int handle);
VELMOR_API int VELMOR_CALL Velmor_CallBackPreview(int handle, HWND callbackWindow, BYTE *buffer, int size, int topDown);
VELMOR_API int VELMOR_CALL Velmor_Trigger(int handle, HWND callbackWindow, BYTE *buffer, int size, int topDown);
VELMOR_API int VELMOR_CALL Velmor_StartPreview(int handle);
VELMOR_API int VELMOR_CALL Velmor_StopPreview(int handle);
VELMOR_API int VELMOR_CALL Velmor_GetStatus(int handle);
VELMOR_API int VELMOR_CALL Velmor_Width(int handle);
VELMOR_API int VELMOR_CALL Velmor_Height(int handle);

/* Recording and saving.
 * Velmor_Record starts live preview (clearing the callback window and buffer of an earlier
 * Velmor_CallBackPreview; call it again after Velmor_Record to receive frames) and records each
 * processed frame, as an uncompressed bottom-up 24-bit frame, into an AVI file for durationMs
 * milliseconds from the first frame; preview goes on afterwards. The file is held unshared until
 * it is finished; its frame rate is the one measured. It ends early, finished with the frames so
 * far, at Velmor_StopPreview, Velmor_Close, Velmor_Release, when the camera is lost, or when one
 * more frame would take the file past 2 GiB. Refused: a null or empty path or a negative duration
 * (VELMOR_ERROR_ARGUMENT), a recording already running (VELMOR_ERROR_STATE), a file that cannot be
 * opened or a wide path that does not convert (VELMOR_ERROR_FILE; preview is stopped). A write
 * that fails ends the recording with VELMOR_ERROR_FILE. */
VELMOR_API int VELMOR_CALL Velmor_Record(int handle, char *path, int durationMs, int showWindow);
VELMOR_API int VELMOR_CALL Velmor_RecordW(int handle, wchar_t *path, int durationMs, int showWindow);
VELMOR_API int VELMOR_CALL Velmor_SaveImage(int handle, char *path, int fileType);
VELMOR_API int VELMOR_CALL Velmor_SaveImageW(int handle, wchar_t *path, int fileType);

/* Preview window */
VELMOR_API int VELMOR_CALL Velmor_SetPreviewWindow(int handle, HWND parent, int x, int y, int width, int height);

/* Capture window, output format, sub-sampling, clock, timing */
VELMOR_API int VELMOR_CALL Velmor_SetCaptureWindow(int handle, int width, int height);
VELMOR_API int VELMOR_CALL Velmor_SetCaptureWindowEx(int handle, int hTotal, int hStart, int hEffective, int vTotal,
                                                     int vStart, int vEffective);
VELMOR_API int VELMOR_CALL Velmor_GetCaptureWindowEx(int handle, int *hTotal, int *hStart, int *hEffective,
                                                     int *vTotal, int *vStart, int *vEffective);
VELMOR_API int VELMOR_CALL Velmor_SetColorMode(int handle, int bitCount);
VELMOR_API int VELMOR_CALL Velmor_GetColorMode(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetSubSample(int handle, int code);
VELMOR_API int VELMOR_CALL Velmor_GetSubSample(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetWaitTime(int handle, int milliseconds);
VELMOR_API int VELMOR_CALL Velmor_GetWaitTime(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetHalfClock(int handle, int clock);
VELMOR_API int VELMOR_CALL Velmor_GetHalfClock(int handle, int *ok);

/* Mirrors, automatic exposure, exposure as time */
VELMOR_API int VELMOR_CALL Velmor_SetMirrorH(int handle, int flag);
VELMOR_API int VELMOR_CALL Velmor_GetMirrorH(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetMirrorV(int handle, int flag);
VELMOR_API int VELMOR_CALL Velmor_GetMirrorV(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetAutoIris(int handle, int mode);
VELMOR_API int VELMOR_CALL Velmor_GetAutoIris(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetRealExposureTime(int handle, int microseconds);
VELMOR_API int VELMOR_CALL Velmor_GetRealExposureTime(int handle, int *ok);

/* Filter and analog values: the generic pair and its named forms */
VELMOR_API int VELMOR_CALL Velmor_SetFilterValue(int handle, int number, int value);
VELMOR_API int VELMOR_CALL Velmor_GetFilterValue(int handle, int number, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBrightness(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBrightness(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetContrast(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetContrast(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetHue(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetHue(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetSaturation(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetSaturation(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetSharpness(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetSharpness(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainRGB(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainRGB(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainRed(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainRed(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainGreen(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainGreen(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainBlue(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainBlue(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainAuto(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainAuto(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGamma(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGamma(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetBayerMode(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetBayerMode(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGlobalGain(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGlobalGain(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetColorGainRed(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetColorGainRed(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetColorGainGreen1(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetColorGainGreen1(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetColorGainGreen2(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetColorGainGreen2(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetColorGainBlue(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetColorGainBlue(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetExposureTime(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetExposureTime(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayMode(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayMode(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainR(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainR(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainG1(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainG1(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainG2(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainG2(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainB(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainB(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetR(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetR(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetG1(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetG1(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetG2(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetG2(int handle, int *ok);
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetB(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetB(int handle, int *ok);

/* Camera information, registers, serial ROM, I/O port */
VELMOR_API int VELMOR_CALL Velmor_GetCameraInfo(int handle, VELMOR_CAMERA_INFO *info);
VELMOR_API int VELMOR_CALL Velmor_ReadRegister(int handle, int reg, int *ok);
VELMOR_API int VELMOR_CALL Velmor_ReadRegisterEx(int handle, int reg, int *ok);
VELMOR_API int VELMOR_CALL Velmor_WriteRegister(int handle, int reg, int value);
VELMOR_API int VELMOR_CALL Velmor_WriteRegisterEx(int handle, int reg, int value);
VELMOR_API int VELMOR_CALL Velmor_ReadSromID(int handle, int address, int *ok);
VELMOR_API int VELMOR_CALL Velmor_WriteSromID(int handle, int address, int value);
VELMOR_API int VELMOR_CALL Velmor_SetIOPort(int handle, int value);
VELMOR_API int VELMOR_CALL Velmor_GetIOPort(int handle, BYTE *value, int unused1, int unused2);

/* Dialogs: modal on the calling thread, in Japanese when the system's default language is
 * Japanese and in English otherwise. Each returns 1 once the dialog has closed, whatever closed
 * it, and 0 with VELMOR_ERROR_STATE without a device object.
 * Velmor_SetAnalogDlg: gains, exposure, mirrors and the automatic exposure mode, sent to the
 * camera as they change while the picture runs; Cancel restores the values of the opening.
 * Velmor_SetCameraDlg: output format, capture-window preset ("Custom" adds one), sub-sampling,
 * clock and wait time, stored in the registry at OK and Apply. A running preview or capture is
 * stopped while it is open (trigger mode is held) and started again when it closes, with the
 * stored settings after OK and with those of the opening after Cancel. */
VELMOR_API int VELMOR_CALL Velmor_SetAnalogDlg(int handle, HWND parent);
VELMOR_API int VELMOR_CALL Velmor_SetCameraDlg(int handle, HWND parent);
VELMOR_API int VELMOR_CALL Velmor_SetImageDlg(int handle, HWND parent);

/* Not available on this camera: they post or raise VELMOR_ERROR_NOT_AVAILABLE, or report 0 */
VELMOR_API int VELMOR_CALL Velmor_Fpga_ReadRegister(int handle, int reg, int *ok);
VELMOR_API int VELMOR_CALL Velmor_Fpga_WriteRegister(int handle, int reg, int value);
VELMOR_API int VELMOR_CALL Velmor_Fps(int handle, int fps);
VELMOR_API int VELMOR_CALL Velmor_SetCrossbar(int handle, int input, int output);
VELMOR_API int VELMOR_CALL Velmor_SetSamplingRate(int handle, int rate);
VELMOR_API int VELMOR_CALL Velmor_GetSamplingRate(int handle, int *rate);
VELMOR_API int VELMOR_CALL Velmor_GetVideoFormat(int handle, int *format);
VELMOR_API int VELMOR_CALL Velmor_GetConfigFilter(int handle);
VELMOR_API int VELMOR_CALL Velmor_SetConfigFilter(int handle);

#ifdef __cplusplus
}
#endif

#endif /* VELMORSDK_520QK_ZRX_H */
