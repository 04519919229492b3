// The camera object's preview window: where it comes from, its class and creation, the painting
// of each processed frame (1:1, or scaled through the display surface, always the right way up)
// and its teardown. The window itself does nothing: every message goes to DefWindowProcA.
#include "camera/velmor.h"

#include "imaging/converters.h"
#include "imaging/scale_flip.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kClassNameFormat[] = "VideoRenderer_%08x_%08x";
constexpr char kChildTitle[] = "ActiveMovie Window";
constexpr char kTopLevelTitle[] = "Active Window";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;                                   // 0x52000000
constexpr DWORD kTopLevelStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // 0x16CF0000
constexpr int kChildId = 6540;
static_assert(kChildStyle == 0x52000000 && kTopLevelStyle == 0x16CF0000);

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

bool IsGrayFormat(int format) { return format == 0 || format == 1; }

}  // namespace

int CVelmor::SetPreviewWindow(HWND parent, int x, int y, int width, int height)
{
    if (!HasDevice())
        return 0;
    Guard acquisition(acquisitionLock);
    parentWindow = parent;
    previewRect = RECT{x, y, width, height};  // x, y, width, height: the last two are a size
    return 1;
}

bool CVelmor::WantsPreviewWindow() const
{
    return parentWindow || previewRect.left || previewRect.top || previewRect.right || previewRect.bottom;
}

bool CVelmor::OpenPreviewWindow()
{
    // The window of an earlier start goes first: one window, DC and class at a time.
    DestroyPreviewWindow();
    UnregisterPreviewClass();
    HWND window = CreatePreviewWindow();
    HDC dc = window ? GetDC(window) : nullptr;
    if (!dc) {
        if (window)
            DestroyWindow(window);
        UnregisterPreviewClass();
        return false;
    }
    Guard frame(frameLock);
    previewWindow = window;
    previewDC = dc;
    return true;
}

HWND CVelmor::CreatePreviewWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    std::snprintf(windowClassName, sizeof(windowClassName), kClassNameFormat,
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
                  static_cast<unsigned>(timeGetTime() + static_cast<unsigned>(std::rand())));
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PreviewWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = windowClassName;
    if (!RegisterClassExA(&windowClass)) {
        windowClassName[0] = '\0';
        return nullptr;
    }

    HWND window = nullptr;
    if (parentWindow) {
        window = CreateWindowExA(0, windowClassName, kChildTitle, kChildStyle, previewRect.left, previewRect.top,
                                 previewRect.right, previewRect.bottom, parentWindow,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(kChildId)), instance, nullptr);
    } else {
        // The client area is the frame; the frame is centred, its corner never off the screen.
        RECT frame{0, 0, FrameWidth(), FrameHeight()};
        if (!AdjustWindowRectEx(&frame, kTopLevelStyle, FALSE, 0))
            return nullptr;
        const int x = (GetSystemMetrics(SM_CXSCREEN) + frame.left - frame.right) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) + frame.top - frame.bottom) / 2;
        window = CreateWindowExA(0, windowClassName, kTopLevelTitle, kTopLevelStyle, x > 0 ? x : 0, y > 0 ? y : 0,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                 nullptr);
    }
    if (!window)
        return nullptr;
    SetFocus(window);
    ShowWindow(window, SW_SHOW);
    if (!UpdateWindow(window)) {
        DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void CVelmor::DestroyPreviewWindow()
{
    // The acquisition thread paints under frameLock: it sees the window gone before it goes.
    HWND window = nullptr;
    HDC dc = nullptr;
    {
        Guard frame(frameLock);
        std::swap(window, previewWindow);
        std::swap(dc, previewDC);
    }
    if (dc)
        ReleaseDC(window, dc);
    // Only the creating thread can destroy a window; any other asks it to close itself.
    if (window && !DestroyWindow(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
}

void CVelmor::UnregisterPreviewClass()
{
    if (!windowClassName[0])
        return;
    UnregisterClassA(windowClassName, GetModuleHandleA(nullptr));
    windowClassName[0] = '\0';
}

bool CVelmor::PreviewClientSize(int& width, int& height) const
{
    RECT client{};
    if (!previewWindow || !previewDC || !IsWindowVisible(previewWindow) || !GetClientRect(previewWindow, &client))
        return false;
    width = client.right - client.left;
    height = client.bottom - client.top;
    return width > 0 && height > 0;
}

void CVelmor::CreateDisplaySurface(int width, int height)
{
    displaySurface->Create(width, height, IsGrayFormat(preparedFormat) ? 8 : 24);
}

FrameSurface* CVelmor::DisplaySource()
{
    const auto convert = [](FrameSurface& to, Converter converter, const FrameSurface& from) {
        to.Transfer(converter, from, nullptr, 0, 0, nullptr, nullptr);
        return &to;
    };
    switch (preparedFormat) {
    case 0: return mono8Surface.get();
    case 1: return convert(*mono8Surface, Mono8FromMono10, *mono16Surface);
    case 2: return bgr24Surface.get();
    case 3: return convert(*bgr24Surface, Bgr24FromBgrx32, *bgrx32Surface);
    case 4: return convert(*bgr24Surface, Bgr24FromColor10, *bgr48Surface);
    case 5: return convert(*bgr24Surface, Bgr24FromColor10, *bgra64Surface);
    default: return nullptr;
    }
}

int CVelmor::Paint()
{
    int w = 0, h = 0;
    if (!PreviewClientSize(w, h))
        return 0;
    const FrameSurface* source = DisplaySource();
    if (!source || source->empty())
        return 0;
    // GDI reads bitmaps bottom-up and the surface holds the top row first: a 1:1 copy turned over.
    // A mirrored source starts at its last row, h - 1: starting at h would show a row of black
    // above the image and lose its bottom row.
    if (w == source->width && h == source->height && preparedFormat != 1)
        return StretchBlt(previewDC, 0, 0, w, h, static_cast<HDC>(source->memoryDC), 0, h - 1, w, -h, SRCCOPY);
    const uint16_t bits = IsGrayFormat(preparedFormat) ? 8 : 24;
    if (displaySurface->width != w || displaySurface->height != h || displaySurface->bitCount != bits)
        CreateDisplaySurface(w, h);
    if (displaySurface->empty())
        return 0;
    displaySurface->StretchTransfer(bits == 8 ? ScaleFlip8 : ScaleFlip24, *source, nullptr, nullptr, nullptr,
                                    nullptr);
    return BitBlt(previewDC, 0, 0, w, h, static_cast<HDC>(displaySurface->memoryDC), 0, 0, SRCCOPY);
}
