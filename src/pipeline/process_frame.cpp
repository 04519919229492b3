#include "pipeline/process_frame.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "imaging/surface_transfer.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

constexpr int kFormatCount = 6;
constexpr int kBinningBit = 16;
constexpr int32_t kDefectThreshold8 = 30;
constexpr int32_t kDefectThreshold10 = 120;
constexpr int32_t kMaxBayerGain = 400;
constexpr int32_t kUnityGrayGain = 128;
constexpr int32_t kToneBits = 10;
constexpr int32_t kNeutralGamma = 100;
constexpr int32_t kNotMeasured = -1;

bool UsesWideRaw(int format) { return format == 1 || format == 4 || format == 5; }

const SurfaceView& OutputSurface(const PipelineSurfaces& s, int format)
{
    const SurfaceView* outputs[kFormatCount] = {&s.raw8, &s.raw16, &s.color24, &s.color32, &s.color48, &s.color64};
    return *outputs[format];
}

bool SameSize(const SurfaceView& a, const SurfaceView& b)
{
    return !a.empty() && !b.empty() && a.width == b.width && a.height == b.height;
}

// Runs a stage over the whole of `dst` from the whole of `src` with an int32 parameter block and,
// as caller value 2, the stage's threshold or tables.
template <typename Extra = int32_t>
int RunStage(const SurfaceView& dst, Converter stage, const SurfaceView& src, int32_t* params,
             Extra* extra = nullptr)
{
    return TransferPixels(dst, stage, src, nullptr, 0, 0, &params, extra ? &extra : nullptr);
}

void MeasureAutoIris(const SurfaceView& raw, AutoIrisHook hook, void* context)
{
    // Windows as fractions of the frame (left, top, right, bottom), each coordinate truncated.
    static constexpr double kWindows[kAutoIrisWindows][4] = {{0.1, 0.1, 0.2, 0.2},
                                                              {0.1, 0.8, 0.2, 0.9},
                                                              {0.45, 0.45, 0.55, 0.55},
                                                              {0.8, 0.1, 0.9, 0.2},
                                                              {0.8, 0.8, 0.9, 0.9}};
    const Converter level = raw.bitCount == 16 ? MeanLevel10 : MeanLevel8;
    int32_t means[kAutoIrisWindows];
    for (int i = 0; i < kAutoIrisWindows; ++i) {
        const PixelRect window{static_cast<int32_t>(kWindows[i][0] * raw.width),
                               static_cast<int32_t>(kWindows[i][1] * raw.height),
                               static_cast<int32_t>(kWindows[i][2] * raw.width),
                               static_cast<int32_t>(kWindows[i][3] * raw.height)};
        means[i] = TransferPixels(raw, level, raw, &window, window.left, window.top, nullptr, nullptr);
    }
    if (hook)
        hook(context, means);
}

bool GrayMode1(const SurfaceView& raw, FilterParams& filter, int phase, int format, GrayGainTables& tables)
{
    int32_t params[gray_params::kCount] = {};
    params[gray_params::kPhase] = phase;
    params[gray_params::kGainR] = filter.grayGainR;
    params[gray_params::kGainG1] = filter.grayGainG1;
    params[gray_params::kGainG2] = filter.grayGainG2;
    params[gray_params::kGainB] = filter.grayGainB;
    params[gray_params::kOffsetR] = filter.grayOffsetR;
    params[gray_params::kOffsetG1] = filter.grayOffsetG1;
    params[gray_params::kOffsetG2] = filter.grayOffsetG2;
    params[gray_params::kOffsetB] = filter.grayOffsetB;
    params[gray_params::kBits] = format == 0 ? 8 : kToneBits;

    bool balanced = false;
    if (filter.grayGainAuto != 0) {
        RunStage(raw, MeasureGrayBalance, raw, params);
        filter.grayGainR = params[gray_params::kGainR];
        filter.grayGainG1 = params[gray_params::kGainG1];
        filter.grayGainG2 = params[gray_params::kGainG2];
        filter.grayGainB = params[gray_params::kGainB];
        filter.grayOffsetR = params[gray_params::kOffsetR];
        filter.grayOffsetG1 = params[gray_params::kOffsetG1];
        filter.grayOffsetG2 = params[gray_params::kOffsetG2];
        filter.grayOffsetB = params[gray_params::kOffsetB];
        // A counter; negative values ("every frame") keep counting down but never wrap to positive.
        if (filter.grayGainAuto != INT32_MIN)
            --filter.grayGainAuto;
        balanced = true;
    }
    const bool unity = params[gray_params::kGainR] == kUnityGrayGain && params[gray_params::kGainG1] == kUnityGrayGain &&
                       params[gray_params::kGainG2] == kUnityGrayGain && params[gray_params::kGainB] == kUnityGrayGain;
    if (!unity)
        RunStage(raw, format == 0 ? GrayGainMono8 : GrayGainMono10, raw, params, &tables);
    return balanced;
}

