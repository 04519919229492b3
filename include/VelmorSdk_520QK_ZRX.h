/**
 * @file VelmorSdk_520QK_ZRX.h
 * @brief The SDK of the 520QK USB colour camera (2048 x 1536 Bayer sensor, 10-bit samples).
 *
 * Every function returns a 32-bit integer: 1 (or the value asked for) on success, 0 on failure.
 * Velmor_Initialize() hands out a camera handle; every other function except Velmor_GetDllVersion() takes it
 * first. The reason for a failure is queued per camera (Velmor_GetLastError(), newest first) and posted to
 * the notification window as VELMOR_WM_ERROR. Compiles as C (C99 and later) and as C++.
 */

/**
 * @mainpage 520QK SDK reference
 *
 * `VelmorSdk_520QK_ZRX.dll` is the SDK of the 520QK USB industrial colour camera (2048 x 1536 Bayer
 * sensor, 10-bit samples): one 64-bit Windows DLL exporting the 124 C functions of
 * VelmorSdk_520QK_ZRX.h. By task:
 *
 * - @ref velmor_lifecycle - make a camera object, find and select the camera.
 * - @ref velmor_acquisition - snapshots, live preview with frame notifications, trigger mode.
 * - @ref velmor_preview_window - where live frames are shown.
 * - @ref velmor_recording - AVI video of live preview.
 * - @ref velmor_saving - the current frame as BMP, raw, JPEG, PNG or TIFF.
 * - @ref velmor_properties - capture window, output format, sub-sampling, clock, mirrors, exposure.
 * - @ref velmor_filter_values - image filters, white balance, sensor gains and exposure by number.
 * - @ref velmor_registers - sensor registers, serial ROM, general-purpose I/O port.
 * - @ref velmor_dialogs - the three settings dialogs.
 * - @ref velmor_errors - the error queue, the error codes and the error notification.
 * - @ref velmor_not_available - functions of other camera models.
 *
 * @section velmor_conventions Conventions
 *
 * - Results: every function returns a 32-bit integer, 1 (or the value asked for) on success and 0 on
 *   failure. Getters with an `int *ok` argument set it to 1 or 0 when it is not NULL.
 * - Handles: Velmor_Initialize() returns a camera handle (never 0, never that of another open camera);
 *   every other function except Velmor_GetDllVersion() takes it first. For a handle that is unknown or
 *   already released a function returns its failure value at once (0; -1 for Velmor_GetColorMode(),
 *   Velmor_GetSubSample() and Velmor_GetWaitTime()), queues nothing, posts nothing and reads no other
 *   argument. The lists of errors below leave this case out.
 * - Errors: a failure queues its reason in the camera's error queue and posts it to the notification
 *   window ("raises" it); a few functions only post it. See @ref velmor_errors.
 * - Threads: any thread may call any function, on one camera or on several. Calls on one camera that
 *   program it run one at a time; each function says how long it can block. The SDK never calls into
 *   the application: frames and errors arrive as window messages that it posts, never sends, so no
 *   SDK thread ever waits for the application's message loop.
 * - Settings persist per device number in the registry, under
 *   `HKEY_CURRENT_USER\Software\Korvane\Velmor520QKZRXSdk\Camera_NN` (see @ref velmor_lifecycle).
 * - Records and buffers: VELMOR_FRAME_INFO (32 bytes) and VELMOR_CAMERA_INFO (36 bytes) are checked in
 *   size when this header compiles; the SDK is for 64-bit applications.
 * - With the environment variable `VELMOR_EMULATION` set (for example `devices=0;timing=fast`), the SDK
 *   drives emulated cameras instead of the driver, so that an application runs with no camera attached;
 *   the project's README lists its keys.
 */
#ifndef VELMORSDK_520QK_ZRX_H
#define VELMORSDK_520QK_ZRX_H

#include <windows.h>

/** Marks the SDK's functions as imported from the DLL (`__declspec(dllimport)`); empty when the SDK
 *  itself is built (`VELMOR_SDK_BUILD` defined). */
#ifdef VELMOR_SDK_BUILD
#define VELMOR_API
#else
#define VELMOR_API __declspec(dllimport)
#endif
/** Calling convention of every function: `__cdecl`, the platform's standard C convention. */
#define VELMOR_CALL __cdecl

#ifdef __cplusplus
extern "C" {
#endif

/** @brief Constant result of Velmor_GetDllVersion(): 0x0192051F (26,346,783).
 *  @ingroup velmor_lifecycle */
#define VELMOR_DLL_VERSION 0x0192051F

/* Window messages, posted (never sent). */

/**
 * @brief Frame notification, `WM_APP + 2` (0x8002), posted to the callback window.
 * @ingroup velmor_acquisition
 *
 * The callback window is the one given to Velmor_CallBackPreview() or Velmor_Trigger(). Two kinds, told
 * apart by wParam:
 * - A frame: wParam = address of the camera's VELMOR_FRAME_INFO record, lParam 0. Posted after each
 *   frame of live preview or trigger mode has been processed and copied into the application buffer.
 *   The record lives in the camera object until Velmor_Release() and is rewritten by every frame: copy
 *   what you need while handling the message. Frames are never queued for the application: one that
 *   handles messages slowly misses frames, and the messages still waiting all point to the same,
 *   newest record.
 * - A frame failure: wParam 0, lParam 5, 8 or 13:
 *   VELMOR_ERROR_MEMORY (the application buffer is too small; that frame is not announced),
 *   VELMOR_ERROR_TRANSFER (a frame could not be read; live preview goes on),
 *   VELMOR_ERROR_NO_FRAME (the camera was lost, or sent no frame for 6000 ms: live preview has ended).
 *   The same code is also raised (queued and sent as VELMOR_WM_ERROR).
 *
 * Posted from the camera's acquisition thread; the failures of Velmor_SnapShot() and Velmor_GetImage()
 * from the calling thread. Posting never waits for the window's thread.
 */
#define VELMOR_WM_FRAME (WM_APP + 2)
/**
 * @brief Error notification, `WM_APP + 3` (0x8003), posted to the notification window: wParam 0,
 *        lParam = error code.
 * @ingroup velmor_errors
 *
 * The notification window is the one given to Velmor_Initialize(). Posted with every raised error when
 * that window is not NULL, from the thread that raised it: the calling thread, the acquisition thread
 * (codes 5, 8 and 13 of live preview) or the recording thread (5 and 12). The functions that only post
 * a code (see @ref velmor_errors) post it even when the notification window is NULL: the message then
 * goes to the calling thread's own message queue, with a NULL window.
 */
#define VELMOR_WM_ERROR (WM_APP + 3)

/**
 * @defgroup velmor_errors Errors
 * @brief The error queue, the error codes and the error notification.
 *
 * Each camera keeps the twenty most recent error codes. A failing function raises its code: it
 * pushes it onto the queue (the oldest of a full queue is lost) and posts VELMOR_WM_ERROR with the
 * code to the notification window of Velmor_Initialize(), when that window is not NULL.
 * Velmor_GetLastError() pops the newest code first, then older ones, then 0. Nothing else empties the
 * queue; codes raised while Velmor_Initialize() ran stay in it.
 *
 * Several failures raise two codes, seen newest first: a failed start raises VELMOR_ERROR_STATE over
 * the code of the preparation (VELMOR_ERROR_DEVICE_BUSY, VELMOR_ERROR_CAPTURE_WINDOW or
 * VELMOR_ERROR_MEMORY); Velmor_Preview() and Velmor_CallBackPreview() raise VELMOR_ERROR_TRANSFER, and
 * Velmor_Record() VELMOR_ERROR_FILE, over the codes of the failed start; an application buffer too small
 * for Velmor_SnapShot() or Velmor_GetImage() raises VELMOR_ERROR_MEMORY twice.
 *
 * Posted only, not queued (and posted also to a NULL notification window, which puts the message into
 * the calling thread's queue):
 * - VELMOR_ERROR_STATE by Velmor_GetHalfClock() (clock not readable or no device object),
 *   Velmor_SetIOPort() and Velmor_GetIOPort() (no device object), Velmor_ReadSromID() and Velmor_WriteSromID()
 *   (failure or no device object), Velmor_SetMirrorV() and Velmor_GetMirrorV() (no device object);
 * - VELMOR_ERROR_ARGUMENT by Velmor_SetAutoIris() (mode above 2 or negative) and Velmor_GetIOPort() (NULL
 *   pointer);
 * - VELMOR_ERROR_NOT_AVAILABLE by Velmor_Fpga_ReadRegister(), Velmor_Fpga_WriteRegister(), Velmor_Fps(),
 *   Velmor_SetCrossbar() and Velmor_SetSamplingRate().
 *
 * "No device object" means that Velmor_Initialize() could not complete (memory, shared block): such a
 * camera fails nearly every call with VELMOR_ERROR_STATE. A camera that is merely absent is a device
 * object all the same; its starts fail with VELMOR_ERROR_DEVICE_BUSY.
 * @{
 */

/* Error codes (Velmor_GetLastError(), lParam of VELMOR_WM_ERROR). */
#define VELMOR_ERROR_NONE 0             /**< No error: Velmor_GetLastError() with an empty queue. */
/** No device object (initialisation failed), not allowed in the current acquisition state (for
 *  example Velmor_SnapShot() during live preview), a start whose preparation failed, Velmor_SaveImage()
 *  before the first frame, or a wide path that does not convert (Velmor_SaveImageW()). */
#define VELMOR_ERROR_STATE 1
/** The selected device is absent, does not answer, or is claimed by the live preview of another
 *  camera object (in this or another process); also Velmor_SetDeviceNumber() and Velmor_GetDeviceName()
 *  for a device that is not present. */
#define VELMOR_ERROR_DEVICE_BUSY 2
/** An acquisition or recording thread, or its event, could not be created. */
#define VELMOR_ERROR_THREAD 3
/** The preview window or its device context could not be created, or Velmor_SetCaptureWindow() found
 *  no stored capture-window preset of that size. */
#define VELMOR_ERROR_WINDOW 4
/** Memory: allocation at initialisation or at a start, an application buffer too small, no frame data
 *  for Velmor_GetImage(), a camera information record smaller than 36 bytes, or a device-name buffer
 *  too short for the name. */
#define VELMOR_ERROR_MEMORY 5
/** A sensor register could not be read or written, the frame transfer of live preview did not start,
 *  or Velmor_GetIOPort() could not read the port. */
#define VELMOR_ERROR_REGISTER 6
/** The capture window lies outside the sensor (or the stored sub-sampling cannot be used). */
#define VELMOR_ERROR_CAPTURE_WINDOW 7
/** A frame could not be requested or read; also raised by Velmor_Preview() and Velmor_CallBackPreview()
 *  when live preview did not start. */
#define VELMOR_ERROR_TRANSFER 8
/** An argument is out of range or missing (NULL pointer, empty path, unknown filter number). */
#define VELMOR_ERROR_ARGUMENT 9
/** The function belongs to other camera models (@ref velmor_not_available). Code 10 is not used. */
#define VELMOR_ERROR_NOT_AVAILABLE 11
/** A file could not be opened or written, a wide path did not convert to the thread's code page, or
 *  a recording could not start. */
#define VELMOR_ERROR_FILE 12
/** Live preview lost the camera: the transfer ended, or no frame came for 6000 ms. Reported once; live
 *  preview has ended. */
#define VELMOR_ERROR_NO_FRAME 13
/** @} */

/**
 * @defgroup velmor_saving Saving
 * @brief The current frame written to a file: BMP, raw, JPEG, PNG or TIFF.
 *
 * Velmor_SaveImage() and Velmor_SaveImageW() write the frame that is current at the call: the last one
 * processed by a snapshot, live preview or trigger mode, in the output format the camera is set to.
 * The file type comes from the code, never from the file name's extension; an existing file of that
 * name is replaced. The frame is copied under the camera's frame lock (live preview waits only for
 * that copy) and encoded on the calling thread, from any thread, also while live preview runs.
 * @{
 */

/* File types of Velmor_SaveImage() / Velmor_SaveImageW(). */
#define VELMOR_SAVE_BMP 0       /**< Windows BMP in the frame's own bit count (8 bits with a gray
                                     palette; 16 bits holding 10-bit gray values; 24, 32, 48 or 64
                                     bits), bottom row first. */
