// The three dialogs as the operator sees them, in the system's language: each is photographed
// from the screen into a PNG (VELMOR_TEST_OUTPUT, named by dialog and language) and its captions
// are checked in that language. Run once in English and once with a Japanese system locale.
#include "dialog_driver.h"

#include "imaging/frame_surface.h"
#include "imaging/image_writer.h"
#include "settings/dialog_ids.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace sdktest;

namespace {

constexpr LANGID kJapanese = 1041;

bool Japanese() { return GetSystemDefaultLangID() == kJapanese; }

std::wstring WideText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring TabText(HWND frame, int index)
{
    wchar_t text[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendDlgItemMessageW(frame, IDC_FRAME_TAB, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The window as the screen shows it, into <output>/<name>-<language>.png.
void Photograph(HWND window, const char* name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);  // the X server draws what the window drew
    RECT r = {};
    GetWindowRect(window, &r);
    FrameSurface surface;
    ASSERT_EQ(surface.Create(r.right - r.left, r.bottom - r.top, 24), 1);
    HDC screen = GetDC(nullptr);
    BitBlt(static_cast<HDC>(surface.memoryDC), 0, 0, surface.width, surface.height, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    // GDI drew into the bitmap bottom-up; the surface's memory rows run top-down.
    std::vector<uint8_t> row(surface.stride);
    for (int y = 0; y < surface.height / 2; ++y) {
        uint8_t* top = surface.pixels + size_t(y) * surface.stride;
        uint8_t* bottom = surface.pixels + size_t(surface.height - 1 - y) * surface.stride;
        std::copy(top, top + surface.stride, row.data());
        std::copy(bottom, bottom + surface.stride, top);
        std::copy(row.begin(), row.end(), bottom);
    }
    const char* folder = std::getenv("VELMOR_TEST_OUTPUT");
    const std::string path = std::string(folder ? folder : ".") + "/" + name + (Japanese() ? "-ja" : "-en") + ".png";
    EXPECT_EQ(WriteImageFile(path.c_str(), surface, kSavePng), 1) << path;
}

class DialogScreens : public CameraTest {
protected:
    // The frame's caption and the text of one of its buttons in the system's language.
    static void ExpectLanguage(HWND frame)
    {
        EXPECT_EQ(WideText(frame), Japanese() ? L"プロパティ" : L"Property");
        EXPECT_EQ(WideText(GetDlgItem(frame, IDCANCEL)), Japanese() ? L"キャンセル" : L"Cancel");
    }
};

}  // namespace

TEST_F(DialogScreens, TheLocaleOfTheRunIsTheOneAsked)
{
    // The Japanese run sets a Japanese locale for Wine; the English one leaves the prefix's own.
    const char* asked = std::getenv("LC_ALL");
    const bool japanese = asked && std::string(asked).rfind("ja_JP", 0) == 0;
    EXPECT_EQ(Japanese(), japanese) << GetSystemDefaultLangID();
}

TEST_F(DialogScreens, Analog)
{
    EXPECT_EQ(RunDialog([&] { return Velmor_SetAnalogDlg(camera, nullptr); },
                        [&](HWND frame) {
                            ExpectLanguage(frame);
                            EXPECT_EQ(TabText(frame, 0), L"Analog Gain");
                            Photograph(frame, "analog");
                            Click(frame, IDCANCEL);
                        }),
              1);
}

TEST_F(DialogScreens, Camera)
{
    EXPECT_EQ(RunDialog([&] { return Velmor_SetCameraDlg(camera, nullptr); },
                        [&](HWND frame) {
                            ExpectLanguage(frame);
                            EXPECT_EQ(TabText(frame, 0), Japanese() ? L"ストリーム形式" : L"Stream Format");
                            wchar_t custom[32] = {};
                            SendDlgItemMessageW(frame, IDC_CAMERA_PRESET, CB_GETLBTEXT, 1,
                                                reinterpret_cast<LPARAM>(custom));
                            EXPECT_EQ(std::wstring(custom), Japanese() ? L"カスタム" : L"Custom");
                            Photograph(frame, "camera");
                            Click(frame, IDCANCEL);
                        }),
              1);
}

TEST_F(DialogScreens, ImageWithBothPages)
{
    ASSERT_EQ(Velmor_SetColorMode(camera, 8), 1);
    EXPECT_EQ(RunDialog([&] { return Velmor_SetImageDlg(camera, nullptr); },
                        [&](HWND frame) {
                            ExpectLanguage(frame);
                            EXPECT_EQ(TabText(frame, 0), L"Image Filter");
                            EXPECT_EQ(TabText(frame, 1), L"Gray Filter");
                            Photograph(frame, "image-filter");
                            HWND tab = GetDlgItem(frame, IDC_FRAME_TAB);
                            SendMessageA(tab, TCM_SETCURSEL, 1, 0);
                            NMHDR note = {tab, IDC_FRAME_TAB, UINT(TCN_SELCHANGE)};
                            SendMessageA(frame, WM_NOTIFY, IDC_FRAME_TAB, reinterpret_cast<LPARAM>(&note));
                            Photograph(frame, "image-gray");
                            Click(frame, IDCANCEL);
                        }),
              1);
}
