// Snapshots of a raw file replayed by the emulated camera, byte for byte against velmor-process run
// on the samples the camera delivers for the same window and settings: every output format in the
// full window (whole, 1/4 skipped, 1/4 binned) and in offset windows in every sub-sampling mode,
// with padded rows and both row orders of the application's buffer.
#include "snapshot_support.h"
#include "virtual_camera.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

using namespace sdktest;

namespace {

constexpr int kColumns = 2048;
constexpr int kRows = 1536;
constexpr int kAllBits[] = {8, 16, 24, 32, 48, 64};

// A capture window, its sub-sampling and the row order asked for. Every window starts on a
// multiple of 8, which the device's start rounding keeps in every sub-sampling mode.
struct Case {
    int bits;
    int mode;
    int left, top, width, height;
    int topDown;
};

int Divisor(int mode) { return mode == 1 || mode == 17 ? 2 : mode == 2 || mode == 18 ? 4 : 1; }
bool Wide(int bits) { return bits == 16 || bits == 48 || bits == 64; }

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return folder + name;
}

// The random 10-bit mosaic the emulated camera replays, written before the first camera is made.
class RawFile : public ::testing::Environment {
public:
    void SetUp() override
    {
        samples.resize(size_t(kColumns) * kRows);
        std::mt19937 random(520);
        for (uint16_t& v : samples)
            v = uint16_t(random() & 0x3FF);
        ASSERT_TRUE(WriteBytes(path, samples.data(), samples.size() * 2));  // little-endian, as the file is
        ASSERT_TRUE(vcam_test::UseCameraSettings("devices=0;timing=fast;source=raw:" + path));
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    const std::string path = TempPath("velmor_raw_frames.raw");
    std::vector<uint16_t> samples;
};

RawFile* const raw = static_cast<RawFile*>(::testing::AddGlobalTestEnvironment(new RawFile));

// The raw surface memory of the frame the camera delivers for the case: skipping keeps pairs of
// rows and columns every 2 × step; binning averages same-colour neighbours two on, truncating.
// Samples are the top 8 of 10 bits in one-byte mode, 16-bit words in two-byte mode. The device
// writes the rows packed from the start of the fresh surface and the camera spreads them to the
// padded stride in place, last row first, so a row's padding keeps what lay there (the 8-bit
// output is made in that same surface and shows it).
std::vector<BYTE> DeliveredRaw(const Case& c)
{
    const int step = Divisor(c.mode), w = c.width / step, h = c.height / step;
    const bool binning = c.mode == 17 || c.mode == 18, wide = Wide(c.bits);
    const size_t stride = FrameStride(w, wide ? 16 : 8), rowBytes = size_t(w) * (wide ? 2 : 1);
    const std::vector<uint16_t>& s = raw->samples;
    std::vector<BYTE> out(stride * h);
    for (int r = 0; r < h; ++r) {
        const size_t row = size_t(c.top + r / 2 * 2 * step + r % 2) * kColumns;
        BYTE* line = &out[r * rowBytes];
        for (int col = 0; col < w; ++col) {
            const size_t at = row + c.left + col / 2 * 2 * step + col % 2;
            unsigned v = s[at];
            if (binning)
                v = (v + s[at + 2] + s[at + 2 * kColumns] + s[at + 2 * kColumns + 2]) / 4;
            if (wide) {
                line[2 * col] = BYTE(v & 0xFF);
                line[2 * col + 1] = BYTE(v >> 8);
            } else {
                line[col] = BYTE(v >> 2);
            }
        }
    }
    for (int r = h - 1; r >= 0; --r)
        std::memmove(&out[r * stride], &out[r * rowBytes], rowBytes);
    return out;
}

// Runs a program and waits for it; its output goes to `log`. The exit code, or -1 if it did not start.
int RunProgram(std::string command, const std::string& log)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION process{};
    DWORD code = DWORD(-1);
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    return int(code);
}

