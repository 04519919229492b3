// The driver traffic of the device object: paths, packets, reply exchanges, sensor programming.
#include "device/velmor_520qk.h"
#include "device_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>

namespace {

using Writes = std::vector<std::pair<int, int>>;

class DeviceProtocol : public ::testing::Test {
protected:
    DeviceProtocol() : rig("devices=0;source=flat:100;timing=fast"), device(rig.port) { rig.port.Clear(); }

    std::vector<PortEvent> Traffic() { return rig.port.Events(); }

    EmulatedRig rig;
    CVelmor520QKZRXSdk device;
};

TEST(DevicePaths, SuffixTableAndSelection)
{
    char path[CVLMSdkLib::kPathBytes];
    ASSERT_TRUE(CVLMSdkLib::FormatDevicePath("Velm520QKZRX", 0, path, sizeof(path)));
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-0", path);
    CVLMSdkLib::FormatDevicePath("Velm520QKZRX", 22, path, sizeof(path));
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-N", path);
    CVLMSdkLib::FormatDevicePath("Velm520QKZRX", 23, path, sizeof(path));
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-M", path);
    // A path field too small for the name is refused rather than cut short.
    EXPECT_FALSE(CVLMSdkLib::FormatDevicePath("Velm520QKZRX", 1, path, 10));

    EmulatedRig rig("devices=0");
    CVelmor520QKZRXSdk device(rig.port);
    EXPECT_EQ(kStatusOk, device.SelectDevice(32));
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-W", device.devicePath);
    EXPECT_EQ(kStatusBadDevice, device.SelectDevice(33));
    EXPECT_EQ(kStatusBadDevice, device.SelectDevice(-1));
    EXPECT_EQ(32, device.GetDeviceNumber());
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-W", device.devicePath);
    EXPECT_FALSE(device.IsDevicePresent(32));
    EXPECT_EQ(kStatusBadDevice, device.InitializeModel(40));
}

TEST_F(DeviceProtocol, ConstructionScansAndInitialisesDeviceZero)
{
    EmulatedRig fresh("devices=0,5");
    CVelmor520QKZRXSdk other(fresh.port);
    const std::vector<PortEvent> events = fresh.port.Events();
    // The scan opens all 32 paths, in order.
    std::vector<std::string> opened;
    for (const PortEvent& e : events) {
        if (e.kind == PortEvent::Kind::Open)
            opened.push_back(e.path);
    }
    ASSERT_GE(opened.size(), 32u);
    EXPECT_EQ("\\\\.\\Velm520QKZRX-0", opened[0]);
    EXPECT_EQ("\\\\.\\Velm520QKZRX-N", opened[22]);
    EXPECT_EQ("\\\\.\\Velm520QKZRX-V", opened[31]);
    for (int i = 0; i < kMaxDevices; ++i)
        EXPECT_EQ(i == 0 || i == 5, other.IsDevicePresent(i)) << i;
    EXPECT_EQ(0, other.GetDeviceNumber());
    EXPECT_STREQ("\\\\.\\Velm520QKZRX-0", other.devicePath);
    EXPECT_EQ(2048, other.width);
    EXPECT_EQ(1536, other.height);
    EXPECT_EQ(3145728, other.transferPixels);
    EXPECT_EQ(3145728, other.programmedTransferPixels);
    EXPECT_EQ(0, OpenHandles(events));
    const Writes gains = SensorWrites(events);
    const Writes expectedStart = {{43, 14}, {44, 14}, {45, 14}, {46, 14}, {53, 14}};
    ASSERT_GE(gains.size(), expectedStart.size());
    EXPECT_EQ(expectedStart, Writes(gains.begin(), gains.begin() + 5));
}

TEST_F(DeviceProtocol, FullWindowWritesTheSensorRegisters)
{
    // The constructor programmed the full window already: no new transfer length.
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(0, 0, 2048, 1536, 0));
    const Writes expected = {{1, 20}, {2, 32}, {3, 1535}, {4, 2047}, {5, 21}, {6, 90}, {34, 0}, {35, 0}};
    EXPECT_EQ(expected, SensorWrites(Traffic()));
    EXPECT_TRUE(ControlWrites(Traffic()).empty());
    EXPECT_EQ(1, CountIf(Traffic(), [](const PortEvent& e) { return IsCommandWrite(e, cmd::kSetTransferLength); }));
    EXPECT_EQ(3145728, device.transferPixels);
    EXPECT_EQ(1, device.snapshotUsesLargeCode);
    EXPECT_EQ(1, device.transfer.useLargeCode);
}

