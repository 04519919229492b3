// The frame geometry, the ring and the transfer thread, against an emulated camera.
#include "device/velmor_520qk.h"
#include "device_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr uint32_t kGenerousMs = 20000;
constexpr int kSmallWidth = 64;
constexpr int kSmallHeight = 48;  // 3,072 samples: a whole number of transfer granules

// Ring slot of every image read, in order (-1 for a buffer outside the ring).
std::vector<int> SlotsRead(const std::vector<PortEvent>& events, const CVLMSdkLib& device)
{
    std::vector<int> slots;
    for (const PortEvent& e : events) {
        if (!IsImageRead(e))
            continue;
        int slot = -1;
        for (int i = 0; i < device.ringSize; ++i)
            slot = e.buffer == device.ringTable[i].data ? i : slot;
        slots.push_back(slot);
    }
    return slots;
}

// Polls like the camera object until the run reports failure; copies frames on the way.
int WaitUntilFailed(CVLMSdkLib& device, int maxPolls)
{
    std::vector<uint8_t> frame(device.DeliveredBytes());
    for (int i = 0; i < maxPolls; ++i) {
        const int result = device.WaitFrame();
        if (result == kWaitFailed)
            return i;
        if (result == kWaitReady)
            device.GetFrame(frame.data());
    }
    return -1;
}

// Holds every image read until released: a camera that sends no frame.
class GatePort : public DriverPort {
public:
    explicit GatePort(DriverPort& inner) : inner_(inner), open_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~GatePort() override { CloseHandle(open_); }
    void Release() { SetEvent(open_); }

    DriverHandle Open(const char* path) override { return inner_.Open(path); }
    void Close(DriverHandle handle) override { inner_.Close(handle); }
    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                 uint32_t* returned) override
    {
        if (in && inBytes == sizeof(uint32_t) && *static_cast<const uint32_t*>(in) == kPipeImage)
            WaitForSingleObject(open_, INFINITE);
        return inner_.Control(handle, code, in, inBytes, out, outBytes, returned);
    }

private:
    DriverPort& inner_;
    HANDLE open_;
};

class DeviceTransfer : public ::testing::Test {
protected:
    explicit DeviceTransfer(const char* settings = "devices=0;source=flat:300;timing=fast")
        : rig(settings), device(std::make_unique<CVelmor520QKZRXSdk>(rig.port))
    {
        device->SetSensorWindow(0, 0, kSmallWidth, kSmallHeight, 0);
        rig.port.Clear();
    }

    EmulatedRig rig;
    std::unique_ptr<CVelmor520QKZRXSdk> device;
};

TEST_F(DeviceTransfer, GeometryRoundsAndRefuses)
{
    ASSERT_EQ(kStatusOk, device->SetFrameGeometry(2040, 0, 2040, 1530, 0, 1530, 4));
    EXPECT_EQ(3122176, device->transferPixels);
    EXPECT_EQ(2040 * 1530, device->framePixels);
    EXPECT_EQ(2 * 3122176, device->bufferBytes);
    const CVLMSdkLib::RingEntry* ring = device->ringTable;
    const uint8_t* firstBuffer = ring[0].data;

    EXPECT_EQ(kStatusRingTooSmall, device->SetFrameGeometry(64, 0, 64, 48, 0, 48, 1));
    EXPECT_EQ(kStatusBadWidth, device->SetFrameGeometry(64, 0, 65, 48, 0, 48, 4));
    EXPECT_EQ(kStatusBadWidth, device->SetFrameGeometry(0, 0, 0, 48, 0, 48, 4));
    EXPECT_EQ(kStatusBadHeight, device->SetFrameGeometry(64, 0, 64, 48, 1, 48, 4));
    EXPECT_EQ(kStatusBadHeight, device->SetFrameGeometry(64, 0, 64, 48, -8, 8, 4));
    EXPECT_EQ(kStatusBadHeight, device->SetFrameGeometry(64, 0, 64, 0, 0, 0, 4));
    EXPECT_EQ(ring, device->ringTable);
    EXPECT_EQ(firstBuffer, device->ringTable[0].data);
    EXPECT_EQ(3122176, device->transferPixels);
    // Only the accepted geometry told the camera its transfer length.
    EXPECT_EQ(1u, CountIf(rig.port.Events(), [](const PortEvent& e) {
                  return IsCommandWrite(e, cmd::kSetTransferLength);
              }));
}

