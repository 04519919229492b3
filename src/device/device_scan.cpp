#include "device/device_scan.h"

#include "device/vlm_sdk_lib.h"

#include <windows.h>

#include <cstdio>

using namespace devicelist;

namespace {
constexpr int kScanPathBytes = 256;

// "Velmor520QK-ZRX_NN" into `text` (at least kNameLength bytes).
void FormatName(int number, char* text, int bytes)
{
    std::snprintf(text, bytes, "%s_%02d", kDisplayBaseName, number);
}

bool ToWide(const char* text, wchar_t* wide, int chars)
{
    return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, chars) > 0;
}

int CheckName(const CVLMSdkLib& device, int n, const void* buffer, int length)
{
    if (!buffer || length < kMinNameBufferLength || n < 0 || n >= kMaxDevices)
        return kNameBadArgument;
    if (length < kNameLength)
        return kNameBufferTooSmall;
    return device.IsDevicePresent(n) ? kNameOk : kNameAbsent;
}
}  // namespace

void ScanDevices(CVLMSdkLib& device)
{
    for (int i = 0; i < kMaxDevices; ++i) {
        char path[kScanPathBytes];
        DriverHandle handle = nullptr;
        if (CVLMSdkLib::FormatDevicePath(device.deviceBaseName, i, path, sizeof(path)))
            handle = device.OpenDevice(path);
        device.devicePresent[i] = handle ? 1 : 0;
        device.CloseDevice(handle);
    }
}

int ListDevicesNarrow(CVLMSdkLib& device, char* buffer, int entryCapacity)
{
    if (!buffer || entryCapacity <= 0)
        return 0;
    ScanDevices(device);
    int found = 0;
    for (int j = 0; j < kMaxDevices && found < entryCapacity; ++j) {
        if (device.IsDevicePresent(j)) {
            ++found;
            FormatName(found, buffer + (found - 1) * kNarrowEntryBytes, kNarrowEntryBytes);
        }
    }
    for (int k = found; k < kMinListedEntries && k < entryCapacity; ++k)
        buffer[k * kNarrowEntryBytes] = '\0';
    return found;
}

int ListDevicesWide(const CVLMSdkLib& device, wchar_t* buffer, int entryCapacity)
{
    if (!buffer || entryCapacity <= 0)
        return 0;
    int found = 0;
    for (int j = 0; j < kMaxDevices && found < entryCapacity; ++j) {
        if (device.IsDevicePresent(j)) {
            ++found;
            char text[kNameLength];
            FormatName(found, text, sizeof(text));
            wchar_t* entry = buffer + (found - 1) * kWideEntryChars;
            if (!ToWide(text, entry, kWideEntryChars))
                entry[0] = L'\0';
        }
    }
    for (int k = found; k < kMinListedEntries && k < entryCapacity; ++k)
        buffer[k * kWideEntryChars] = L'\0';
    return found;
}

int DeviceName(const CVLMSdkLib& device, int n, char* buffer, int length)
{
    const int status = CheckName(device, n, buffer, length);
    if (status == kNameOk)
        FormatName(n + 1, buffer, length);
    return status;
}

int DeviceNameW(const CVLMSdkLib& device, int n, wchar_t* buffer, int length)
{
    const int status = CheckName(device, n, buffer, length);
    if (status != kNameOk)
        return status;
    char text[kNameLength];
    FormatName(n + 1, text, sizeof(text));
    return ToWide(text, buffer, length) ? kNameOk : kNameBufferTooSmall;
}