TEST_F(DeviceProtocol, HalfSkipWindowAndTransferLengthOnlyOnChange)
{
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(0, 0, 2048, 1536, 1));
    const Writes expected = {{1, 20}, {2, 32}, {3, 1535}, {4, 2047}, {5, 21}, {6, 90}, {34, 1}, {35, 1}};
    EXPECT_EQ(expected, SensorWrites(Traffic()));
    // 786,432 samples = 0x0C0000, least significant byte first.
    const Writes length = {{0, 0x00}, {1, 0x00}, {2, 0x0C}, {3, 0x00}};
    EXPECT_EQ(length, ControlWrites(Traffic()));
    EXPECT_EQ(1024, device.width);
    EXPECT_EQ(768, device.height);

    rig.port.Clear();
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(0, 0, 2048, 1536, 1));
    EXPECT_TRUE(ControlWrites(Traffic()).empty());
    EXPECT_EQ(8u, SensorWrites(Traffic()).size());

    // Mode bits are replaced, the other bits of the addressing registers kept.
    device.WriteSensorRegister(sensor::kRowAddressMode, 0x0100 | 0x37);
    rig.port.Clear();
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(8, 16, 1024, 768, 18));
    const Writes quarterBin = {{1, 40}, {2, 40}, {3, 767}, {4, 1023}, {5, 21}, {6, 90}, {34, 0x0100 | 19}, {35, 19}};
    EXPECT_EQ(quarterBin, SensorWrites(Traffic()));
}

TEST_F(DeviceProtocol, RefusedWindowsChangeNothing)
{
    const int32_t before = device.transferPixels;
    EXPECT_EQ(1, device.SetSensorWindow(0, 0, 2049, 1536, 0));
    EXPECT_EQ(1, device.SetSensorWindow(0, 0, 2048, 1536, 19));
    EXPECT_EQ(1, device.SetSensorWindow(0, 0, 2048, 2, 0));
    EXPECT_EQ(1, device.SetSensorWindow(-2, 0, 64, 64, 0));
    EXPECT_EQ(1, device.SetSensorWindow(2000, 0, 64, 64, 0));
    // Four rows at a quarter would be one row; three would be none.
    EXPECT_EQ(1, device.SetSensorWindow(0, 0, 64, 3, 2));
    EXPECT_TRUE(Traffic().empty());
    EXPECT_EQ(before, device.transferPixels);

    // Mode 3 is programmed exactly as mode 0.
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(2, 4, 100, 50, 0));
    const Writes mode0 = SensorWrites(Traffic());
    rig.port.Clear();
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(2, 4, 100, 50, 3));
    EXPECT_EQ(mode0, SensorWrites(Traffic()));
    EXPECT_EQ(3, device.subsampleMode);
}

TEST_F(DeviceProtocol, ImageReadCodeFollowsTheTransferSize)
{
    ASSERT_EQ(kStatusOk, device.SnapFrame());
    std::vector<PortEvent> events = Traffic();
    const PortEvent* read = nullptr;
    for (const PortEvent& e : events)
        read = IsImageRead(e) ? &e : read;
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(kRequestLargeRead, read->code);
    EXPECT_EQ(3145728u, read->length);

    device.CloseSnapshot();
    device.SetSampleWidth(1);
    device.SetSensorWindow(0, 0, 2048, 1536, 1);
    rig.port.Clear();
    ASSERT_EQ(kStatusOk, device.SnapFrame());
    events = Traffic();
    read = nullptr;
    for (const PortEvent& e : events)
        read = IsImageRead(e) ? &e : read;
    ASSERT_NE(nullptr, read);
    EXPECT_EQ(kRequestWritePipe, read->code);
    EXPECT_EQ(1572864u, read->length);
    device.CloseSnapshot();
    EXPECT_EQ(0, OpenHandles(Traffic()));
}

