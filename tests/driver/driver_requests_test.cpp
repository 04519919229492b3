// Requests sent straight to the virtual camera driver: malformed ones are refused and leave the
// driver and its host process answering; a read waiting for its frame holds up no command; and the
// device object's traffic through the Win32 port is the traffic it has with in-process cameras.
#include "device/device_protocol.h"
#include "device/driver_port.h"
#include "device/velmor_520qk.h"
#include "device/win32_port.h"
#include "emulator/emulated_port.h"
#include "recording_port.h"
#include "virtual_camera.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr char kSettings[] = "devices=0,5;timing=fast;source=flat:300";
constexpr char kCamera0[] = "\\\\.\\Velm520QKZRX-0";
constexpr char kCamera5[] = "\\\\.\\Velm520QKZRX-5";
constexpr char kCamera1[] = "\\\\.\\Velm520QKZRX-1";  // not configured
constexpr DWORD kUnmoved = 0xDEADBEEF;
constexpr uint32_t kWaitTag = 1;
constexpr DWORD kWaitInputBytes = 44;
constexpr uint8_t kLoopValue = 0x5A;

struct Result {
    bool ok;
    DWORD moved;
};

HANDLE Open(const char* path)
{
    // The SDK's own arguments.
    return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

Result Send(HANDLE handle, DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes)
{
    DWORD moved = kUnmoved;
    const BOOL ok = DeviceIoControl(handle, code, const_cast<void*>(in), inBytes, out, outBytes, &moved, nullptr);
    return {ok != FALSE, moved};
}

Result OnPipe(HANDLE handle, DWORD code, uint32_t pipe, void* data, DWORD bytes)
{
    return Send(handle, code, &pipe, sizeof(pipe), data, bytes);
}

bool SetDriverWait(HANDLE handle, int32_t ms)
{
    int32_t input[kWaitInputBytes / 4] = {static_cast<int32_t>(kWaitTag), ms};
    return Send(handle, kRequestDriverWait, input, kWaitInputBytes, nullptr, 0).ok;
}

// Writes controller register 7 (its outputs loop back to its inputs) and reads it back.
bool LoopsBack(HANDLE handle, uint8_t value)
{
    uint8_t packet[kPacketBytes] = {cmd::kWriteControlRegister, control::kIoPort, value};
    if (!OnPipe(handle, kRequestWritePipe, kPipeCommand, packet, kPacketBytes).ok)
        return false;
    uint8_t read[kPacketBytes] = {cmd::kReadControlRegister, control::kIoPort};
    if (!OnPipe(handle, kRequestWritePipe, kPipeCommand, read, kPacketBytes).ok)
        return false;
    uint8_t reply[kPacketBytes] = {};
    const Result answer = OnPipe(handle, kRequestReadPipe, kPipeReply, reply, kPacketBytes);
    return answer.ok && answer.moved == kPacketBytes && reply[0] == value;
}

// A frame request and one image read of `bytes` on the code the SDK uses for that size.
Result ReadFrame(HANDLE handle, std::vector<uint8_t>& frame)
{
    uint8_t request[kPacketBytes] = {cmd::kRequestFrame};
    OnPipe(handle, kRequestWritePipe, kPipeCommand, request, kPacketBytes);
    const DWORD code = frame.size() >= kLargeTransferBytes ? kRequestLargeRead : kRequestWritePipe;
    return OnPipe(handle, code, kPipeImage, frame.data(), static_cast<DWORD>(frame.size()));
}

// The Wine processes that host drivers; a crash of the host would change them.
std::set<DWORD> DriverHosts()
{
    std::set<DWORD> hosts;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "winedevice.exe") == 0)
            hosts.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return hosts;
}

