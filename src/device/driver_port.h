#pragma once
// The one narrow way to the camera driver: open a device path, issue I/O control requests, close.
// The Win32 port goes to the kernel driver; other ports (the emulated cameras, test doubles) are
// given to the device objects by whoever composes them. Everything above this port is the same
// whichever port stands behind it.
#include <cstdint>

// Request codes of the driver (device type 0x22, any access).
constexpr uint32_t kRequestReadPipe = 0x22204E;      // 0x813, METHOD_OUT_DIRECT: reply reads, frame request
constexpr uint32_t kRequestWritePipe = 0x222051;     // 0x814, METHOD_IN_DIRECT: commands, image reads < 3,072,000 B
constexpr uint32_t kRequestLargeRead = 0x2220A9;     // 0x82A, METHOD_IN_DIRECT: image reads of 3,072,000 B or more
constexpr uint32_t kRequestDriverWait = 0x2220A0;    // 0x828, METHOD_BUFFERED: 44 bytes {1, wait ms, 36 bytes}

constexpr uint32_t kPipeCommand = 0;
constexpr uint32_t kPipeReply = 1;
constexpr uint32_t kPipeImage = 2;
constexpr uint32_t kPacketBytes = 64;

// An open driver handle; null when closed or when an open failed.
using DriverHandle = void*;

class DriverPort {
public:
    virtual ~DriverPort() = default;
    // Opens a device path such as "\\.\Velm520QKZRX-0"; null when nothing answers.
    virtual DriverHandle Open(const char* path) = 0;
    // One request, with the arguments and meaning of DeviceIoControl without an overlapped structure:
    // `in` holds the 4-byte pipe index (or the 44-byte wait input), `out` the data buffer of the pipe.
    // Returns true on success; *returned receives the byte count moved.
    virtual bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                         uint32_t outBytes, uint32_t* returned) = 0;
    virtual void Close(DriverHandle handle) = 0;
};
