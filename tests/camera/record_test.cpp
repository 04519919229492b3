// Recording live preview into AVI files: every output format and an odd width, compared with the
// preview frames the application received in its buffer; the refusals and their codes; preview
// going on after a recording, and a second one; recordings stopped early; a full-frame recording
// that ends by itself below 2 GiB. The files stay in VELMOR_TEST_OUTPUT with a list
// (recordings.txt) for the decoder check that reads them with ffprobe and ffmpeg.
#include "record_support.h"

#include <map>

using namespace sdktest;

namespace {

constexpr DWORD kRecordWaitMs = 60000;
constexpr DWORD kLongRecordMs = 3'600'000;
constexpr int kWatchedWaitMs = 40;  // preview pauses between frames: the application keeps up
constexpr size_t kKeptFrames = 16;

// Adds a file to the list the decoder check reads, with what its headers say; `last` names the
// file of its expected last frame (top row first, unpadded BGR), "-" for none, or "count" for a
// file that is only counted (and then removed).
void ListForDecoderCheck(const std::string& name, const AviFile& file, const std::string& last)
{
    static bool started = false;
    FILE* list = std::fopen(OutputPath("recordings.txt").c_str(), started ? "a" : "w");
    ASSERT_NE(list, nullptr);
    started = true;
    std::fprintf(list, "%s %u %u %u %u %s\n", name.c_str(), file.width(), file.height(), file.totalFrames(),
                 file.streamScale(), last.c_str());
    std::fclose(list);
}

// A bottom-up padded 24-bit frame as the decoder gives it: top row first, rows unpadded.
std::vector<BYTE> DecodedOrder(const std::vector<BYTE>& frame, int width, int height)
{
    const int stride = FrameStride(width, 24), row = width * 3;
    std::vector<BYTE> out(static_cast<size_t>(row) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&out[static_cast<size_t>(y) * row], &frame[static_cast<size_t>(height - 1 - y) * stride], row);
    return out;
}

class RecordTest : public CameraTest {
protected:
    int Record(int handle, const std::string& path, int ms)
    {
        std::string copy = path;
        return Velmor_Record(handle, copy.data(), ms, 0);
    }

    // Records `ms` of preview at width × height in `bits` while the application takes each frame
    // from its buffer; the last frames whose copy was whole, by frame number.
    std::map<uint32_t, std::vector<BYTE>> RecordWatched(const std::string& path, int width, int height, int bits,
                                                        int ms)
    {
        EXPECT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, width, 1536, 0, height), 1);
        EXPECT_EQ(Velmor_SetColorMode(camera, bits), 1);
        EXPECT_EQ(Velmor_SetWaitTime(camera, kWatchedWaitMs), 1);
        const int bytes = FrameBytes(width, height, bits);
        std::vector<BYTE> buffer(bytes);
        std::map<uint32_t, std::vector<BYTE>> seen;
        if (Record(camera, path, ms) != 1) {
            ADD_FAILURE() << "Record refused " << path;
            return seen;
        }
        FrameWindow window;
        EXPECT_EQ(Velmor_CallBackPreview(camera, window.get(), buffer.data(), bytes, 1), 1);
        window.PumpUntil(kRecordWaitMs, [&] { return FileReleased(path); }, [&](const FrameWindow::Note&) {
            // The camera writes the buffer top row first: a number unchanged after the copy means
            // the frame did not change during it.
            uint32_t before = 0, after = 0;
            if (!OutputFrameNumber(buffer.data(), width, height, bits, &before))
                return;
            std::vector<BYTE> copy = buffer;
            if (OutputFrameNumber(buffer.data(), width, height, bits, &after) && after == before) {
                seen[before] = std::move(copy);
                if (seen.size() > kKeptFrames)
                    seen.erase(seen.begin());
            }
        });
        EXPECT_TRUE(FileReleased(path));
        EXPECT_EQ(Velmor_StopPreview(camera), 1);
        return seen;
    }
};

}  // namespace

