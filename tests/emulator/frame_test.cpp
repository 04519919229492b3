// Image data on the image pipe: the window, sub-sampling and binning the SDK programs, one- and
// two-byte samples, gains and exposure, the test pattern and the frame number it carries.
#include <gtest/gtest.h>

#include <vector>

#include "emu_test_support.h"
#include "emulator/frame_number.h"
#include "emulator/sensor_model.h"

using namespace emutest;

namespace {

struct Window {
    int x, y, w, h, mode;
};

bool IsBinning(int mode) { return mode == 17 || mode == 18; }

// The window the SDK asked for, straight from the raw samples: pairs of rows and columns kept out of
// every 2 × d; binning averages the four same-colour samples of a pair of pairs (truncating).
std::vector<uint16_t> ReferenceWindow(const RawFile& raw, const Window& win)
{
    const int d = Divisor(win.mode);
    const int width = win.w / d;
    const int height = win.h / d;
    std::vector<uint16_t> out;
    out.reserve(size_t(width) * height);
    for (int r = 0; r < height; ++r) {
        const int row = win.y + (r / 2) * 2 * d + r % 2;
        for (int c = 0; c < width; ++c) {
            const int column = win.x + (c / 2) * 2 * d + c % 2;
            if (IsBinning(win.mode)) {
                const int sum = raw.At(row, column) + raw.At(row, column + 2) + raw.At(row + 2, column) +
                                raw.At(row + 2, column + 2);
                out.push_back(uint16_t(sum / 4));
            } else {
                out.push_back(raw.At(row, column));
            }
        }
    }
    return out;
}

class RawWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { raw_ = new RawFile(20240611); }
    static void TearDownTestSuite()
    {
        delete raw_;
        raw_ = nullptr;
    }

    // Reads one frame of `win` and checks the SDK's window copy of it against the reference.
    void CheckWindow(const Window& win, bool twoBytes)
    {
        SCOPED_TRACE(::testing::Message() << "window " << win.x << "," << win.y << " " << win.w << "x" << win.h
                                          << " mode " << win.mode << (twoBytes ? " 16-bit" : " 8-bit"));
        EmulatedDriverPort port(("timing=fast;source=raw:" + raw_->Path()).c_str());
        ASSERT_EQ(port.IgnoredItems(), 0u);
        Client client(port);
        ASSERT_NE(client.Handle(), nullptr);
        const Geometry g = client.ProgramWindow(win.x, win.y, win.w, win.h, win.mode, twoBytes);
        const uint32_t b = twoBytes ? 2 : 1;
        const uint32_t bytes = g.transferPixels * b;
        std::vector<uint8_t> frame(bytes + 16, 0xCD);
        uint32_t moved = 0;
        ASSERT_TRUE(client.ReadFrame(frame, bytes, &moved));
        ASSERT_EQ(moved, bytes);

        // The SDK's geometry for a window has no offsets and width = line width: the delivered
        // window is the first lineWidth × lineCount samples.
        const std::vector<uint16_t> expected = ReferenceWindow(*raw_, win);
        ASSERT_EQ(expected.size(), size_t(g.lineWidth) * g.lineCount);
        size_t mismatches = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const uint16_t got = twoBytes ? uint16_t(frame[2 * i] | frame[2 * i + 1] << 8) : frame[i];
            const uint16_t want = twoBytes ? expected[i] : uint16_t(expected[i] >> 2);
            if (got != want && mismatches++ < 5)
                ADD_FAILURE() << "sample " << i << " (row " << i / g.lineWidth << ", column " << i % g.lineWidth
                              << "): " << got << " instead of " << want;
        }
        EXPECT_EQ(mismatches, 0u);
        // Past the window only delivered rows beyond h/d or zero filler; past the read nothing.
        for (uint32_t i = bytes; i < frame.size(); ++i)
            ASSERT_EQ(frame[i], 0xCD) << "byte " << i << " written beyond the read";
    }

    static RawFile* raw_;
};
RawFile* RawWindowTest::raw_ = nullptr;

TEST_F(RawWindowTest, FullFramesInEveryModeAndSampleWidth)
{
    for (int mode : {0, 1, 2, 17, 18})
        for (bool twoBytes : {false, true})
            CheckWindow({0, 0, 2048, 1536, mode}, twoBytes);
}

TEST_F(RawWindowTest, OffsetWindowsInEveryMode)
{
    const Window windows[] = {
        {64, 32, 1000, 601, 0}, {10, 20, 200, 100, 3}, {2046, 1534, 2, 2, 0},   {128, 64, 1024, 768, 1},
        {256, 128, 512, 384, 2}, {100, 60, 800, 600, 17}, {512, 256, 1024, 512, 18}, {1536, 1024, 512, 512, 18},
    };
    for (const Window& win : windows)
        for (bool twoBytes : {false, true})
            CheckWindow(win, twoBytes);
}

