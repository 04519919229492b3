// The device scan, listings and names; this program runs with VELMOR_EMULATION=devices=3,7.
#include "camera/driver_ports.h"
#include "device/device_scan.h"
#include "device/velmor_520qk.h"
#include "device/win32_port.h"
#include "device_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr char kFill = 'x';
constexpr int kEntries = 12;

TEST(DeviceListing, NarrowListingCountsFoundDevices)
{
    // The process port follows the variable: emulated devices 3 and 7, or with the variable
    // unset the driver's port to the virtual camera set up with them.
    ASSERT_EQ(vcam_test::UsesVirtualCamera(), dynamic_cast<Win32DriverPort*>(&ProcessDriverPort()) != nullptr);
    CVelmor520QKZRXSdk device(ProcessDriverPort());
    EXPECT_TRUE(device.IsDevicePresent(3));
    EXPECT_TRUE(device.IsDevicePresent(7));
    EXPECT_FALSE(device.IsDevicePresent(0));

    std::vector<char> buffer(kEntries * devicelist::kNarrowEntryBytes, kFill);
    ASSERT_EQ(2, ListDevicesNarrow(device, buffer.data(), kEntries));
    EXPECT_STREQ("Velmor520QK-ZRX_01", &buffer[0]);
    EXPECT_STREQ("Velmor520QK-ZRX_02", &buffer[devicelist::kNarrowEntryBytes]);
    for (int k = 2; k < 10; ++k)
        EXPECT_EQ('\0', buffer[k * devicelist::kNarrowEntryBytes]) << k;
    // Entries past the tenth and the bytes after each terminator stay the caller's.
    EXPECT_EQ(kFill, buffer[10 * devicelist::kNarrowEntryBytes]);
    EXPECT_EQ(kFill, buffer[19]);
    EXPECT_EQ(kFill, buffer[2 * devicelist::kNarrowEntryBytes + 1]);

    // A buffer of one entry receives one entry and nothing more.
    std::vector<char> one(devicelist::kNarrowEntryBytes + 1, kFill);
    EXPECT_EQ(1, ListDevicesNarrow(device, one.data(), 1));
    EXPECT_STREQ("Velmor520QK-ZRX_01", one.data());
    EXPECT_EQ(kFill, one[devicelist::kNarrowEntryBytes]);
}

TEST(DeviceListing, WideListingUsesTheLastScan)
{
    EmulatedRig rig("devices=3,7");
    CVelmor520QKZRXSdk device(rig.port);
    rig.port.Clear();
    std::vector<wchar_t> buffer(kEntries * devicelist::kWideEntryChars, L'x');
    ASSERT_EQ(2, ListDevicesWide(device, buffer.data(), kEntries));
    EXPECT_TRUE(rig.port.Events().empty());
    EXPECT_EQ(0, std::wcscmp(L"Velmor520QK-ZRX_01", &buffer[0]));
    EXPECT_EQ(0, std::wcscmp(L"Velmor520QK-ZRX_02", &buffer[devicelist::kWideEntryChars]));
    for (int k = 2; k < 10; ++k)
        EXPECT_EQ(L'\0', buffer[k * devicelist::kWideEntryChars]) << k;
    EXPECT_EQ(L'x', buffer[10 * devicelist::kWideEntryChars]);
}

TEST(DeviceListing, NamesNeverOverrunTheBuffer)
{
    EmulatedRig rig("devices=3,7");
    CVelmor520QKZRXSdk device(rig.port);
    char name[32];
    std::memset(name, kFill, sizeof(name));
    ASSERT_EQ(devicelist::kNameOk, DeviceName(device, 7, name, sizeof(name)));
    EXPECT_STREQ("Velmor520QK-ZRX_08", name);
    EXPECT_EQ(kFill, name[19]);

    // 15 to 18 bytes pass the length check but cannot hold the 19-byte name: nothing is written.
    for (int length = devicelist::kMinNameBufferLength; length < devicelist::kNameLength; ++length) {
        std::memset(name, kFill, sizeof(name));
        EXPECT_EQ(devicelist::kNameBufferTooSmall, DeviceName(device, 7, name, length)) << length;
        EXPECT_EQ(kFill, name[0]);
    }
    EXPECT_EQ(devicelist::kNameOk, DeviceName(device, 3, name, devicelist::kNameLength));
    EXPECT_STREQ("Velmor520QK-ZRX_04", name);
    EXPECT_EQ(devicelist::kNameBadArgument, DeviceName(device, 3, name, 14));
    EXPECT_EQ(devicelist::kNameBadArgument, DeviceName(device, 32, name, sizeof(name)));
    EXPECT_EQ(devicelist::kNameBadArgument, DeviceName(device, -1, name, sizeof(name)));
    EXPECT_EQ(devicelist::kNameBadArgument, DeviceName(device, 3, nullptr, sizeof(name)));
    EXPECT_EQ(devicelist::kNameAbsent, DeviceName(device, 4, name, sizeof(name)));

    wchar_t wide[19];
    EXPECT_EQ(devicelist::kNameBufferTooSmall, DeviceNameW(device, 7, wide, 18));
    ASSERT_EQ(devicelist::kNameOk, DeviceNameW(device, 7, wide, 19));
    EXPECT_EQ(0, std::wcscmp(L"Velmor520QK-ZRX_08", wide));
}

TEST(DeviceListing, ScanKeepsTheSelection)
{
    EmulatedRig rig("devices=3,7");
    CVelmor520QKZRXSdk device(rig.port);
    ASSERT_EQ(kStatusOk, device.InitializeModel(7));
    char buffer[10 * devicelist::kNarrowEntryBytes];
    ListDevicesNarrow(device, buffer, 10);
    EXPECT_EQ(7, device.GetDeviceNumber());
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-7", device.devicePath);
}

}  // namespace
