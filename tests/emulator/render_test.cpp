// The frame renderer against a plain reference: every delivered sample computed from its array
// sites, exactly as the camera streams it, for every source, sample width, window, sub-sampling
// and binning mode and gain setting, over consecutive frames through one renderer (so that
// whatever it keeps from frame to frame must follow register and source changes).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "emu_test_support.h"
#include "emulator/sensor_model.h"

namespace {

using emu::FrameRenderer;
using emu::RegisterFile;
using emu::SourceKind;
namespace reg = emu::reg;

constexpr int kColumns = emutest::kColumns;
constexpr int kRows = emutest::kRows;
constexpr int kBlockSize = 8;  // frame-number blocks: 8 × 8 delivered samples a bit
constexpr int kNumberBits = 32;

// The array as the source shows it in one frame, row-major.
std::vector<uint16_t> ArrayImage(const FrameRenderer::Source& source, uint32_t frame)
{
    std::vector<uint16_t> image(size_t(kColumns) * kRows);
    uint16_t* samples = image.data();
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            uint16_t& v = samples[size_t(row) * kColumns + column];
            if (source.kind == SourceKind::Flat)
                v = std::min<uint16_t>(source.flatValue, 1023);
            else if (source.kind == SourceKind::Raw)
                v = source.raw[size_t(row) * kColumns + column];
            else
                v = emu::BarsSample(row, column, frame);
        }
    }
    return image;
}

// The delivered rows of one frame: each delivered sample averages its same-colour array sites
// (sites outside the array read 0, the average truncates), is scaled by exposure/1561 and the
// site's and the global gain /14, clipped at 1023; bars then carry the frame number in 8 × 8 blocks.
std::vector<uint8_t> ReferenceRows(const std::vector<uint16_t>& image, bool bars, const RegisterFile& regs,
                                   uint32_t frame)
{
    const emu::SensorWindow w = emu::DecodeWindow(regs);
    const uint16_t* samples = image.data();
    auto at = [samples](int64_t row, int64_t column) -> uint32_t {
        if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
            return 0;
        return samples[size_t(row) * kColumns + size_t(column)];
    };
    const int gainOfSite[4] = {reg::kGainGreen1, reg::kGainRed, reg::kGainBlue, reg::kGainGreen2};
    uint64_t scale[4];
    for (int site = 0; site < 4; ++site)
        scale[site] = uint64_t(regs.sensor[reg::kExposure]) * (regs.sensor[gainOfSite[site]] & 0x7F) *
                      (regs.sensor[reg::kGlobalGain] & 0x7F);
    // Plain pointers in the loops: the sanitizer build runs without optimisation.
    std::vector<uint16_t> delivered(size_t(w.deliveredRows) * w.deliveredColumns);
    uint16_t* out = delivered.data();
    for (uint32_t r = 0; r < w.deliveredRows; ++r) {
        const int64_t row = w.firstRow + int64_t(r / 2) * 2 * w.rowStep + r % 2;
        for (uint32_t c = 0; c < w.deliveredColumns; ++c) {
            const int64_t column = w.firstColumn + int64_t(c / 2) * 2 * w.columnStep + c % 2;
            uint32_t sum = 0;
            for (uint32_t j = 0; j < w.rowBin; ++j)
                for (uint32_t i = 0; i < w.columnBin; ++i)
                    sum += at(row + 2 * j, column + 2 * i);
            const int site = int((row & 1) << 1 | (column & 1));
            const uint64_t average = sum / (w.rowBin * w.columnBin);
            *out++ = uint16_t(std::min<uint64_t>(average * scale[site] / (1561 * 14 * 14), 1023));
        }
    }
    if (bars && w.deliveredRows >= uint32_t(kBlockSize)) {
        for (int bit = 0; bit < kNumberBits; ++bit) {
            if (uint32_t(kBlockSize * (bit + 1)) > w.deliveredColumns)
                break;
            const uint16_t v = (frame >> (kNumberBits - 1 - bit)) & 1 ? 1023 : 0;
            for (int r = 0; r < kBlockSize; ++r)
                for (int c = kBlockSize * bit; c < kBlockSize * (bit + 1); ++c)
                    delivered[size_t(r) * w.deliveredColumns + c] = v;
        }
    }
    const size_t count = delivered.size();
    std::vector<uint8_t> rows(count * (regs.twoByteSamples ? 2 : 1));
    uint8_t* bytes = rows.data();
    for (size_t i = 0; i < count; ++i) {
        const uint16_t v = delivered.data()[i];
        if (regs.twoByteSamples) {
            bytes[2 * i] = uint8_t(v & 0xFF);
            bytes[2 * i + 1] = uint8_t(v >> 8);
        } else {
            bytes[i] = uint8_t(v >> 2);
        }
    }
    return rows;
}

// Register values of a window: start, size − 1 and address mode (skip code in bits 0..2, bin
// code in bits 4..5) for rows and columns. Array row 0 is register value 20, column 0 is 32.
struct WindowRegs {
    uint16_t rowStart, columnStart, rowSize, columnSize, rowMode, columnMode;
};