TEST(FrameStream, FillerAfterTheWindowIsZeroAndTheReadEndsWithTheFrame)
{
    EmulatedDriverPort port("timing=fast;source=flat:1023");
    Client client(port);
    const Geometry g = client.ProgramWindow(0, 0, 100, 30, 0, false);  // 3000 samples → 3072
    ASSERT_EQ(g.transferPixels, 3072u);
    std::vector<uint8_t> frame(8192, 0xCD);
    uint32_t moved = 0;
    // Asking for more than the transfer length moves the frame only.
    ASSERT_TRUE(client.ReadFrame(frame, 8192, &moved));
    ASSERT_EQ(moved, 3072u);
    for (uint32_t i = 0; i < 3000; ++i)
        ASSERT_EQ(frame[i], 0xFF) << i;
    for (uint32_t i = 3000; i < 3072; ++i)
        ASSERT_EQ(frame[i], 0) << i;
    for (uint32_t i = 3072; i < frame.size(); ++i)
        ASSERT_EQ(frame[i], 0xCD) << i;
}

// Samples of one colour site in the 16-bit frame of a full window: site 0 Green1, 1 Red, 2 Blue, 3 Green2.
uint16_t SiteSample(const std::vector<uint8_t>& frame, int site)
{
    const size_t row = site / 2;
    const size_t column = site % 2;
    const size_t i = row * kColumns + column + 2 * kColumns * 10 + 40;  // any even row/column offset
    return uint16_t(frame[2 * i] | frame[2 * i + 1] << 8);
}

TEST(FrameSignal, ExposureAndGainsScaleEachSiteAndClip)
{
    EmulatedDriverPort port("timing=fast;source=flat:400");
    Client client(port);
    const Geometry g = client.ProgramWindow(0, 0, 2048, 1536, 0, true);
    std::vector<uint8_t> frame;
    const uint32_t bytes = g.transferPixels * 2;
    auto sites = [&] {
        EXPECT_TRUE(client.ReadFrame(frame, bytes));
        return std::vector<uint16_t>{SiteSample(frame, 0), SiteSample(frame, 1), SiteSample(frame, 2),
                                     SiteSample(frame, 3)};
    };
    EXPECT_EQ(sites(), (std::vector<uint16_t>{400, 400, 400, 400})) << "neutral at the defaults";

    ASSERT_TRUE(client.WriteSensor(45, 28));  // red gain ×2
    ASSERT_TRUE(client.WriteSensor(44, 7));   // blue gain ×½
    EXPECT_EQ(sites(), (std::vector<uint16_t>{400, 800, 200, 400}));

    ASSERT_TRUE(client.WriteSensor(53, 21));  // global gain ×1.5 on top; colour registers unchanged
    uint16_t red = 0;
    ASSERT_TRUE(client.ReadSensor(45, red));
    EXPECT_EQ(red, 28);
    EXPECT_EQ(sites(), (std::vector<uint16_t>{600, 1023, 300, 600})) << "red clips at 1023";

    ASSERT_TRUE(client.WriteSensor(53, 14));
    ASSERT_TRUE(client.WriteSensor(9, 1561 / 2 + 1));  // 781 lines: 400 × 781 / 1561 = 200.1
    EXPECT_EQ(sites(), (std::vector<uint16_t>{200, 400, 100, 200}));

    // One-byte samples are the top 8 bits of the same signal.
    ASSERT_TRUE(client.WriteControl(14, 0));
    ASSERT_TRUE(client.ReadFrame(frame, g.transferPixels));
    EXPECT_EQ(frame[0], 200 >> 2);
    EXPECT_EQ(frame[1], 400 >> 2);
    EXPECT_EQ(frame[kColumns], 100 >> 2);
}

TEST(FrameSignal, SampleWidthFollowsTheLastOfCommandAndControlRegister)
{
    EmulatedDriverPort port("timing=fast;source=flat:513");
    Client client(port);
    std::vector<uint8_t> frame;
    uint32_t moved = 0;
    const uint32_t samples = 2048 * 1536;
    // The SDK's model sends 0x0A with 1 and then decides with controller register 14.
    ASSERT_TRUE(client.SendBytes({0x0A, 1}));
    ASSERT_TRUE(client.WriteControl(14, 0));
    ASSERT_TRUE(client.ReadFrame(frame, samples * 2, &moved));
    EXPECT_EQ(moved, samples);
    EXPECT_EQ(frame[0], 513 >> 2);
    ASSERT_TRUE(client.WriteControl(14, 1));
    ASSERT_TRUE(client.ReadFrame(frame, samples * 2, &moved));
    EXPECT_EQ(moved, samples * 2);
    EXPECT_EQ(frame[0] | frame[1] << 8, 513);
    ASSERT_TRUE(client.SendBytes({0x0A, 0}));  // the base form of the command alone
    ASSERT_TRUE(client.ReadFrame(frame, samples * 2, &moved));
    EXPECT_EQ(moved, samples);
}

bool InFrameNumberBlocks(int row, int column)
{
    return row < emu::kFrameNumberBlock && column < emu::kFrameNumberColumns;
}

