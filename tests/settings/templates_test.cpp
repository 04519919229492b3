// The dialog templates in the DLL: every template exists in Japanese (1041) and English (1033),
// and the two define the same controls: ids, classes and, for buttons, the button kind.
#include "settings/dialog_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kButtonClass = 0x0080;
constexpr DWORD kButtonKind = 0x000F;

// One control: id, class (an atom's number or a name) and the button kind for buttons.
using Control = std::tuple<DWORD, std::wstring, DWORD>;

// Reads a name-or-ordinal field of a template and moves past it.
std::wstring NameOrOrdinal(const WORD*& p)
{
    if (*p == 0xFFFF) {
        const std::wstring ordinal = L"#" + std::to_wstring(p[1]);
        p += 2;
        return ordinal;
    }
    std::wstring name;
    while (*p)
        name += wchar_t(*p++);
    ++p;
    return name;
}

// The controls of an extended dialog template, in order; empty when the template is missing.
std::vector<Control> Controls(WORD id, LANGID language)
{
    HMODULE module = GetModuleHandleA("VelmorSdk_520QK_ZRX.dll");
    HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id), language);
    if (!found)
        return {};
    const auto* p = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    if (p[0] != 1 || p[1] != 0xFFFF)
        return {};  // not DIALOGEX
    const DWORD style = *reinterpret_cast<const DWORD*>(p + 6);
    const WORD count = p[8];
    p += 13;
    NameOrOrdinal(p);  // menu
    NameOrOrdinal(p);  // class
    NameOrOrdinal(p);  // title
    if (style & DS_SETFONT) {
        p += 3;  // size, weight, italic and charset
        NameOrOrdinal(p);
    }
    std::vector<Control> controls;
    for (WORD i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
        const DWORD itemStyle = *reinterpret_cast<const DWORD*>(p + 4);
        const DWORD itemId = *reinterpret_cast<const DWORD*>(p + 10);
        p += 12;
        const std::wstring windowClass = NameOrOrdinal(p);
        NameOrOrdinal(p);  // text
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        const bool button = windowClass == L"#" + std::to_wstring(kButtonClass);
        controls.emplace_back(itemId, windowClass, button ? itemStyle & kButtonKind : 0);
    }
    return controls;
}

}  // namespace

TEST(DialogTemplates, BothLanguagesDefineTheSameControls)
{
    // Load the DLL the dialogs live in (the test links it).
    ASSERT_NE(GetModuleHandleA("VelmorSdk_520QK_ZRX.dll"), nullptr);
    const struct {
        WORD japanese, english;
    } pairs[] = {{IDD_ANALOG_FRAME_JA, IDD_ANALOG_FRAME_EN},
                   {IDD_ANALOG_PAGE_JA, IDD_ANALOG_PAGE_EN},
                   {IDD_CAMERA_JA, IDD_CAMERA_EN},
                   {IDD_IMAGE_FRAME_JA, IDD_IMAGE_FRAME_EN},
                   {IDD_FILTER_PAGE_JA, IDD_FILTER_PAGE_EN},
                   {IDD_GRAY_PAGE_JA, IDD_GRAY_PAGE_EN}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.english);
        const std::vector<Control> japanese = Controls(pair.japanese, kJapanese);
        const std::vector<Control> english = Controls(pair.english, kEnglish);
        EXPECT_FALSE(english.empty());
        EXPECT_EQ(japanese, english);
        // A template of one language only is a mistake too.
        EXPECT_TRUE(Controls(pair.japanese, kEnglish).empty());
        EXPECT_TRUE(Controls(pair.english, kJapanese).empty());
    }
}
