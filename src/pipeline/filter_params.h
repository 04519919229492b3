#pragma once
// The camera object's image-filter record: the values behind filter numbers 1-12 and 19-28.
// The field order is fixed: settings loaders, dialogs and the pipeline address it by name.
#include <cstdint>

struct FilterParams {
    int32_t brightness;    // 1: -255..255
    int32_t contrast;      // 2: -127..127
    int32_t hue;           // 3: -360..360
    int32_t saturation;    // 4: -255..255
    int32_t sharpness;     // 5: 0..30
    int32_t bayerGainR;    // 7 (6 packs all three): 0..400
    int32_t bayerGainG;    // 8
    int32_t bayerGainB;    // 9
    int32_t gamma;         // 11: 0..200
    int32_t bayerMode;     // 12: 0..3
    int32_t grayMode;      // 19: 0..2
    int32_t grayGainR;     // 20: 0..255
    int32_t grayGainG1;    // 21
    int32_t grayGainG2;    // 22
    int32_t grayGainB;     // 23
    int32_t grayOffsetR;   // 24: -255..255
    int32_t grayOffsetG1;  // 25
    int32_t grayOffsetG2;  // 26
    int32_t grayOffsetB;   // 27
    int32_t bayerGainAuto; // 10: stored as 0 or 1
    int32_t bayerAutoOnce1; // both once-flags 1: one white-balance measurement (image dialog)
    int32_t bayerAutoOnce2;
    int32_t grayGainAuto;  // 28: gray balances still to run; -1 runs one on every frame
};