TEST_F(DeviceProtocol, SingleFrameReadSequence)
{
    ASSERT_EQ(kStatusOk, device.SnapFrame());
    const std::vector<PortEvent> events = Traffic();
    // Arm on a handle of its own, then the frame request and the read on the kept handle.
    ASSERT_GE(events.size(), 5u);
    EXPECT_TRUE(IsCommandWrite(events[2], cmd::kArmTransfer));
    const PortEvent& request = events[4];
    EXPECT_TRUE(IsCommandWrite(request, cmd::kRequestFrame));
    for (uint32_t i = 1; i < kPacketBytes; ++i)
        EXPECT_EQ(0, request.packet[i]);
    EXPECT_EQ(request.handle, device.snapshotHandle);
    EXPECT_TRUE(IsImageRead(events[5]));
    EXPECT_EQ(1, OpenHandles(events));  // the kept single-frame handle

    // A failed read closes the kept handle and reports 19.
    rig.port.FailWhen([](const PortEvent& e) { return IsImageRead(e); });
    EXPECT_EQ(kStatusTransferFailed, device.SnapFrame());
    EXPECT_EQ(kStatusTransferFailed, device.lastStatus);
    EXPECT_EQ(nullptr, device.snapshotHandle);
    EXPECT_EQ(0, OpenHandles(Traffic()));
}

TEST_F(DeviceProtocol, RegisterNumbersAndRomAddressesUseTheirLowBits)
{
    ASSERT_EQ(1, device.WriteSensorRegister(256 + sensor::kExposure, 0x10309));
    const std::vector<PortEvent> write = Traffic();
    ASSERT_EQ(3u, write.size());  // open, write, close
    const uint8_t packet[] = {cmd::kWriteSensorRegister, 9, 0x03, 0x09};
    EXPECT_EQ(0, std::memcmp(packet, write[1].packet.data(), sizeof(packet)));
    uint16_t value = 0;
    ASSERT_EQ(1, device.ReadSensorRegister(sensor::kExposure, &value));
    EXPECT_EQ(0x0309, value);

    rig.port.Clear();
    device.ReadSensorRegister(256, &value);
    EXPECT_EQ(0, Traffic()[1].packet[1]);

    rig.port.Clear();
    uint8_t data = 0xEE;
    EXPECT_EQ(0, device.ReadSrom(0x17FF, &data));
    EXPECT_EQ(0, device.ReadSrom(0x10100, &data));  // only the low 16 bits count
    EXPECT_TRUE(Traffic().empty());

    ASSERT_EQ(1, device.ReadSrom(kSromVariantAddress, &data));
    EXPECT_EQ(1, data);
    std::vector<PortEvent> rom = Traffic();
    ASSERT_EQ(5u, rom.size());  // open, write, two reads, close
    const uint8_t romRead[] = {cmd::kSromRead, 0x51, 2, 1, 0x1E, 0xB0};
    EXPECT_EQ(0, std::memcmp(romRead, rom[1].packet.data(), sizeof(romRead)));
    EXPECT_TRUE(IsReplyRead(rom[2]) && IsReplyRead(rom[3]));

    rig.port.Clear();
    ASSERT_EQ(1, device.WriteSromId(300, 0x15A));
    ASSERT_EQ(1, device.ReadSromId(300, &data));
    EXPECT_EQ(0x5A, data);
    rom = Traffic();
    const uint8_t romWrite[] = {cmd::kSromWrite, 0x51, 3, 0x18, 0x2C, 0x5A};
    EXPECT_EQ(0, std::memcmp(romWrite, rom[1].packet.data(), sizeof(romWrite)));
    EXPECT_EQ(0x18, rom[4].packet[4]);
    EXPECT_EQ(0x2C, rom[4].packet[5]);

    ASSERT_EQ(1, device.WriteControlRegister(control::kIoPort, 0x1A5));
    ASSERT_EQ(1, device.ReadControlRegister(control::kIoPort, &data));
    EXPECT_EQ(0xA5, data);
    EXPECT_EQ(0, OpenHandles(Traffic()));
}