class DriverRequests : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(vcam_test::RestartVirtualCamera(kSettings)); }

    void SetUp() override
    {
        hosts_ = DriverHosts();
        camera_ = Open(kCamera0);
        ASSERT_NE(INVALID_HANDLE_VALUE, camera_);
    }
    void TearDown() override
    {
        // Still answering, from the same host processes, on a new handle as on the old one.
        HANDLE fresh = Open(kCamera5);
        ASSERT_NE(INVALID_HANDLE_VALUE, fresh);
        EXPECT_TRUE(LoopsBack(fresh, kLoopValue));
        std::vector<uint8_t> frame(1 << 20);
        const Result read = ReadFrame(fresh, frame);
        EXPECT_TRUE(read.ok);
        EXPECT_EQ(frame.size(), read.moved);
        CloseHandle(fresh);
        if (camera_ != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(LoopsBack(camera_, kLoopValue + 1));
            CloseHandle(camera_);
        }
        EXPECT_EQ(hosts_, DriverHosts());
    }

    HANDLE camera_ = INVALID_HANDLE_VALUE;
    std::set<DWORD> hosts_;
};

TEST_F(DriverRequests, UnknownCodesAndOtherMethodsAreRefused)
{
    uint32_t pipe = kPipeCommand;
    uint8_t data[kPacketBytes] = {cmd::kWriteControlRegister, control::kIoPort, 1};
    // Unknown functions, and the driver's own functions with another transfer method: the driver
    // refuses them.
    for (DWORD code : {0x222000u, 0x222003u, 0x223FFCu, 0x22204Cu, 0x22204Fu, 0x222050u, 0x2220A3u, 0x2220A8u}) {
        const Result answer = Send(camera_, code, &pipe, sizeof(pipe), data, sizeof(data));
        EXPECT_FALSE(answer.ok) << std::hex << code;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), GetLastError()) << std::hex << code;
    }
    // Codes that ask for read access, which the SDK's handles do not have: refused before the driver.
    for (DWORD code : {0x22FFFFu, 0x22604Eu, 0x22E051u})
        EXPECT_FALSE(Send(camera_, code, &pipe, sizeof(pipe), data, sizeof(data)).ok) << std::hex << code;
    // Nothing of the refused command reached the camera.
    uint8_t read[kPacketBytes] = {cmd::kReadControlRegister, control::kIoPort};
    ASSERT_TRUE(OnPipe(camera_, kRequestWritePipe, kPipeCommand, read, kPacketBytes).ok);
    uint8_t reply[kPacketBytes] = {0xFF};
    ASSERT_TRUE(OnPipe(camera_, kRequestReadPipe, kPipeReply, reply, kPacketBytes).ok);
    EXPECT_EQ(0, reply[0]);
}

