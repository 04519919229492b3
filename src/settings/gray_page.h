#pragma once
// The image dialog's second page, for the monochrome formats: the gray gains and offsets per
// colour site, the gray mode, the automatic gray balance and the Bayer mode.
#include "settings/slider_page.h"

class GrayPage : public SliderPage {
public:
    GrayPage(FilterControls& controls, const EnableFlags& flags);

private:
    void Initialize() override;
    void Command(int control) override;
};