TEST_F(DeviceProtocol, ReplyExchangeRules)
{
    uint16_t value = 0;
    uint8_t byte = 0;
    device.WriteSensorRegister(sensor::kExposure, 1234);

    // The first reply read may fail: the second decides.
    auto replyReads = std::make_shared<std::atomic<int>>(0);
    rig.port.FailWhen([replyReads](const PortEvent& e) { return IsReplyRead(e) && ++*replyReads == 1; });
    EXPECT_EQ(1, device.ReadSensorRegister(sensor::kExposure, &value));
    EXPECT_EQ(1234, value);

    // A failed second read fails the exchange, with value 0.
    *replyReads = 0;
    rig.port.FailWhen([replyReads](const PortEvent& e) { return IsReplyRead(e) && ++*replyReads == 2; });
    EXPECT_EQ(0, device.ReadSensorRegister(sensor::kExposure, &value));
    EXPECT_EQ(0, value);

    // A failed command write of a register read ends the exchange before any reply read.
    rig.port.FailWhen([](const PortEvent& e) { return e.pipe == kPipeCommand; });
    rig.port.Clear();
    EXPECT_EQ(0, device.ReadSensorRegister(sensor::kExposure, &value));
    EXPECT_EQ(0, device.ReadControlRegister(control::kIoPort, &byte));
    EXPECT_EQ(0u, CountIf(Traffic(), IsReplyRead));

    // The ROM read reads twice whatever its write did; the camera still holds the last reply.
    rig.port.FailWhen(nullptr);
    ASSERT_EQ(1, device.ReadSrom(kSromVariantAddress, &byte));
    rig.port.FailWhen([](const PortEvent& e) { return e.pipe == kPipeCommand; });
    rig.port.Clear();
    byte = 0;
    EXPECT_EQ(1, device.ReadSrom(kSromVariantAddress, &byte));
    EXPECT_EQ(1, byte);
    EXPECT_EQ(2u, CountIf(Traffic(), IsReplyRead));

    // The ROM write pauses and fails; nothing stays open on any of these ways out.
    EXPECT_EQ(0, device.WriteSromId(1, 2));
    EXPECT_EQ(0, device.WriteSensorRegister(1, 2));
    EXPECT_EQ(0, OpenHandles(Traffic()));

    // No open: no request at all.
    rig.port.FailWhen([](const PortEvent& e) { return e.kind == PortEvent::Kind::Open; });
    rig.port.Clear();
    EXPECT_EQ(0, device.ReadSensorRegister(sensor::kExposure, &value));
    EXPECT_EQ(0, device.ReadSrom(kSromVariantAddress, &byte));
    EXPECT_EQ(0, device.WriteControlRegister(1, 1));
    for (const PortEvent& e : Traffic())
        EXPECT_EQ(PortEvent::Kind::Open, e.kind);
}

TEST_F(DeviceProtocol, PacketPrimitivesWithoutHandleOrBuffer)
{
    uint8_t packet[kPacketBytes] = {};
    uint32_t moved = 7;
    EXPECT_EQ(kPipeNoBuffer, device.PipeTransfer(nullptr, kPipeCommand, kPacketBytes, nullptr, &moved, 1));
    EXPECT_EQ(kPipeNoHandle, device.PipeTransfer(nullptr, kPipeCommand, kPacketBytes, packet, &moved, 1));
    EXPECT_EQ(kStatusOpenFailed, device.WriteCommand(nullptr, packet));
    EXPECT_EQ(kStatusOpenFailed, device.ReadReply(nullptr, packet));
    EXPECT_TRUE(Traffic().empty());

    // A reply read before any command with a reply moves nothing: 12.
    EmulatedRig fresh("devices=0");
    CVLMSdkLib base(fresh.port);
    std::strcpy(base.deviceBaseName, CVelmor520QKZRXSdk::kDeviceBaseName);
    base.SelectDevice(0);
    DriverHandle handle = base.OpenDevice(base.devicePath);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(kStatusPacketFailed, base.ReadReply(handle, packet));
    base.CloseDevice(handle);
    EXPECT_EQ(nullptr, handle);
}

