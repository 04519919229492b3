#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "pipeline/filter_table.h"
#include "imaging/surface_transfer.h"
#include "pipeline/process_frame.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"
#include "stage_test_support.h"

namespace {

constexpr uint16_t kBits[6] = {8, 16, 24, 32, 48, 64};

// The camera object's surfaces for one frame size.
struct Frame {
    std::vector<std::unique_ptr<TestSurface>> outputs;  // by output format index
    std::unique_ptr<TestSurface> work;
    PipelineSurfaces views;

    Frame(int32_t w, int32_t h, int format)
    {
        for (uint16_t bits : kBits)
            outputs.push_back(std::make_unique<TestSurface>(w, h, bits));
        work = std::make_unique<TestSurface>(w, h, kBits[format]);
        views = PipelineSurfaces{outputs[0]->view, outputs[1]->view, outputs[2]->view, outputs[3]->view,
                                 outputs[4]->view, outputs[5]->view, work->view};
    }
    TestSurface& raw(int format) { return *outputs[format == 1 || format >= 4 ? 1 : 0]; }
    TestSurface& out(int format) { return *outputs[format]; }
};

bool RunFrame(Frame& frame, int format, FilterParams& filter, PipelineSettings settings = {})
{
    PipelineState state;
    settings.outputFormat = format;
    return ProcessFrame(state, frame.views, settings, filter, nullptr, nullptr);
}

void DefectFilterOn(TestSurface& raw, int phase)
{
    int32_t bayer[4] = {phase, 100, 100, 100};
    int32_t threshold = raw.view.bitCount == 16 ? 120 : 30;
    RunStage(raw, raw.view.bitCount == 16 ? DefectFilter10 : DefectFilter8, raw, bayer, &threshold);
}

TEST(ProcessFrame, NeutralColourRunsOnlyDefectFilterAndDemosaic)
{
    std::mt19937 rng(31);
    for (int format = 2; format <= 5; ++format) {
        Frame frame(21, 14, format);
        frame.raw(format).randomise(rng);
        TestSurface raw(frame.raw(format));
        FilterParams filter = FirstRunFilter();
        RunFrame(frame, format, filter);

        DefectFilterOn(raw, 3);
        EXPECT_TRUE(frame.raw(format).samePixels(raw));
        TestSurface expect(21, 14, kBits[format]);
        FilterParams copy = FirstRunFilter();
        Demosaic(expect.view, raw.view, copy, 3);
        EXPECT_TRUE(frame.out(format).samePixels(expect)) << format;
    }
}

TEST(ProcessFrame, NeutralMonochromeIsTheMirroredFilteredFrame)
{
    std::mt19937 rng(37);
    for (int format : {0, 1}) {
        Frame frame(16, 9, format);
        frame.raw(format).randomise(rng);
        TestSurface expect(frame.raw(format));
        FilterParams filter = FirstRunFilter();
        PipelineSettings settings;
        settings.mirrorV = 1;
        RunFrame(frame, format, filter, settings);

        PipelineState state;
        MirrorFrame(state, expect.view, false, true);
        DefectFilterOn(expect, EffectivePhase(3, true, false));
        EXPECT_TRUE(frame.out(format).samePixels(expect)) << format;
    }
}

TEST(ProcessFrame, BinningSkipsTheDefectFilter)
{
    for (int subSample : {0, 1, 2, 17, 18}) {
        Frame frame(9, 9, 1);
        frame.raw(1).fill(100);
        frame.raw(1).set(4, 4, 0, 1000);
        FilterParams filter = FirstRunFilter();
        PipelineSettings settings;
        settings.subSample = subSample;
        RunFrame(frame, 1, filter, settings);
        EXPECT_EQ(frame.raw(1).at(4, 4), subSample & 16 ? 1000 : 100) << subSample;
    }
}

TEST(ProcessFrame, MirrorsAndEffectivePhase)
{
    EXPECT_EQ(EffectivePhase(0, true, false), 1);
    EXPECT_EQ(EffectivePhase(0, true, true), 3);
    EXPECT_EQ(EffectivePhase(1, false, true), 3);
    EXPECT_EQ(EffectivePhase(3, true, true), 0);

    TestSurface raw(3, 3, 16);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            raw.set(x, y, 0, 0x0100 * (y + 1) + x);  // distinct high and low bytes
    PipelineState state;
    TestSurface h(raw);
    MirrorFrame(state, h.view, true, false);
    EXPECT_EQ(h.at(0, 0), 0x0102);
    EXPECT_EQ(h.at(2, 2), 0x0300);
    TestSurface both(raw);
    MirrorFrame(state, both.view, true, true);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(both.at(x, y), raw.at(2 - x, 2 - y));
    TestSurface v(6, 4, 8);
    for (int32_t y = 0; y < 4; ++y)
        v.set(1, y, 0, y);
    MirrorFrame(state, v.view, false, true);
    EXPECT_EQ(v.at(1, 0), 3);
    EXPECT_EQ(v.at(1, 3), 0);
}

TEST(ProcessFrame, GrayModeTwoChangesOnlyTheEightBitRaw)
{
    std::mt19937 rng(41);
    Frame frame(12, 10, 1);
    frame.raw(1).randomise(rng);
    frame.outputs[0]->fill(90);
    const TestSurface wide(frame.raw(1));
    FilterParams filter = FirstRunFilter();
    filter.grayMode = 2;
    filter.grayGainR = 200;  // not used by mode 2
    RunFrame(frame, 1, filter);
    DefectFilterOn(const_cast<TestSurface&>(wide), 3);
    EXPECT_TRUE(frame.raw(1).samePixels(wide));
    EXPECT_EQ(frame.outputs[0]->at(5, 5), 90);  // a flat gray goes round to itself

    Frame mono(12, 10, 0);
    mono.raw(0).fill(90);
    mono.raw(0).set(4, 4, 0, 10);
    filter = FirstRunFilter();
    filter.grayMode = 2;
    RunFrame(mono, 0, filter);
    EXPECT_NE(mono.raw(0).at(4, 4), 10);  // now the luminance of the demosaiced pixel
}

TEST(ProcessFrame, GrayBalanceCounter)
{
    Frame frame(8, 8, 1);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            frame.raw(1).set(x, y, 0, (x + y) % 2 == 0 ? 400 : 200);  // phase 3: R and B sites at 200
    FilterParams filter = FirstRunFilter();
    filter.grayMode = 1;
    filter.grayGainAuto = 1;
    EXPECT_TRUE(RunFrame(frame, 1, filter));
    EXPECT_EQ(filter.grayGainAuto, 0);
    EXPECT_EQ(filter.grayGainR, 256);
    EXPECT_EQ(filter.grayGainG1, 128);
    EXPECT_EQ(frame.raw(1).at(1, 0), 400);  // flattened

    filter.grayGainAuto = -1;  // every frame
    RunFrame(frame, 1, filter);
    EXPECT_LT(filter.grayGainAuto, 0);
    EXPECT_EQ(filter.grayGainR, 128);  // the flattened frame measures flat

    Frame black(8, 8, 0);
    filter = FirstRunFilter();
    filter.grayMode = 1;
    filter.grayGainAuto = 1;
    filter.grayGainB = 140;
    RunFrame(black, 0, filter);
    EXPECT_EQ(filter.grayGainAuto, 0);
    EXPECT_EQ(filter.grayGainB, 140);
}

TEST(ProcessFrame, ContinuousWhiteBalanceFollowsEveryFrame)
{
    Frame frame(8, 8, 2);
    FilterParams filter = FirstRunFilter();
    filter.bayerGainAuto = 1;
    for (int32_t redLevel : {50, 100}) {
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x)
                frame.raw(2).set(x, y, 0, (y % 2 == 0 && x % 2 == 1) ? redLevel : 100);
        EXPECT_TRUE(RunFrame(frame, 2, filter));
        EXPECT_EQ(filter.bayerGainR, 100 * 100 / redLevel);
    }
    filter.bayerGainAuto = 0;
    EXPECT_FALSE(RunFrame(frame, 2, filter));
    EXPECT_EQ(filter.bayerGainR, 100);
}

