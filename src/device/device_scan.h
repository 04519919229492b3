#pragma once
// The device scan and the camera object's device listings and device names.
#include <cstdint>

class CVLMSdkLib;

namespace devicelist {
constexpr int kNarrowEntryBytes = 256;
constexpr int kWideEntryChars = 256;         // 512-byte entries of UTF-16 text
constexpr int kMinListedEntries = 10;        // a listing always fills at least this many entries
constexpr int kMinNameBufferLength = 15;     // callers must offer more than 14
constexpr char kDisplayBaseName[] = "Velmor520QK-ZRX";
constexpr int kNameLength = 19;              // "Velmor520QK-ZRX_NN" with its terminator

// Results of DeviceName.
constexpr int kNameOk = 0;
constexpr int kNameBadArgument = 1;          // no buffer, length 14 or less, or number outside 0..31
constexpr int kNameBufferTooSmall = 2;       // length 15..18: the name would not fit
constexpr int kNameAbsent = 3;               // the device number did not answer the last scan
}  // namespace devicelist

// Opens each of the 32 device paths once and records in devicePresent which ones answered.
// The selection (deviceNumber, devicePath) is left as it is.
void ScanDevices(CVLMSdkLib& device);

// Scans again and writes "Velmor520QK-ZRX_NN" (NN counting the devices found, from 01) into
// consecutive 256-byte entries, then empty entries up to the tenth. Writes at most
// `entryCapacity` entries; returns the number of names written (the devices found, at most
// `entryCapacity`).
int ListDevicesNarrow(CVLMSdkLib& device, char* buffer, int entryCapacity);
// The same in UTF-16 into 256-character entries, from the last scan's result (no new scan).
int ListDevicesWide(const CVLMSdkLib& device, wchar_t* buffer, int entryCapacity);

// The name of device `n`, "Velmor520QK-ZRX_NN" with NN = n + 1, into `buffer` of `length`
// bytes (narrow) or characters (wide). Nothing is written unless the result is kNameOk.
int DeviceName(const CVLMSdkLib& device, int n, char* buffer, int length);
int DeviceNameW(const CVLMSdkLib& device, int n, wchar_t* buffer, int length);
