// Runs the host velmor-process on small raw files and compares its output with the pipeline run
// in this process on the same frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>

#include "pipeline/filter_table.h"
#include "pipeline/process_frame.h"

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun RunTool(const std::string& arguments)
{
    const std::string command = std::string(VELMOR_PROCESS_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ToolRun run{-1, {}};
    if (!pipe)
        return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string TempPath(const std::string& name) { return testing::TempDir() + "velmor_process_" + name; }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The frame processed `frames` times in this process, from a fresh copy each time, as the tool does.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& raw, int32_t w, int32_t h, int format, FilterParams& f,
                              const PipelineSettings& settings, int frames)
{
    static const int kBits[6] = {8, 16, 24, 32, 48, 64};
    std::vector<std::vector<uint8_t>> blocks;
    SurfaceView views[7];
    for (int k = 0; k < 7; ++k) {
        const int bits = kBits[k < 6 ? k : format];
        blocks.emplace_back(static_cast<size_t>(SurfaceStride(w, bits)) * h, 0);
        views[k] = SurfaceView{blocks.back().data(), w, h, SurfaceStride(w, bits), static_cast<uint16_t>(bits)};
    }
    PipelineSurfaces surfaces{views[0], views[1], views[2], views[3], views[4], views[5], views[6]};
    PipelineState state;
    const int rawIndex = format == 1 || format >= 4 ? 1 : 0;
    for (int i = 0; i < frames; ++i) {
        blocks[rawIndex] = raw;
        surfaces.raw8.pixels = blocks[0].data();
        surfaces.raw16.pixels = blocks[1].data();
        ProcessFrame(state, surfaces, settings, f, nullptr, nullptr);
    }
    return blocks[format];
}

TEST(VelmorProcess, OutputMatchesThePipelineForEveryFormat)
{
    std::mt19937 rng(61);
    const int32_t w = 13, h = 7;
    static const int kBits[6] = {8, 16, 24, 32, 48, 64};
    for (int format = 0; format < 6; ++format) {
        const bool wide = format == 1 || format >= 4;
        std::vector<uint8_t> raw(static_cast<size_t>(SurfaceStride(w, wide ? 16 : 8)) * h);
        for (size_t i = 0; i < raw.size(); i += wide ? 2 : 1) {
            raw[i] = static_cast<uint8_t>(rng());
            if (wide)
                raw[i + 1] = static_cast<uint8_t>(rng() % 4);
        }
        const std::string in = TempPath("in.raw"), out = TempPath("out.raw");
        WriteFile(in, raw);
        const ToolRun run = RunTool("--in " + in + " --width 13 --height 7 --format " + std::to_string(kBits[format]) +
                                    " --mirror-h 1 --bayer-mode 0 --gamma 150 --sharpness 7 --hue 40 --saturation "
                                    "-30 --brightness 20 --contrast 5 --bayer-auto 1 --frames 2 --out " + out);
        ASSERT_EQ(run.status, 0) << run.output;
        FilterParams f = FirstRunFilter();
        f.bayerMode = 0;
        f.gamma = 150;
        f.sharpness = 7;
        f.hue = 40;
        f.saturation = -30;
        f.brightness = 20;
        f.contrast = 5;
        f.bayerGainAuto = 1;
        PipelineSettings settings;
        settings.outputFormat = format;
        settings.mirrorH = 1;
        EXPECT_EQ(ReadFile(out), Expected(raw, w, h, format, f, settings, 2)) << "format " << kBits[format];
        const std::string gains = "bayer-gains=" + std::to_string(f.bayerGainR) + "," + std::to_string(f.bayerGainG) +
                                  "," + std::to_string(f.bayerGainB) + "\n";
        EXPECT_NE(run.output.find(gains), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("ms-per-frame="), std::string::npos);
    }
}

TEST(VelmorProcess, GrayBalanceIsReportedAfterProcessing)
{
    // Phase 3 mosaic: G1 and G2 sites at 200, R and B at 100 (8-bit).
    const int32_t w = 8, h = 8;
    std::vector<uint8_t> raw(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            raw[y * w + x] = (x + y) % 2 == 0 ? 200 : 100;
    const std::string in = TempPath("gray.raw"), out = TempPath("gray_out.raw");
    WriteFile(in, raw);
    const ToolRun run = RunTool("--in " + in + " --width 8 --height 8 --format 8 --gray-mode 1 --gray-auto 1 --out " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("gray-gains=256,128,128,256\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("gray-auto=0\n"), std::string::npos) << run.output;
    const std::vector<uint8_t> flat = ReadFile(out);
    ASSERT_EQ(flat.size(), raw.size());
    EXPECT_EQ(flat[1], 200);  // an R site doubled
}

TEST(VelmorProcess, RefusesBadInput)
{
    const std::string in = TempPath("short.raw"), out = TempPath("never.raw");
    WriteFile(in, std::vector<uint8_t>(47));
    ToolRun run = RunTool("--in " + in + " --width 13 --height 4 --format 8 --out " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("needs 64"), std::string::npos) << run.output;  // 4 rows of 16 bytes

    WriteFile(in, std::vector<uint8_t>(64));
    for (const char* bad : {"--gamma 201", "--hue -361", "--bayer-gains 1,2", "--bayer-gains 1,2,401",
                            "--gray-offsets 0,0,0,-256", "--subsample 3", "--format 12", "--bayer-mode 4"}) {
        run = RunTool("--in " + in + " --width 13 --height 4 --format 8 --out " + out + " " + bad);
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_NE(run.output.find("out of range"), std::string::npos) << bad << ": " << run.output;
    }
    run = RunTool("--in " + in + " --width 13 --height 4 --format 8 --out " + out);
    EXPECT_EQ(run.status, 0) << run.output;
}

}  // namespace