TEST(ProcessFrame, StagesRunInOrderOnTheOutput)
{
    std::mt19937 rng(47);
    for (int format = 0; format <= 5; ++format) {
        Frame frame(19, 13, format);
        frame.raw(format).randomise(rng);
        FilterParams filter = FirstRunFilter();
        filter.hue = 30;
        filter.saturation = 40;
        filter.gamma = 130;
        filter.contrast = 20;
        filter.sharpness = 12;
        filter.brightness = -30;
        filter.bayerMode = 1;

        Frame expect(19, 13, format);
        std::memcpy(expect.raw(format).bytes.data(), frame.raw(format).bytes.data(), frame.raw(format).bytes.size());
        RunFrame(frame, format, filter);

        TestSurface& raw = expect.raw(format);
        DefectFilterOn(raw, 1);
        TestSurface& out = expect.out(format);
        if (format >= 2) {
            FilterParams copy = filter;
            Demosaic(out.view, raw.view, copy, 1);
            int32_t hs[4] = {30, 0, 40, 10};
            RunStage(out, format <= 3 ? HueSat8 : HueSat10, out, hs);
        }
        const int family = format <= 1 ? format : (format <= 3 ? 2 : 3);
        const Converter gamma[4] = {GammaMono8, GammaMono10, GammaColor8, GammaColor10};
        const Converter contrast[4] = {ContrastMono8, ContrastMono10, ContrastColor8, ContrastColor10};
        const Converter sharpen[4] = {SharpenMono8, SharpenMono10, SharpenColor8, SharpenColor10};
        const Converter bright[4] = {BrightnessMono8, BrightnessMono10, BrightnessColor8, BrightnessColor10};
        int32_t p[2] = {130, 10};
        RunStage(out, gamma[family], out, p);
        p[0] = 20;
        RunStage(out, contrast[family], out, p);
        const TestSurface scratch(out);
        p[0] = 12;
        RunStage(out, sharpen[family], scratch, p);
        p[0] = -30;
        RunStage(out, bright[family], out, p);
        EXPECT_TRUE(frame.out(format).samePixels(out)) << "format " << format;
    }
}