#define VELMOR_SAVE_RAW 1       /**< The frame's memory without a header: height x stride bytes, top row
                                     first, rows padded to 4 bytes, 16-bit samples little-endian. */
#define VELMOR_SAVE_JPEG_100 2  /**< Progressive JPEG, quality 100: gray for the 8- and 16-bit formats,
                                     RGB for colour; 10-bit samples reduced to 8 bits. */
#define VELMOR_SAVE_JPEG_70 3   /**< As VELMOR_SAVE_JPEG_100 at quality 70. */
#define VELMOR_SAVE_JPEG_20 4   /**< As VELMOR_SAVE_JPEG_100 at quality 20. */
#define VELMOR_SAVE_PNG 5       /**< PNG: 8- or 16-bit gray, RGB, or RGB with alpha for the 32- and 64-bit
                                     formats; 10-bit samples scaled to 16 bits. */
#define VELMOR_SAVE_TIFF 6      /**< Uncompressed TIFF in one strip: gray or RGB (a fourth sample for the
                                     32- and 64-bit formats), 8 or 16 bits a sample. */
/** @} */

/**
 * @addtogroup velmor_properties
 * @{
 */
/* Sub-sampling codes (Velmor_SetSubSample()). */
#define VELMOR_SUBSAMPLE_NONE 0     /**< Full resolution: the frame is the capture window. */
#define VELMOR_SUBSAMPLE_SKIP_2 1   /**< 1/2 by skipping: every other pair of rows and columns; frame
                                         width and height halved. */
#define VELMOR_SUBSAMPLE_SKIP_4 2   /**< 1/4 by skipping: frame width and height divided by 4. */
#define VELMOR_SUBSAMPLE_BIN_2 17   /**< 1/2 by binning: same-colour pairs averaged; width and height
                                         halved. Binning also switches the defect filter off. */
#define VELMOR_SUBSAMPLE_BIN_4 18   /**< 1/4 by binning: width and height divided by 4. */
/** @} */

/**
 * @addtogroup velmor_filter_values
 * @{
 */
/* Filter numbers of Velmor_SetFilterValue() / Velmor_GetFilterValue(). */
#define VELMOR_FILTER_BRIGHTNESS 1          /**< Brightness, -255..255 (0: unchanged). */
#define VELMOR_FILTER_CONTRAST 2            /**< Contrast, -127..127 (0: unchanged). */
#define VELMOR_FILTER_HUE 3                 /**< Hue rotation in degrees, -360..360. */
#define VELMOR_FILTER_SATURATION 4          /**< Saturation, -255..255 (0: unchanged). */
#define VELMOR_FILTER_SHARPNESS 5           /**< Sharpening, 0..30 (0: off). */
#define VELMOR_FILTER_BAYER_GAIN_RGB 6      /**< The three white-balance gains packed: red in bits 0-7, green
                                                 in bits 8-15, blue in bits 16-23 (each 0..255 this way). */
#define VELMOR_FILTER_BAYER_GAIN_RED 7      /**< White-balance gain of red, 0..400 (100: unity). */
#define VELMOR_FILTER_BAYER_GAIN_GREEN 8    /**< White-balance gain of green, 0..400 (100); stored and
                                                 reported, the colour interpolation scales red and blue only. */
#define VELMOR_FILTER_BAYER_GAIN_BLUE 9     /**< White-balance gain of blue, 0..400 (100: unity). */
#define VELMOR_FILTER_BAYER_GAIN_AUTO 10    /**< Automatic white balance: non-zero measures every frame and
                                                 rewrites the gains 7 to 9; 0 off. Any value, stored as 0
                                                 or 1. */
#define VELMOR_FILTER_GAMMA 11              /**< Gamma, 0..200 (100: unchanged). */
#define VELMOR_FILTER_BAYER_MODE 12         /**< Phase of the colour mosaic, 0..3 (3, the first-run value,
                                                 gives this sensor's true colours). */
#define VELMOR_FILTER_GLOBAL_GAIN 13        /**< Sensor global gain, 0..63 (first run 14): written to the
                                                 sensor at once; the four colour-gain settings take the value
                                                 too, their registers are not written. Read back from the
                                                 sensor. */
#define VELMOR_FILTER_COLOR_GAIN_RED 14     /**< Sensor gain of the red sites (register 45), 0..63; written
                                                 at once, read back from the sensor. */
#define VELMOR_FILTER_COLOR_GAIN_GREEN1 15  /**< Sensor gain of the first green sites (register 43), 0..63. */
#define VELMOR_FILTER_COLOR_GAIN_GREEN2 16  /**< Sensor gain of the second green sites (register 46), 0..63. */
#define VELMOR_FILTER_COLOR_GAIN_BLUE 17    /**< Sensor gain of the blue sites (register 44), 0..63. */
#define VELMOR_FILTER_EXPOSURE 18           /**< Exposure in sensor lines, 1..16383 (first run 1561); written
                                                 at once, read back from the sensor. */
#define VELMOR_FILTER_GRAY_MODE 19          /**< Monochrome formats (8, 16 bits): 0 the mosaic as it is, 1 a
                                                 gain and offset per colour site (20 to 27), 2 colour
                                                 interpolation turned back to gray (8-bit output only). */
#define VELMOR_FILTER_GRAY_GAIN_R 20        /**< Gray mode 1: gain of the red sites, 0..255 (128: unity). */
#define VELMOR_FILTER_GRAY_GAIN_G1 21       /**< Gray mode 1: gain of the first green sites, 0..255 (128). */
#define VELMOR_FILTER_GRAY_GAIN_G2 22       /**< Gray mode 1: gain of the second green sites, 0..255 (128). */
#define VELMOR_FILTER_GRAY_GAIN_B 23        /**< Gray mode 1: gain of the blue sites, 0..255 (128). */
#define VELMOR_FILTER_GRAY_OFFSET_R 24      /**< Gray mode 1: offset of the red sites, -255..255. */
#define VELMOR_FILTER_GRAY_OFFSET_G1 25     /**< Gray mode 1: offset of the first green sites, -255..255. */
#define VELMOR_FILTER_GRAY_OFFSET_G2 26     /**< Gray mode 1: offset of the second green sites, -255..255. */
#define VELMOR_FILTER_GRAY_OFFSET_B 27      /**< Gray mode 1: offset of the blue sites, -255..255. */
#define VELMOR_FILTER_GRAY_GAIN_AUTO 28     /**< Gray mode 1: 1 measures the gray gains and offsets once, on
                                                 the next frame (then reads 0 again); 0 off. 0..1. No named
                                                 form. */
/** @} */

/**
 * @brief Frame information, handed by address with every frame notification (VELMOR_WM_FRAME).
 * @ingroup velmor_acquisition
 *
 * 32 bytes, little-endian. The record lives in the camera object until Velmor_Release() and is rewritten
 * by each frame; read it while handling the message.
 */
typedef struct VELMOR_FRAME_INFO {
    int size;            /**< Offset 0: the record's size, 32. */
    int width;           /**< Offset 4: frame width in pixels, after sub-sampling. */
    int height;          /**< Offset 8: frame height in pixels, after sub-sampling. */
    int bitsPerPixel;    /**< Offset 12: bits per pixel of the output format: 8, 16, 24, 32, 48 or 64. */
    int fpsTenths;       /**< Offset 16: measured frame rate in tenths of a frame per second (over windows
                              of just over one second); 0 in trigger mode. */
    int reserved;        /**< Offset 20: padding before the pointer; not written. */
    BYTE *buffer;        /**< Offset 24 (8 bytes): the application buffer of Velmor_CallBackPreview() or
                              Velmor_Trigger(), holding this frame, or NULL (Velmor_Preview(), Velmor_Record(),
                              Velmor_StartPreview() without one). */
} VELMOR_FRAME_INFO;

/**
 * @brief Limits of the camera, filled by Velmor_GetCameraInfo(); the application sets size (at least 36).
 * @ingroup velmor_properties
 *
 * 36 bytes, little-endian 32-bit fields.
 */
typedef struct VELMOR_CAMERA_INFO {
    int size;            /**< Offset 0: set by the application before the call, at least 36; not written. */
    int maxWidth;        /**< Offset 4: sensor width, 2048. */
    int maxHeight;       /**< Offset 8: sensor height, 1536. */
    int globalGainMin;   /**< Offset 12: smallest global gain, 0. */
    int globalGainMax;   /**< Offset 16: largest global gain, 63. */
    int colorGainMin;    /**< Offset 20: smallest colour gain, as the camera reports it (0). */
    int colorGainMax;    /**< Offset 24: largest colour gain, 63. */
    int exposureMin;     /**< Offset 28: shortest exposure, 1 line. */
    int exposureMax;     /**< Offset 32: longest exposure, 16383 lines. */
} VELMOR_CAMERA_INFO;

/** Compile-time check of the records' sizes (`static_assert` in C++, an array of negative size in C):
 *  VELMOR_FRAME_INFO has 32 bytes and VELMOR_CAMERA_INFO 36, as in a 64-bit application. */
#ifdef __cplusplus
#define VELMOR_STATIC_ASSERT(cond, msg) static_assert(cond, #msg)
#else
#define VELMOR_STATIC_ASSERT(cond, msg) typedef char velmor_static_assert_##msg[(cond) ? 1 : -1]
#endif
VELMOR_STATIC_ASSERT(sizeof(VELMOR_FRAME_INFO) == 32, frame_info_is_32_bytes);
VELMOR_STATIC_ASSERT(sizeof(VELMOR_CAMERA_INFO) == 36, camera_info_is_36_bytes);