// The tool's path as Wine sees it: the Unix root is drive Z.
std::string ToolPath()
{
    std::string path = "Z:" VELMOR_PROCESS_PATH;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Where two frames first differ, or "" when they are the same.
std::string FirstDifference(const std::vector<BYTE>& got, const std::vector<BYTE>& want, int stride)
{
    if (got.size() != want.size())
        return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size());
    const auto at = std::mismatch(got.begin(), got.end(), want.begin());
    if (at.first == got.end())
        return "";
    const size_t offset = size_t(at.first - got.begin());
    size_t differing = 0;
    for (size_t i = offset; i < got.size(); ++i)
        differing += got[i] != want[i];
    std::ostringstream text;
    text << "row " << offset / stride << " byte " << offset % stride << ": got " << int(*at.first) << ", expected "
         << int(*at.second) << " (" << differing << " bytes differ)";
    return text.str();
}

class RawFrames : public CameraTest, public ::testing::WithParamInterface<Case> {
protected:
    // velmor-process on the delivered raw frame, with its first-run defaults: the output surface memory.
    std::vector<BYTE> Offline(const Case& c)
    {
        const std::string in = TempPath("velmor_raw_frames_in.raw"), out = TempPath("velmor_raw_frames_out.raw"),
                          log = TempPath("velmor_raw_frames.log");
        const std::vector<BYTE> delivered = DeliveredRaw(c);
        EXPECT_TRUE(WriteBytes(in, delivered));
        std::ostringstream command;
        command << '"' << ToolPath() << "\" --in \"" << in << "\" --width " << c.width / Divisor(c.mode) << " --height "
                << c.height / Divisor(c.mode) << " --format " << c.bits << " --subsample " << c.mode << " --out \""
                << out << '"';
        const int exit = RunProgram(command.str(), log);
        const std::vector<BYTE> logged = ReadBytes(log);
        EXPECT_EQ(exit, 0) << command.str() << "\n" << std::string(logged.begin(), logged.end());
        std::vector<BYTE> result = ReadBytes(out);
        for (const std::string& file : {in, out, log})
            DeleteFileA(file.c_str());
        return result;
    }

};

TEST_P(RawFrames, SnapShotIsThePipelineOfTheDeliveredSamples)
{
    const Case c = GetParam();
    ASSERT_EQ(Velmor_SetColorMode(camera, c.bits), 1);
    ASSERT_EQ(Velmor_SetSubSample(camera, c.mode), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, kColumns, c.left, c.width, kRows, c.top, c.height), 1);
    const int w = c.width / Divisor(c.mode), h = c.height / Divisor(c.mode), stride = FrameStride(w, c.bits);
    std::vector<BYTE> frame(FrameBytes(w, h, c.bits));
    ASSERT_EQ(Velmor_SnapShot(camera, frame.data(), int(frame.size()), c.topDown), 1);
    EXPECT_TRUE(PopAll(camera).empty());

    std::vector<BYTE> expected = Offline(c);
    ASSERT_EQ(expected.size(), frame.size());
    if (!c.topDown)  // the application's rows come last image row first
        for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(expected.begin() + size_t(top) * stride, expected.begin() + size_t(top + 1) * stride,
                             expected.begin() + size_t(bottom) * stride);
    EXPECT_EQ(FirstDifference(frame, expected, stride), "");
}

// Every format in each window. The 646-pixel window pads 8- and 24-bit rows and is asked for last
// row first; the offset 1032-pixel window gives 516 or 258 pixels a row, the latter padded at 8 bits.
std::vector<Case> Cases()
{
    struct Window {
        int mode, left, top, width, height, topDown;
    };
    constexpr Window kWindows[] = {
        {0, 0, 0, kColumns, kRows, 1},   {2, 0, 0, kColumns, kRows, 1},  {18, 0, 0, kColumns, kRows, 1},
        {0, 64, 32, 646, 480, 0},        {1, 64, 32, 1032, 768, 1},      {2, 64, 32, 1032, 768, 1},
        {17, 64, 32, 1032, 768, 1},      {18, 64, 32, 1032, 768, 1},
    };
    std::vector<Case> cases;
    for (const Window& win : kWindows)
        for (int bits : kAllBits)
            cases.push_back(Case{bits, win.mode, win.left, win.top, win.width, win.height, win.topDown});
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    const Case& c = info.param;
    std::ostringstream name;
    name << c.bits << "bit_" << c.width << "x" << c.height << "_at_" << c.left << "_" << c.top << "_sub" << c.mode
         << (c.topDown ? "" : "_bottomUp");
    return name.str();
}

INSTANTIATE_TEST_SUITE_P(Windows, RawFrames, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
