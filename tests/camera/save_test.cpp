// Still images of the current frame: a snapshot in every output format saved in every file type,
// with the snapshot itself beside them, for the decoder check that reads them back
// (check_saved_frames.py); the saves that are refused; a file that is replaced; and live preview
// going on while a large PNG is being written.
#include "snapshot_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace sdktest;

namespace {

// A small window whose 8- and 24-bit rows are padded; check_saved_frames.py knows its size.
constexpr int kWidth = 322;
constexpr int kHeight = 9;
constexpr int kAllBits[] = {8, 16, 24, 32, 48, 64};
constexpr DWORD kFrameWaitMs = 10000;

// The files of a format for the decoder check: fBITS.bin the snapshot, fBITS.<kSavedAs[code]> the saves.
constexpr const char* kSavedAs[] = {"bmp", "raw", "q100.jpg", "q70.jpg", "q20.jpg", "png", "tif"};

std::string FrameFile(int bits, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "f%d.%s", bits, extension);
    return OutputPath(name);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int Save(int camera, std::string path, int code) { return Velmor_SaveImage(camera, path.data(), code); }

std::wstring WideOutputPath(const wchar_t* name)
{
    const std::string folder = OutputPath("");
    return std::wstring(folder.begin(), folder.end()) + name;  // the folder's name is ASCII
}

int SaveWide(int camera, std::wstring path, int code) { return Velmor_SaveImageW(camera, path.data(), code); }

class SaveTest : public CameraTest {
protected:
    // A snapshot of the small window in `bits`, top row first.
    std::vector<BYTE> Snap(int bits)
    {
        EXPECT_EQ(Velmor_SetCaptureWindowEx(camera, 2048, 0, kWidth, 1536, 0, kHeight), 1);
        EXPECT_EQ(Velmor_SetColorMode(camera, bits), 1);
        std::vector<BYTE> frame(FrameBytes(kWidth, kHeight, bits));
        EXPECT_EQ(Velmor_SnapShot(camera, frame.data(), int(frame.size()), 1), 1);
        return frame;
    }

};

}  // namespace

TEST_F(SaveTest, EveryFormatInEveryFileTypeForTheDecoderCheck)
{
    for (int bits : kAllBits) {
        SCOPED_TRACE(bits);
        ASSERT_TRUE(WriteBytes(FrameFile(bits, "bin"), Snap(bits)));
        for (int code = VELMOR_SAVE_BMP; code <= VELMOR_SAVE_TIFF; ++code) {
            const std::string path = FrameFile(bits, kSavedAs[code]);
            DeleteFileA(path.c_str());  // nothing left from an earlier run
            EXPECT_EQ(Save(camera, path, code), 1) << path;
        }
        if (bits == 32) {
            const std::wstring path = WideOutputPath(L"f32-wide-\u00E9.png");
            DeleteFileW(path.c_str());
            EXPECT_EQ(SaveWide(camera, path, VELMOR_SAVE_PNG), 1);
        }
    }
    EXPECT_TRUE(PopAll(camera).empty());
}

TEST_F(SaveTest, RefusedSavesWriteNoFile)
{
    const std::string path = OutputPath("refused.img");
    DeleteFileA(path.c_str());
    // A fresh camera has no frame yet.
    EXPECT_EQ(Save(camera, path, VELMOR_SAVE_PNG), 0);
    EXPECT_EQ(PopAll(camera), std::vector<int>{VELMOR_ERROR_STATE});
    EXPECT_FALSE(Exists(path));

    Snap(24);
    for (int code : {VELMOR_SAVE_TIFF + 1, -1}) {
        EXPECT_EQ(Save(camera, path, code), 0) << code;
        EXPECT_EQ(SaveWide(camera, WideOutputPath(L"refused.img"), code), 0) << code;
        EXPECT_FALSE(Exists(path)) << code;
    }
}

TEST_F(SaveTest, ALargerFileIsReplacedByExactlyWhatANewOneGets)
{
    Snap(24);
    const std::string fresh = OutputPath("fresh.img"), replaced = OutputPath("replaced.img");
    for (int code = VELMOR_SAVE_BMP; code <= VELMOR_SAVE_TIFF; ++code) {
        DeleteFileA(fresh.c_str());
        ASSERT_EQ(Save(camera, fresh, code), 1) << code;
        ASSERT_TRUE(WriteBytes(replaced, std::vector<BYTE>(1 << 20, 0xA5)));
        ASSERT_EQ(Save(camera, replaced, code), 1) << code;
        EXPECT_TRUE(ReadBytes(replaced) == ReadBytes(fresh)) << "code " << code;
    }
    DeleteFileA(fresh.c_str());
    DeleteFileA(replaced.c_str());
}

TEST_F(SaveTest, PreviewFramesKeepComingWhileA16BitPngOfAFullFrameIsWritten)
{
    constexpr int kSaves = 3;
    ASSERT_EQ(Velmor_SetColorMode(camera, 64), 1);  // the full window: a 24 MiB surface
    FrameWindow window;
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), nullptr, 0, 1), 1);
    window.Pump(kFrameWaitMs, 1);  // a frame to save
    ASSERT_EQ(window.FrameCount(), 1u);

    struct Span {
        DWORD start, end;
    };
    std::vector<Span> saves;
    std::atomic<bool> saving{true};
    std::atomic<int> failed{0};
    const std::string path = OutputPath("preview-f64.png");
    std::thread saver([&] {
        for (int i = 0; i < kSaves; ++i) {
            const DWORD start = GetTickCount();
            failed += Save(camera, path, VELMOR_SAVE_PNG) != 1;
            saves.push_back(Span{start, GetTickCount()});
        }
        saving = false;
    });
    while (saving)
        window.Pump(50);
    saver.join();
    ASSERT_EQ(Velmor_StopPreview(camera), 1);
    DeleteFileA(path.c_str());

    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(window.Failures().empty());
    // Posting times strictly inside a save's call.
    const auto during = std::count_if(window.notes.begin(), window.notes.end(), [&](const FrameWindow::Note& note) {
        return note.wParam && std::any_of(saves.begin(), saves.end(), [&](const Span& s) {
                   return int32_t(note.time - s.start) > 0 && int32_t(s.end - note.time) > 0;
               });
    });
    EXPECT_GE(during, 1) << window.FrameCount() << " frames in all";
    EXPECT_TRUE(PopAll(camera).empty());
}