/**
 * @defgroup velmor_lifecycle Lifecycle and device selection
 * @brief Camera objects and handles, the devices found, the settings kept per device.
 *
 * Velmor_Initialize() makes a camera object, selects device 0 and returns its handle; Velmor_Release()
 * saves its settings and destroys it. Release every handle before the DLL is unloaded: camera objects
 * left over are not stopped at unload.
 *
 * Up to 32 cameras (device numbers 0 to 31) answer through the driver. Velmor_EnumDevice() lists the
 * ones present, Velmor_GetDeviceName() names one by its number, Velmor_SetDeviceNumber() selects one.
 *
 * Settings are kept per device number under
 * `HKEY_CURRENT_USER\Software\Korvane\Velmor520QKZRXSdk\Camera_NN` (NN the number, two digits):
 * - read by Velmor_Initialize(): the capture-window preset, the stream settings (output format,
 *   sub-sampling, wait time, clock), the analog settings (gains, exposure, mirrors, automatic
 *   exposure mode) and the filter and gray values;
 * - read by Velmor_SetDeviceNumber() for the new number: the analog settings and the filter and gray
 *   values;
 * - written by Velmor_SetDeviceNumber() (for the number left) and Velmor_Release(): the analog settings
 *   and the filter and gray values. Capture-window presets and stream settings are written by the
 *   camera settings dialog (Velmor_SetCameraDlg()) only.
 *
 * A first run (no key yet) stores 24-bit colour output, the 48 MHz clock, a wait time of 1 ms and the
 * full 2048 x 1536 window; gains start at 14, the exposure at 1561 lines, the white-balance gains and
 * gamma at 100, the Bayer mode at 3.
 */

/* Lifecycle and device selection */

/**
 * @brief Makes a camera object for device 0 and returns its handle.
 * @ingroup velmor_lifecycle
 *
 * Maps the block that every process using the SDK shares, scans the driver's 32 device paths, reads
 * the settings of device 0 (Camera_00) and programs the camera's capture window, gains and exposure.
 * A failure inside does not show in the result: the handle is valid all the same and the reason waits
 * in its error queue (no camera attached is no failure here: the first start reports it).
 *
 * @param notifyWindow Window that receives VELMOR_WM_ERROR for every raised error, or NULL (errors
 *        are then only queued). Live preview claims the device in the shared block only when this
 *        window is given; without one, other camera objects do not see the device as busy.
 * @return The new handle (never 0), or 0 when no camera object could be allocated.
 * @par Errors
 * - VELMOR_ERROR_MEMORY: the shared block could not be mapped (queued only: the window is not known
 *   yet), or allocation failed; the camera then has no device object and fails nearly every call with
 *   VELMOR_ERROR_STATE.
 * - VELMOR_ERROR_CAPTURE_WINDOW: the stored capture window lies outside the sensor; the full 2048 x
 *   1536 window is used instead and initialisation goes on.
 * @par Blocking and threads
 * Any thread. Does not wait for frames; programming the camera can pause 100 ms when the window's pixel
 * count changes (the camera resizes its frame store).
 */
VELMOR_API int VELMOR_CALL Velmor_Initialize(HWND notifyWindow);
/**
 * @brief Destroys the camera object and invalidates its handle.
 * @ingroup velmor_lifecycle
 *
 * Saves the analog settings and the filter and gray values under the current device number, closes
 * the preview window, stops any acquisition and recording (a recording's file is finished with the
 * frames written so far), releases the device's claim and frees everything.
 *
 * @param handle Camera handle.
 * @return 1, or 0 when the handle is not known (also for a second release of the same handle).
 * @par Errors
 * None reported: the queue goes with the camera object.
 * @par Blocking and threads
 * Any thread. Waits like Velmor_StopPreview() for the acquisition and recording threads. The handle is
 * invalid as soon as the call starts; a call still running on the same camera on another thread
 * completes first, and the camera object is destroyed when the last of those calls returns (then on
 * that thread, possibly after Velmor_Release() has returned).
 */
VELMOR_API int VELMOR_CALL Velmor_Release(int handle);
/**
 * @brief The SDK's version: VELMOR_DLL_VERSION (0x0192051F).
 * @ingroup velmor_lifecycle
 *
 * Takes no handle and needs no camera object.
 * @return VELMOR_DLL_VERSION, always.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetDllVersion(void);
/**
 * @brief Pops the newest error code of the camera's error queue.
 * @ingroup velmor_errors
 *
 * Call it in a loop until it returns 0 to read every queued code, newest first.
 * @param handle Camera handle.
 * @return The newest queued code (see @ref velmor_errors), or 0 (VELMOR_ERROR_NONE) when the queue is
 *         empty or the handle is not known.
 * @par Blocking and threads
 * Any thread, also while the acquisition thread raises codes; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetLastError(int handle);
/**
 * @brief Selects another camera by its device number.
 * @ingroup velmor_lifecycle
 *
 * Saves the analog settings and the filter and gray values of the device left (whether or not the
 * switch succeeds), selects the device and resets its sensor (full window, no vertical mirror, trigger
 * off), then loads and applies the analog settings and the filter and gray values of the new number.
 * The capture window, output format, sub-sampling, wait time and clock are not reloaded, and a running
 * acquisition is not stopped: select the device while the camera is idle.
 *
 * @param handle Camera handle.
 * @param deviceNumber 0 to 31, as Velmor_GetDeviceName() numbers them; the device must have answered
 *        the last scan (Velmor_Initialize() or Velmor_EnumDevice()).
 * @return 1, or 0 on failure (the previous device stays selected).
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_DEVICE_BUSY: the device is not present or cannot be opened.
 * @par Blocking and threads
 * Any thread. Programs the camera (a few device requests; 100 ms more when the window reset changes the
 * frame's pixel count). In trigger mode it first waits for the pending trigger, up to 3000 ms.
 */
VELMOR_API int VELMOR_CALL Velmor_SetDeviceNumber(int handle, int deviceNumber);
/**
 * @brief Closes the preview window and stops every acquisition and recording.
 * @ingroup velmor_lifecycle
 *
 * Destroys the preview window, stops as Velmor_StopPreview() does, forgets the current frame (a
 * following Velmor_SaveImage() needs a new frame), closes the snapshot connection and unregisters the
 * window class. The camera object stays usable: any start opens things again.
 *
 * @param handle Camera handle.
 * @return 1 for every known handle (0 for an unknown one).
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object (the call still returns 1).
 * @par Blocking and threads
 * Any thread; waits like Velmor_StopPreview(). Only the thread that created the preview window can
 * destroy it: from another thread the window is asked to close (`WM_CLOSE` posted), which its thread
 * carries out when it next handles messages.
 */
VELMOR_API int VELMOR_CALL Velmor_Close(int handle);
/**
 * @brief Loads a configuration file of 32-bit integer pairs into the camera's configuration list.
 * @ingroup velmor_lifecycle
 *
 * The file is read whole as consecutive pairs of little-endian 32-bit integers, 8 bytes a pair; a
 * trailing remainder of fewer than 8 bytes is ignored. The list replaces the one loaded before. No
 * other function of this camera reads the list. Needs no device object.
 *
 * @param handle Camera handle.
 * @param path File name in the system's ANSI code page.
 * @return 1, also for a file shorter than 8 bytes (an empty list); 0 when the file cannot be opened
 *         (nothing is queued).
 * @par Blocking and threads
 * Any thread; blocks while the file is read.
 */
VELMOR_API int VELMOR_CALL Velmor_LoadConfigFileA(int handle, char *path);
/**
 * @brief Velmor_LoadConfigFileA() with a UTF-16 path.
 * @ingroup velmor_lifecycle
 *
 * The path is converted to the calling thread's ANSI code page, at most 1023 bytes after conversion.
 * @param handle Camera handle.
 * @param path File name, UTF-16.
 * @return As Velmor_LoadConfigFileA().
 * @par Errors
 * - VELMOR_ERROR_FILE: the path is NULL, does not convert or is too long.
 * @par Blocking and threads
 * Any thread; blocks while the file is read.
 */
VELMOR_API int VELMOR_CALL Velmor_LoadConfigFileW(int handle, wchar_t *path);
/** @brief Entries that a device listing can write at most: VELMOR_MAX_DEVICES entries of
 *  VELMOR_DEVICE_ENTRY_BYTES bytes (twice that for Velmor_EnumDeviceW()) always suffice.
 *  @ingroup velmor_lifecycle
 *
 *  A device listing writes one entry per camera found (at least ten, the ones after the last camera
 *  empty). */
#define VELMOR_MAX_DEVICES 32
/** @brief Bytes of one entry of Velmor_EnumDevice() (256); Velmor_EnumDeviceW()'s entries have 512 bytes
 *  (256 UTF-16 characters).
 *  @ingroup velmor_lifecycle */
#define VELMOR_DEVICE_ENTRY_BYTES 256
/**
 * @brief Scans for cameras and lists their names.
 * @ingroup velmor_lifecycle
 *
 * Opens each of the 32 device paths again, then writes `Velmor520QK-ZRX_01`, `Velmor520QK-ZRX_02`, ...
 * (numbered by the order found, in ascending device number; not the device number itself) into
 * consecutive 256-byte entries, followed by empty entries up to the tenth. The scan refreshes what
 * Velmor_SetDeviceNumber() and Velmor_GetDeviceName() take as present; it does not change the selected
 * device.
 *
 * @param handle Camera handle.
 * @param entries Buffer for the entries: at least ten entries, or one per camera when more are
 *        found; VELMOR_MAX_DEVICES x VELMOR_DEVICE_ENTRY_BYTES bytes always suffice.
 * @return The number of cameras found (0 when none, with ten empty entries and no error).
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: entries is NULL.
 * @par Blocking and threads
 * Any thread; blocks while the 32 device paths are opened. In trigger mode it first waits for the
 * pending trigger, up to 3000 ms.
 */
VELMOR_API int VELMOR_CALL Velmor_EnumDevice(int handle, char *entries);     /* 256-byte entries */
/**
 * @brief Velmor_EnumDevice() in UTF-16, from the last scan.
 * @ingroup velmor_lifecycle
 *
 * As Velmor_EnumDevice() with 512-byte entries (256 UTF-16 characters), except that it does not scan
 * again: it lists the devices present at the last scan (Velmor_Initialize() or Velmor_EnumDevice()).
 *
 * @param handle Camera handle.
 * @param entries Buffer for the entries; VELMOR_MAX_DEVICES x 512 bytes always suffice.
 * @return The number of cameras listed.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: entries is NULL.
 * @par Blocking and threads
 * Any thread; returns at once (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_EnumDeviceW(int handle, wchar_t *entries); /* 512-byte entries */
