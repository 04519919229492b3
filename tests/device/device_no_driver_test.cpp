// With VELMOR_EMULATION empty the SDK talks to the kernel driver; with no driver installed the
// scan finds nothing and every exchange fails cleanly.
#include "camera/driver_ports.h"
#include "device/device_scan.h"
#include "device/velmor_520qk.h"
#include "device/win32_port.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

TEST(DeviceNoDriver, ScanFindsNothing)
{
    ASSERT_NE(nullptr, dynamic_cast<Win32DriverPort*>(&ProcessDriverPort()));
    CVelmor520QKZRXSdk device(ProcessDriverPort());
    for (int i = 0; i < CVLMSdkLib::MaxDevices(); ++i)
        EXPECT_FALSE(device.IsDevicePresent(i)) << i;

    std::vector<char> buffer(10 * devicelist::kNarrowEntryBytes, 'x');
    EXPECT_EQ(0, ListDevicesNarrow(device, buffer.data(), 10));
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ('\0', buffer[k * devicelist::kNarrowEntryBytes]) << k;

    uint16_t value = 1;
    EXPECT_EQ(0, device.ReadSensorRegister(0, &value));
    EXPECT_EQ(kStatusOpenFailed, device.SnapFrame());
    // The thread cannot open the device and ends on its own; the run then looks idle.
    ASSERT_EQ(kStatusOk, device.StartTransfer());
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(device.TransferThread(), INFINITE));
    EXPECT_EQ(kWaitIdle, device.WaitFrame());
    EXPECT_EQ(kStatusOk, device.StopTransfer());
    EXPECT_EQ(nullptr, device.TransferThread());
}

}  // namespace