TEST_F(DeviceProtocol, SampleWidthGainsExposureAndTrigger)
{
    device.SetSampleWidth(0);
    std::vector<PortEvent> events = Traffic();
    ASSERT_EQ(6u, events.size());
    EXPECT_TRUE(IsCommandWrite(events[1], cmd::kSetSampleWidth));
    EXPECT_EQ(1, events[1].packet[1]);  // this model's command always enables; register 14 chooses
    EXPECT_EQ((Writes{{control::kSampleWidth, 0}}), ControlWrites(events));
    device.SetSampleWidth(5);
    EXPECT_EQ(1, device.sampleWidth16);

    rig.port.Clear();
    EXPECT_EQ(0, device.SetColorGain(47, 10));
    EXPECT_EQ(0, device.SetColorGain(42, 10));
    EXPECT_TRUE(Traffic().empty());
    EXPECT_EQ(1, device.SetColorGain(sensor::kGainGreen1, 300));
    EXPECT_EQ(1, device.SetGlobalGain(0x1FF));
    EXPECT_EQ(1, device.SetExposure(0));
    EXPECT_EQ(1, device.SetExposure(20000));
    EXPECT_EQ((Writes{{43, 44}, {53, 0x7F}, {9, 1}, {9, 16383}}), SensorWrites(Traffic()));
    uint8_t gain = 0;
    EXPECT_EQ(1, device.GetColorGain(sensor::kGainGreen1, &gain));
    EXPECT_EQ(44, gain);
    EXPECT_EQ(0x7F, device.GetGlobalGain());
    uint16_t exposure = 0;
    EXPECT_EQ(1, device.GetExposure(&exposure));
    EXPECT_EQ(16383, exposure);

    // Trigger: on with option 0 sets bit 8 and keeps bits 9 and 10 as read; off clears 8..10.
    device.WriteSensorRegister(sensor::kTriggerControl, 0x4200);
    rig.port.Clear();
    EXPECT_EQ(1, device.SetTrigger(1, 0));
    EXPECT_EQ((Writes{{control::kTriggerMode, 1}}), ControlWrites(Traffic()));
    EXPECT_EQ((Writes{{30, 0x4300}}), SensorWrites(Traffic()));
    EXPECT_EQ(1, device.triggerMode);
    EXPECT_EQ(0, device.triggerOption);
    rig.port.Clear();
    EXPECT_EQ(1, device.SetTrigger(1, 1));
    EXPECT_EQ(1, device.SetTrigger(0, 1));
    EXPECT_EQ((Writes{{30, 0x4700}, {30, 0x4000}}), SensorWrites(Traffic()));

    // A failed write of register 30 keeps the previous trigger state.
    rig.port.FailWhen([](const PortEvent& e) { return IsCommandWrite(e, cmd::kWriteSensorRegister); });
    EXPECT_EQ(0, device.SetTrigger(1, 0));
    EXPECT_EQ(0, device.triggerMode);
    EXPECT_EQ(1, device.triggerOption);
}

TEST(DeviceTiming, LineLengthAndExposureTime)
{
    using Model = CVelmor520QKZRXSdk;
    EXPECT_EQ(2438, Model::LineLength(0, 2048));
    EXPECT_EQ(647, Model::LineLength(0, 277));
    EXPECT_EQ(668, Model::LineLength(3, 278));
    EXPECT_EQ(1414, Model::LineLength(1, 2048));
    EXPECT_EQ(697, Model::LineLength(2, 1000));
    EXPECT_EQ(1305, Model::LineLength(17, 1218));
    EXPECT_EQ(1327, Model::LineLength(17, 1220));
    EXPECT_EQ(1305, Model::LineLength(18, 2048));  // 512 wide: below the binning floor

    EXPECT_EQ(158571, Model::ExposureTimeUs(1561, 0, 2048, 0));
    EXPECT_EQ(79285, Model::ExposureTimeUs(1561, 0, 2048, 2));
    EXPECT_EQ(158571, Model::ExposureTimeUs(1561, 0, 2048, 99));  // unknown clocks run at 24 MHz
    EXPECT_EQ(984, Model::ExposureLinesFor(100000, 0, 2048, 0));
    EXPECT_EQ(1968, Model::ExposureLinesFor(100000, 0, 2048, 2));
}

}  // namespace