/**
 * @brief The name of one device by its number.
 * @ingroup velmor_lifecycle
 *
 * Writes `Velmor520QK-ZRX_NN` with NN = deviceNumber + 1 in two digits (device 7 is
 * `Velmor520QK-ZRX_08`) when the device was present at the last scan. Nothing is written on failure.
 *
 * @param handle Camera handle.
 * @param deviceNumber 0 to 31.
 * @param name Buffer for the name and its terminator.
 * @param length Bytes in name: at least 19.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: name is NULL, length is 14 or less, or deviceNumber is outside 0 to 31.
 * - VELMOR_ERROR_MEMORY: length is 15 to 18, too short for the name.
 * - VELMOR_ERROR_DEVICE_BUSY: the device was not present at the last scan.
 * @par Blocking and threads
 * Any thread; returns at once (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_GetDeviceName(int handle, int deviceNumber, char *name, int length);
/**
 * @brief Velmor_GetDeviceName() in UTF-16.
 * @ingroup velmor_lifecycle
 *
 * @param handle Camera handle.
 * @param deviceNumber 0 to 31.
 * @param name Buffer for the name and its terminator, UTF-16.
 * @param length Characters (not bytes) in name: at least 19.
 * @return 1, or 0 on failure.
 * @par Errors
 * As Velmor_GetDeviceName(); VELMOR_ERROR_MEMORY also when the name does not convert.
 * @par Blocking and threads
 * Any thread; returns at once (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_GetDeviceNameW(int handle, int deviceNumber, wchar_t *name, int length);

/**
 * @defgroup velmor_acquisition Acquisition
 * @brief Snapshots, live preview with frame notifications, trigger mode.
 *
 * Three ways to get frames:
 * - Snapshot: Velmor_SnapShot() takes one frame on the calling thread, from idle (it prepares the camera
 *   each time) or after Velmor_Capture() (prepared once).
 * - Live preview: Velmor_Preview() (the SDK's window only), Velmor_CallBackPreview() (plus a frame
 *   notification and a buffer copy per frame) or Velmor_StartPreview() (with what was set before);
 *   Velmor_Record() starts it too. An acquisition thread takes the newest frame each turn, processes it,
 *   paints it and hands it over.
 * - Trigger mode: Velmor_Trigger(); each frame that an external trigger starts is handed over like a
 *   live frame.
 *
 * The camera is idle, in capture, live preview or trigger mode. Starting one mode from another fails
 * with VELMOR_ERROR_STATE (Velmor_Capture() in capture mode and Velmor_StartPreview() in live preview
 * succeed without doing anything); Velmor_StopPreview() and Velmor_Close() return to idle from every mode.
 *
 * Every start prepares the camera: the selected device must be present, answer, and not be claimed by
 * another camera object's live preview (VELMOR_ERROR_DEVICE_BUSY); the capture window must be valid
 * (VELMOR_ERROR_CAPTURE_WINDOW); the frame buffers of the output format are made (VELMOR_ERROR_MEMORY);
 * then sample width, pixel clock (with a 100 ms pause when it changes), window, mirrors, trigger, gains
 * and exposure are programmed. The start then raises VELMOR_ERROR_STATE over the preparation's code.
 * Live preview claims the device in a block shared by all processes (when the camera object has a
 * notification window) and releases it when it stops.
 *
 * Frames: width and height are those of the capture window divided by the sub-sampling (see
 * VELMOR_FRAME_INFO); each row has `(width * bitsPerPixel / 8 + 3) & ~3` bytes (padded to 4 bytes),
 * so an application buffer needs height times that. A topDown flag of 1 copies the top image row
 * first; 0 the bottom row first, as a Windows DIB.
 *
 * Any thread may call any function; calls on one camera that program it run one at a time.
 * Velmor_SnapShot() blocks for one frame; Velmor_StopPreview(), Velmor_Close() and Velmor_Release() wait
 * for the acquisition thread to end: at most the frame in progress (when the camera has stopped
 * sending, up to the 6000 ms frame wait; in trigger mode the pending trigger, up to 3000 ms). In
 * trigger mode, calls that program the camera also wait for the pending trigger. Output format and sub-sampling take effect at the next start.
 *
 * A camera lost during live preview is reported once with VELMOR_ERROR_NO_FRAME (queued, and as a
 * frame failure to the callback window); the preview has then ended. To go on, call
 * Velmor_StopPreview() (or Velmor_Close()) and start again: while the camera is away, every start
 * fails at once with VELMOR_ERROR_DEVICE_BUSY and then VELMOR_ERROR_STATE; once it answers again
 * the start programs it afresh and frames flow. A camera lost in trigger mode is not reported:
 * triggered frames just stop coming.
 */

/**
 * @brief Prepares the camera for snapshots (capture mode).
 * @ingroup velmor_acquisition
 *
 * Each following Velmor_SnapShot() takes its frame without preparing the camera again and keeps the
 * connection for single frames open. Leave capture mode with Velmor_StopPreview() or Velmor_Close().
 *
 * @param handle Camera handle.
 * @return 1, also when the camera is in capture mode already; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object; live preview or trigger mode runs; or over the code of a
 *   failed preparation (VELMOR_ERROR_DEVICE_BUSY, VELMOR_ERROR_CAPTURE_WINDOW, VELMOR_ERROR_MEMORY).
 * @par Blocking and threads
 * Any thread; blocks while the camera is programmed (100 ms more when the pixel clock changes).
 */
VELMOR_API int VELMOR_CALL Velmor_Capture(int handle);
/**
 * @brief Takes one frame, processes it and copies it into a buffer.
 * @ingroup velmor_acquisition
 *
 * From idle the camera is prepared, the frame taken, and the camera stays idle; in capture mode
 * (Velmor_Capture()) the preparation is skipped. The processed frame also becomes the current frame of
 * Velmor_GetImage() and Velmor_SaveImage().
 *
 * @param handle Camera handle.
 * @param buffer Receives the frame, or NULL to only process it.
 * @param size Bytes in buffer: at least height x stride of the frame (see @ref velmor_acquisition);
 *        0 to only process the frame.
 * @param topDown 1: top image row first; 0: bottom row first.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object; live preview or trigger mode runs; or over the code of a
 *   failed preparation.
 * - VELMOR_ERROR_TRANSFER: the frame could not be requested or read (a failed read, or a capture window
 *   of another size set since Velmor_Capture(), also posts frame failure 8 to the callback window of an
 *   earlier Velmor_CallBackPreview() or Velmor_Trigger()).
 * - VELMOR_ERROR_MEMORY, twice: size is too small (frame failure 5 to that callback window too).
 * @par Blocking and threads
 * Any thread. Blocks for one frame: the frame time of the current window and clock (83 ms for the full
 * window at 48 MHz), at most the driver's frame wait of 3000 ms; from idle also the preparation. Live
 * frames of other cameras go on meanwhile.
 */
VELMOR_API int VELMOR_CALL Velmor_SnapShot(int handle, BYTE *buffer, int size, int topDown);
/**
 * @brief Copies the current frame into a buffer, without taking a new one.
 * @ingroup velmor_acquisition
 *
 * The current frame is the last one processed by a snapshot, live preview or trigger mode; after a
 * start and before its first frame it is blank. The frame of the output format currently set is
 * copied, so keep the format that the frames were made in.
 *
 * @param handle Camera handle.
 * @param buffer Receives the frame.
 * @param size Bytes in buffer: at least height x stride.
 * @param topDown 1: top image row first; 0: bottom row first.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object, or the stored output format is not a known one.
 * - VELMOR_ERROR_MEMORY: buffer is NULL or no frame of this format was ever prepared; twice when size
 *   is too small (then also frame failure 5 to the callback window).
 * @par Blocking and threads
 * Any thread, also during live preview; waits only while a frame is being processed.
 */
VELMOR_API int VELMOR_CALL Velmor_GetImage(int handle, BYTE *buffer, int size, int topDown);
/**
 * @brief Starts live preview in the SDK's preview window, without frame notifications.
 * @ingroup velmor_acquisition
 *
 * Forgets the callback window and buffer of an earlier Velmor_CallBackPreview() or Velmor_Trigger(),
 * opens the preview window when the placement asks for one (see @ref velmor_preview_window; by
 * default a window of the frame's size), and starts live preview. In live preview already, it makes
 * the window again and returns 1.
 *
 * @param handle Camera handle.
 * @return 1 once live preview runs; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_WINDOW: the preview window could not be created.
 * - VELMOR_ERROR_TRANSFER over the codes of Velmor_StartPreview() when the start failed (also in capture
 *   or trigger mode, which the failure then ends: the camera is closed as by Velmor_Close()).
 * @par Blocking and threads
 * Any thread; returns once the frame transfer runs, without waiting for a frame (the preparation may
 * pause 100 ms for a clock change). The window belongs to the calling thread: that thread's message
 * loop lets the user move and size it. Frames are painted from the acquisition thread without
 * messages, so it shows frames even when its thread is busy.
 */
VELMOR_API int VELMOR_CALL Velmor_Preview(int handle);
/**
 * @brief Starts live preview with a frame notification and a buffer copy for every frame.
 * @ingroup velmor_acquisition
 *
 * As Velmor_Preview(), and each processed frame is copied into buffer and announced with VELMOR_WM_FRAME
 * to callbackWindow (wParam = address of the VELMOR_FRAME_INFO record). In live preview already, it
 * replaces the callback window and buffer, makes the preview window again and returns 1.
 *
 * @param handle Camera handle.
 * @param callbackWindow Receives VELMOR_WM_FRAME for each frame and for frame failures, or NULL.
 * @param buffer Receives each frame, or NULL for notifications only. It must stay valid until live
 *        preview stops or another buffer is given; the acquisition thread rewrites it with each frame.
 * @param size Bytes in buffer: at least height x stride; 0 for no copy.
 * @param topDown 1: top image row first; 0: bottom row first.
 * @return 1 once live preview runs; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_WINDOW, VELMOR_ERROR_TRANSFER: as Velmor_Preview().
 * - Later, per frame, raised from the acquisition thread: VELMOR_ERROR_MEMORY when size is too small
 *   (the frame is not announced; frame failure 5), VELMOR_ERROR_TRANSFER when a frame cannot be read
 *   (frame failure 8), VELMOR_ERROR_NO_FRAME once when the camera is lost (frame failure 13).
 * @par Blocking and threads
 * As Velmor_Preview(). callbackWindow may belong to any thread: its messages are posted.
 */
