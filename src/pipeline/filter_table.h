#pragma once
// The stored filter values, one row each: the number the SDK's filter calls take, the field of
// the filter record, the accepted range, the first-run value, and the registry group and name it
// is kept under. The setters and getters, the registry, velmor-process and the dialogs all read
// this table. Numbers 6 (the three white-balance gains packed), 10 (automatic white balance) and
// 13 to 18 (sensor gains and exposure) are not stored values and are not in it.
#include <cstddef>
#include <cstdint>

#include "pipeline/filter_params.h"

// The filter numbers of the SDK's filter calls (the public header names the same values).
enum FilterNumber : int {
    kFilterBrightness = 1,
    kFilterContrast,
    kFilterHue,
    kFilterSaturation,
    kFilterSharpness,
    kFilterBayerRgb,  // the three white-balance gains packed
    kFilterBayerRed,
    kFilterBayerGreen,
    kFilterBayerBlue,
    kFilterBayerAuto,
    kFilterGamma,
    kFilterBayerMode,
    kFilterGlobalGain,  // 13..18: sensor gains and exposure
    kFilterColorGainRed,
    kFilterColorGainGreen1,
    kFilterColorGainGreen2,
    kFilterColorGainBlue,
    kFilterExposure,
    kFilterGrayMode,
    kFilterGrayGainR,
    kFilterGrayGainG1,
    kFilterGrayGainG2,
    kFilterGrayGainB,
    kFilterGrayOffsetR,
    kFilterGrayOffsetG1,
    kFilterGrayOffsetG2,
    kFilterGrayOffsetB,
    kFilterGrayGainAuto,
};

// The highest filter number the SDK's filter calls know.
inline constexpr int kFilterNumbers = kFilterGrayGainAuto;

// The registry subkey of a camera that holds a value: "Filter" or "Gray".
enum class FilterGroup : uint8_t { Filter, Gray };

struct FilterValue {
    int number;
    int32_t FilterParams::* field;
    int32_t low;
    int32_t high;
    int32_t firstRun;
    FilterGroup group;
    const char* registryName;
};

// In filter-number order, which is also the order the registry groups store them in.
inline constexpr FilterValue kFilterValues[] = {
    {kFilterBrightness, &FilterParams::brightness, -255, 255, 0, FilterGroup::Filter, "Brightness"},
    {kFilterContrast, &FilterParams::contrast, -127, 127, 0, FilterGroup::Filter, "Contrast"},
    {kFilterHue, &FilterParams::hue, -360, 360, 0, FilterGroup::Filter, "Hue"},
    {kFilterSaturation, &FilterParams::saturation, -255, 255, 0, FilterGroup::Filter, "Saturation"},
    {kFilterSharpness, &FilterParams::sharpness, 0, 30, 0, FilterGroup::Filter, "Sharpness"},
    {kFilterBayerRed, &FilterParams::bayerGainR, 0, 400, 100, FilterGroup::Filter, "R_Gain"},
    {kFilterBayerGreen, &FilterParams::bayerGainG, 0, 400, 100, FilterGroup::Filter, "G_Gain"},
    {kFilterBayerBlue, &FilterParams::bayerGainB, 0, 400, 100, FilterGroup::Filter, "B_Gain"},
    {kFilterGamma, &FilterParams::gamma, 0, 200, 100, FilterGroup::Filter, "Gamma"},
    {kFilterBayerMode, &FilterParams::bayerMode, 0, 3, 3, FilterGroup::Filter, "BayerMode"},
    {kFilterGrayMode, &FilterParams::grayMode, 0, 2, 0, FilterGroup::Gray, "Mode"},
    {kFilterGrayGainR, &FilterParams::grayGainR, 0, 255, 128, FilterGroup::Gray, "GainR1"},
    {kFilterGrayGainG1, &FilterParams::grayGainG1, 0, 255, 128, FilterGroup::Gray, "GainG1"},
    {kFilterGrayGainG2, &FilterParams::grayGainG2, 0, 255, 128, FilterGroup::Gray, "GainG2"},
    {kFilterGrayGainB, &FilterParams::grayGainB, 0, 255, 128, FilterGroup::Gray, "GainB1"},
    {kFilterGrayOffsetR, &FilterParams::grayOffsetR, -255, 255, 0, FilterGroup::Gray, "OffsetR1"},
    {kFilterGrayOffsetG1, &FilterParams::grayOffsetG1, -255, 255, 0, FilterGroup::Gray, "OffsetG1"},
    {kFilterGrayOffsetG2, &FilterParams::grayOffsetG2, -255, 255, 0, FilterGroup::Gray, "OffsetG2"},
    {kFilterGrayOffsetB, &FilterParams::grayOffsetB, -255, 255, 0, FilterGroup::Gray, "OffsetB1"},
    {kFilterGrayGainAuto, &FilterParams::grayGainAuto, 0, 1, 0, FilterGroup::Gray, nullptr},  // not kept in the registry
};

// The row of a stored value, or null.
inline const FilterValue* FindFilterValue(int number)
{
    for (const FilterValue& value : kFilterValues)
        if (value.number == number)
            return &value;
    return nullptr;
}

// The row of a record field, or null.
inline const FilterValue* FindFilterField(int32_t FilterParams::* field)
{
    for (const FilterValue& value : kFilterValues)
        if (value.field == field)
            return &value;
    return nullptr;
}

// The record of a first run: every stored value at its first-run value, every automatic balance off.
inline FilterParams FirstRunFilter()
{
    FilterParams filter{};
    for (const FilterValue& value : kFilterValues)
        filter.*value.field = value.firstRun;
    return filter;
}
