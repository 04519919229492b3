/* The named forms of Velmor_SetFilterValue / Velmor_GetFilterValue: X(number, Name).
   Velmor_SetName(handle, value) and Velmor_GetName(handle, ok) pass their fixed number. */
#define VELMOR_FILTER_FORMS(X) \
    X(1, Brightness) \
    X(2, Contrast) \
    X(3, Hue) \
    X(4, Saturation) \
    X(5, Sharpness) \
    X(6, BayerGainRGB) \
    X(7, BayerGainRed) \
    X(8, BayerGainGreen) \
    X(9, BayerGainBlue) \
    X(10, BayerGainAuto) \
    X(11, Gamma) \
    X(12, BayerMode) \
    X(13, GlobalGain) \
    X(14, ColorGainRed) \
    X(15, ColorGainGreen1) \
    X(16, ColorGainGreen2) \
    X(17, ColorGainBlue) \
    X(18, ExposureTime) \
    X(19, GrayMode) \
    X(20, GrayGainR) \
    X(21, GrayGainG1) \
    X(22, GrayGainG2) \
    X(23, GrayGainB) \
    X(24, GrayOffsetR) \
    X(25, GrayOffsetG1) \
    X(26, GrayOffsetG2) \
    X(27, GrayOffsetB)