const WindowRegs kWindows[] = {
    {20, 32, 1535, 2047, 0, 0},            // full, no sub-sampling
    {84, 65, 600, 998, 0, 0},              // offset, odd column start (colours swap), odd sizes
    {532, 32, 99, 299, 0, 0},              // starts on the moving square's rows
    {20, 32, 1535, 2047, 0x01, 0x01},      // skip 2
    {28, 48, 1023, 1535, 0x03, 0x03},      // skip 4, offset
    {20, 32, 1535, 2047, 0x11, 0x11},      // bin 2
    {24, 32, 1535, 2047, 0x33, 0x33},      // bin 4
    {24, 32, 1200, 1700, 0x02, 0x11},      // skip 3 on rows, bin 2 on columns
    {32, 32, 1535, 2047, 0x37, 0x27},      // skip 8 with bin 4 and bin 3
    {20, 32, 800, 900, 0x30, 0x20},        // bin codes above the skip code: no binning
    {0, 0, 1535, 2047, 0x00, 0x11},        // starts before the array: sites outside read 0
    {1550, 2072, 1535, 2047, 0x00, 0x00},  // runs past the array's end
    {35, 33, 400, 513, 0x11, 0x11},        // binning from odd starts
    {20, 32, 1, 1, 0, 0},                  // 2 × 2
    {20, 32, 4, 99, 0, 0},                 // 5 rows × 100 columns: no room for the blocks
    {20, 32, 63, 100, 0, 0},               // 101 columns: only the blocks that fit
};

// Exposure, Green1, Red, Blue, Green2 and global gain; bit 7 of a gain is not part of it.
struct GainRegs {
    uint16_t exposure, green1, red, blue, green2, global;
};

const GainRegs kGains[] = {
    {1561, 14, 14, 14, 14, 14},
    {1000, 20, 31, 9, 14, 0x80 | 17},
    {3000, 14, 127, 1, 40, 25},  // clips
};

RegisterFile Registers(const WindowRegs& w, const GainRegs& g, bool twoBytes)
{
    RegisterFile regs;
    regs.Reset();
    regs.sensor[reg::kRowStart] = w.rowStart;
    regs.sensor[reg::kColumnStart] = w.columnStart;
    regs.sensor[reg::kRowSize] = w.rowSize;
    regs.sensor[reg::kColumnSize] = w.columnSize;
    regs.sensor[reg::kRowAddressMode] = w.rowMode;
    regs.sensor[reg::kColumnAddressMode] = w.columnMode;
    regs.sensor[reg::kExposure] = g.exposure;
    regs.sensor[reg::kGainGreen1] = g.green1;
    regs.sensor[reg::kGainRed] = g.red;
    regs.sensor[reg::kGainBlue] = g.blue;
    regs.sensor[reg::kGainGreen2] = g.green2;
    regs.sensor[reg::kGlobalGain] = g.global;
    regs.twoByteSamples = twoBytes;
    return regs;
}

uint64_t StreamBytes(const RegisterFile& regs)
{
    const emu::SensorWindow w = emu::DecodeWindow(regs);
    return uint64_t(w.deliveredRows) * w.deliveredColumns * (regs.twoByteSamples ? 2 : 1);
}

// The process's host, except that it has no memory to give.
class NoMemoryHost final : public emutest::ForwardingHost {
public:
    void* Allocate(size_t) override { return nullptr; }
};

class RenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        raw_ = new std::vector<uint16_t>(size_t(kColumns) * kRows);
        std::mt19937 random(5);
        for (uint16_t& v : *raw_)
            v = uint16_t(random() & 0x3FF);
    }
    static void TearDownTestSuite()
    {
        delete raw_;
        raw_ = nullptr;
    }

    std::vector<uint8_t> Reference(const FrameRenderer::Source& source, const RegisterFile& regs, uint32_t frame)
    {
        return ReferenceRows(Image(source, frame), source.kind == SourceKind::Bars, regs, frame);
    }

    // Renders `frame` into a buffer with guard bytes and compares it with the reference rows: a
    // read of `bytes` bytes ends inside them or goes on with zero filler.
    void Check(const FrameRenderer::Source& source, const RegisterFile& regs, uint32_t frame, uint64_t bytes,
               const std::vector<uint8_t>& want)
    {
        constexpr uint8_t kGuard = 0xCD;
        std::vector<uint8_t> got(bytes + 64, kGuard);
        renderer_->Render(source, regs, frame, got.data(), bytes);
        const emu::SensorWindow w = emu::DecodeWindow(regs);
        const uint64_t rowBytes = uint64_t(w.deliveredColumns) * (regs.twoByteSamples ? 2 : 1);
        const uint8_t* g = got.data();
        const uint8_t* r = want.data();
        const uint64_t rowsBytes = want.size();
        for (uint64_t i = 0; i < bytes; ++i) {
            const uint8_t expected = i < rowsBytes ? r[i] : 0;
            if (g[i] != expected) {
                ADD_FAILURE() << "frame " << frame << ": first difference at byte " << i << " (row " << i / rowBytes
                              << ", byte " << i % rowBytes << "): " << int(g[i]) << " instead of " << int(expected);
                return;
            }
        }
        for (uint64_t i = bytes; i < got.size(); ++i)
            ASSERT_EQ(got[i], kGuard) << "byte " << i << " written beyond the read";
    }
    void Check(const FrameRenderer::Source& source, const RegisterFile& regs, uint32_t frame, uint64_t bytes)
    {
        Check(source, regs, frame, bytes, Reference(source, regs, frame));
    }

    // Array images are dear to make: the last few are kept.
    const std::vector<uint16_t>& Image(const FrameRenderer::Source& source, uint32_t frame)
    {
        const uint32_t shown = source.kind == SourceKind::Bars ? frame : 0;
        const auto key = std::make_tuple(int(source.kind), source.flatValue, shown);
        auto found = images_.find(key);
        if (found != images_.end())
            return found->second;
        if (images_.size() >= 4)
            images_.clear();
        return images_.emplace(key, ArrayImage(source, frame)).first->second;
    }

    static std::vector<uint16_t>* raw_;
    std::map<std::tuple<int, uint16_t, uint32_t>, std::vector<uint16_t>> images_;
    std::unique_ptr<FrameRenderer> renderer_ = std::make_unique<FrameRenderer>(emu::ProcessEmuHost());
};
std::vector<uint16_t>* RenderTest::raw_ = nullptr;

