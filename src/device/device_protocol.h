#pragma once
// Commands, registers, status codes and pauses of the 520QK camera's driver protocol.
// The request codes and pipes are in driver_port.h.
#include <cstdint>

// The sensor array.
constexpr int kSensorColumns = 2048;
constexpr int kSensorRows = 1536;

// Device paths: kDevicePathPrefix, the base name, '-', and one character per device number.
constexpr char kDevicePathPrefix[] = "\\\\.\\";
constexpr char kDeviceBaseName[] = "Velm520QKZRX";
constexpr char kDeviceSuffixes[] = "0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";  // N before M

// Writes the path of device number `n` ("\\.\Velm520QKZRX-0" for the base name and 0) into `path`
// of `bytes` bytes. False for a number without a suffix, or when the path does not fit (then it
// holds as much as fits). Needs no library: the virtual camera driver uses it too.
inline bool FormatDevicePath(const char* baseName, int n, char* path, int bytes)
{
    constexpr int kSuffixes = sizeof(kDeviceSuffixes) - 1;
    if (!path || bytes <= 0 || n < 0 || n >= kSuffixes)
        return false;
    int length = 0;
    auto put = [&](char c) {
        if (length < bytes - 1)
            path[length] = c;
        ++length;
    };
    for (const char* p = kDevicePathPrefix; *p; ++p)
        put(*p);
    for (const char* p = baseName; *p; ++p)
        put(*p);
    put('-');
    put(kDeviceSuffixes[n]);
    path[length < bytes ? length : bytes - 1] = '\0';
    return length < bytes;
}

// Image reads of this many bytes or more need the large-transfer request code.
constexpr uint32_t kLargeTransferBytes = 3072000;

namespace cmd {
constexpr uint8_t kArmTransfer = 0x01;
constexpr uint8_t kRequestFrame = 0x02;
constexpr uint8_t kWriteSensorRegister = 0x04;
constexpr uint8_t kInitDevice = 0x06;
constexpr uint8_t kSetTransferLength = 0x09;
constexpr uint8_t kSetSampleWidth = 0x0A;
constexpr uint8_t kReadSensorRegister = 0x0C;
constexpr uint8_t kWriteControlRegister = 0x25;
constexpr uint8_t kReadControlRegister = 0x26;
constexpr uint8_t kSromWrite = 0x40;
constexpr uint8_t kSromRead = 0x41;

// Fixed bytes 1..3 of the serial ROM commands (device address and access kind of the ROM chip).
constexpr uint8_t kSromChipAddress = 0x51;
constexpr uint8_t kSromWriteKind = 3;
constexpr uint8_t kSromWritePage = 0x18;
constexpr uint8_t kSromReadKind = 2;
constexpr uint8_t kSromReadPage = 1;
}  // namespace cmd

// Sensor registers (16-bit values).
namespace sensor {
constexpr int kChipVersion = 0;
constexpr int kRowStart = 1;
constexpr int kColumnStart = 2;
constexpr int kRowSize = 3;
constexpr int kColumnSize = 4;
constexpr int kHorizontalBlank = 5;
constexpr int kVerticalBlank = 6;
constexpr int kExposure = 9;
constexpr int kTriggerControl = 30;
constexpr int kRowAddressMode = 34;
constexpr int kColumnAddressMode = 35;
constexpr int kGainGreen1 = 43;
constexpr int kGainBlue = 44;
constexpr int kGainRed = 45;
constexpr int kGainGreen2 = 46;
constexpr int kGlobalGain = 53;
}  // namespace sensor

// Controller registers (8-bit values).
namespace control {
constexpr int kTransferLength0 = 0;  // bits 7..0; registers 1..3 hold the higher bytes
constexpr int kTransferLengthBytes = 4;
constexpr int kIoPort = 7;
constexpr int kTriggerMode = 11;
constexpr int kSampleWidth = 14;
constexpr int kPixelClock = 15;
}  // namespace control

// Status codes of the device layer; 0 is success.
constexpr int kStatusOk = 0;
constexpr int kStatusRingTooSmall = 1;
constexpr int kStatusBadWidth = 3;
constexpr int kStatusBadHeight = 4;
constexpr int kStatusNoMemory = 7;
constexpr int kStatusOpenFailed = 10;
constexpr int kStatusPacketFailed = 12;
constexpr int kStatusNoBuffer = 14;
constexpr int kStatusTransferFailed = 19;
constexpr int kStatusTransferRunning = 21;
constexpr int kStatusBadDevice = 22;

// Results of PipeTransfer.
constexpr int kPipeOk = 0;
constexpr int kPipeFailed = -1;
constexpr int kPipeNoBuffer = -2;
constexpr int kPipeNoHandle = -3;

// WaitFrame results.
constexpr int kWaitIdle = 0;       // nothing runs: poll again
constexpr int kWaitFailed = 1;     // the run failed, or no frame came in time
constexpr int kWaitSignalled = 2;  // a frame was signalled: ask again
constexpr int kWaitReady = 3;      // the newest frame is selected: GetFrame

// Pauses the camera needs after some commands, in milliseconds.
constexpr uint32_t kSromReadPauseMs = 6;
constexpr uint32_t kSromWritePauseMs = 10;
constexpr uint32_t kTransferLengthPauseMs = 100;
constexpr uint32_t kFrameWaitMs = 6000;

constexpr int kMaxDevices = 32;          // device numbers the scan covers
constexpr int kMaxSelectableDevice = 32; // SelectDevice also accepts 32 (suffix W)
constexpr uint32_t kSromIdBase = 0x1800;  // the ROM below this address is not readable
constexpr uint32_t kSromVariantAddress = 0x1EB0;