struct IrisRecord {
    int calls = 0;
    int32_t means[kAutoIrisWindows] = {};
};

void RecordIris(void* context, const int32_t means[kAutoIrisWindows])
{
    auto* record = static_cast<IrisRecord*>(context);
    ++record->calls;
    std::copy(means, means + kAutoIrisWindows, record->means);
}

TEST(ProcessFrame, AutoIrisWindowsGoThroughTheBottomUpTransfer)
{
    Frame frame(50, 100, 0);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 50; ++x)
            frame.raw(0).set(x, y, 0, y);
    FilterParams filter = FirstRunFilter();
    PipelineSettings settings;
    settings.outputFormat = 0;
    settings.subSample = 17;
    PipelineState state;
    IrisRecord record;
    ProcessFrame(state, frame.views, settings, filter, RecordIris, &record);
    EXPECT_EQ(record.calls, 0);  // mode 0 measures nothing

    settings.autoIris = 2;
    ProcessFrame(state, frame.views, settings, filter, RecordIris, &record);
    ASSERT_EQ(record.calls, 1);
    // Window (0.1H .. 0.2H) covers memory rows 80..89, window (0.8H .. 0.9H) rows 10..19.
    EXPECT_EQ(record.means[0], 84);
    EXPECT_EQ(record.means[1], 14);
    EXPECT_EQ(record.means[2], 49);  // rows 45..54
    EXPECT_EQ(record.means[3], 84);
    EXPECT_EQ(record.means[4], 14);

    Frame wide(20, 20, 1);
    wide.raw(1).fill(1023);
    settings.outputFormat = 1;
    ProcessFrame(state, wide.views, settings, filter, RecordIris, &record);
    EXPECT_EQ(record.means[2], 255);
}