VELMOR_API int VELMOR_CALL Velmor_CallBackPreview(int handle, HWND callbackWindow, BYTE *buffer, int size, int topDown);
/**
 * @brief Starts trigger mode: each externally triggered frame is processed, copied and announced.
 * @ingroup velmor_acquisition
 *
 * Stores the callback window and buffer as Velmor_CallBackPreview() does, opens the preview window when
 * the placement asks for one, prepares the camera and switches its external trigger on. The first
 * frame after the start is discarded. The record's frame rate is 0. Trigger mode claims no device.
 * Stop it with Velmor_StopPreview() or Velmor_Close().
 *
 * @param handle Camera handle.
 * @param callbackWindow Receives VELMOR_WM_FRAME for each frame, or NULL.
 * @param buffer Receives each frame, or NULL; valid until trigger mode stops.
 * @param size Bytes in buffer: at least height x stride; 0 for no copy.
 * @param topDown 1: top image row first; 0: bottom row first.
 * @return 1 once trigger mode runs; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object; the camera is not idle (live preview, capture or trigger
 *   mode already); or over the code of a failed preparation (the camera is then closed).
 * - VELMOR_ERROR_WINDOW: the preview window could not be created.
 * - VELMOR_ERROR_THREAD: the acquisition thread could not be created (the camera is closed).
 * - Later, per frame: VELMOR_ERROR_MEMORY when size is too small (frame failure 5).
 * @par Blocking and threads
 * Any thread; returns without waiting for a trigger. The acquisition thread then waits for each
 * trigger up to 3000 ms at a time, holding the camera: calls that program it wait for the pending
 * trigger meanwhile. The preview window belongs to the calling thread.
 */
VELMOR_API int VELMOR_CALL Velmor_Trigger(int handle, HWND callbackWindow, BYTE *buffer, int size, int topDown);
/**
 * @brief Starts live preview with the window, callback window and buffer set before.
 * @ingroup velmor_acquisition
 *
 * Creates no window: frames are painted into a preview window only if one is open, and go to the
 * callback window and buffer last given to Velmor_CallBackPreview() or Velmor_Trigger() (none after
 * Velmor_Preview() or Velmor_Record()). Starts the frame transfer, claims the device and restarts the
 * frame-rate measurement.
 *
 * @param handle Camera handle.
 * @return 1, also when live preview runs already; 0 on failure (the camera is back to idle).
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object; capture or trigger mode runs; or over the code of a failed
 *   preparation.
 * - VELMOR_ERROR_THREAD: the acquisition thread could not be created.
 * - VELMOR_ERROR_REGISTER: the frame transfer did not start.
 * @par Blocking and threads
 * Any thread; returns once the frame transfer runs (the preparation may pause 100 ms for a clock
 * change).
 */
VELMOR_API int VELMOR_CALL Velmor_StartPreview(int handle);
/**
 * @brief Stops live preview, capture mode, trigger mode and any recording.
 * @ingroup velmor_acquisition
 *
 * Ends the acquisition and recording threads, switches the trigger off, stops the frame transfer and
 * releases the device's claim; the camera is idle. A recording ends with its file finished. The
 * preview window stays open (Velmor_Close() destroys it) and the current frame stays for
 * Velmor_GetImage() and Velmor_SaveImage(). Call it also after VELMOR_ERROR_NO_FRAME before starting again.
 *
 * @param handle Camera handle.
 * @return 1 (also when idle); 0 without a device object.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * @par Blocking and threads
 * Any thread, also the one that handles the frame notifications (they are posted, never waited for).
 * Waits for the acquisition thread's frame in progress: normally less than a frame time, up to the
 * 6000 ms frame wait when the camera has stopped sending, up to 3000 ms for a pending trigger; and for
 * a recording's file to be finished.
 */
VELMOR_API int VELMOR_CALL Velmor_StopPreview(int handle);
/**
 * @brief Always 0.
 * @ingroup velmor_acquisition
 *
 * @param handle Camera handle.
 * @return 0.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetStatus(int handle);
/**
 * @brief Width of the capture window in sensor pixels, not divided by sub-sampling.
 * @ingroup velmor_acquisition
 *
 * The frame width is this divided by 1, 2 or 4 for the sub-sampling (see VELMOR_FRAME_INFO).
 * @param handle Camera handle.
 * @return The capture window's width (hEffective of Velmor_SetCaptureWindowEx()); 0 for an unknown
 *         handle. Needs no device object.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_Width(int handle);
/**
 * @brief Height of the capture window in sensor pixels, not divided by sub-sampling.
 * @ingroup velmor_acquisition
 *
 * @param handle Camera handle.
 * @return The capture window's height (vEffective of Velmor_SetCaptureWindowEx()); 0 for an unknown
 *         handle. Needs no device object.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_Height(int handle);

/**
 * @defgroup velmor_recording Recording
 * @brief AVI video of live preview, for a given duration.
 *
 * Velmor_Record() starts live preview (clearing the callback window and buffer of an earlier
 * Velmor_CallBackPreview(); call it again after Velmor_Record() to receive frames) and records each
 * processed frame, as an uncompressed bottom-up 24-bit frame, into an AVI file for durationMs
 * milliseconds from the first frame; preview goes on afterwards. The file is held unshared until
 * it is finished; its frame rate is the one measured. It ends early, finished with the frames so
 * far, at Velmor_StopPreview(), Velmor_Close(), Velmor_Release(), when the camera is lost, or when one
 * more frame would take the file past 2 GiB. Refused: a null or empty path or a negative duration
 * (VELMOR_ERROR_ARGUMENT), a recording already running (VELMOR_ERROR_STATE), a file that cannot be
 * opened or a wide path that does not convert (VELMOR_ERROR_FILE; preview is stopped). A write
 * that fails ends the recording with VELMOR_ERROR_FILE.
 *
 * The recording ends with the first frame after the duration (that frame included); the file's frame
 * rate is the number of frames over the time from the first to the last, in hundredths of a frame per
 * second. No message announces the end: a new Velmor_Record() is accepted once a recording has ended. A
 * recording thread of its own converts and writes the frames, so a slow disk does not hold up live
 * preview; a frame that arrives while it still writes the previous one is not recorded.
 */

/**
 * @brief Records live preview into an AVI file for a given time.
 * @ingroup velmor_recording
 *
 * See @ref velmor_recording. The frames have the frame size of the output format (after
 * sub-sampling), whatever that format is, as 24-bit colour.
 *
 * @param handle Camera handle.
 * @param path AVI file to write, in the system's ANSI code page; replaced if it exists.
 * @param durationMs Milliseconds to record from the first frame, 0 or more (0 ends at the second frame).
 * @param showWindow Non-zero to open the preview window as the placement asks (see
 *        @ref velmor_preview_window); 0 for no window.
 * @return 1 once recording runs; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_ARGUMENT: path is NULL or empty, or durationMs is negative.
 * - VELMOR_ERROR_STATE: a recording runs already.
 * - VELMOR_ERROR_WINDOW: the preview window could not be created.
 * - VELMOR_ERROR_FILE: live preview did not start (over its codes; also in capture or trigger mode,
 *   which are closed), or the file could not be opened (live preview is stopped).
 * - VELMOR_ERROR_THREAD: the recording thread could not be created (the camera is closed).
 * - Later, from the recording thread: VELMOR_ERROR_FILE when a write fails, VELMOR_ERROR_MEMORY when
 *   its conversion buffers cannot be made; both end the recording.
 * @par Blocking and threads
 * Any thread; returns once recording runs, without waiting for a frame. The preview window belongs to
 * the calling thread.
 */
VELMOR_API int VELMOR_CALL Velmor_Record(int handle, char *path, int durationMs, int showWindow);
/**
 * @brief Velmor_Record() with a UTF-16 path.
 * @ingroup velmor_recording
 *
 * The path is converted to the calling thread's ANSI code page, at most 1023 bytes after conversion.
 * @param handle Camera handle.
 * @param path AVI file to write, UTF-16.
 * @param durationMs Milliseconds to record from the first frame, 0 or more.
 * @param showWindow Non-zero to open the preview window as the placement asks.
 * @return As Velmor_Record().
 * @par Errors
 * - VELMOR_ERROR_FILE: path is NULL, does not convert or is too long (nothing is started).
 * - Otherwise as Velmor_Record().
 * @par Blocking and threads
 * As Velmor_Record().
 */
VELMOR_API int VELMOR_CALL Velmor_RecordW(int handle, wchar_t *path, int durationMs, int showWindow);
/**
 * @brief Saves the current frame to a file.
 * @ingroup velmor_saving
 *
 * Writes the frame that is current at the call (see @ref velmor_saving) in the form of fileType.
 *
 * @param handle Camera handle.
 * @param path File to write, in the system's ANSI code page; replaced if it exists.
 * @param fileType VELMOR_SAVE_BMP, VELMOR_SAVE_RAW, VELMOR_SAVE_JPEG_100, VELMOR_SAVE_JPEG_70,
 *        VELMOR_SAVE_JPEG_20, VELMOR_SAVE_PNG or VELMOR_SAVE_TIFF.
 * @return 1 when the file was written; 0 otherwise.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object; no frame processed since Velmor_Initialize() or Velmor_Close();
 *   or the stored output format is not a known one.
 * - VELMOR_ERROR_ARGUMENT: path is NULL.
 * - None for an unknown fileType, a file that cannot be created or an encoder failure: the result 0
 *   alone tells (nothing is written for an unknown fileType).
 * @par Blocking and threads
 * Any thread, also during live preview. Blocks while the frame is copied and encoded on the calling
 * thread (from a few milliseconds for raw to the time a full-size PNG or JPEG takes).
 */
VELMOR_API int VELMOR_CALL Velmor_SaveImage(int handle, char *path, int fileType);
/**
 * @brief Velmor_SaveImage() with a UTF-16 path.
 * @ingroup velmor_saving
 *
 * The path is converted to the calling thread's ANSI code page, at most 1023 bytes after conversion.
 * Unlike Velmor_SaveImage() it does not ask for a processed frame: before the first frame it writes the
 * blank frame of the last start, and fails without an error code when no start has prepared the frame.
 *
 * @param handle Camera handle.
 * @param path File to write, UTF-16.
 * @param fileType One of the VELMOR_SAVE_ codes.
 * @return 1 when the file was written; 0 otherwise.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object, path is NULL or does not convert, or the stored output format
 *   is not a known one.
 * - None for the writer's own failures, as Velmor_SaveImage().
 * @par Blocking and threads
 * As Velmor_SaveImage().
 */
VELMOR_API int VELMOR_CALL Velmor_SaveImageW(int handle, wchar_t *path, int fileType);

/**
 * @defgroup velmor_preview_window Preview window
 * @brief Where live frames are shown: a child of an application window, a window of its own, or none.
 *
 * Velmor_Preview(), Velmor_CallBackPreview(), Velmor_Trigger() and Velmor_Record() (when showWindow is
 * non-zero) open the SDK's preview window as the placement asks, replacing a window of an earlier
 * start:
 * - a parent window given: a child window (id 6540) of the parent at x, y with width x height;
 * - no parent and four zeros: no window (frames still reach the callback window and buffer);
 * - no parent and anything else: a top-level window titled "Active Window" whose client area is the
 *   frame size (after sub-sampling), centred on the primary screen (never off its top-left corner).
 *   This is the default: Velmor_Initialize() sets the placement to no parent, 0, 0 and the capture
 *   window's size.
 *
 * Each frame is painted from the acquisition thread: copied 1:1 when the client area has the frame's
 * size, else scaled to it (nearest neighbour), always the right way up. The window does nothing else:
 * it belongs to the thread that started the acquisition, whose message loop moves and sizes it.
 * Velmor_Close() destroys it; Velmor_StopPreview() leaves it.
 */