TEST(FrameSignal, BarsShowThePatternWithAMovingSquareAndDefects)
{
    EmulatedDriverPort port("timing=fast");  // bars is the default source
    Client client(port);
    const Geometry g = client.ProgramWindow(0, 0, 2048, 1536, 0, true);
    std::vector<uint8_t> first, second;
    ASSERT_TRUE(client.ReadFrame(first, g.transferPixels * 2));
    ASSERT_TRUE(client.ReadFrame(second, g.transferPixels * 2));
    auto at = [](const std::vector<uint8_t>& f, int row, int column) {
        const size_t i = size_t(row) * kColumns + column;
        return uint16_t(f[2 * i] | f[2 * i + 1] << 8);
    };
    size_t differing = 0, hot = 0, dead = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            if (InFrameNumberBlocks(row, column))
                continue;  // the frame number, checked by the FrameNumber and RenderTest tests
            const uint16_t v = at(first, row, column);
            ASSERT_EQ(v, emu::BarsSample(row, column, 0)) << row << "," << column;
            differing += v != at(second, row, column);
            hot += v == 1023;
            dead += v == 0 && column < 256 && row < 1152;  // inside the white bar
        }
    }
    EXPECT_GT(differing, 0u) << "the square moves from frame to frame";
    EXPECT_GT(hot, 0u);
    EXPECT_GT(dead, 0u);
    // White bar: every colour site lit; red bar: only red sites.
    EXPECT_EQ(at(first, 300, 10), at(first, 301, 11));
    EXPECT_GT(at(first, 300, 5 * 256 + 1), 0);
    EXPECT_EQ(at(first, 300, 5 * 256), 0);
}

// The frame number of a delivered frame of `g`, as a viewer reads it; -1 when it holds none.
int64_t FrameNumberOf(const std::vector<uint8_t>& frame, const Geometry& g, bool twoBytes)
{
    const int b = twoBytes ? 2 : 1;
    uint32_t number = 0;
    if (!DecodeFrameNumber(frame.data(), g.lineWidth * b, b, g.lineWidth, g.lineCount, &number))
        return -1;
    return number;
}

TEST(FrameNumber, BarsCountImageTransfersWhateverTheWindowAndSampleWidth)
{
    EmulatedDriverPort port("timing=fast");
    Client client(port);
    const struct {
        Window win;
        bool twoBytes;
    } reads[] = {{{0, 0, 2048, 1536, 0}, true},     {{0, 0, 2048, 1536, 0}, false}, {{64, 32, 1000, 601, 0}, true},
                 {{0, 0, 2048, 1536, 1}, false},    {{128, 64, 1024, 768, 2}, true}, {{100, 60, 800, 600, 17}, true},
                 {{512, 256, 1024, 512, 18}, false}, {{0, 512, 300, 16, 0}, true}};
    std::vector<uint8_t> frame;
    int64_t expected = 0;
    for (const auto& read : reads) {
        const Geometry g =
            client.ProgramWindow(read.win.x, read.win.y, read.win.w, read.win.h, read.win.mode, read.twoBytes);
        ASSERT_TRUE(client.ReadFrame(frame, g.transferPixels * (read.twoBytes ? 2 : 1)));
        EXPECT_EQ(FrameNumberOf(frame, g, read.twoBytes), expected++)
            << "window " << read.win.x << "," << read.win.y << " " << read.win.w << "x" << read.win.h << " mode "
            << read.win.mode;
    }
}

TEST(FrameNumber, DecoderReadsTheCentreSampleOfEachBlockAgainstHalfScale)
{
    // A 256 × 8 frame with row padding; only the block centres (row 4, columns 8k + 4) are set.
    constexpr int kWidth = 256, kHeight = 8, kPad = 6;
    for (int b : {1, 2}) {
        const int stride = kWidth * b + kPad;
        std::vector<uint8_t> frame(size_t(stride) * kHeight, 0);
        const uint32_t number = 0xA5C3F00Fu;
        for (int k = 0; k < 32; ++k) {
            uint8_t* p = frame.data() + 4 * stride + (8 * k + 4) * b;
            const bool one = (number >> (31 - k)) & 1;
            if (b == 1) {
                p[0] = one ? 0x80 : 0x7F;
            } else {  // bits above the tenth are not part of the sample
                const uint16_t v = one ? 0x200 : 0xFDFF;
                p[0] = uint8_t(v & 0xFF);
                p[1] = uint8_t(v >> 8);
            }
        }
        uint32_t got = 0;
        ASSERT_TRUE(DecodeFrameNumber(frame.data(), stride, b, kWidth, kHeight, &got)) << b;
        EXPECT_EQ(got, number) << b;
        EXPECT_FALSE(DecodeFrameNumber(frame.data(), stride, b, kWidth - 1, kHeight, &got));
        EXPECT_FALSE(DecodeFrameNumber(frame.data(), stride, b, kWidth, kHeight - 1, &got));
    }
    uint32_t got = 0;
    const uint8_t one[1] = {};
    EXPECT_FALSE(DecodeFrameNumber(one, 256, 3, 256, 8, &got));
    EXPECT_FALSE(DecodeFrameNumber(nullptr, 256, 1, 256, 8, &got));
}

}  // namespace
