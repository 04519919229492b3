#include "settings/slider.h"

#include <commctrl.h>

#include <initializer_list>

void SetUpSlider(HWND page, const SliderIds& ids, int low, int high, int tick)
{
    SendDlgItemMessageA(page, ids.bar, TBM_SETRANGEMIN, FALSE, low);
    SendDlgItemMessageA(page, ids.bar, TBM_SETRANGEMAX, FALSE, high);
    SendDlgItemMessageA(page, ids.bar, TBM_SETTICFREQ, tick, 0);
    SendDlgItemMessageA(page, ids.spin, UDM_SETRANGE32, low, high);
    SendDlgItemMessageA(page, ids.spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, ids.edit)), 0);
}

void ShowSliderValue(HWND page, const SliderIds& ids, int value)
{
    SendDlgItemMessageA(page, ids.bar, TBM_SETPOS, TRUE, value);
    SendDlgItemMessageA(page, ids.spin, UDM_SETPOS32, 0, value);
    SetDlgItemInt(page, ids.edit, value, TRUE);
}

void EnableSlider(HWND page, const SliderIds& ids, bool enable)
{
    for (int control : {ids.bar, ids.edit, ids.spin})
        EnableWindow(GetDlgItem(page, control), enable);
}

int SliderEditValue(HWND page, const SliderIds& ids)
{
    return static_cast<int>(GetDlgItemInt(page, ids.edit, nullptr, TRUE));
}

int SliderPosition(HWND page, const SliderIds& ids)
{
    return static_cast<int>(SendDlgItemMessageA(page, ids.bar, TBM_GETPOS, 0, 0));
}