/* Preview window */
/**
 * @brief Sets where the next preview window goes.
 * @ingroup velmor_preview_window
 *
 * Nothing is created or moved now: the placement applies at the next Velmor_Preview(),
 * Velmor_CallBackPreview(), Velmor_Trigger() or Velmor_Record().
 *
 * @param handle Camera handle.
 * @param parent Parent of a child preview window, or NULL.
 * @param x Left edge of the child window in the parent's client area.
 * @param y Top edge of the child window.
 * @param width Width of the child window (a size, not a right edge).
 * @param height Height of the child window.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object (nothing is stored).
 * @par Blocking and threads
 * Any thread; returns at once, or after an acquisition start or stop that runs on another thread.
 */
VELMOR_API int VELMOR_CALL Velmor_SetPreviewWindow(int handle, HWND parent, int x, int y, int width, int height);

/**
 * @defgroup velmor_properties Properties
 * @brief Capture window, output format, sub-sampling, clock, wait time, mirrors, automatic exposure,
 *        exposure time, camera limits.
 *
 * Setters store their value; it takes effect now (written to the camera during the call), with the
 * next processed frame, or at the next start, as each function says. Values that take effect at the
 * next start do not change a running acquisition.
 *
 * Output formats (Velmor_SetColorMode() takes the bits per pixel; Velmor_GetColorMode() reports the
 * significant bits):
 * - 8: 8-bit gray (reported 8);
 * - 16: 16-bit gray with 10 significant bits (reported 10);
 * - 24: BGR, one byte a sample (reported 24);
 * - 32: BGRX, one byte a sample, the fourth not written (reported 32);
 * - 48: BGR, 16-bit samples with 10 significant bits (reported 42);
 * - 64: BGRX, 16-bit samples with 10 significant bits (reported 58).
 */

/* Capture window, output format, sub-sampling, clock, timing */
/**
 * @brief Selects a stored capture-window preset by its size.
 * @ingroup velmor_properties
 *
 * Searches the presets of the current device (registry keys `Size_00` to `Size_99` below Camera_NN,
 * made by the camera settings dialog) for the first whose captured width and height are these, takes
 * its window and writes it to the camera (as Velmor_SetCaptureWindowEx() does).
 *
 * @param handle Camera handle.
 * @param width Captured width of the preset, in sensor pixels.
 * @param height Captured height of the preset.
 * @return 1 when a preset was taken (also when it was replaced by the full window); 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_WINDOW: no presets stored, or none of that size.
 * - VELMOR_ERROR_CAPTURE_WINDOW: the preset lies outside the sensor; the full 2048 x 1536 window is
 *   used instead and the result is 1.
 * @par Blocking and threads
 * Any thread. Reads the registry and programs the camera (100 ms more when the frame's pixel count
 * changes); in trigger mode it first waits for the pending trigger, up to 3000 ms.
 */
VELMOR_API int VELMOR_CALL Velmor_SetCaptureWindow(int handle, int width, int height);
/**
 * @brief Sets the capture window: the part of the sensor that frames show.
 * @ingroup velmor_properties
 *
 * Valid when all values are 0 or more, hStart + hEffective is at most 2048 and vStart + vEffective at
 * most 1536. A valid window is written to the camera at once, except during live preview, where it
 * applies from the next start; the frame size changes at the next start in every mode (in capture and
 * trigger mode, frames of a changed size fail until then: set the window while idle). The camera needs
 * at least 4 columns and 3 rows. The window is not saved in the registry.
 *
 * @param handle Camera handle.
 * @param hTotal Total horizontal size: stored and reported only (2048).
 * @param hStart First captured column, 0 to 2047.
 * @param hEffective Captured width in sensor pixels.
 * @param vTotal Total vertical size: stored and reported only (1536).
 * @param vStart First captured row, 0 to 1535.
 * @param vEffective Captured height in sensor pixels.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_CAPTURE_WINDOW: the window is not valid. The values are kept all the same: every start
 *   then fails with this code until a valid window is set.
 * @par Blocking and threads
 * Any thread. Programs the camera (100 ms more when the frame's pixel count changes); in trigger mode
 * it first waits for the pending trigger, up to 3000 ms.
 */
VELMOR_API int VELMOR_CALL Velmor_SetCaptureWindowEx(int handle, int hTotal, int hStart, int hEffective, int vTotal,
                                                     int vStart, int vEffective);
/**
 * @brief Reads the capture window.
 * @ingroup velmor_properties
 *
 * Writes the stored values to the pointers that are not NULL. Needs no device object.
 * @param handle Camera handle.
 * @param hTotal Receives the total horizontal size, or NULL.
 * @param hStart Receives the first captured column, or NULL.
 * @param hEffective Receives the captured width, or NULL.
 * @param vTotal Receives the total vertical size, or NULL.
 * @param vStart Receives the first captured row, or NULL.
 * @param vEffective Receives the captured height, or NULL.
 * @return 1.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetCaptureWindowEx(int handle, int *hTotal, int *hStart, int *hEffective,
                                                     int *vTotal, int *vStart, int *vEffective);
/**
 * @brief Sets the output format by its bits per pixel; it takes effect at the next start.
 * @ingroup velmor_properties
 *
 * Needs no device object. A running acquisition keeps its format until it is started again.
 * @param handle Camera handle.
 * @param bitCount 8, 16, 24, 32, 48 or 64 (see @ref velmor_properties).
 * @return 1, or 0 for another value.
 * @par Errors
 * - VELMOR_ERROR_ARGUMENT: bitCount is not one of the six.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_SetColorMode(int handle, int bitCount);
/**
 * @brief The output format set, as its significant bits per pixel.
 * @ingroup velmor_properties
 *
 * @param handle Camera handle.
 * @return 8, 10, 24, 32, 42 or 58 for the formats set with 8, 16, 24, 32, 48 or 64; -1 for an unknown
 *         handle or a stored format that is not a known one.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetColorMode(int handle);
/**
 * @brief Sets the sub-sampling; it takes effect at the next start.
 * @ingroup velmor_properties
 *
 * Needs no device object.
 * @param handle Camera handle.
 * @param code VELMOR_SUBSAMPLE_NONE, VELMOR_SUBSAMPLE_SKIP_2, VELMOR_SUBSAMPLE_SKIP_4,
 *        VELMOR_SUBSAMPLE_BIN_2 or VELMOR_SUBSAMPLE_BIN_4.
 * @return 1, or 0 for any other code (no error is raised).
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_SetSubSample(int handle, int code);
/**
 * @brief The sub-sampling code set.
 * @ingroup velmor_properties
 *
 * @param handle Camera handle.
 * @return One of the VELMOR_SUBSAMPLE_ codes; -1 for an unknown handle.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetSubSample(int handle);
/**
 * @brief Sets the pause of live preview before it looks for the next frame.
 * @ingroup velmor_properties
 *
 * Each turn of live preview sleeps this long, then takes the newest frame; a longer pause processes
 * fewer frames. Applies from the next turn. Needs no device object.
 * @param handle Camera handle.
 * @param milliseconds 0 or more (the camera object's default 10; a first run stores 1).
 * @return 1, or 0 for a negative value (no error is raised).
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_SetWaitTime(int handle, int milliseconds);
/**
 * @brief The pause of live preview, in milliseconds.
 * @ingroup velmor_properties
 *
 * @param handle Camera handle.
 * @return The wait time; -1 for an unknown handle.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetWaitTime(int handle);
/**
 * @brief Sets the sensor's pixel clock; it is written at the next start.
 * @ingroup velmor_properties
 *
 * Not checked. Codes: 0 for 24 MHz, 1 for 12 MHz, 2 for 48 MHz (a first run stores 2), 3 for 40 MHz,
 * 4 for 20 MHz, 5 for 10 MHz. Exposure times (Velmor_SetRealExposureTime()) count with this setting at
 * once. Needs no device object.
 * @param handle Camera handle.
 * @param clock Clock code.
 * @return 1.
 * @par Blocking and threads
 * Any thread; returns at once. The next start pauses 100 ms when the camera's clock changes.
 */
VELMOR_API int VELMOR_CALL Velmor_SetHalfClock(int handle, int clock);
/**
 * @brief Reads the pixel-clock code from the camera.
 * @ingroup velmor_properties
 *
 * Reports the camera's register, which follows Velmor_SetHalfClock() only after a start.
 * @param handle Camera handle.
 * @param ok Receives 1 on success, 0 on failure; may be NULL.
 * @return The clock code, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: no device object, or the register could not be read.
 * @par Blocking and threads
 * Any thread; one device request (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_GetHalfClock(int handle, int *ok);

/* Mirrors, automatic exposure, exposure as time */
/**
 * @brief Mirrors frames left to right from the next processed frame.
 * @ingroup velmor_properties
 *
 * The mirror is applied to each frame by the SDK; the sensor's window is not changed. Kept with the
 * analog settings.
 * @param handle Camera handle.
 * @param flag Non-zero mirrors, 0 does not.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * @par Blocking and threads
 * Any thread; returns at once (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_SetMirrorH(int handle, int flag);
/**
 * @brief Whether frames are mirrored left to right.
 * @ingroup velmor_properties
 *
 * @param handle Camera handle.
 * @return 1 or 0; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetMirrorH(int handle);
/**
 * @brief Mirrors frames top to bottom from the next processed frame.
 * @ingroup velmor_properties
 *
 * As Velmor_SetMirrorH(), but without a device object the code is only posted.
 * @param handle Camera handle.
 * @param flag Non-zero mirrors, 0 does not.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: no device object.
 * @par Blocking and threads
 * Any thread; returns at once (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_SetMirrorV(int handle, int flag);
/**
 * @brief Whether frames are mirrored top to bottom.
 * @ingroup velmor_properties
 *
 * @param handle Camera handle.
 * @return 1 or 0; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: no device object.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetMirrorV(int handle);
/**
 * @brief Sets the automatic exposure mode, from the next processed frame.
 * @ingroup velmor_properties
 *
 * Once per processed frame, the mean levels of five small measuring windows (the four corners and the
 * centre) decide whether the picture is too dark or too bright; when it is clearly off, mode 1 scales
 * the exposure (VELMOR_FILTER_EXPOSURE, at most 16383 lines) and mode 2 the global gain (at most 63;
 * the colour-gain settings follow). The values the automatic exposure sets are written to the camera
 * and kept like values set by hand. Needs no device object.
 * @param handle Camera handle.
 * @param mode 0 off, 1 automatic exposure time, 2 automatic gain.
 * @return 1, or 0 for another mode.
 * @par Errors
 * - VELMOR_ERROR_ARGUMENT, posted only: mode is not 0, 1 or 2.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_SetAutoIris(int handle, int mode);
/**
 * @brief The automatic exposure mode.
 * @ingroup velmor_properties
 *
 * Needs no device object.
 * @param handle Camera handle.
 * @param ok Receives 1; may be NULL.
 * @return 0, 1 or 2.
 * @par Blocking and threads
 * Any thread; returns at once.
 */
