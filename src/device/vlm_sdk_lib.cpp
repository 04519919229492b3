// Device paths, packet primitives and the short-lived command exchanges of CVLMSdkLib.
#include "device/vlm_sdk_lib.h"

#include <windows.h>

#include <cstring>

namespace {
constexpr int kCodeSelectorRead = 0;   // request 0x22204E
constexpr int kCodeSelectorWrite = 1;  // request 0x222051

// The driver-wait input: {1, wait ms} followed by bytes of no meaning.
struct DriverWaitInput {
    int32_t enable;
    int32_t waitMs;
    uint8_t unused[36];
};
static_assert(sizeof(DriverWaitInput) == 44);
constexpr int32_t kDriverWaitEnable = 1;

// A short-lived driver handle, closed on every way out of an exchange.
class ScopedDevice {
public:
    ScopedDevice(CVLMSdkLib& device, const char* path) : device_(device), handle_(device.OpenDevice(path)) {}
    ~ScopedDevice() { device_.CloseDevice(handle_); }
    ScopedDevice(const ScopedDevice&) = delete;
    ScopedDevice& operator=(const ScopedDevice&) = delete;
    DriverHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    CVLMSdkLib& device_;
    DriverHandle handle_;
};
}  // namespace

CVLMSdkLib::CVLMSdkLib(DriverPort& port) : port_(port)
{
    transfer.devicePathRef = devicePath;
    transfer.port = &port;
}

CVLMSdkLib::~CVLMSdkLib()
{
    // A thread still running would write into the ring freed below.
    if (TransferRunning())
        StopTransfer();
    CloseTransferHandles();
    FreeFrameBuffers();
    CloseSnapshot();
}

// --- Virtual operations ---

int CVLMSdkLib::ConvertYuvWindow(uint8_t*, const uint8_t*, int, int, int, int)
{
    return kStatusNoBuffer;
}

int CVLMSdkLib::ConvertYuvFrame(uint8_t* destination, const uint8_t* source)
{
    return ConvertYuvWindow(destination, source, 0, 0, lineWidth, lineCount);
}

int CVLMSdkLib::CopyInterlacedWindow(uint8_t*, const uint8_t*)
{
    return kStatusNoBuffer;
}

int CVLMSdkLib::SetVariantCode(int code)
{
    constexpr int kVariantCodes = 3;
    variantCode = code < kVariantCodes ? code : 1;
    return 1;
}

int CVLMSdkLib::SetSampleWidth(int wide)
{
    // Stored as 0 or 1: the device is told "two bytes" for any non-zero value, and the transfer
    // length and the window copy must agree with what it sends.
    sampleWidth16 = wide != 0 ? 1 : 0;
    uint8_t packet[kPacketBytes] = {cmd::kSetSampleWidth, static_cast<uint8_t>(sampleWidth16)};
    WriteOnce(packet);
    return 1;
}

// --- Device paths and selection ---

bool CVLMSdkLib::FormatDevicePath(const char* baseName, int n, char* path, int bytes)
{
    return ::FormatDevicePath(baseName, n, path, bytes);
}

int CVLMSdkLib::SelectDevice(int n)
{
    if (static_cast<uint32_t>(n) > static_cast<uint32_t>(kMaxSelectableDevice))
        return kStatusBadDevice;
    deviceNumber = n;
    FormatDevicePath(deviceBaseName, n, devicePath, sizeof(devicePath));
    return kStatusOk;
}

bool CVLMSdkLib::IsDevicePresent(int n) const
{
    return n >= 0 && n < kMaxDevices && devicePresent[n] != 0;
}

void CVLMSdkLib::ResetDefaults()
{
    sampleWidth16 = 0;
    lineWidth = 1339;
    xOffset = 50;
    width = 1280;
    lineCount = 1040;
    yOffset = 10;
    height = 1028;
    driverWaitMs = kDefaultDriverWaitMs;
    variantCode = 0;
    subsampleMode = 0;
    triggerMode = 0;
    CloseSnapshot();
}