TEST_F(DeviceTransfer, IdleStopAndDoubleStart)
{
    EXPECT_EQ(kStatusOk, device->StopTransfer());
    EXPECT_EQ(kWaitIdle, device->WaitFrame());
    EXPECT_TRUE(rig.port.Events().empty());
    EXPECT_EQ(nullptr, device->TransferThread());

    ASSERT_EQ(kStatusOk, device->StartTransfer());
    EXPECT_EQ(kStatusTransferRunning, device->StartTransfer());
    // The ring must not change under the thread.
    EXPECT_EQ(kStatusTransferRunning, device->SetFrameGeometry(64, 0, 64, 48, 0, 48, 4));
    EXPECT_EQ(kStatusTransferRunning, device->SetSensorWindow(0, 0, 128, 96, 0));
    EXPECT_EQ(kStatusTransferRunning, device->InitializeModel(0));
    EXPECT_TRUE(SensorWrites(rig.port.Events()).empty());
    EXPECT_EQ(kStatusOk, device->StopTransfer());
    EXPECT_EQ(nullptr, device->TransferThread());
    EXPECT_EQ(nullptr, device->transfer.frameEvent);
    EXPECT_EQ(nullptr, device->transfer.doneEvent);
    EXPECT_EQ(0, OpenHandles(rig.port.Events()));
}

TEST_F(DeviceTransfer, ConsumerThatNeverReadsKeepsSlotZero)
{
    ASSERT_EQ(kStatusOk, device->StartTransfer());
    ASSERT_TRUE(rig.port.WaitFor(IsImageRead, 7, kGenerousMs));
    ASSERT_EQ(kStatusOk, device->StopTransfer());
    std::vector<int> slots = SlotsRead(rig.port.Events(), *device);
    ASSERT_GE(slots.size(), 7u);
    slots.resize(7);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 1, 2, 3}), slots);
    // Every frame request of the run travels with the read code.
    for (const PortEvent& e : rig.port.Events()) {
        if (e.pipe == kPipeCommand && e.packet[0] == cmd::kRequestFrame) {
            EXPECT_EQ(kRequestReadPipe, e.code);
        }
    }
}

TEST_F(DeviceTransfer, ConsumerGetsTheNewestFrame)
{
    ASSERT_EQ(kStatusOk, device->StartTransfer());
    std::vector<uint8_t> frame(device->DeliveredBytes());
    int result = kWaitSignalled;
    for (int i = 0; i < 100 && result != kWaitReady; ++i)
        result = device->WaitFrame();
    ASSERT_EQ(kWaitReady, result);
    const int slot = device->transfer.readIndex;
    EXPECT_EQ(kStatusOk, device->GetFrame(frame.data()));
    EXPECT_EQ((slot + 1) % 4, device->transfer.readIndex);
    EXPECT_EQ(kStatusNoBuffer, device->GetFrame(nullptr));
    EXPECT_EQ(kStatusOk, device->StopTransfer());
    // flat:300 in one-byte mode is 300 >> 2 everywhere.
    for (uint8_t v : frame)
        ASSERT_EQ(75, v);
}

class DeviceShortRead : public DeviceTransfer {
protected:
    DeviceShortRead() : DeviceTransfer("devices=0;source=flat:300;timing=fast;short_read_at=2") {}
};

TEST_F(DeviceShortRead, FirstShortReadOfARunIsForgiven)
{
    ASSERT_EQ(kStatusOk, device->StartTransfer());
    ASSERT_TRUE(rig.port.WaitFor(IsImageRead, 5, kGenerousMs));
    EXPECT_EQ(kStatusOk, device->StopTransfer());
    const std::vector<PortEvent> events = rig.port.Events();
    std::vector<int> slots = SlotsRead(events, *device);
    slots.resize(4);
    // The short second transfer is redone into the same slot.
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2}), slots);
    std::vector<const PortEvent*> reads;
    for (const PortEvent& e : events) {
        if (IsImageRead(e))
            reads.push_back(&e);
    }
    EXPECT_LT(reads[1]->returned, reads[1]->length);
    EXPECT_EQ(reads[2]->returned, reads[2]->length);
}