TEST_F(DriverRequests, WrongLengthsAndMissingBuffersAreRefused)
{
    uint8_t packet[kPacketBytes] = {cmd::kWriteControlRegister, control::kIoPort, 3};
    const uint32_t pipe = kPipeCommand;
    // A pipe index of fewer than four bytes, or none at all.
    for (DWORD inBytes : {0u, 1u, 3u})
        EXPECT_FALSE(Send(camera_, kRequestWritePipe, &pipe, inBytes, packet, kPacketBytes).ok) << inBytes;
    EXPECT_FALSE(Send(camera_, kRequestWritePipe, nullptr, 0, packet, kPacketBytes).ok);
    // No data buffer on any pipe.
    for (uint32_t p : {kPipeCommand, kPipeReply, kPipeImage})
        EXPECT_FALSE(OnPipe(camera_, p == kPipeReply ? kRequestReadPipe : kRequestWritePipe, p, nullptr, 0).ok) << p;
    // A reply buffer smaller than a packet; a larger one receives the packet only.
    uint8_t read[kPacketBytes] = {cmd::kReadControlRegister, control::kIoPort};
    ASSERT_TRUE(OnPipe(camera_, kRequestWritePipe, kPipeCommand, read, kPacketBytes).ok);
    std::vector<uint8_t> reply(4096, 0xEE);
    EXPECT_FALSE(OnPipe(camera_, kRequestReadPipe, kPipeReply, reply.data(), kPacketBytes - 1).ok);
    const Result whole = OnPipe(camera_, kRequestReadPipe, kPipeReply, reply.data(), 4096);
    EXPECT_TRUE(whole.ok);
    EXPECT_EQ(kPacketBytes, whole.moved);
    // Commands shorter or longer than a packet: the bytes not sent count as zero, extra ones are ignored.
    uint8_t code = cmd::kReadControlRegister;
    const Result shortCommand = OnPipe(camera_, kRequestWritePipe, kPipeCommand, &code, 1);
    EXPECT_TRUE(shortCommand.ok);
    EXPECT_EQ(1u, shortCommand.moved);
    std::vector<uint8_t> longCommand(4096, 0);
    longCommand[0] = cmd::kReadControlRegister;
    EXPECT_EQ(kPacketBytes, OnPipe(camera_, kRequestWritePipe, kPipeCommand, longCommand.data(), 4096).moved);
    // The driver wait: its tag, its length and its buffer are checked.
    int32_t wait[kWaitInputBytes / 4] = {2, 100};
    EXPECT_FALSE(Send(camera_, kRequestDriverWait, wait, kWaitInputBytes, nullptr, 0).ok);
    wait[0] = kWaitTag;
    EXPECT_FALSE(Send(camera_, kRequestDriverWait, wait, 4, nullptr, 0).ok);
    EXPECT_FALSE(Send(camera_, kRequestDriverWait, nullptr, 0, nullptr, 0).ok);
    EXPECT_TRUE(SetDriverWait(camera_, -5));  // taken as no wait
    // An image read of the large-transfer size on the ordinary code is refused; on its own code a
    // buffer larger than the frame receives the frame.
    std::vector<uint8_t> frame(kLargeTransferBytes);
    uint8_t request[kPacketBytes] = {cmd::kRequestFrame};
    OnPipe(camera_, kRequestWritePipe, kPipeCommand, request, kPacketBytes);
    EXPECT_FALSE(OnPipe(camera_, kRequestWritePipe, kPipeImage, frame.data(), kLargeTransferBytes).ok);
    SetDriverWait(camera_, 3000);
    frame.assign(64 << 20, 0);
    const Result large = ReadFrame(camera_, frame);
    EXPECT_TRUE(large.ok);
    EXPECT_GT(large.moved, 0u);
    EXPECT_LT(large.moved, frame.size());
}

TEST_F(DriverRequests, PipesOutOfRangeAreRefused)
{
    uint8_t data[kPacketBytes] = {cmd::kWriteControlRegister, control::kIoPort, 9};
    for (uint32_t pipe : {3u, 4u, 64u, 0x80000000u, 0xFFFFFFFFu}) {
        for (DWORD code : {kRequestReadPipe, kRequestWritePipe, kRequestLargeRead})
            EXPECT_FALSE(OnPipe(camera_, code, pipe, data, kPacketBytes).ok) << pipe << " " << std::hex << code;
    }
    EXPECT_TRUE(LoopsBack(camera_, 0x33));
}

TEST_F(DriverRequests, ClosedHandlesAndCamerasThatAreNotThere)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kCamera1));
    HANDLE closed = Open(kCamera5);
    ASSERT_NE(INVALID_HANDLE_VALUE, closed);
    ASSERT_TRUE(LoopsBack(closed, 7));
    CloseHandle(closed);
    uint8_t data[kPacketBytes] = {cmd::kReadControlRegister, control::kIoPort};
    EXPECT_FALSE(OnPipe(closed, kRequestWritePipe, kPipeCommand, data, kPacketBytes).ok);
    EXPECT_FALSE(OnPipe(closed, kRequestReadPipe, kPipeReply, data, kPacketBytes).ok);
    std::vector<uint8_t> frame(1 << 20);
    EXPECT_FALSE(ReadFrame(closed, frame).ok);
}