int CVLMSdkLib::InitializeDevice(int n)
{
    ResetDefaults();
    if (SelectDevice(n) != kStatusOk)
        return kStatusBadDevice;
    SetSampleWidth(0);
    return kStatusOk;
}

// --- Packet primitives ---

int CVLMSdkLib::PipeTransfer(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                             uint32_t* transferred, int codeSelector)
{
    if (!buffer)
        return kPipeNoBuffer;
    if (!handle)
        return kPipeNoHandle;
    const uint32_t code = codeSelector == kCodeSelectorWrite ? kRequestWritePipe : kRequestReadPipe;
    uint32_t moved = 0;
    const bool ok = port_.Control(handle, code, &pipe, sizeof(pipe), buffer, length, &moved);
    if (transferred)
        *transferred = moved;
    return ok ? kPipeOk : kPipeFailed;
}

int CVLMSdkLib::PipeTransferLarge(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                                  uint32_t* transferred)
{
    if (!buffer)
        return kPipeNoBuffer;
    if (!handle)
        return kPipeNoHandle;
    uint32_t moved = 0;
    const bool ok = port_.Control(handle, kRequestLargeRead, &pipe, sizeof(pipe), buffer, length, &moved);
    if (transferred)
        *transferred = moved;
    return ok ? kPipeOk : kPipeFailed;
}

int CVLMSdkLib::WriteCommand(DriverHandle handle, const uint8_t* packet)
{
    if (!handle)
        return kStatusOpenFailed;
    uint32_t moved = 0;
    // The write request takes a non-const data buffer; the driver only reads it.
    const int result = PipeTransfer(handle, kPipeCommand, kPacketBytes, const_cast<uint8_t*>(packet), &moved,
                                    kCodeSelectorWrite);
    return result == kPipeOk && moved == kPacketBytes ? kStatusOk : kStatusPacketFailed;
}

int CVLMSdkLib::ReadReply(DriverHandle handle, uint8_t* packet)
{
    if (!handle)
        return kStatusOpenFailed;
    uint32_t moved = 0;
    const int result = PipeTransfer(handle, kPipeReply, kPacketBytes, packet, &moved, kCodeSelectorRead);
    return result == kPipeOk && moved == kPacketBytes ? kStatusOk : kStatusPacketFailed;
}

DriverHandle CVLMSdkLib::OpenDevice(const char* path)
{
    return port_.Open(path);
}

void CVLMSdkLib::CloseDevice(DriverHandle& handle)
{
    if (handle)
        port_.Close(handle);
    handle = nullptr;
}

// --- Exchanges ---

int CVLMSdkLib::WriteOnce(const uint8_t* packet)
{
    ScopedDevice device(*this, devicePath);
    if (!device)
        return 0;
    return WriteCommand(device.get(), packet) == kStatusOk ? 1 : 0;
}

int CVLMSdkLib::SendSimpleCommand(uint8_t code)
{
    uint8_t packet[kPacketBytes] = {code};
    return WriteOnce(packet);
}

int CVLMSdkLib::Exchange(const uint8_t* packet, uint8_t* reply, bool readsAfterFailedWrite, uint32_t pauseMs)
{
    ScopedDevice device(*this, devicePath);
    if (!device)
        return 0;
    const bool written = WriteCommand(device.get(), packet) == kStatusOk;
    if (!written && !readsAfterFailedWrite)
        return 0;
    if (pauseMs)
        Sleep(pauseMs);
    // The camera's first reply after a command can be stale: only the second read counts.
    ReadReply(device.get(), reply);
    const bool replied = ReadReply(device.get(), reply) == kStatusOk;
    if (pauseMs)
        Sleep(pauseMs);
    return replied ? 1 : 0;
}