TEST_F(RecordTest, EveryOutputFormatAndAnOddWidthHoldThePreviewFrames)
{
    struct Case {
        int width, height, bits;
    };
    const Case cases[] = {{640, 480, 8},  {640, 480, 16},  {640, 480, 24},  {640, 480, 32},
                          {640, 480, 48}, {640, 480, 64},  {1366, 768, 8}, {1366, 768, 24}};
    for (const Case& c : cases) {
        char name[64];
        std::snprintf(name, sizeof name, "rec-%dx%d-%d.avi", c.width, c.height, c.bits);
        SCOPED_TRACE(name);
        const std::string path = OutputPath(name);
        const auto seen = RecordWatched(path, c.width, c.height, c.bits, 700);
        const AviFile file = AviFile::Read(path);
        ASSERT_TRUE(file.Finished());
        EXPECT_EQ(file.width(), uint32_t(c.width));
        EXPECT_EQ(file.height(), uint32_t(c.height));
        ASSERT_GE(file.totalFrames(), 2u);

        // Each preview frame at most once, in order.
        std::vector<uint32_t> numbers(file.totalFrames());
        for (uint32_t k = 0; k < file.totalFrames(); ++k) {
            ASSERT_TRUE(AviFrameNumber(file.Frame(k), c.width, c.height, &numbers[k])) << k;
            if (k > 0) {
                EXPECT_GT(numbers[k], numbers[k - 1]) << k;
            }
        }
        // The last frame is the preview frame it was recorded from, turned and reduced; on a busy
        // machine the application may have missed that one, then the one before it is compared.
        uint32_t k = file.totalFrames() - 1;
        if (!seen.count(numbers[k]))
            --k;
        ASSERT_TRUE(seen.count(numbers[k])) << "frame " << numbers[k] << " not seen whole";
        const std::vector<BYTE> expected = AviFrameOf(seen.at(numbers[k]).data(), c.width, c.height, c.bits);
        EXPECT_EQ(std::memcmp(file.Frame(k), expected.data(), expected.size()), 0);

        if (k == file.totalFrames() - 1) {
            const std::string last = std::string(name) + ".last";
            ASSERT_TRUE(WriteBytes(OutputPath(last), DecodedOrder(expected, c.width, c.height)));
            ListForDecoderCheck(name, file, last);
        } else {
            ListForDecoderCheck(name, file, "-");
        }
    }
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(RecordTest, RefusalsAndTheirCodes)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    const std::string refused = OutputPath("refused.avi");
    DeleteFileA(refused.c_str());
    EXPECT_EQ(Velmor_Record(camera, nullptr, 1000, 0), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_ARGUMENT});
    EXPECT_EQ(Record(camera, "", 1000), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_ARGUMENT});
    EXPECT_EQ(Record(camera, refused, -1), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_ARGUMENT});
    EXPECT_FALSE(FileReleased(refused));  // not made

    // A wide path that does not fit the 1024-byte conversion buffer.
    std::wstring wide(1100, L'a');
    EXPECT_EQ(Velmor_RecordW(camera, wide.data(), 1000, 0), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_FILE});

    // A folder that does not exist: the file cannot be opened and preview is stopped.
    ASSERT_EQ(Velmor_Preview(camera), 1);
    EXPECT_EQ(Record(camera, OutputPath("no-such-folder/x.avi"), 1000), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_FILE});
    std::vector<BYTE> frame(FrameBytes(320, 240, 8));
    EXPECT_EQ(Velmor_SnapShot(camera, frame.data(), int(frame.size()), 1), 1);  // refused during preview

    // One recording at a time.
    ASSERT_EQ(Record(camera, refused, 60000), 1);
    EXPECT_EQ(Record(camera, OutputPath("second.avi"), 1000), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_STATE});
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_TRUE(AviFile::Read(refused).Finished());
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(RecordTest, PreviewGoesOnAfterARecordingAndASecondOneWorks)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    FrameWindow window;
    for (const char* name : {"first.avi", "second.avi"}) {
        SCOPED_TRACE(name);
        const std::string path = OutputPath(name);
        ASSERT_EQ(Record(camera, path, 500), 1);
        ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
        window.PumpUntil(kRecordWaitMs, [&] { return FileReleased(path); }, [](const FrameWindow::Note&) {});
        window.notes.clear();
        window.Pump(5000, 3);
        EXPECT_GE(window.FrameCount(), 3u) << "preview stopped with the recording";
        const AviFile file = AviFile::Read(path);
        ASSERT_TRUE(file.Finished());
        EXPECT_GE(file.totalFrames(), 2u);
        ListForDecoderCheck(name, file, "-");
    }
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(RecordTest, StoppedEarlyLeavesAPlayableFileAndNoThread)
{
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, 320, 1536, 0, 240), 1);
    // A first recording makes what Wine makes once per process.
    const std::string warm = OutputPath("warm-up.avi");
    ASSERT_EQ(Record(camera, warm, 60000), 1);
    Sleep(300);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    const ResourceCounts before = ResourceCounts::Now();

    const std::string byStop = OutputPath("stopped.avi"), byClose = OutputPath("closed.avi");
    ASSERT_EQ(Record(camera, byStop, 60000), 1);
    Sleep(700);
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    ASSERT_EQ(Record(camera, byClose, 60000), 1);
    Sleep(700);
    ASSERT_EQ(Velmor_Close(camera), 1);
    const ResourceCounts after = ResourceCounts::Now();
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.gdi, before.gdi);

    // Released while recording: the camera object goes, its file is finished.
    const int other = NewCamera();
    ASSERT_NE(other, 0);
    ASSERT_EQ(Velmor_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(other, 2048, 0, 320, 1536, 0, 240), 1);
    const std::string byRelease = OutputPath("released.avi");
    ASSERT_EQ(Record(other, byRelease, 60000), 1);
    Sleep(700);
    Velmor_Release(other);
    Forget(other);
    EXPECT_EQ(ResourceCounts::Now().threads, before.threads);

    for (const std::string& path : {byStop, byClose, byRelease}) {
        SCOPED_TRACE(path);
        const AviFile file = AviFile::Read(path);
        ASSERT_TRUE(file.Finished());
        EXPECT_GE(file.totalFrames(), 2u);
        ListForDecoderCheck(path.substr(path.find_last_of('/') + 1), file, "-");
    }
}