VELMOR_API int VELMOR_CALL Velmor_GetAutoIris(int handle, int *ok);
/**
 * @brief Sets the exposure as a time; written to the camera at once.
 * @ingroup velmor_properties
 *
 * The time becomes whole sensor lines: lines = microseconds / (line length / pixel clock), truncated,
 * with the clock setting (Velmor_SetHalfClock()), the sub-sampling and the capture width as set now.
 * Without sub-sampling a line is the capture width + 390 pixel clocks (647 for widths below 278):
 * 2438 clocks at the full width, 101.6 microseconds at 24 MHz, 50.8 at 48 MHz. The lines must come to
 * 1 to 16383.
 * @param handle Camera handle.
 * @param microseconds Exposure time in microseconds.
 * @return 1, or 0 on failure (nothing is changed).
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: the time comes to fewer than 1 or more than 16383 lines.
 * @par Blocking and threads
 * Any thread; one device request (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_SetRealExposureTime(int handle, int microseconds);
/**
 * @brief The exposure as a time, in microseconds.
 * @ingroup velmor_properties
 *
 * Computed from the stored exposure lines (set by hand or by the automatic exposure) with the clock,
 * sub-sampling and capture width as set now; 1561 lines at the full width and 24 MHz are 158571
 * microseconds.
 * @param handle Camera handle.
 * @param ok Receives 1 on success, 0 on failure; may be NULL.
 * @return The exposure time in microseconds, truncated; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * @par Blocking and threads
 * Any thread; returns at once (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_GetRealExposureTime(int handle, int *ok);

/**
 * @defgroup velmor_filter_values Filter values
 * @brief Image filters, white balance, gray modes, sensor gains and exposure, by filter number.
 *
 * Velmor_SetFilterValue() and Velmor_GetFilterValue() take a filter number (VELMOR_FILTER_BRIGHTNESS to
 * VELMOR_FILTER_GRAY_GAIN_AUTO, with each number's range). Each number but 28 also has a named setter
 * and getter, such as Velmor_SetBrightness() and Velmor_GetBrightness(),
 * which behave exactly as the generic pair with their number.
 *
 * Setting: the value must lie in the number's range, inclusive (numbers 6 and 10 take any value); a
 * value out of range raises VELMOR_ERROR_ARGUMENT and changes nothing. Numbers 1 to 12 and 19 to 28 are
 * image-processing values used from the next processed frame; numbers 13 to 18 are sensor gains and
 * exposure, written to the camera during the call (a failed write is not detected). Errors:
 * VELMOR_ERROR_STATE without a device object, VELMOR_ERROR_ARGUMENT for a value out of range or a
 * number outside 1 to 28.
 *
 * Getting: numbers 1 to 12 and 19 to 28 report the stored value (6 packs the three white-balance gains
 * into their low bytes); 13 to 18 read the sensor's register, so they tell what the camera holds:
 * after a global gain of 20, the colour gains 14 to 17 still read their old registers. The ok argument
 * (may be NULL) receives 1 on success, 0 on failure. Errors: VELMOR_ERROR_STATE without a device
 * object, VELMOR_ERROR_ARGUMENT for a number outside 1 to 28; the result is then 0.
 *
 * The values are kept per device in the registry (see @ref velmor_lifecycle); the analog settings
 * dialog and the image filter dialog change them too.
 *
 * Threads and blocking: any thread, also while frames are processed. Numbers 1 to 12 and 19 to 28 wait
 * only for a frame being processed; numbers 13 to 18 program or read the camera, and in trigger mode
 * first wait for the pending trigger (up to 3000 ms).
 */

/* Filter and analog values: the generic pair and its named forms */
/**
 * @brief Sets a filter or analog value by its number.
 * @ingroup velmor_filter_values
 *
 * See @ref velmor_filter_values for ranges, effects, errors and threads.
 * @param handle Camera handle.
 * @param number Filter number, VELMOR_FILTER_BRIGHTNESS (1) to VELMOR_FILTER_GRAY_GAIN_AUTO (28).
 * @param value The value, within the number's range.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: value out of range, or number outside 1 to 28.
 * @par Blocking and threads
 * Any thread. Numbers 13 to 18 program the camera: in trigger mode they wait for the pending trigger,
 * up to 3000 ms. The others wait only for a frame being processed.
 */
VELMOR_API int VELMOR_CALL Velmor_SetFilterValue(int handle, int number, int value);
/**
 * @brief Reads a filter or analog value by its number.
 * @ingroup velmor_filter_values
 *
 * Numbers 13 to 18 are read from the sensor, the others from the stored settings.
 * @param handle Camera handle.
 * @param number Filter number, 1 to 28.
 * @param ok Receives 1 on success, 0 on failure; may be NULL.
 * @return The value; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: number outside 1 to 28.
 * @par Blocking and threads
 * Any thread. Numbers 13 to 18 read the camera: in trigger mode they wait for the pending trigger, up
 * to 3000 ms.
 */
VELMOR_API int VELMOR_CALL Velmor_GetFilterValue(int handle, int number, int *ok);
/** @brief Sets VELMOR_FILTER_BRIGHTNESS (1), -255..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBrightness(int handle, int value);
/** @brief Reads VELMOR_FILTER_BRIGHTNESS (1). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBrightness(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_CONTRAST (2), -127..127. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetContrast(int handle, int value);
/** @brief Reads VELMOR_FILTER_CONTRAST (2). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetContrast(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_HUE (3), -360..360 degrees. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetHue(int handle, int value);
/** @brief Reads VELMOR_FILTER_HUE (3). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetHue(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_SATURATION (4), -255..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetSaturation(int handle, int value);
/** @brief Reads VELMOR_FILTER_SATURATION (4). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetSaturation(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_SHARPNESS (5), 0..30. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetSharpness(int handle, int value);
/** @brief Reads VELMOR_FILTER_SHARPNESS (5). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetSharpness(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_BAYER_GAIN_RGB (6): red, green, blue gains packed in bits 0-7, 8-15, 16-23.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainRGB(int handle, int value);
/** @brief Reads VELMOR_FILTER_BAYER_GAIN_RGB (6): the low bytes of the three gains, packed.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainRGB(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_BAYER_GAIN_RED (7), 0..400. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainRed(int handle, int value);
/** @brief Reads VELMOR_FILTER_BAYER_GAIN_RED (7). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainRed(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_BAYER_GAIN_GREEN (8), 0..400. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainGreen(int handle, int value);
/** @brief Reads VELMOR_FILTER_BAYER_GAIN_GREEN (8). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainGreen(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_BAYER_GAIN_BLUE (9), 0..400. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainBlue(int handle, int value);
/** @brief Reads VELMOR_FILTER_BAYER_GAIN_BLUE (9). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainBlue(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_BAYER_GAIN_AUTO (10): non-zero on, 0 off. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBayerGainAuto(int handle, int value);
/** @brief Reads VELMOR_FILTER_BAYER_GAIN_AUTO (10): 1 or 0. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBayerGainAuto(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GAMMA (11), 0..200. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGamma(int handle, int value);
/** @brief Reads VELMOR_FILTER_GAMMA (11). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGamma(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_BAYER_MODE (12), 0..3. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetBayerMode(int handle, int value);
/** @brief Reads VELMOR_FILTER_BAYER_MODE (12). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetBayerMode(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GLOBAL_GAIN (13), 0..63, written to the sensor at once.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGlobalGain(int handle, int value);
/** @brief Reads VELMOR_FILTER_GLOBAL_GAIN (13) from the sensor. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGlobalGain(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_COLOR_GAIN_RED (14), 0..63, written to the sensor at once.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetColorGainRed(int handle, int value);
/** @brief Reads VELMOR_FILTER_COLOR_GAIN_RED (14) from the sensor. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetColorGainRed(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_COLOR_GAIN_GREEN1 (15), 0..63, written to the sensor at once.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetColorGainGreen1(int handle, int value);
/** @brief Reads VELMOR_FILTER_COLOR_GAIN_GREEN1 (15) from the sensor. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetColorGainGreen1(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_COLOR_GAIN_GREEN2 (16), 0..63, written to the sensor at once.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetColorGainGreen2(int handle, int value);
/** @brief Reads VELMOR_FILTER_COLOR_GAIN_GREEN2 (16) from the sensor. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetColorGainGreen2(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_COLOR_GAIN_BLUE (17), 0..63, written to the sensor at once.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetColorGainBlue(int handle, int value);
/** @brief Reads VELMOR_FILTER_COLOR_GAIN_BLUE (17) from the sensor. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetColorGainBlue(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_EXPOSURE (18) in sensor lines, 1..16383, written to the sensor at once.
 *  @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetExposureTime(int handle, int value);
/** @brief Reads VELMOR_FILTER_EXPOSURE (18), in lines, from the sensor. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetExposureTime(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_MODE (19), 0..2. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayMode(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_MODE (19). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayMode(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_GAIN_R (20), 0..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainR(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_GAIN_R (20). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainR(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_GAIN_G1 (21), 0..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainG1(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_GAIN_G1 (21). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainG1(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_GAIN_G2 (22), 0..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainG2(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_GAIN_G2 (22). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainG2(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_GAIN_B (23), 0..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayGainB(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_GAIN_B (23). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayGainB(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_OFFSET_R (24), -255..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetR(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_OFFSET_R (24). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetR(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_OFFSET_G1 (25), -255..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetG1(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_OFFSET_G1 (25). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetG1(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_OFFSET_G2 (26), -255..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetG2(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_OFFSET_G2 (26). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetG2(int handle, int *ok);
/** @brief Sets VELMOR_FILTER_GRAY_OFFSET_B (27), -255..255. @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_SetGrayOffsetB(int handle, int value);
/** @brief Reads VELMOR_FILTER_GRAY_OFFSET_B (27). @ingroup velmor_filter_values */
VELMOR_API int VELMOR_CALL Velmor_GetGrayOffsetB(int handle, int *ok);

/**
 * @defgroup velmor_registers Registers, serial ROM and I/O port
 * @brief Direct access to the sensor's registers, the serial ROM's identification bytes and the
 *        general-purpose I/O port.
 *
 * These talk to the camera during the call. Registers that the SDK programs itself (window, gains,
 * exposure, clock, trigger) are written again at the next start and by their setters, so a value
 * written here lasts only until then. In trigger mode each call first waits for the pending trigger,
 * up to 3000 ms.
 */

