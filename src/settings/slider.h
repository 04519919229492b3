#pragma once
// A numeric setting of a dialog page: a trackbar, a digits-only edit and an up-down bound to the
// edit. The edit holds the value as typed; trackbar and up-down keep to their range.
#include <windows.h>

struct SliderIds {
    int bar;
    int edit;
    int spin;
};

// Range and tick frequency to the trackbar, range and buddy to the up-down.
void SetUpSlider(HWND page, const SliderIds& ids, int low, int high, int tick);
// The trackbar's and the up-down's positions and the edit's signed text.
void ShowSliderValue(HWND page, const SliderIds& ids, int value);
void EnableSlider(HWND page, const SliderIds& ids, bool enable);
int SliderEditValue(HWND page, const SliderIds& ids);
int SliderPosition(HWND page, const SliderIds& ids);
