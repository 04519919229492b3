// The SDK's own preview window on the Xvfb screen: its class, placement and size, the frames it
// shows (read back from the screen and compared with the frame the application gets), and that
// opening and closing it again and again leaves no window, class or GDI object behind.
#include "acquisition_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

using namespace sdktest;

namespace {

constexpr int kFullWidth = 2048;
constexpr int kFullHeight = 1536;
constexpr char kClassPrefix[] = "VideoRenderer_";
constexpr DWORD kFrameWaitMs = 10000;

struct Found {
    HWND window = nullptr;
    std::string className;
};

// The preview window the SDK made on this thread (top-level), or under `parent`.
Found FindPreview(HWND parent = nullptr)
{
    Found found;
    auto visit = [](HWND window, LPARAM data) -> BOOL {
        char name[256] = {};
        GetClassNameA(window, name, sizeof(name));
        if (std::strncmp(name, kClassPrefix, sizeof(kClassPrefix) - 1) != 0)
            return TRUE;
        auto* out = reinterpret_cast<Found*>(data);
        out->window = window;
        out->className = name;
        return FALSE;
    };
    if (parent)
        EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&found));
    else
        EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string Title(HWND window)
{
    char title[64] = {};
    GetWindowTextA(window, title, sizeof(title));
    return title;
}

// Lets the window's thread serve its messages for a moment (frames are painted meanwhile).
void Serve(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
}

// The screen's pixel at a client point of the window, as the X server shows it.
COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

COLORREF BufferPixel(const std::vector<BYTE>& frame, int stride, int row, int column)
{
    const BYTE* p = &frame[size_t(row) * stride + size_t(column) * 3];
    return RGB(p[2], p[1], p[0]);
}

// Writes the screen to a BMP for a person to look at (build folder, next to the test).
void SaveScreen(const char* name)
{
    HDC screen = GetDC(nullptr);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    const DWORD bytes = DWORD(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + bytes), 0, 0,
                             DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    if (FILE* out = std::fopen(name, "wb")) {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        std::fwrite(bits, bytes, 1, out);
        std::fclose(out);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
}

class PreviewWindowTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        camera = NewCamera();
        ASSERT_NE(camera, 0);
        ASSERT_EQ(Velmor_SetColorMode(camera, 24), 1);
    }

    // Stops the preview and returns the last frame as the application gets it, top row first.
    // The window's thread then serves its messages: the system shows what was drawn into a window
    // when that thread next does.
    std::vector<BYTE> StopAndTakeFrame(int width, int height)
    {
        EXPECT_EQ(Velmor_StopPreview(camera), 1);
        std::vector<BYTE> frame(FrameBytes(width, height, 24));
        EXPECT_EQ(Velmor_GetImage(camera, frame.data(), int(frame.size()), 1), 1);
        Serve(300);
        return frame;
    }

    int camera = 0;
};

}  // namespace

TEST_F(PreviewWindowTest, TopLevelWindowHasTheFrameSizeAndIsCentred)
{
    // No placement given: the default is a top-level window.
    ASSERT_EQ(Velmor_Preview(camera), 1);
    Found full = FindPreview();
    ASSERT_NE(full.window, nullptr);
    EXPECT_EQ(Title(full.window), "Active Window");
    RECT client{}, outer{};
    GetClientRect(full.window, &client);
    GetWindowRect(full.window, &outer);
    // Larger than the 1280 x 1024 screen: the corner stays at 0, and the system keeps a window
    // within its largest tracking size, so the client area is the frame only where that allows.
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(client.right, std::min<int>(kFullWidth, client.right + GetSystemMetrics(SM_CXMAXTRACK) -
                                                          (outer.right - outer.left)));
    EXPECT_EQ(client.bottom, std::min<int>(kFullHeight, client.bottom + GetSystemMetrics(SM_CYMAXTRACK) -
                                                            (outer.bottom - outer.top)));
    EXPECT_EQ(Velmor_Close(camera), 1);
    EXPECT_FALSE(IsWindow(full.window));

    ASSERT_EQ(Velmor_SetSubSample(camera, VELMOR_SUBSAMPLE_SKIP_4), 1);
    ASSERT_EQ(Velmor_Preview(camera), 1);
    Found quarter = FindPreview();
    ASSERT_NE(quarter.window, nullptr);
    EXPECT_NE(quarter.className, full.className);  // a class of its own per creation
    GetClientRect(quarter.window, &client);
    GetWindowRect(quarter.window, &outer);
    EXPECT_EQ(client.right, kFullWidth / 4);
    EXPECT_EQ(client.bottom, kFullHeight / 4);
    const int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2);

    // 1:1: every screen pixel is the frame's pixel at the same place, the right way up.
    Serve(500);
    SaveScreen("preview_top_level.bmp");
    const std::vector<BYTE> frame = StopAndTakeFrame(512, 384);
    const int stride = FrameStride(512, 24);
    int wrong = 0;
    for (int y = 0; y < 384; y += 23)
        for (int x = 0; x < 512; x += 17)
            wrong += ScreenPixel(quarter.window, x, y) != BufferPixel(frame, stride, y, x);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Velmor_Close(camera), 1);
}

