#pragma once
// The image dialog's first page: brightness, contrast, hue, saturation, sharpness, the white
// balance gains and gamma, the automatic white balance and the Bayer mode.
#include "settings/slider_page.h"

class FilterPage : public SliderPage {
public:
    FilterPage(FilterControls& controls, const EnableFlags& flags);
    void Refresh() override;
    void ReadBack() override;

private:
    void Initialize() override;
    void Command(int control) override;
};