TEST(FrameStages, MeanLevelAndRestride)
{
    TestSurface s(6, 3, 8);
    for (int32_t x = 0; x < 6; ++x)
        s.set(x, 1, 0, 10 * x);
    const PixelRect two{2, 1, 4, 2};
    EXPECT_EQ(MeanLevel8(s.view.pixels, s.view.pixels, &two, 2, 1, 1, 1, s.view.stride, s.view.stride, nullptr, nullptr),
              25);
    const PixelRect empty{3, 1, 3, 2};
    EXPECT_EQ(MeanLevel8(s.view.pixels, s.view.pixels, &empty, 3, 1, 1, 1, s.view.stride, s.view.stride, nullptr,
                         nullptr),
              0);

    // Packed rows of 3 words in a surface of stride 8.
    TestSurface wide(3, 4, 16);
    std::vector<uint16_t> packed(12);
    for (int i = 0; i < 12; ++i)
        packed[i] = static_cast<uint16_t>(1000 + i);
    std::memcpy(wide.bytes.data(), packed.data(), 24);
    int32_t none[1] = {0};
    RunStage(wide, RestrideRows16, wide, none);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(wide.at(x, y), 1000 + 3 * y + x);
}

// Random sizes, settings and contents: no fault (the sanitizers watch), and the row padding of
// every surface stays untouched.
TEST(ProcessFrame, RandomisedSettingsNeverWriteOutsideTheFrame)
{
    std::mt19937 rng(53);
    PipelineState state;
    for (int round = 0; round < 300; ++round) {
        const int32_t w = 1 + static_cast<int32_t>(rng() % 23);
        const int32_t h = 1 + static_cast<int32_t>(rng() % 19);
        const int format = static_cast<int>(rng() % 6);
        Frame frame(w, h, format);
        for (auto& s : frame.outputs)
            std::fill(s->bytes.begin(), s->bytes.end(), uint8_t{0xEE});
        frame.raw(format).randomise(rng);
        auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
        FilterParams f = FirstRunFilter();
        f.brightness = pick(-255, 255) * pick(0, 1);
        f.contrast = pick(-127, 127) * pick(0, 1);
        f.hue = pick(-360, 360) * pick(0, 1);
        f.saturation = pick(-255, 255) * pick(0, 1);
        f.sharpness = pick(0, 30);
        f.bayerGainR = pick(0, 400);
        f.bayerGainB = pick(0, 400);
        f.gamma = pick(0, 200);
        f.bayerMode = pick(0, 3);
        f.grayMode = pick(0, 2);
        f.grayGainR = pick(0, 255);
        f.grayOffsetB = pick(-255, 255);
        f.bayerGainAuto = pick(0, 1);
        f.grayGainAuto = pick(-1, 1);
        PipelineSettings settings{format, pick(0, 1) ? 0 : 17, pick(0, 1), pick(0, 1), pick(0, 2)};
        IrisRecord record;
        ProcessFrame(state, frame.views, settings, f, RecordIris, &record);
        for (auto& s : frame.outputs) {
            const int32_t used = w * s->view.bytesPerPixel();
            for (int32_t y = 0; y < h; ++y)
                for (int32_t b = used; b < s->view.stride; ++b)
                    ASSERT_EQ(s->bytes[static_cast<size_t>(y) * s->view.stride + b], 0xEE)
                        << "round " << round << " " << s->view.bitCount << " bits";
        }
        EXPECT_EQ(record.calls, settings.autoIris ? 1 : 0);
    }
}

}  // namespace
