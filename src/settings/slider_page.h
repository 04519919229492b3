#pragma once
// The image filter dialog's pages: sliders bound to fields of the camera's filter record. Every
// change goes into the record at once through FilterControls, so the next frame shows it.
#include "pipeline/filter_params.h"
#include "settings/dialog_base.h"
#include "settings/slider.h"

#include <array>
#include <functional>
#include <span>

// What the image dialog changes on the camera: its filter record, under the camera's own lock.
class FilterControls {
public:
    virtual ~FilterControls() = default;
    virtual FilterParams Current() = 0;
    virtual void Change(const std::function<void(FilterParams&)>& change) = 0;
    void Set(int32_t FilterParams::* field, int32_t value)
    {
        Change([&](FilterParams& f) { f.*field = value; });
    }
};

// The enable flags, chosen by the output format: flag n enables the controls of group n.
constexpr int kEnableFlagCount = 19;
using EnableFlags = std::array<int32_t, kEnableFlagCount>;
constexpr int kFlagAlways = -1;  // controls enabled whatever the format
constexpr int kFlagGrayTab = 9;
constexpr int kFlagColourBalance = 15;
EnableFlags EnableFlagsFor(int outputFormat);

// One slider of a page: its controls, the field it edits, its range and ticks, its enable flag.
struct SliderRow {
    SliderIds ids;
    int32_t FilterParams::* field;
    int low;
    int high;
    int tick;
    int flag;
};

class SliderPage : public DialogBase {
public:
    HWND Create(HWND tab);
    // Positions and edits from the record; the automatic balances change it behind the page.
    virtual void Refresh();
    // The edits (signed) into the record, as OK takes them.
    virtual void ReadBack();

protected:
    // Fills the page's own controls after SetUpSliders; a click on one of them.
    virtual void Initialize() = 0;
    virtual void Command(int control) = 0;

    SliderPage(FilterControls& controls, const EnableFlags& flags, std::span<const SliderRow> rows,
               int japaneseTemplate, int englishTemplate);
    void SetUpSliders();
    bool Enabled(int flag) const { return flag == kFlagAlways || flags_[flag] != 0; }
    // Checks the radio at `index` of `radios` and unchecks the others (none for an index outside).
    void CheckRadio(std::span<const int> radios, int index) const;
    // The index of the first checked radio, or -1.
    int CheckedRadio(std::span<const int> radios) const;
    // A click on one of `radios` stores its index in `field`.
    void StoreRadio(std::span<const int> radios, int control, int32_t FilterParams::* field);

    FilterControls& controls_;
    const EnableFlags flags_;
    bool ready_ = false;  // edit changes count only once the page is filled

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) final;
    // WM_HSCROLL from a trackbar and EN_CHANGE from an edit: the record follows. True when handled.
    bool SliderMessage(UINT message, WPARAM wParam, LPARAM lParam);

    const std::span<const SliderRow> rows_;
    const int japaneseTemplate_;
    const int englishTemplate_;
};

// The Bayer mode radios of both pages, for modes 0..3.
extern const std::array<int, 4> kBayerModeRadios;
