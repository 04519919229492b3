// The viewer's frame readers, geometry and command line, on hand-made frames: padded rows, every
// sample width, and the edges where an off-by-one shows.
#include "frame_number.h"
#include "geometry.h"
#include "histogram.h"
#include "options.h"
#include "pixel_probe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace viewer;

namespace {

// A frame of one format filled with `value` in every channel, padding bytes set to 0xFF so that
// a reader that strays into them sees full scale.
struct TestFrame {
    TestFrame(int width, int height, int bits, int value) : ref{nullptr, width, height, bits}
    {
        bytes.assign(ref.Bytes(), 0xFF);
        ref.data = bytes.data();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < bits / (FrameRef::WideSamples(bits) ? 16 : 8); ++c)
                    Set(x, y, c, value);
    }
    void Set(int x, int y, int c, int value)
    {
        const bool wide = FrameRef::WideSamples(ref.bitsPerPixel);
        std::uint8_t* p = bytes.data() + size_t(y) * ref.Stride() + size_t(x) * (ref.bitsPerPixel / 8) + c * (wide ? 2 : 1);
        p[0] = std::uint8_t(value);
        if (wide)
            p[1] = std::uint8_t(value >> 8);
    }
    // The camera's frame-number blocks, bit k in columns 8k..8k+7 of rows 0..7.
    void WriteNumber(std::uint32_t number)
    {
        const int full = FrameRef::SampleMax(ref.bitsPerPixel);
        const int channels = FrameRef::Channels(ref.bitsPerPixel);
        for (int k = 0; k < 32; ++k)
            for (int y = 0; y < 8; ++y)
                for (int x = 8 * k; x < 8 * k + 8; ++x)
                    for (int c = 0; c < channels; ++c)
                        Set(x, y, c, (number >> (31 - k)) & 1 ? full : 0);
    }
    std::vector<std::uint8_t> bytes;
    FrameRef ref;
};

}  // namespace

TEST(FrameNumber, ReadInEveryFormatWithPaddedRows)
{
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        TestFrame frame(259, 9, bits, 0);  // 259 columns: rows of 24 and 48 bits need padding
        frame.WriteNumber(0x80000001u);
        EXPECT_EQ(DecodeFrameNumber(frame.ref), 0x80000001u);
        frame.WriteNumber(0x12345678u);
        EXPECT_EQ(DecodeFrameNumber(frame.ref), 0x12345678u);
    }
}

TEST(FrameNumber, NoNumberInAFrameTooSmallToHoldIt)
{
    EXPECT_FALSE(DecodeFrameNumber(TestFrame(255, 8, 8, 0).ref));
    EXPECT_FALSE(DecodeFrameNumber(TestFrame(256, 7, 8, 0).ref));
    EXPECT_TRUE(DecodeFrameNumber(TestFrame(256, 8, 8, 0).ref));
    EXPECT_FALSE(DecodeFrameNumber(FrameRef{}));
}

TEST(MissedFrames, GapsCountAndAReplugStartsOver)
{
    MissedFrameCounter counter;
    counter.Add(std::nullopt);
    EXPECT_FALSE(counter.Missed());  // shown as "-"
    for (std::uint32_t n : {5u, 6u, 9u, 9u, 10u})
        counter.Add(n);
    EXPECT_EQ(counter.Missed(), 2u);
    for (std::uint32_t n : {0u, 1u, 4u})  // the camera came back and counts from 0
        counter.Add(n);
    EXPECT_EQ(counter.Missed(), 4u);
    counter.Add(0xFFFFFF00u);  // misread from a torn frame: no four billion misses
    counter.Add(0xFFFFFF02u);
    EXPECT_EQ(counter.Missed(), 5u);
}

TEST(Histogram, BinsByTopEightBitsAndCountsClippingPerChannel)
{
    const Histogram gray10 = ComputeHistogram(TestFrame(101, 37, 16, 1022).ref);
    EXPECT_EQ(gray10.channels, 1);
    EXPECT_EQ(gray10.bins[0][1022 >> 2], gray10.samples);
    EXPECT_EQ(gray10.clipped, 0u);  // padding bytes at 0xFF are not samples

    TestFrame colour(101, 37, 24, 10);
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 101; ++x)
            colour.Set(x, y, 2, 255);  // red at full scale
    const Histogram h = ComputeHistogram(colour.ref, 101 * 37);
    EXPECT_EQ(h.channels, 3);
    EXPECT_EQ(h.samples, 101u * 37u);  // every pixel once when the target covers the frame
    EXPECT_EQ(h.bins[0][10], h.samples);
    EXPECT_EQ(h.bins[2][255], h.samples);
    EXPECT_NEAR(h.ClippedShare(), 1.0 / 3, 1e-9);
    EXPECT_GT(h.ClippedShare(), kClippingShare);
}

