#include "emu_test_support.h"

#include <cstdio>
#include <filesystem>
#include <random>

namespace emutest {
namespace {
constexpr uint8_t kWriteSensor = 0x04;
constexpr uint8_t kSetTransferLength = 0x09;
constexpr uint8_t kSetSampleWidth = 0x0A;
constexpr uint8_t kReadSensor = 0x0C;
constexpr uint8_t kWriteControl = 0x25;
constexpr uint8_t kReadControl = 0x26;
constexpr uint8_t kSromRead = 0x41;
constexpr uint8_t kRequestFrame = 0x02;
constexpr uint8_t kArmTransfer = 0x01;
}  // namespace

int Divisor(int mode)
{
    switch (mode) {
    case 1:
    case 17: return 2;
    case 2:
    case 18: return 4;
    default: return 1;
    }
}

bool Client::Send(const Packet& packet, uint32_t code)
{
    uint32_t pipe = kPipeCommand;
    uint32_t moved = 0;
    Packet copy = packet;
    return port_.Control(handle_, code, &pipe, sizeof(pipe), copy.data(), kPacketBytes, &moved) &&
           moved == kPacketBytes;
}

bool Client::SendBytes(std::initializer_list<uint8_t> bytes, uint32_t code)
{
    Packet packet{};
    std::copy(bytes.begin(), bytes.end(), packet.begin());
    return Send(packet, code);
}

bool Client::ReadReply(Packet& reply)
{
    uint32_t pipe = kPipeReply;
    uint32_t moved = 0;
    return port_.Control(handle_, kRequestReadPipe, &pipe, sizeof(pipe), reply.data(), kPacketBytes, &moved) &&
           moved == kPacketBytes;
}

bool Client::Exchange(std::initializer_list<uint8_t> bytes, Packet& reply)
{
    if (!SendBytes(bytes))
        return false;
    ReadReply(reply);
    reply.fill(0xEE);
    return ReadReply(reply);
}

bool Client::WriteSensor(int reg, uint16_t value)
{
    return SendBytes({kWriteSensor, uint8_t(reg), uint8_t(value >> 8), uint8_t(value & 0xFF)});
}

bool Client::ReadSensor(int reg, uint16_t& value)
{
    Packet reply{};
    if (!Exchange({kReadSensor, uint8_t(reg)}, reply))
        return false;
    value = uint16_t(reply[0] << 8 | reply[1]);
    return true;
}

bool Client::WriteControl(int index, uint8_t value) { return SendBytes({kWriteControl, uint8_t(index), value}); }

bool Client::ReadControl(int index, uint8_t& value)
{
    Packet reply{};
    if (!Exchange({kReadControl, uint8_t(index)}, reply))
        return false;
    value = reply[0];
    return true;
}

bool Client::ReadSrom(uint16_t address, uint8_t& value)
{
    Packet reply{};
    if (!Exchange({kSromRead, 0x51, 2, 1, uint8_t(address >> 8), uint8_t(address & 0xFF)}, reply))
        return false;
    value = reply[0];
    return true;
}

bool Client::SetDriverWait(int32_t ms)
{
    uint8_t input[44] = {};
    const int32_t words[2] = {1, ms};
    std::memcpy(input, words, sizeof(words));
    uint32_t moved = 0;
    return port_.Control(handle_, kRequestDriverWait, input, sizeof(input), nullptr, 0, &moved);
}

Geometry Client::ProgramWindow(int x, int y, int w, int h, int mode, bool twoBytes)
{
    int code = 0;
    switch (mode) {
    case 1: code = 1; break;
    case 2: code = 3; break;
    case 17: code = 17; break;
    case 18: code = 19; break;
    default: code = 0; break;
    }
    const int d = Divisor(mode);
    // Rounding constants of the SDK's window programming, by divisor.
    int rowStart = 0, columnStart = 0, rowSize = 0, columnSize = 0;
    if (d == 1) {
        rowStart = (y + 21) & ~1;
        columnStart = (x + 33) & ~1;
        rowSize = ((h + 1) & ~1) - 1;
        columnSize = ((w + 1) & ~1) - 1;
    } else if (d == 2) {
        rowStart = (y + 23) & ~3;
        columnStart = (x + 35) & ~3;
        rowSize = ((h + 3) & ~3) - 1;
        columnSize = ((w + 3) & ~3) - 1;
    } else {
        rowStart = (y + 31) & ~7;
        columnStart = (x + 39) & ~7;
        rowSize = ((h + 7) & ~7) - 1;
        columnSize = ((w + 7) & ~7) - 1;
    }
    uint16_t rowMode = 0, columnMode = 0;
    ReadSensor(34, rowMode);
    ReadSensor(35, columnMode);
    rowMode = uint16_t((rowMode & 0xFFC8) + code);
    columnMode = uint16_t((columnMode & 0xFFC8) + code);

    Geometry g;
    g.lineWidth = w / d;
    g.lineCount = h / d;
    const uint32_t samples = uint32_t(g.lineWidth) * uint32_t(g.lineCount);
    g.transferPixels = (samples + 1023) / 1024 * 1024;

    SendBytes({kSetSampleWidth, 1});
    WriteControl(14, twoBytes ? 1 : 0);
    SendBytes({kSetTransferLength, uint8_t(g.transferPixels), uint8_t(g.transferPixels >> 8),
               uint8_t(g.transferPixels >> 16), uint8_t(g.transferPixels >> 24)});
    WriteSensor(1, uint16_t(rowStart));
    WriteSensor(2, uint16_t(columnStart));
    WriteSensor(3, uint16_t(rowSize));
    WriteSensor(4, uint16_t(columnSize));
    WriteSensor(5, 21);
    WriteSensor(6, 90);
    WriteSensor(34, rowMode);
    WriteSensor(35, columnMode);
    for (int i = 0; i < 4; ++i)
        WriteControl(i, uint8_t(g.transferPixels >> (8 * i)));
    return g;
}

bool Client::ReadFrame(std::vector<uint8_t>& buffer, uint32_t bytes, uint32_t* moved)
{
    if (buffer.size() < bytes)
        buffer.resize(bytes);
    SendBytes({kArmTransfer});
    SendBytes({kRequestFrame});
    uint32_t pipe = kPipeImage;
    uint32_t count = 0;
    const uint32_t code = bytes >= 3072000 ? kRequestLargeRead : kRequestWritePipe;
    const bool ok = port_.Control(handle_, code, &pipe, sizeof(pipe), buffer.data(), bytes, &count);
    if (moved)
        *moved = count;
    return ok;
}

RawFile::RawFile(uint32_t seed) : samples_(size_t(kColumns) * kRows)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(samples_.size() * 2);
    for (size_t i = 0; i < samples_.size(); ++i) {
        // Stray upper bits in the file must not reach the samples.
        const uint16_t word = uint16_t(random());
        samples_[i] = word & 0x3FF;
        bytes[2 * i] = uint8_t(word & 0xFF);
        bytes[2 * i + 1] = uint8_t(word >> 8);
    }
    path_ = (std::filesystem::temp_directory_path() / ("velmor-emu-raw-" + std::to_string(seed) + ".raw")).string();
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

RawFile::~RawFile() { std::remove(path_.c_str()); }

}  // namespace emutest
