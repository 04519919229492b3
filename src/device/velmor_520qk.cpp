#include "device/velmor_520qk.h"

#include "device/device_scan.h"

#include <windows.h>

#include <cstring>

namespace {
// Sub-sampling modes accepted by SetSensorWindow, with their divisor and addressing-mode code.
struct SubsampleMode {
    int mode;
    int divisor;
    uint16_t addressCode;
};
constexpr SubsampleMode kModes[] = {
    {0, 1, 0},    // full resolution
    {1, 2, 1},    // 1/2 skip
    {2, 4, 3},    // 1/4 skip
    {3, 1, 0},    // accepted, programmed as full resolution
    {17, 2, 17},  // 1/2 binning
    {18, 4, 19},  // 1/4 binning
};
constexpr uint16_t kAddressModeKeep = 0xFFC8;  // bits of registers 34 and 35 that the mode leaves alone

// Rounding of the window registers, by divisor: the sensor addresses rows and columns in colour
// pairs (or pairs of pairs) and counts from its first active row 20 and column 32.
struct WindowRounding {
    int divisor;
    int rowBias;
    int columnBias;
    int mask;  // the window start and size are rounded to multiples of mask + 1
};
constexpr WindowRounding kRoundings[] = {
    {1, 21, 33, 1},
    {2, 23, 35, 3},
    {4, 31, 39, 7},
};

constexpr int kHorizontalBlanking = 21;
constexpr int kVerticalBlanking = 90;

constexpr uint16_t kTriggerBits = 0x0700;      // register 30 bits 8..10
constexpr uint16_t kTriggerSnapshotBit = 0x0100;
constexpr int kTriggerOn = 1;
constexpr int kTriggerOptionAllBits = 1;

constexpr uint8_t kGainMask = 0x7F;
constexpr int kExposureMinLines = 1;

// Line lengths in pixel clocks: the active width plus the horizontal overhead, with a floor for
// narrow windows; binning needs more clocks per line than skipping.
constexpr int kSkipOverhead = 390;
constexpr int kSkipMinWidth = 278;
constexpr int kSkipFloor = 697;
constexpr int kFullFloor = 647;
constexpr int kBinOverhead = 717;
constexpr int kBinMinWidth = 610;
constexpr int kBinFloor = 1305;

const SubsampleMode* FindMode(int mode)
{
    for (const SubsampleMode& entry : kModes) {
        if (entry.mode == mode)
            return &entry;
    }
    return nullptr;
}

const WindowRounding& RoundingFor(int divisor)
{
    for (const WindowRounding& entry : kRoundings) {
        if (entry.divisor == divisor)
            return entry;
    }
    return kRoundings[0];
}
}  // namespace

CVelmor520QKZRXSdk::CVelmor520QKZRXSdk(DriverPort& port) : CVLMSdkLib(port)
{
    std::memcpy(deviceBaseName, kDeviceBaseName, sizeof(kDeviceBaseName));
    ScanDevices(*this);
    InitializeModel(0);
}

int CVelmor520QKZRXSdk::InitializeModel(int n)
{
    // Re-initialising resets the frame geometry under a running transfer's ring.
    if (TransferRunning())
        return kStatusTransferRunning;
    const int status = InitializeDevice(n);
    if (status != kStatusOk)
        return status;
    InitDevice();
    InitSensor();
    SetSensorWindow(0, 0, kSensorColumns, kSensorRows, 0);
    SetMirrorV(0);
    SetTrigger(0, kTriggerOptionAllBits);
    return kStatusOk;
}

int CVelmor520QKZRXSdk::SetSampleWidth(int wide)
{
    sampleWidth16 = wide != 0 ? 1 : 0;
    // This model takes the sample width from controller register 14; the command only enables the setting.
    uint8_t packet[kPacketBytes] = {cmd::kSetSampleWidth, 1};
    WriteOnce(packet);
    WriteControlRegister(control::kSampleWidth, sampleWidth16);
    return 1;
}

int CVelmor520QKZRXSdk::InitSensor()
{
    uint16_t unused = 0;
    ReadSensorRegister(sensor::kChipVersion, &unused);
    for (int reg : {sensor::kGainGreen1, sensor::kGainBlue, sensor::kGainRed, sensor::kGainGreen2, sensor::kGlobalGain})
        WriteSensorRegister(reg, kGainDefault);
    return 1;
}