struct ToneStep {
    Converter mono8;
    Converter mono10;
    Converter colour8;
    Converter colour10;

    Converter pick(int format) const
    {
        switch (format) {
        case 0: return mono8;
        case 1: return mono10;
        case 2:
        case 3: return colour8;
        default: return colour10;
        }
    }
};

constexpr ToneStep kGamma{GammaMono8, GammaMono10, GammaColor8, GammaColor10};
constexpr ToneStep kContrast{ContrastMono8, ContrastMono10, ContrastColor8, ContrastColor10};
constexpr ToneStep kSharpen{SharpenMono8, SharpenMono10, SharpenColor8, SharpenColor10};
constexpr ToneStep kBrightness{BrightnessMono8, BrightnessMono10, BrightnessColor8, BrightnessColor10};

void ToneStages(const SurfaceView& out, const SurfaceView& work, const FilterParams& filter, int format,
                StageTables& tables)
{
    if (format >= 2 && (filter.hue != 0 || filter.saturation != 0)) {
        int32_t params[hue_sat_params::kCount] = {filter.hue, 0, filter.saturation, kToneBits};
        RunStage(out, format <= 3 ? HueSat8 : HueSat10, out, params);
    }
    auto tone = [&](const ToneStep& step, int32_t value, const SurfaceView& src, auto* stageTables) {
        int32_t params[tone_params::kCount] = {value, kToneBits};
        RunStage(out, step.pick(format), src, params, stageTables);
    };
    if (filter.gamma != kNeutralGamma)
        tone(kGamma, filter.gamma, out, &tables.gamma);
    if (filter.contrast != 0)
        tone(kContrast, filter.contrast, out, &tables.contrast);
    // Sharpening reads an untouched copy; without a scratch surface of the output's geometry it is skipped.
    if (filter.sharpness != 0 && SameSize(work, out) && work.stride == out.stride && work.bitCount == out.bitCount) {
        std::memcpy(work.pixels, out.pixels, static_cast<size_t>(out.height) * static_cast<size_t>(out.stride));
        tone(kSharpen, filter.sharpness, work, &tables.sharpen);
    }
    if (filter.brightness != 0)
        tone(kBrightness, filter.brightness, out, &tables.brightness);
}

}  // namespace

void MirrorFrame(PipelineState& state, const SurfaceView& raw, bool mirrorH, bool mirrorV)
{
    if ((!mirrorH && !mirrorV) || raw.empty())
        return;
    const size_t rowBytes = static_cast<size_t>(raw.width) * raw.bytesPerPixel();
    if (state.mirrorRows.size() < rowBytes)
        state.mirrorRows.resize(rowBytes);
    uint8_t* spare = state.mirrorRows.data();
    auto row = [&](int32_t y) { return raw.pixels + static_cast<size_t>(y) * raw.stride; };
    auto reverse = [&](uint8_t* r) {
        if (raw.bitCount == 16) {
            uint16_t* words = reinterpret_cast<uint16_t*>(r);
            std::reverse(words, words + raw.width);
        } else {
            std::reverse(r, r + raw.width);
        }
    };
    if (!mirrorV) {
        for (int32_t y = 0; y < raw.height; ++y)
            reverse(row(y));
        return;
    }
    // Rows swap in pairs through the spare row; with both mirrors each is also reversed (a half turn).
    for (int32_t top = 0, bottom = raw.height - 1; top <= bottom; ++top, --bottom) {
        if (top != bottom) {
            std::memcpy(spare, row(top), rowBytes);
            std::memcpy(row(top), row(bottom), rowBytes);
            std::memcpy(row(bottom), spare, rowBytes);
        }
        if (mirrorH) {
            reverse(row(top));
            if (top != bottom)
                reverse(row(bottom));
        }
    }
}

