// The driver protocol of the emulated camera: paths, handles, packets, replies, registers, ROM,
// and requests that make no sense.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "emu_test_support.h"

using namespace emutest;

namespace {

TEST(EmulatedPaths, OnlyListedDevicesOpenUnderTheirSuffix)
{
    EmulatedDriverPort port("devices=0,9,22,23,31");
    for (char suffix : std::string("09NMV"))
        EXPECT_NE(Client(port, suffix).Handle(), nullptr) << suffix;
    EXPECT_NE(port.Open("\\\\.\\velm520qkzrx-n"), nullptr) << "object names ignore case";
    for (char suffix : std::string("18AOWXYZ"))
        EXPECT_EQ(Client(port, suffix).Handle(), nullptr) << suffix;  // W is number 32
    EXPECT_EQ(port.Open(nullptr), nullptr);
    EXPECT_EQ(port.Open(""), nullptr);
    EXPECT_EQ(port.Open("\\\\.\\Velm520QKZRX-"), nullptr);
    EXPECT_EQ(port.Open("\\\\.\\Velm520QKZRX-00"), nullptr);
    EXPECT_EQ(port.Open("\\\\.\\Velm520QKZRY-0"), nullptr);
}

TEST(EmulatedPaths, HandlesAreDistinctAndClosingUnknownOnesIsHarmless)
{
    EmulatedDriverPort port("");
    std::set<DriverHandle> seen;
    for (int i = 0; i < 1000; ++i) {
        DriverHandle h = port.Open(DevicePath('0').c_str());
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(seen.insert(h).second) << "handle reused";
        port.Close(h);
        port.Close(h);  // twice
    }
    port.Close(nullptr);
    port.Close(reinterpret_cast<DriverHandle>(uintptr_t(0xDEADBEEF)));
    uint32_t pipe = kPipeCommand, moved = 7;
    uint8_t packet[64] = {0x06};
    EXPECT_FALSE(port.Control(*seen.begin(), kRequestWritePipe, &pipe, 4, packet, 64, &moved)) << "closed handle";
    EXPECT_EQ(moved, 0u);
}

TEST(EmulatedReplies, TheReplyIsReadableTwiceUntilTheNextCommand)
{
    EmulatedDriverPort port("");
    Client client(port);
    Packet reply{};
    EXPECT_FALSE(client.ReadReply(reply)) << "no command yet";
    ASSERT_TRUE(client.WriteSensor(9, 0x1234));
    EXPECT_FALSE(client.ReadReply(reply)) << "a write has no reply";

    ASSERT_TRUE(client.SendBytes({0x0C, 9}));
    Packet first{}, second{};
    ASSERT_TRUE(client.ReadReply(first));
    ASSERT_TRUE(client.ReadReply(second));
    EXPECT_EQ(first[0], 0x12);
    EXPECT_EQ(first[1], 0x34);
    EXPECT_EQ(first, second);

    // A handle that has sent nothing reads the camera's last reply (a reply exchange whose write
    // failed on the way still reads twice); once it sends, it reads its own, whatever others send.
    Client other(port);
    ASSERT_TRUE(other.ReadReply(reply));
    EXPECT_EQ(reply, first);
    ASSERT_TRUE(other.SendBytes({0x0C, 53}));
    ASSERT_TRUE(client.ReadReply(reply));
    EXPECT_EQ(reply[1], 0x34);
    ASSERT_TRUE(other.ReadReply(reply));
    EXPECT_EQ(reply[1], 14);

    // A read into fewer than 64 bytes fails and moves nothing.
    uint32_t pipe = kPipeReply, moved = 0;
    uint8_t small[63] = {};
    EXPECT_FALSE(port.Control(client.Handle(), kRequestReadPipe, &pipe, 4, small, sizeof(small), &moved));
    EXPECT_EQ(moved, 0u);

    ASSERT_TRUE(client.SendBytes({0x01}));
    EXPECT_FALSE(client.ReadReply(reply)) << "the next command ends the reply";
}

TEST(EmulatedRegisters, ResetValuesAndSeparateStorage)
{
    EmulatedDriverPort port("");
    Client client(port);
    const std::pair<int, uint16_t> sensorResets[] = {{1, 20},  {2, 32},  {3, 1535}, {4, 2047}, {5, 21},
                                                     {6, 90},  {9, 1561}, {30, 0},  {34, 0},    {35, 0},
                                                     {43, 14}, {44, 14}, {45, 14},  {46, 14},   {53, 14}};
    for (auto [reg, value] : sensorResets) {
        uint16_t got = 0xFFFF;
        ASSERT_TRUE(client.ReadSensor(reg, got)) << reg;
        EXPECT_EQ(got, value) << "register " << reg;
    }
    // Transfer length of the full window, one-byte samples, 24 MHz, trigger off.
    const std::pair<int, uint8_t> controlResets[] = {{0, 0x00}, {1, 0x00}, {2, 0x30}, {3, 0x00},
                                                     {7, 0},    {11, 0},   {14, 0},    {15, 0}};
    for (auto [index, value] : controlResets) {
        uint8_t got = 0xFF;
        ASSERT_TRUE(client.ReadControl(index, got)) << index;
        EXPECT_EQ(got, value) << "controller register " << index;
    }

    // Every register keeps its own value: all 256 of them, written then read back.
    for (int reg = 0; reg < 256; ++reg)
        ASSERT_TRUE(client.WriteSensor(reg, uint16_t(reg * 257 + 1)));
    for (int reg = 0; reg < 256; ++reg) {
        uint16_t got = 0;
        ASSERT_TRUE(client.ReadSensor(reg, got));
        ASSERT_EQ(got, uint16_t(reg * 257 + 1)) << reg;
    }
    // The port register reads back what was last written (outputs looped to inputs).
    for (uint8_t value : {0x5A, 0x00, 0xFF}) {
        ASSERT_TRUE(client.WriteControl(7, value));
        uint8_t got = 0;
        ASSERT_TRUE(client.ReadControl(7, got));
        EXPECT_EQ(got, value);
    }
}

TEST(EmulatedRegisters, CamerasKeepTheirOwnRegisters)
{
    EmulatedDriverPort port("devices=0,1");
    Client a(port, '0'), b(port, '1');
    ASSERT_TRUE(a.WriteSensor(53, 40));
    uint16_t value = 0;
    ASSERT_TRUE(b.ReadSensor(53, value));
    EXPECT_EQ(value, 14);
    ASSERT_TRUE(a.ReadSensor(53, value));
    EXPECT_EQ(value, 40);
}

TEST(EmulatedRom, HoldsEightKilobytesWithTheVariantByte)
{
    EmulatedDriverPort port("");
    Client client(port);
    uint8_t value = 0;
    ASSERT_TRUE(client.ReadSrom(0x1EB0, value));
    EXPECT_EQ(value, 1);
    // The write command carries the page in byte 3 and the low address byte in byte 4.
    ASSERT_TRUE(client.SendBytes({0x40, 0x51, 3, 0x18, 0x2C, 0xA5}));
    ASSERT_TRUE(client.ReadSrom(0x182C, value));
    EXPECT_EQ(value, 0xA5);
    // 8 KiB: addresses wrap at 0x2000.
    ASSERT_TRUE(client.ReadSrom(0x382C, value));
    EXPECT_EQ(value, 0xA5);
    // Another chip address gets no answer.
    Packet reply{};
    EXPECT_FALSE(client.Exchange({0x41, 0x50, 2, 1, 0x1E, 0xB0}, reply));
}

TEST(EmulatedRequests, CommandsGoThroughEitherTransferCodeOnPipeZero)
{
    EmulatedDriverPort port("");
    Client client(port);
    // The transfer thread sends its frame request with the read code; commands work the same way.
    ASSERT_TRUE(client.SendBytes({0x04, 53, 0, 30}, kRequestReadPipe));
    uint16_t value = 0;
    ASSERT_TRUE(client.ReadSensor(53, value));
    EXPECT_EQ(value, 30);
}

TEST(EmulatedRequests, BadRequestsFailCleanly)
{
    EmulatedDriverPort port("timing=fast");
    Client client(port);
    DriverHandle h = client.Handle();
    uint8_t buffer[64] = {0x06};
    uint32_t pipe = kPipeCommand, moved = 0;
    EXPECT_FALSE(port.Control(h, 0x222000, &pipe, 4, buffer, 64, &moved)) << "unknown code";
    EXPECT_FALSE(port.Control(h, kRequestWritePipe, nullptr, 4, buffer, 64, &moved)) << "no pipe";
    EXPECT_FALSE(port.Control(h, kRequestWritePipe, &pipe, 3, buffer, 64, &moved)) << "short pipe index";
    EXPECT_FALSE(port.Control(h, kRequestWritePipe, &pipe, 4, nullptr, 64, &moved)) << "no buffer";
    EXPECT_FALSE(port.Control(h, kRequestWritePipe, &pipe, 4, buffer, 0, &moved)) << "empty buffer";
    uint32_t badPipe = 3;
    EXPECT_FALSE(port.Control(h, kRequestWritePipe, &badPipe, 4, buffer, 64, &moved)) << "no such pipe";
    EXPECT_FALSE(port.Control(nullptr, kRequestWritePipe, &pipe, 4, buffer, 64, &moved)) << "no handle";
    EXPECT_TRUE(port.Control(h, kRequestWritePipe, &pipe, 4, buffer, 64, nullptr)) << "no count wanted";

    // The wait request needs {1, ms}.
    int32_t wait[2] = {2, 100};
    EXPECT_FALSE(port.Control(h, kRequestDriverWait, wait, sizeof(wait), nullptr, 0, &moved));
    EXPECT_FALSE(port.Control(h, kRequestDriverWait, wait, 4, nullptr, 0, &moved));

    // An image read of a huge stated length moves only the frame: the transfer length decides.
    ASSERT_TRUE(client.SendBytes({0x09, 100, 0, 0, 0}));
    std::vector<uint8_t> small(256, 0xCD);
    ASSERT_TRUE(client.SendBytes({0x02}));
    uint32_t image = kPipeImage;
    ASSERT_TRUE(port.Control(h, kRequestLargeRead, &image, 4, small.data(), 0xFFFFFFFF, &moved));
    EXPECT_EQ(moved, 100u);
    EXPECT_EQ(small[100], 0xCD);
    // The ordinary codes refuse image reads of 3,072,000 bytes or more.
    std::fill(small.begin(), small.end(), 0xCD);
    ASSERT_TRUE(client.SendBytes({0x02}));
    EXPECT_FALSE(port.Control(h, kRequestWritePipe, &image, 4, small.data(), 3072000, &moved));
    EXPECT_EQ(small[0], 0xCD);
}

// Random requests, packets and lengths (buffers as large as stated), then the camera still works.
TEST(EmulatedRequests, GarbageNeverCrashesAndTheCameraStillAnswers)
{
    // A virtual clock: garbage may switch the trigger on or set any driver wait.
    VirtualClockHost host;
    EmulatedDriverPort port("timing=fast;devices=0,1;short_read_at=3,5", host);
    std::mt19937 random(7);
    const uint32_t codes[] = {kRequestReadPipe, kRequestWritePipe, kRequestLargeRead, kRequestDriverWait,
                              0x222000, 0};
    std::vector<uint8_t> buffer(1 << 20);
    std::vector<DriverHandle> handles;
    for (int i = 0; i < 4000; ++i) {
        if (handles.empty() || random() % 50 == 0) {
            handles.push_back(port.Open(DevicePath(random() % 2 ? '0' : '1').c_str()));
            if (!handles.back())
                handles.pop_back();
            continue;
        }
        DriverHandle h = handles[random() % handles.size()];
        if (random() % 200 == 0) {
            port.Close(h);  // later requests on it must fail harmlessly
            continue;
        }
        uint8_t in[44];
        for (uint8_t& b : in)
            b = uint8_t(random());
        if (random() % 2) {
            in[0] %= 4;  // a pipe index or the wait tag
            in[1] = in[2] = in[3] = 0;
        }
        for (int j = 0; j < 64; ++j)
            buffer[j] = uint8_t(random());
        // Mostly packets that the camera knows, with random arguments.
        const uint8_t known[] = {0x01, 0x02, 0x04, 0x06, 0x09, 0x0A, 0x0C, 0x25, 0x26, 0x40, 0x41};
        if (random() % 4)
            buffer[0] = known[random() % sizeof(known)];
        // Small transfer lengths now and then, so image reads finish quickly.
        if (buffer[0] == 0x09 && random() % 2)
            buffer[3] = buffer[4] = 0;
        const uint32_t lengths[] = {0, 1, 63, 64, 65, 4096, uint32_t(buffer.size())};
        const uint32_t length = lengths[random() % 7];
        uint32_t moved = 0;
        const bool nullIn = random() % 20 == 0;
        const bool nullOut = random() % 20 == 0;
        port.Control(h, codes[random() % 6], nullIn ? nullptr : in, uint32_t(random() % 48), nullOut ? nullptr : buffer.data(),
                     length, &moved);
        ASSERT_LE(moved, length);
    }
    for (DriverHandle h : handles)
        port.Close(h);
    Client client(port);
    ASSERT_TRUE(client.SetDriverWait(3000));
    ASSERT_TRUE(client.WriteSensor(53, 14));
    uint16_t value = 0;
    ASSERT_TRUE(client.ReadSensor(53, value));
    EXPECT_EQ(value, 14);
    const Geometry g = client.ProgramWindow(0, 0, 64, 64, 0, false);
    std::vector<uint8_t> frame;
    for (int i = 0; i < 2; ++i) {
        uint32_t moved = 0;
        ASSERT_TRUE(client.ReadFrame(frame, g.transferPixels, &moved));
        EXPECT_EQ(moved, g.transferPixels);
    }
}

}  // namespace