TEST_F(RenderTest, EverySourceWindowModeAndGainMatchesTheReference)
{
    const FrameRenderer::Source sources[] = {
        {SourceKind::Bars, 0, nullptr}, {SourceKind::Flat, 700, nullptr}, {SourceKind::Raw, 0, raw_->data()}};
    const uint32_t frames[] = {0, 1, 0xDEADBEEF, 0x80000001};
    int index = 0;
    for (const FrameRenderer::Source& source : sources) {
        for (const WindowRegs& window : kWindows) {
            for (bool twoBytes : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "source " << int(source.kind) << ", window " << window.rowStart
                                                  << "," << window.columnStart << " " << window.rowSize + 1 << "x"
                                                  << window.columnSize + 1 << " modes " << window.rowMode << "/"
                                                  << window.columnMode << (twoBytes ? ", 16-bit" : ", 8-bit"));
                const RegisterFile regs = Registers(window, kGains[index % 3], twoBytes);
                // Whole streams, short reads that end inside a sample, and zero filler after the frame.
                const uint64_t stream = StreamBytes(regs);
                const uint64_t bytes[] = {stream, stream / 2 + 1, stream + 1000};
                // Two consecutive frames of the same set-up, the second on what the first left;
                // only bars differ from frame to frame.
                const uint32_t first = frames[index % 4], second = frames[(index + 1) % 4];
                const std::vector<uint8_t> want = Reference(source, regs, first);
                Check(source, regs, first, bytes[index % 3], want);
                if (source.kind == SourceKind::Bars)
                    Check(source, regs, second, bytes[(index + 1) % 3]);
                else
                    Check(source, regs, second, bytes[(index + 1) % 3], want);
                ++index;
            }
        }
    }
}

TEST_F(RenderTest, EachRegisterAndSourceChangeReachesTheNextFrame)
{
    RegisterFile regs = Registers(kWindows[0], kGains[0], true);
    const uint64_t bytes = StreamBytes(regs);
    FrameRenderer::Source flat{SourceKind::Flat, 300, nullptr};
    Check(flat, regs, 0, bytes);
    flat.flatValue = 301;
    Check(flat, regs, 1, bytes);
    const FrameRenderer::Source raw{SourceKind::Raw, 0, raw_->data()};
    Check(raw, regs, 2, bytes);
    // Registers that change the stream, one at a time, each for one frame.
    const std::pair<int, uint16_t> changes[] = {{reg::kGlobalGain, 15}, {reg::kGainGreen2, 13}, {reg::kExposure, 1560},
                                                {reg::kColumnStart, 34}, {reg::kRowSize, 1533},
                                                {reg::kRowAddressMode, 0x01}};
    for (auto [index, value] : changes) {
        SCOPED_TRACE(::testing::Message() << "register " << index << " = " << value);
        regs.sensor[index] = value;
        Check(raw, regs, 3, bytes);
    }
    regs.twoByteSamples = false;
    Check(raw, regs, 4, bytes);
    Check({SourceKind::Bars, 0, nullptr}, regs, 5, bytes);
    Check(raw, regs, 6, bytes);
}

TEST_F(RenderTest, WithoutMemoryToKeepTheStreamFramesGoStraightOut)
{
    NoMemoryHost host;
    renderer_ = std::make_unique<FrameRenderer>(host);
    const FrameRenderer::Source bars{SourceKind::Bars, 0, nullptr};
    const RegisterFile regs = Registers(kWindows[2], kGains[1], true);
    const uint64_t stream = StreamBytes(regs);
    Check(bars, regs, 0, stream);
    Check(bars, regs, 0xDEADBEEF, stream / 2 + 1);
    Check(bars, regs, 7, stream + 1000);
    renderer_.reset();
}

}  // namespace