int CVelmor520QKZRXSdk::SetSensorWindow(int x, int y, int w, int h, int mode)
{
    constexpr int kRefused = 1;
    const SubsampleMode* entry = FindMode(mode);
    if (x < 0 || y < 0 || w < kMinColumns || h < kMinRows || x > kSensorColumns - w || y > kSensorRows - h || !entry)
        return kRefused;
    const int d = entry->divisor;
    // A window that sub-samples to nothing would leave the frame geometry behind the sensor's.
    if (w / d < 1 || h / d < 1)
        return kRefused;
    if (TransferRunning())
        return kStatusTransferRunning;
    subsampleMode = mode;

    uint16_t rowMode = 0, columnMode = 0;
    ReadSensorRegister(sensor::kRowAddressMode, &rowMode);
    ReadSensorRegister(sensor::kColumnAddressMode, &columnMode);
    rowMode = static_cast<uint16_t>((rowMode & kAddressModeKeep) + entry->addressCode);
    columnMode = static_cast<uint16_t>((columnMode & kAddressModeKeep) + entry->addressCode);

    windowX = x;
    windowY = y;
    windowWidth = w;
    windowHeight = h;
    SetFrameGeometry(w / d, 0, w / d, h / d, 0, h / d, kRingBuffers);

    const WindowRounding& round = RoundingFor(d);
    rowStart = static_cast<int16_t>((y + round.rowBias) & ~round.mask);
    columnStart = static_cast<int16_t>((x + round.columnBias) & ~round.mask);
    rowSize = static_cast<int16_t>(((h + round.mask) & ~round.mask) - 1);
    columnSize = static_cast<int16_t>(((w + round.mask) & ~round.mask) - 1);

    WriteSensorRegister(sensor::kRowStart, rowStart);
    WriteSensorRegister(sensor::kColumnStart, columnStart);
    WriteSensorRegister(sensor::kRowSize, rowSize);
    WriteSensorRegister(sensor::kColumnSize, columnSize);
    WriteSensorRegister(sensor::kHorizontalBlank, kHorizontalBlanking);
    WriteSensorRegister(sensor::kVerticalBlank, kVerticalBlanking);
    WriteSensorRegister(sensor::kRowAddressMode, rowMode);
    WriteSensorRegister(sensor::kColumnAddressMode, columnMode);

    if (transferPixels != programmedTransferPixels) {
        const uint32_t pixels = static_cast<uint32_t>(transferPixels);
        for (int i = 0; i < control::kTransferLengthBytes; ++i)
            WriteControlRegister(control::kTransferLength0 + i, static_cast<uint8_t>(pixels >> (8 * i)));
        // The controller needs the time to resize its frame store.
        Sleep(kTransferLengthPauseMs);
        programmedTransferPixels = transferPixels;
    }

    const int64_t bytes = int64_t{transferPixels} * (sampleWidth16 ? 2 : 1);
    const int32_t large = bytes >= kLargeTransferBytes ? 1 : 0;
    snapshotUsesLargeCode = large;
    transfer.useLargeCode = large;
    return kStatusOk;
}

bool CVelmor520QKZRXSdk::IsColorGainRegister(int reg)
{
    return reg >= sensor::kGainGreen1 && reg <= sensor::kGainGreen2;
}

int CVelmor520QKZRXSdk::SetColorGain(int reg, int value)
{
    if (!IsColorGainRegister(reg))
        return 0;
    return WriteSensorRegister(reg, value & 0xFF);
}

int CVelmor520QKZRXSdk::GetColorGain(int reg, uint8_t* value)
{
    if (!IsColorGainRegister(reg))
        return 0;
    uint16_t raw = 0;
    const int ok = ReadSensorRegister(reg, &raw);
    if (value)
        *value = static_cast<uint8_t>(raw & kGainMask);
    return ok;
}

int CVelmor520QKZRXSdk::GetColorGainDefault(int reg, uint8_t* value)
{
    if (!IsColorGainRegister(reg))
        return 0;
    if (value)
        *value = kGainDefault;
    return 1;
}