/* Camera information, registers, serial ROM, I/O port */
/**
 * @brief Fills the camera's limits into a VELMOR_CAMERA_INFO record.
 * @ingroup velmor_properties
 *
 * Fills offsets 4 to 32; the size field is left as the application set it.
 * @param handle Camera handle.
 * @param info The record, its size set to 36 (sizeof(VELMOR_CAMERA_INFO)) or more.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_ARGUMENT: info is NULL.
 * - VELMOR_ERROR_MEMORY: info->size is below 36.
 * @par Blocking and threads
 * Any thread; one device request (in trigger mode after the pending trigger, up to 3000 ms).
 */
VELMOR_API int VELMOR_CALL Velmor_GetCameraInfo(int handle, VELMOR_CAMERA_INFO *info);
/**
 * @brief Reads a 16-bit sensor register.
 * @ingroup velmor_registers
 *
 * @param handle Camera handle.
 * @param reg Register number (its low 8 bits are sent).
 * @param ok Receives 1 on success, 0 on failure; may be NULL.
 * @return The register's value, 0 to 65535; 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_REGISTER: the register could not be read.
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_ReadRegister(int handle, int reg, int *ok);
/**
 * @brief The same as Velmor_ReadRegister().
 * @ingroup velmor_registers
 *
 * @param handle Camera handle.
 * @param reg Register number.
 * @param ok Receives 1 on success, 0 on failure; may be NULL.
 * @return As Velmor_ReadRegister().
 * @par Errors
 * As Velmor_ReadRegister().
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_ReadRegisterEx(int handle, int reg, int *ok);
/**
 * @brief Writes a 16-bit sensor register.
 * @ingroup velmor_registers
 *
 * @param handle Camera handle.
 * @param reg Register number (its low 8 bits are sent).
 * @param value Value (its low 16 bits are sent).
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - VELMOR_ERROR_REGISTER: the register could not be written.
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_WriteRegister(int handle, int reg, int value);
/**
 * @brief The same as Velmor_WriteRegister().
 * @ingroup velmor_registers
 *
 * @param handle Camera handle.
 * @param reg Register number.
 * @param value Value.
 * @return As Velmor_WriteRegister().
 * @par Errors
 * As Velmor_WriteRegister().
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_WriteRegisterEx(int handle, int reg, int value);
/**
 * @brief Reads one byte of the serial ROM's identification area.
 * @ingroup velmor_registers
 *
 * Reads the ROM byte at 0x1800 + (address & 0xFF).
 * @param handle Camera handle.
 * @param address Byte within the area, 0 to 255 (higher bits are ignored).
 * @param ok Receives 1 on success, 0 on failure; may be NULL.
 * @return The byte, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: the read failed, or no device object.
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_ReadSromID(int handle, int address, int *ok);
/**
 * @brief Writes one byte of the serial ROM's identification area.
 * @ingroup velmor_registers
 *
 * Writes the ROM byte at 0x1800 + (address & 0xFF). The byte at 0x1EB0 tells the camera variant to the
 * SDK when a device is selected; leave it alone.
 * @param handle Camera handle.
 * @param address Byte within the area, 0 to 255.
 * @param value The byte (its low 8 bits).
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: the write failed, or no device object.
 * @par Blocking and threads
 * Any thread; one device request and a 10 ms pause for the ROM to program its cell.
 */
VELMOR_API int VELMOR_CALL Velmor_WriteSromID(int handle, int address, int value);
/**
 * @brief Sets the outputs of the general-purpose I/O port.
 * @ingroup velmor_registers
 *
 * Writes the port register of the camera's controller.
 * @param handle Camera handle.
 * @param value Output bits (low 8 bits).
 * @return 1 when the write succeeded, 0 when it failed (nothing is raised) or without a device object.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: no device object.
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_SetIOPort(int handle, int value);
/**
 * @brief Reads the inputs of the general-purpose I/O port.
 * @ingroup velmor_registers
 *
 * @param handle Camera handle.
 * @param value Receives the port's byte (0 when the read failed).
 * @param unused1 Not read.
 * @param unused2 Not read.
 * @return 1, or 0 on failure.
 * @par Errors
 * - VELMOR_ERROR_STATE, posted only: no device object.
 * - VELMOR_ERROR_ARGUMENT, posted only: value is NULL.
 * - VELMOR_ERROR_REGISTER: the port could not be read.
 * @par Blocking and threads
 * Any thread; one device request.
 */
VELMOR_API int VELMOR_CALL Velmor_GetIOPort(int handle, BYTE *value, int unused1, int unused2);

/**
 * @defgroup velmor_dialogs Dialogs
 * @brief The analog, camera and image filter settings dialogs.
 *
 * Dialogs: modal on the calling thread, in Japanese when the system's default language is
 * Japanese and in English otherwise. Each returns 1 once the dialog has closed, whatever closed
 * it, and 0 with VELMOR_ERROR_STATE without a device object.
 * Velmor_SetAnalogDlg(): gains, exposure, mirrors and the automatic exposure mode, sent to the
 * camera as they change while the picture runs; Cancel restores the values of the opening.
 * Velmor_SetCameraDlg(): output format, capture-window preset ("Custom" adds one), sub-sampling,
 * clock and wait time, stored in the registry at OK and Apply. A running preview or capture is
 * stopped while it is open (trigger mode is held) and started again when it closes, with the
 * stored settings after OK and with those of the opening after Cancel.
 *
 * The analog and image filter dialogs change the camera object's settings only; those reach the
 * registry when the camera is released or another device is selected. A dialog runs its own message
 * loop on the calling thread, which must be allowed to show windows; the parent (may be NULL) is
 * disabled while the dialog is open.
 */

/**
 * @brief Shows the analog settings dialog: gains, exposure, mirrors, automatic exposure.
 * @ingroup velmor_dialogs
 *
 * Opens with the values the camera holds; each change goes to the camera at once while frames keep
 * coming. Cancel (or any close but OK) restores the values of the opening, and the Bayer mode too.
 * @param handle Camera handle.
 * @param parent Owner window, or NULL.
 * @return 1 once the dialog has closed; 0 without a device object.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * @par Blocking and threads
 * Blocks the calling thread until the user closes the dialog. In trigger mode each change waits for the
 * pending trigger.
 */
VELMOR_API int VELMOR_CALL Velmor_SetAnalogDlg(int handle, HWND parent);
/**
 * @brief Shows the camera settings dialog: output format, capture-window preset, sub-sampling, clock,
 *        wait time.
 * @ingroup velmor_dialogs
 *
 * Works on the registry: reads the stored settings of the current device, writes them at OK and Apply.
 * Live preview and capture mode are stopped while the dialog is open (a recording then ends, its file
 * finished) and started again when it closes; trigger mode is held and goes on. After OK the camera
 * takes the stored capture-window preset and stream settings first. A restart that fails leaves its
 * codes in the queue; the result is 1 all the same.
 * @param handle Camera handle.
 * @param parent Owner window, or NULL.
 * @return 1 once the dialog has closed; 0 without a device object.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * - The codes of a restart that failed (see Velmor_StartPreview() and Velmor_Capture()).
 * @par Blocking and threads
 * Blocks the calling thread until the user closes the dialog; stopping live preview first waits as
 * Velmor_StopPreview() does.
 */
VELMOR_API int VELMOR_CALL Velmor_SetCameraDlg(int handle, HWND parent);
/**
 * @brief Shows the image filter dialog: brightness to gamma, white balance, Bayer mode, gray filters.
 * @ingroup velmor_dialogs
 *
 * Edits the filter values in place, so each change shows in the next frame: brightness, contrast,
 * hue, saturation, sharpness, white-balance gains, gamma, automatic white balance (once or every
 * frame) and the Bayer mode; for the monochrome formats a second page with the gray mode, gains,
 * offsets and automatic gray balance. Cancel (or any close but OK) restores the values of the opening.
 * @param handle Camera handle.
 * @param parent Owner window, or NULL.
 * @return 1 once the dialog has closed; 0 without a device object.
 * @par Errors
 * - VELMOR_ERROR_STATE: no device object.
 * @par Blocking and threads
 * Blocks the calling thread until the user closes the dialog.
 */
VELMOR_API int VELMOR_CALL Velmor_SetImageDlg(int handle, HWND parent);

/**
 * @defgroup velmor_not_available Functions this camera does not have
 * @brief Functions of other camera models: they post or raise VELMOR_ERROR_NOT_AVAILABLE, or report 0.
 *
 * They exist so that applications written for other models link; they read no argument but the
 * handle (the two getters write 0 to their pointer) and return at once on any thread.
 */

/* Not available on this camera: they post or raise VELMOR_ERROR_NOT_AVAILABLE, or report 0 */
/**
 * @brief Not available: posts VELMOR_ERROR_NOT_AVAILABLE, returns 0.
 * @ingroup velmor_not_available
 *
 * The code is posted only (not queued), also to a NULL notification window.
 * @param handle Camera handle.
 * @param reg Not read.
 * @param ok Not read or written.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_Fpga_ReadRegister(int handle, int reg, int *ok);
/**
 * @brief Not available: posts VELMOR_ERROR_NOT_AVAILABLE, returns 0.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @param reg Not read.
 * @param value Not read.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_Fpga_WriteRegister(int handle, int reg, int value);
/**
 * @brief Not available: posts VELMOR_ERROR_NOT_AVAILABLE, returns 0.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @param fps Not read.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_Fps(int handle, int fps);
/**
 * @brief Not available: posts VELMOR_ERROR_NOT_AVAILABLE, returns 0.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @param input Not read.
 * @param output Not read.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_SetCrossbar(int handle, int input, int output);
/**
 * @brief Not available: posts VELMOR_ERROR_NOT_AVAILABLE, returns 0.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @param rate Not read.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_SetSamplingRate(int handle, int rate);
/**
 * @brief Not available: writes 0 to rate, returns 0, raises nothing.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @param rate Receives 0; may be NULL.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_GetSamplingRate(int handle, int *rate);
/**
 * @brief Not available: writes 0 to format, returns 0, raises nothing.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @param format Receives 0; may be NULL.
 * @return 0.
 */
VELMOR_API int VELMOR_CALL Velmor_GetVideoFormat(int handle, int *format);
/**
 * @brief Not available: raises VELMOR_ERROR_NOT_AVAILABLE (queued and posted), returns -1.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @return -1 for a known handle, 0 for an unknown one.
 */
VELMOR_API int VELMOR_CALL Velmor_GetConfigFilter(int handle);
/**
 * @brief Not available: raises VELMOR_ERROR_NOT_AVAILABLE (queued and posted), returns -1.
 * @ingroup velmor_not_available
 *
 * @param handle Camera handle.
 * @return -1 for a known handle, 0 for an unknown one.
 */
VELMOR_API int VELMOR_CALL Velmor_SetConfigFilter(int handle);

#ifdef __cplusplus
}
#endif

#endif /* VELMORSDK_520QK_ZRX_H */