bool Demosaic(const SurfaceView& colour, const SurfaceView& raw, FilterParams& filter, int phase)
{
    const bool wide = raw.bitCount == 16;
    bool balanced = false;
    if (filter.bayerGainAuto) {
        int32_t result[balance_result::kCount] = {kNotMeasured, kNotMeasured, kNotMeasured, phase};
        RunStage(raw, wide ? MeasureBayerBalance10 : MeasureBayerBalance8, raw, result);
        // A frame with a colour missing or black yields no measurement: the gains stay.
        if (result[balance_result::kGainGreen] != kNotMeasured) {
            filter.bayerGainR = std::min(result[balance_result::kGainRed], kMaxBayerGain);
            filter.bayerGainG = std::min(result[balance_result::kGainGreen], kMaxBayerGain);
            filter.bayerGainB = std::min(result[balance_result::kGainBlue], kMaxBayerGain);
        }
        balanced = true;
        if (filter.bayerAutoOnce1 && filter.bayerAutoOnce2) {
            filter.bayerGainAuto = 0;
            filter.bayerAutoOnce1 = 0;
            filter.bayerAutoOnce2 = 0;
        }
    }
    int32_t params[bayer_params::kCount] = {phase, filter.bayerGainR, filter.bayerGainG, filter.bayerGainB};
    RunStage(colour, wide ? DemosaicInterior10 : DemosaicInterior8, raw, params);
    RunStage(colour, wide ? DemosaicBorder10 : DemosaicBorder8, raw, params);
    return balanced;
}

bool ProcessFrame(PipelineState& state, const PipelineSurfaces& surfaces, const PipelineSettings& settings,
                  FilterParams& filter, AutoIrisHook autoIrisHook, void* autoIrisContext)
{
    const int format = settings.outputFormat;
    if (format < 0 || format >= kFormatCount)
        return false;
    const SurfaceView& raw = UsesWideRaw(format) ? surfaces.raw16 : surfaces.raw8;
    const SurfaceView& out = OutputSurface(surfaces, format);
    if (!SameSize(raw, out))
        return false;

    MirrorFrame(state, raw, settings.mirrorH != 0, settings.mirrorV != 0);
    if (settings.autoIris == 1 || settings.autoIris == 2)
        MeasureAutoIris(raw, autoIrisHook, autoIrisContext);

    const int phase = EffectivePhase(filter.bayerMode, settings.mirrorV != 0, settings.mirrorH != 0);
    if (!(settings.subSample & kBinningBit)) {
        int32_t bayer[bayer_params::kCount] = {phase, filter.bayerGainR, filter.bayerGainG, filter.bayerGainB};
        int32_t threshold = UsesWideRaw(format) ? kDefectThreshold10 : kDefectThreshold8;
        RunStage(raw, UsesWideRaw(format) ? DefectFilter10 : DefectFilter8, raw, bayer, &threshold);
    }

    bool balanced = false;
    if (format <= 1) {
        if (filter.grayMode == 1) {
            balanced = GrayMode1(raw, filter, phase, format, state.tables.grayGain);
        } else if (filter.grayMode == 2 && SameSize(surfaces.color24, surfaces.raw8)) {
            // Only the 8-bit raw surface changes, so the effect shows in format 0 alone.
            balanced = Demosaic(surfaces.color24, surfaces.raw8, filter, phase);
            RunStage(surfaces.raw8, GrayFromColor8, surfaces.color24, nullptr);
        }
    } else {
        balanced = Demosaic(out, raw, filter, phase);
    }
    ToneStages(out, surfaces.work, filter, format, state.tables);
    return balanced;
}