int CVelmor520QKZRXSdk::GetColorGainMin(int reg, uint8_t* value)
{
    if (!IsColorGainRegister(reg))
        return 0;
    if (value)
        *value = kGainMin;
    return 1;
}

int CVelmor520QKZRXSdk::SetGlobalGain(int value)
{
    return WriteSensorRegister(sensor::kGlobalGain, value & kGainMask);
}

int CVelmor520QKZRXSdk::GetGlobalGain()
{
    uint16_t raw = 0;
    return ReadSensorRegister(sensor::kGlobalGain, &raw) ? raw & kGainMask : 0;
}

int CVelmor520QKZRXSdk::SetExposure(int lines)
{
    int value = static_cast<uint16_t>(lines);
    if (value < kExposureMinLines)
        value = kExposureMinLines;
    if (value > kExposureMax)
        value = kExposureMax;
    return WriteSensorRegister(sensor::kExposure, value);
}

int CVelmor520QKZRXSdk::GetExposure(uint16_t* value)
{
    return ReadSensorRegister(sensor::kExposure, value);
}

int CVelmor520QKZRXSdk::SetHalfClock(int selection)
{
    return WriteControlRegister(control::kPixelClock, selection);
}

int CVelmor520QKZRXSdk::GetHalfClock(uint8_t* value)
{
    return ReadControlRegister(control::kPixelClock, value);
}

int CVelmor520QKZRXSdk::SetTrigger(int mode, int option)
{
    WriteControlRegister(control::kTriggerMode, mode != 0 ? 1 : 0);
    uint16_t bits = 0;
    ReadSensorRegister(sensor::kTriggerControl, &bits);
    if (mode != kTriggerOn)
        bits &= static_cast<uint16_t>(~kTriggerBits);
    else if (option == kTriggerOptionAllBits)
        bits |= kTriggerBits;
    else
        bits |= kTriggerSnapshotBit;
    if (!WriteSensorRegister(sensor::kTriggerControl, bits))
        return 0;
    triggerMode = mode;
    triggerOption = option;
    return 1;
}

int CVelmor520QKZRXSdk::SetMirrorH(int flag)
{
    mirrorH = flag;
    return 0;
}

int CVelmor520QKZRXSdk::SetMirrorV(int flag)
{
    mirrorV = flag;
    return 0;
}

int CVelmor520QKZRXSdk::LineLength(int mode, int windowWidth)
{
    constexpr int kLineLengthMask = 0xFFFF;
    int length = 0;
    switch (mode) {
    case 1:
    case 2: {
        const int b = windowWidth / (mode == 1 ? 2 : 4);
        length = b >= kSkipMinWidth ? b + kSkipOverhead : kSkipFloor;
        break;
    }
    case 17:
    case 18: {
        const int b = windowWidth / (mode == 17 ? 2 : 4);
        length = b >= kBinMinWidth ? b + kBinOverhead : kBinFloor;
        break;
    }
    default:
        length = windowWidth >= kSkipMinWidth ? windowWidth + kSkipOverhead : kFullFloor;
        break;
    }
    return length & kLineLengthMask;
}

double CVelmor520QKZRXSdk::ClockPeriodMs(int clock)
{
    // Pixel clock in kHz by selection: 24, 12, 48, 40, 20, 10 MHz; anything else runs at 24 MHz.
    constexpr double kClockKHz[] = {24000, 12000, 48000, 40000, 20000, 10000};
    constexpr int kClocks = sizeof(kClockKHz) / sizeof(kClockKHz[0]);
    return 1.0 / (clock >= 0 && clock < kClocks ? kClockKHz[clock] : kClockKHz[0]);
}

int CVelmor520QKZRXSdk::ExposureTimeUs(int lines, int mode, int windowWidth, int clock)
{
    constexpr double kUsPerMs = 1000.0;
    return static_cast<int>(lines * LineLength(mode, windowWidth) * ClockPeriodMs(clock) * kUsPerMs);
}

int CVelmor520QKZRXSdk::ExposureLinesFor(double microseconds, int mode, int windowWidth, int clock)
{
    constexpr double kUsPerMs = 1000.0;
    return static_cast<int>(microseconds / kUsPerMs / (LineLength(mode, windowWidth) * ClockPeriodMs(clock)));
}