int CVLMSdkLib::ReadSensorRegister(int reg, uint16_t* value)
{
    uint8_t packet[kPacketBytes] = {cmd::kReadSensorRegister, static_cast<uint8_t>(reg)};
    uint8_t reply[kPacketBytes] = {};
    const int ok = Exchange(packet, reply, false, 0);
    if (value)
        *value = ok ? static_cast<uint16_t>(reply[0] << 8 | reply[1]) : 0;
    return ok;
}

int CVLMSdkLib::WriteSensorRegister(int reg, int value)
{
    uint8_t packet[kPacketBytes] = {cmd::kWriteSensorRegister, static_cast<uint8_t>(reg),
                                    static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return WriteOnce(packet);
}

int CVLMSdkLib::ReadControlRegister(int index, uint8_t* value)
{
    uint8_t packet[kPacketBytes] = {cmd::kReadControlRegister, static_cast<uint8_t>(index)};
    uint8_t reply[kPacketBytes] = {};
    const int ok = Exchange(packet, reply, false, 0);
    if (value)
        *value = ok ? reply[0] : 0;
    return ok;
}

int CVLMSdkLib::WriteControlRegister(int index, int value)
{
    uint8_t packet[kPacketBytes] = {cmd::kWriteControlRegister, static_cast<uint8_t>(index),
                                    static_cast<uint8_t>(value)};
    return WriteOnce(packet);
}

int CVLMSdkLib::ReadSrom(uint32_t address, uint8_t* data)
{
    const uint16_t romAddress = static_cast<uint16_t>(address);
    if (romAddress < kSromIdBase) {
        if (data)
            *data = 0;
        return 0;
    }
    uint8_t packet[kPacketBytes] = {cmd::kSromRead,
                                    cmd::kSromChipAddress,
                                    cmd::kSromReadKind,
                                    cmd::kSromReadPage,
                                    static_cast<uint8_t>(romAddress >> 8),
                                    static_cast<uint8_t>(romAddress)};
    uint8_t reply[kPacketBytes] = {};
    const int ok = Exchange(packet, reply, true, kSromReadPauseMs);
    if (data)
        *data = ok ? reply[0] : 0;
    return ok;
}

int CVLMSdkLib::ReadSromId(int low, uint8_t* data)
{
    return ReadSrom(kSromIdBase + (static_cast<uint32_t>(low) & 0xFF), data);
}

int CVLMSdkLib::WriteSromId(int low, int value)
{
    ScopedDevice device(*this, devicePath);
    if (!device)
        return 0;
    uint8_t packet[kPacketBytes] = {cmd::kSromWrite,        cmd::kSromChipAddress,     cmd::kSromWriteKind,
                                    cmd::kSromWritePage,    static_cast<uint8_t>(low), static_cast<uint8_t>(value)};
    const bool written = WriteCommand(device.get(), packet) == kStatusOk;
    // The ROM needs the time to program its cell, whatever the write reported.
    Sleep(kSromWritePauseMs);
    return written ? 1 : 0;
}

int CVLMSdkLib::ArmTransfer()
{
    return SendSimpleCommand(cmd::kArmTransfer);
}

int CVLMSdkLib::InitDevice()
{
    return SendSimpleCommand(cmd::kInitDevice);
}

int CVLMSdkLib::SendTransferLength()
{
    const uint32_t pixels = static_cast<uint32_t>(transferPixels);
    uint8_t packet[kPacketBytes] = {cmd::kSetTransferLength, static_cast<uint8_t>(pixels),
                                    static_cast<uint8_t>(pixels >> 8), static_cast<uint8_t>(pixels >> 16),
                                    static_cast<uint8_t>(pixels >> 24)};
    WriteOnce(packet);
    return 1;
}

void CVLMSdkLib::SetDriverWait(uint32_t ms)
{
    driverWaitMs = ms;
    ScopedDevice device(*this, devicePath);
    if (!device)
        return;
    DriverWaitInput input = {kDriverWaitEnable, static_cast<int32_t>(ms), {}};
    uint32_t moved = 0;
    port_.Control(device.get(), kRequestDriverWait, &input, sizeof(input), nullptr, 0, &moved);
}