class DeviceTwoShortReads : public DeviceTransfer {
protected:
    DeviceTwoShortReads() : DeviceTransfer("devices=0;source=flat:300;timing=fast;short_read_at=2,4") {}
};

TEST_F(DeviceTwoShortReads, SecondShortReadEndsTheRun)
{
    ASSERT_EQ(kStatusOk, device->StartTransfer());
    EXPECT_GE(WaitUntilFailed(*device, 1000), 0);
    EXPECT_EQ(kWaitFailed, device->WaitFrame());
    EXPECT_EQ(kStatusTransferFailed, device->StopTransfer());
    EXPECT_EQ(kWaitIdle, device->WaitFrame());
    EXPECT_EQ(4u, CountIf(rig.port.Events(), IsImageRead));
    EXPECT_EQ(0, OpenHandles(rig.port.Events()));
}

TEST(DeviceNoFrame, WaitFrameGivesUpAfterSixSeconds)
{
    EmulatedRig rig("devices=0;source=flat:1;timing=fast");
    GatePort gate(rig.port);
    CVelmor520QKZRXSdk device(gate);
    device.SetSensorWindow(0, 0, kSmallWidth, kSmallHeight, 0);
    ASSERT_EQ(kStatusOk, device.StartTransfer());
    EXPECT_EQ(kWaitFailed, device.WaitFrame());
    gate.Release();
    EXPECT_EQ(kStatusOk, device.StopTransfer());
    EXPECT_EQ(0, OpenHandles(rig.port.Events()));
}

TEST(DeviceUnplug, UnplugEndsTheRunAndLeavesNothingBehind)
{
    EmulatedRig rig("devices=0;source=flat:1;timing=fast;unplug_after_frames=3");
    CVelmor520QKZRXSdk device(rig.port);
    device.SetSensorWindow(0, 0, kSmallWidth, kSmallHeight, 0);
    DWORD handlesBefore = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);

    ASSERT_EQ(kStatusOk, device.StartTransfer());
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), device.TransferThread(), GetCurrentProcess(), &thread,
                                SYNCHRONIZE, FALSE, 0));
    EXPECT_GE(WaitUntilFailed(device, 1000), 0);
    EXPECT_EQ(kStatusTransferFailed, device.StopTransfer());
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(thread, 0));
    CloseHandle(thread);

    EXPECT_EQ(nullptr, device.TransferThread());
    EXPECT_EQ(nullptr, device.transfer.frameEvent);
    EXPECT_EQ(nullptr, device.transfer.doneEvent);
    EXPECT_EQ(0, OpenHandles(rig.port.Events()));
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesBefore, handlesAfter);
    // The camera is gone: the single-frame read cannot open it.
    EXPECT_EQ(kStatusOpenFailed, device.SnapFrame());
}

TEST_F(DeviceTransfer, DestroyingARunningObjectStopsItsThread)
{
    ASSERT_EQ(kStatusOk, device->StartTransfer());
    ASSERT_TRUE(rig.port.WaitFor(IsImageRead, 2, kGenerousMs));
    device.reset();
    EXPECT_EQ(0, OpenHandles(rig.port.Events()));
}

TEST_F(DeviceTransfer, CopiesNeverReadPastTheBuffers)
{
    std::vector<uint8_t> frame(kSmallWidth * kSmallHeight);
    EXPECT_EQ(kStatusNoBuffer, device->GetSnapFrame(nullptr));
    ASSERT_EQ(kStatusOk, device->SnapFrame());
    ASSERT_EQ(kStatusOk, device->GetSnapFrame(frame.data()));
    // A failed re-initialisation resets the geometry to a 1339-sample line but keeps the small
    // buffers: the copy is refused instead of reading far past them.
    EXPECT_EQ(kStatusBadDevice, device->InitializeModel(40));
    EXPECT_EQ(1339, device->lineWidth);
    std::vector<uint8_t> large(1339 * 1040 * 2);
    EXPECT_EQ(kStatusNoBuffer, device->GetSnapFrame(large.data()));
    EXPECT_EQ(kStatusNoBuffer, device->GetFrame(large.data()));
}

}  // namespace