TEST_F(DriverRequests, AReadWaitingForItsFrameHoldsUpNoCommand)
{
    // No frame request: the read waits out the driver wait and fails.
    constexpr int32_t kWaitMs = 1500;
    ASSERT_TRUE(SetDriverWait(camera_, kWaitMs));
    std::atomic<bool> readDone{false};
    Result read{};
    DWORD readMs = 0;
    std::thread reader([&] {
        std::vector<uint8_t> frame(1 << 20);
        const DWORD start = GetTickCount();
        read = OnPipe(camera_, kRequestWritePipe, kPipeImage, frame.data(), static_cast<DWORD>(frame.size()));
        readMs = GetTickCount() - start;
        readDone = true;
    });
    Sleep(100);
    // Meanwhile other handles, and the reading one, exchange commands.
    HANDLE other = Open(kCamera0);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    int exchanges = 0;
    for (int i = 0; i < 20; ++i)
        exchanges += LoopsBack(i % 2 ? other : camera_, static_cast<uint8_t>(i)) ? 1 : 0;
    const bool beforeTheRead = !readDone;
    CloseHandle(other);
    reader.join();
    EXPECT_EQ(20, exchanges);
    EXPECT_TRUE(beforeTheRead);
    EXPECT_FALSE(read.ok);
    EXPECT_GE(readMs, static_cast<DWORD>(kWaitMs) - 100);
    ASSERT_TRUE(SetDriverWait(camera_, 3000));
}

TEST_F(DriverRequests, ClosingAHandleWhileItsReadWaits)
{
    HANDLE reading = Open(kCamera0);
    ASSERT_NE(INVALID_HANDLE_VALUE, reading);
    ASSERT_TRUE(SetDriverWait(reading, 1000));
    Result read{true, 0};
    std::thread reader([&] {
        std::vector<uint8_t> frame(1 << 20);
        read = OnPipe(reading, kRequestWritePipe, kPipeImage, frame.data(), static_cast<DWORD>(frame.size()));
    });
    Sleep(200);
    CloseHandle(reading);
    reader.join();
    EXPECT_FALSE(read.ok);
}

// The requests of one script of the device object: construction (scan and initialisation),
// settings, a single-frame read, destruction.
std::vector<PortEvent> ScriptTraffic(DriverPort& inner)
{
    RecordingDriverPort port(inner);
    {
        CVelmor520QKZRXSdk device(port);
        EXPECT_EQ(kStatusOk, device.SetSensorWindow(0, 0, 64, 48, 0));
        device.SetExposure(800);
        device.SetGlobalGain(20);
        uint16_t exposure = 0;
        device.GetExposure(&exposure);
        EXPECT_EQ(800, exposure);
        std::vector<uint8_t> frame(device.DeliveredBytes());
        EXPECT_EQ(kStatusOk, device.SnapFrame());
        EXPECT_EQ(kStatusOk, device.GetSnapFrame(frame.data()));
        device.CloseSnapshot();
    }
    return port.Events();
}

TEST(DriverTraffic, TheSameAsWithCamerasInTheProcess)
{
    EmulatedDriverPort emulated(kSettings);
    const std::vector<PortEvent> expected = ScriptTraffic(emulated);
    ASSERT_TRUE(vcam_test::RestartVirtualCamera(kSettings));
    Win32DriverPort win32;
    const std::vector<PortEvent> seen = ScriptTraffic(win32);

    ASSERT_EQ(expected.size(), seen.size());
    ASSERT_GT(seen.size(), 32u);  // at least the scan's opens
    // Handles are the ports' own values, and Win32 reuses a closed one: each is known by the number
    // of the open that returned it.
    std::map<DriverHandle, int> expectedOpens;
    std::map<DriverHandle, int> seenOpens;
    for (size_t i = 0; i < seen.size(); ++i) {
        const PortEvent& a = expected[i];
        const PortEvent& b = seen[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.path, b.path);
        EXPECT_EQ(a.handle == nullptr, b.handle == nullptr);
        if (a.kind == PortEvent::Kind::Open) {
            expectedOpens[a.handle] = static_cast<int>(i);
            seenOpens[b.handle] = static_cast<int>(i);
        } else {
            EXPECT_EQ(expectedOpens[a.handle], seenOpens[b.handle]);
        }
        EXPECT_EQ(a.code, b.code);
        EXPECT_EQ(a.pipe, b.pipe);
        EXPECT_EQ(a.length, b.length);
        EXPECT_EQ(a.packet, b.packet);
        EXPECT_EQ(a.ok, b.ok);
        EXPECT_EQ(a.returned, b.returned);
    }
}

}  // namespace
