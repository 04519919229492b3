#pragma once
// The shared viewer of the Viewer suite (one start, as an operator keeps it open) and the waits and
// paths its tests use.
#include "viewer_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace viewertest {

using viewer::StatusPart;

constexpr DWORD kFrameWaitMs = 15000;
constexpr DWORD kRecordWaitMs = 30000;
constexpr DWORD kLossWaitMs = 40000;  // frames before the unplug, then the camera's 6 s frame wait
constexpr int kSensorWidth = 2048, kSensorHeight = 1536;

inline std::string OutputFolder()
{
    const char* folder = std::getenv("VELMOR_TEST_OUTPUT");
    return folder ? folder : ".";
}

inline std::string OutputPath(const std::string& name) { return OutputFolder() + "/" + name; }

// The SDK keeps each camera's settings in the registry, which every test of the prefix shares: the
// viewer starts from a first run, and leaves nothing for the tests after it.
inline void ClearCameraSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Korvane"); }

// A window as the screen shows it, as a 24-bit bitmap file; the check script turns it into a PNG.
inline bool SaveWindowPicture(HWND window, const std::string& path)
{
    RECT r = {};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool written = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const DWORD imageBytes = DWORD((width * 3 + 3) & ~3) * height;
        const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        BITMAPFILEHEADER file = {0x4D42, headers + imageBytes, 0, 0, headers};
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
        out.write(static_cast<const char*>(bits), imageBytes);
        written = out.good();
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

// The viewer of the whole suite: one start, as an operator keeps it open.
class Viewer : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ClearCameraSettings();
        process = new ViewerProcess("--device 0 --record-to " + OutputFolder());
    }
    static void TearDownTestSuite()
    {
        delete process;
        ClearCameraSettings();
    }
    void SetUp() override { ASSERT_TRUE(process->main()) << "no viewer window came up"; }

    static bool FramesFlow(DWORD ms = kFrameWaitMs)
    {
        const long long before = process->Number(viewer::kPartReceived);
        return WaitFor([&] { return process->Number(viewer::kPartReceived) > before + 2; }, ms);
    }
    static bool StatusBecomes(StatusPart part, const std::string& text, DWORD ms = kFrameWaitMs)
    {
        return WaitFor([&] { return process->Status(part) == text; }, ms);
    }
    // The picture's frame size as the status bar shows it.
    static void FrameSize(int* width, int* height)
    {
        *width = *height = 0;
        std::sscanf(process->Status(viewer::kPartSize).c_str(), "%d x %d", width, height);
    }
    // A point of the picture area, as a fraction of its size.
    static LPARAM PicturePoint(double fx, double fy)
    {
        RECT area = {};
        GetClientRect(process->Child(viewer::kIdPicture), &area);
        return MAKELPARAM(int(area.right * fx), int(area.bottom * fy));
    }
    static void MouseMessage(UINT message, LPARAM point)
    {
        SendMessageA(process->Child(viewer::kIdPicture), message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, point);
    }

    static inline ViewerProcess* process = nullptr;
};

}  // namespace viewertest