TEST_F(RecordTest, FullFrameRecordingEndsByItselfBelowTwoGiB)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
    const std::string path = OutputPath("long.avi");
    ASSERT_EQ(Record(camera, path, int(kLongRecordMs)), 1);
    ASSERT_TRUE(WaitReleased(path, 10 * kRecordWaitMs));
    // The most frames whose file, with its index, stays under 2 GiB.
    constexpr uint64_t kFrameBytes = 2048ull * 1536 * 3, kLimit = 1ull << 31;
    constexpr uint64_t kChunk = 8 + kFrameBytes, kIndexEntry = 16;
    constexpr uint64_t kFrames = (kLimit - 1 - AviFile::kHeaderBytes - 8) / (kChunk + kIndexEntry);
    const AviFile file = AviFile::Read(path, true);
    EXPECT_EQ(file.totalFrames(), kFrames);
    EXPECT_EQ(file.size, AviFile::kHeaderBytes + kFrames * (kChunk + kIndexEntry) + 8);
    EXPECT_LT(file.size, kLimit);
    EXPECT_EQ(file.size, uint64_t{file.riffSize()} + 8);
    // Preview goes on after the recording.
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.Pump(10000, 2);
    EXPECT_GE(window.FrameCount(), 2u);
    EXPECT_EQ(Velmor_StopPreview(camera), 1);
    EXPECT_TRUE(PopAll(camera).empty());
    ListForDecoderCheck("long.avi", file, "count");
}