TEST(Histogram, ReadsAboutTheTargetCountSpreadOverTheFrame)
{
    const TestFrame frame(2048, 1536, 8, 0);
    const Histogram h = ComputeHistogram(frame.ref, kHistogramPixels);
    EXPECT_GT(h.samples, std::uint32_t(kHistogramPixels * 0.7));
    EXPECT_LT(h.samples, std::uint32_t(kHistogramPixels * 1.3));
}

TEST(PixelProbe, ValuesInTheFormatsOwnBits)
{
    TestFrame wide(3, 2, 64, 0);
    wide.Set(2, 1, 0, 1);
    wide.Set(2, 1, 1, 2);
    wide.Set(2, 1, 2, 1023);
    EXPECT_EQ(PixelText(wide.ref, 2, 1), "(2, 1) R 1023 G 2 B 1");
    TestFrame gray(3, 2, 16, 0xFC05);  // bits above the ten significant ones are not the value
    EXPECT_EQ(PixelText(gray.ref, 0, 0), "(0, 0) gray 5");
    EXPECT_EQ(PixelText(TestFrame(3, 2, 8, 77).ref, 1, 1), "(1, 1) gray 77");
    EXPECT_EQ(PixelText(gray.ref, 3, 0), "");
    EXPECT_EQ(PixelText(gray.ref, 0, -1), "");
}

TEST(Geometry, PictureKeepsTheFrameProportionsCentred)
{
    EXPECT_EQ(FitPicture(800, 400, 2048, 1536), (Box{133, 0, 533, 400}));
    EXPECT_EQ(FitPicture(400, 800, 2048, 1536), (Box{0, 250, 400, 300}));
    EXPECT_EQ(FitPicture(0, 800, 2048, 1536), Box{});
}

TEST(Geometry, AreaPointsMapToFramePixelsInsideThePictureOnly)
{
    const Box picture{10, 20, 512, 384};
    EXPECT_EQ(AreaToFrame(picture, 2048, 1536, 10, 20)->x, 0);
    const auto last = AreaToFrame(picture, 2048, 1536, 10 + 511, 20 + 383);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->x, 2044);
    EXPECT_EQ(last->y, 1532);
    EXPECT_FALSE(AreaToFrame(picture, 2048, 1536, 9, 100));
    EXPECT_FALSE(AreaToFrame(picture, 2048, 1536, 10 + 512, 100));
}

TEST(Geometry, SelectionBecomesASnappedSensorWindowInside)
{
    // A quarter-size frame of a window at (64, 32): frame pixels count four sensor pixels.
    const Box current{64, 32, 1024, 768};
    const auto window = SelectionToSensor(current, 4, {101, 50}, {10, 5});  // corners either way round
    ASSERT_TRUE(window);
    // Columns 64+40 .. 64+408 and rows 32+20 .. 32+204, the rows snapped outwards to 48 .. 240.
    EXPECT_EQ(*window, (Box{104, 48, 368, 192}));
    // Too small to mean a window: a click.
    EXPECT_FALSE(SelectionToSensor(current, 1, {10, 10}, {12, 40}));
    // At the sensor's corner a small selection grows to the least window, inwards.
    const auto corner = SelectionToSensor({0, 0, 2048, 1536}, 1, {2040, 1530}, {2047, 1535});
    ASSERT_TRUE(corner);
    EXPECT_EQ(*corner, (Box{2048 - kMinWindow, 1536 - kMinWindow, kMinWindow, kMinWindow}));
    EXPECT_EQ(SubSampleFactor(17), 2);
    EXPECT_EQ(SubSampleFactor(18), 4);
    EXPECT_EQ(SubSampleFactor(0), 1);
}

TEST(Options, DeviceAndFolderOrTheReason)
{
    std::string error;
    const auto defaults = ParseOptions({}, &error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->device, 0);
    const auto both = ParseOptions({"--record-to", "Z:/out", "--device", "31"}, &error);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->device, 31);
    EXPECT_EQ(both->recordFolder, "Z:/out");
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--device", "32"}, {"--device", "2x"}, {"--device"}, {"--colour", "8"}}) {
        error.clear();
        EXPECT_FALSE(ParseOptions(bad, &error));
        EXPECT_FALSE(error.empty());
    }
}
