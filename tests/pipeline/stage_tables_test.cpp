// The stages' tables in the pipeline's state: kept while their settings stay, rebuilt when one
// changes, and in every case giving the output of a fresh state, at every vector level.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <vector>

#include "pipeline/process_frame.h"
#include "pipeline/simd.h"
#include "stage_test_support.h"

namespace {

constexpr uint16_t kBits[6] = {8, 16, 24, 32, 48, 64};
constexpr int32_t kWidth = 37;  // odd, with vector groups and a tail
constexpr int32_t kHeight = 9;

enum Table { kGamma, kContrast, kBrightness, kGrayGain, kSharpen, kTables };
using Builds = std::array<uint32_t, kTables>;

Builds BuildsOf(const StageTables& t)
{
    return {t.gamma.builds, t.contrast.builds, t.brightness.builds, t.grayGain.builds, t.sharpen.builds};
}

// Where every table's storage lies: a rebuild or a resize would move most of them.
std::vector<const void*> StorageOf(const StageTables& t)
{
    std::vector<const void*> at;
    for (const CurveTables* c : {&t.gamma, &t.contrast, &t.brightness})
        at.insert(at.end(), {c->pairs.data(), c->curve16.data(), c->full.data()});
    at.insert(at.end(), {t.grayGain.pairs.data(), t.sharpen.correction.data(), t.sharpen.columnSums.data(),
                         t.sharpen.laneSums.data()});
    return at;
}

// Every stage on, gray mode 1 for the monochrome formats.
FilterParams AllStages()
{
    FilterParams f{};
    f.bayerGainR = f.bayerGainG = f.bayerGainB = 100;
    f.bayerMode = 3;
    f.hue = 20, f.saturation = 40, f.gamma = 130, f.contrast = 10, f.sharpness = 8, f.brightness = 15;
    f.grayMode = 1;
    f.grayGainR = 150, f.grayGainG1 = f.grayGainG2 = f.grayGainB = 128;
    return f;
}

// The output of one frame of the same random raw samples through `state`.
std::vector<uint8_t> RunFrame(PipelineState& state, int format, const FilterParams& filter, int32_t width = kWidth)
{
    std::vector<std::unique_ptr<TestSurface>> s;
    for (uint16_t bits : kBits)
        s.push_back(std::make_unique<TestSurface>(width, kHeight, bits));
    TestSurface work(width, kHeight, kBits[format]);
    std::mt19937 rng(static_cast<uint32_t>(format));
    s[format == 1 || format >= 4 ? 1 : 0]->randomise(rng);
    const PipelineSurfaces views{s[0]->view, s[1]->view, s[2]->view, s[3]->view, s[4]->view, s[5]->view, work.view};
    PipelineSettings settings;
    settings.outputFormat = format;
    FilterParams f = filter;
    ProcessFrame(state, views, settings, f, nullptr, nullptr);
    return s[format]->bytes;
}

std::vector<uint8_t> Fresh(int format, const FilterParams& filter, int32_t width = kWidth)
{
    PipelineState state;
    return RunFrame(state, format, filter, width);
}

TEST(StageTables, SteadySettingsKeepTablesAndChangedOnesRebuildOnlyTheirs)
{
    for (int format = 0; format < 6; ++format) {
        SCOPED_TRACE(format);
        PipelineState state;
        FilterParams f = AllStages();
        const std::vector<uint8_t> first = RunFrame(state, format, f);
        Builds expected{1, 1, 1, format == 0 ? 1u : 0u, 1};  // 16-bit gray gains need no table
        EXPECT_EQ(BuildsOf(state.tables), expected);
        const std::vector<const void*> storage = StorageOf(state.tables);
        EXPECT_EQ(RunFrame(state, format, f), first);
        EXPECT_EQ(BuildsOf(state.tables), expected);
        EXPECT_EQ(StorageOf(state.tables), storage);

        // One setting at a time: its table alone is rebuilt, and the output is a fresh state's.
        const std::pair<int32_t FilterParams::*, Table> changes[] = {{&FilterParams::gamma, kGamma},
                                                                     {&FilterParams::contrast, kContrast},
                                                                     {&FilterParams::brightness, kBrightness},
                                                                     {&FilterParams::sharpness, kSharpen},
                                                                     {&FilterParams::grayGainB, kGrayGain}};
        for (auto [field, table] : changes) {
            f.*field += 3;
            if (table != kGrayGain || format == 0)
                ++expected[table];
            EXPECT_EQ(RunFrame(state, format, f), Fresh(format, f)) << table;
            EXPECT_EQ(BuildsOf(state.tables), expected) << table;
        }
        // A wider frame resizes the row sums but rebuilds nothing.
        EXPECT_EQ(RunFrame(state, format, f, 2 * kWidth + 1), Fresh(format, f, 2 * kWidth + 1));
        EXPECT_EQ(BuildsOf(state.tables), expected);
    }
}

TEST(StageTables, TablesKeptAcrossLevelsAndFormatsGiveFreshOutput)
{
    std::vector<SimdLevel> levels;
    for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2, SimdLevel::kAvx512Vbmi})
        if (level <= SupportedSimdLevel())
            levels.push_back(level);
    levels.push_back(SimdLevel::kSse2);  // back down: the vector forms built earlier still hold
    const FilterParams f = AllStages();
    PipelineState state;  // one for all: each format and level finds the tables of the one before
    for (SimdLevel level : levels)
        for (int format = 0; format < 6; ++format) {
            SetPipelineSimdLimit(level);
            const std::vector<uint8_t> kept = RunFrame(state, format, f);
            const std::vector<uint8_t> fresh = Fresh(format, f);
            SetPipelineSimdLimit(SimdLevel::kAvx512Vbmi);
            ASSERT_EQ(kept, fresh) << "level " << static_cast<int>(level) << " format " << format;
        }
}

}  // namespace