TEST_F(PreviewWindowTest, ChildWindowScalesTheFrameToItsPlace)
{
    WNDCLASSA parentClass = {};
    parentClass.lpfnWndProc = DefWindowProcA;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.lpszClassName = "VelmorTestParent";
    RegisterClassA(&parentClass);
    HWND parent = CreateWindowExA(0, "VelmorTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                  600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, parent, 10, 20, 640, 480), 1);
    ASSERT_EQ(Velmor_Preview(camera), 1);
    Found child = FindPreview(parent);
    ASSERT_NE(child.window, nullptr);
    EXPECT_EQ(Title(child.window), "ActiveMovie Window");
    EXPECT_EQ(GetDlgCtrlID(child.window), 6540);
    RECT placed{};
    GetWindowRect(child.window, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right - placed.left, 640);
    EXPECT_EQ(placed.bottom - placed.top, 480);

    // Nearest neighbour, 3.2 source pixels a step: screen row y shows frame row
    // 1535 - trunc((479 - y) * 3.2), column x shows frame column trunc(x * 3.2).
    Serve(500);
    SaveScreen("preview_child.bmp");
    const std::vector<BYTE> frame = StopAndTakeFrame(kFullWidth, kFullHeight);
    const int stride = FrameStride(kFullWidth, 24);
    int wrong = 0;
    for (int y = 0; y < 480; y += 19)
        for (int x = 0; x < 640; x += 13) {
            const int row = kFullHeight - 1 - int(float(479 - y) * 3.2f);
            const int column = int(float(x) * 3.2f);
            wrong += ScreenPixel(child.window, x, y) != BufferPixel(frame, stride, row, column);
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Velmor_Close(camera), 1);
    EXPECT_FALSE(IsWindow(child.window));
    DestroyWindow(parent);
}

TEST_F(PreviewWindowTest, NoPlacementMeansNoWindowAndFramesStillFlow)
{
    ASSERT_EQ(Velmor_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, kFullWidth, 0, 320, kFullHeight, 0, 240), 1);
    FrameWindow window;
    std::vector<BYTE> buffer(FrameBytes(320, 240, 24));
    ASSERT_EQ(Velmor_CallBackPreview(camera, window.get(), buffer.data(), int(buffer.size()), 1), 1);
    window.Pump(kFrameWaitMs, 2);
    EXPECT_GE(window.FrameCount(), 2u);
    EXPECT_EQ(FindPreview().window, nullptr);
    EXPECT_EQ(Velmor_Close(camera), 1);
}

TEST_F(PreviewWindowTest, RepeatedPreviewsLeaveNoWindowClassOrGdiObjectBehind)
{
    ASSERT_EQ(Velmor_SetSubSample(camera, VELMOR_SUBSAMPLE_SKIP_4), 1);
    ASSERT_EQ(Velmor_SetCaptureWindowEx(camera, kFullWidth, 0, 640, kFullHeight, 0, 480), 1);
    // One round first, so that lazily made system objects are counted in both readings.
    ASSERT_EQ(Velmor_Preview(camera), 1);
    ASSERT_EQ(Velmor_Close(camera), 1);
    Serve(50);
    const ResourceCounts before = ResourceCounts::Now();
    std::string lastClass;
    for (int cycle = 0; cycle < 100; ++cycle) {
        ASSERT_EQ(Velmor_Preview(camera), 1);
        Found found = FindPreview();
        ASSERT_NE(found.window, nullptr);
        lastClass = found.className;
        ASSERT_EQ(Velmor_Close(camera), 1);
        Serve(5);
    }
    const ResourceCounts after = ResourceCounts::Now();
    EXPECT_GT(before.gdi, 0u);  // the count works here
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.threads, before.threads);
    // The class went with its window.
    WNDCLASSA unused{};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), lastClass.c_str(), &unused));
    EXPECT_EQ(FindPreview().window, nullptr);
    EXPECT_TRUE(PopAll(camera).empty());
}
