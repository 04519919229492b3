/* Template and control ids of the settings dialogs: one header for the resource scripts of both
   languages and for the dialog code. Plain #defines only, so that windres can read it. */
#ifndef VELMOR_DIALOG_IDS_H
#define VELMOR_DIALOG_IDS_H

/* Analog settings dialog: frame and page templates, Japanese and English. */
#define IDD_ANALOG_FRAME_JA 104
#define IDD_ANALOG_PAGE_JA 105
#define IDD_ANALOG_FRAME_EN 111
#define IDD_ANALOG_PAGE_EN 110

/* Camera settings dialog: one template per language. */
#define IDD_CAMERA_JA 101
#define IDD_CAMERA_EN 106

/* Image filter dialog: frame, filter page and gray page templates. */
#define IDD_IMAGE_FRAME_JA 102
#define IDD_IMAGE_FRAME_EN 108
#define IDD_FILTER_PAGE_JA 103
#define IDD_FILTER_PAGE_EN 107
#define IDD_GRAY_PAGE_JA 113
#define IDD_GRAY_PAGE_EN 112

/* Controls shared by the dialog frames. */
#define IDC_FRAME_TAB 1001
#define IDC_DEFAULT 3
#define IDC_APPLY 1002

/* Analog page: trackbar, edit and up-down of each setting. */
#define IDC_GLOBAL_GAIN_BAR 1013
#define IDC_GLOBAL_GAIN_EDIT 1015
#define IDC_GLOBAL_GAIN_SPIN 1038
#define IDC_GAIN_G1_BAR 1018
#define IDC_GAIN_G1_EDIT 1019
#define IDC_GAIN_G1_SPIN 1039
#define IDC_GAIN_R_BAR 1020
#define IDC_GAIN_R_EDIT 1021
#define IDC_GAIN_R_SPIN 1040
#define IDC_GAIN_B_BAR 1022
#define IDC_GAIN_B_EDIT 1023
#define IDC_GAIN_B_SPIN 1041
#define IDC_GAIN_G2_BAR 1024
#define IDC_GAIN_G2_EDIT 1025
#define IDC_GAIN_G2_SPIN 1042
#define IDC_EXPOSURE_BAR 1026
#define IDC_EXPOSURE_EDIT 1027
#define IDC_EXPOSURE_SPIN 1043
#define IDC_MIRROR_V 1028
#define IDC_MIRROR_H 1029
#define IDC_AUTO_IRIS_GAIN 1036
#define IDC_AUTO_IRIS_EXPOSURE 1037
#define IDC_EXPOSURE_TIME 1049

/* Camera dialog: the stream lists, the preset's six values and the wait time. */
#define IDC_CAMERA_FORMAT 1009
#define IDC_CAMERA_PRESET 1010
#define IDC_CAMERA_SUBSAMPLE 1012
#define IDC_CAMERA_CLOCK 1014
#define IDC_CAMERA_TOTAL_H 1039
#define IDC_CAMERA_TOTAL_V 1040
#define IDC_CAMERA_WIDTH 1041
#define IDC_CAMERA_HEIGHT 1042
#define IDC_CAMERA_LEFT 1043
#define IDC_CAMERA_TOP 1044
#define IDC_CAMERA_WAIT 1045

/* Filter page: trackbar, edit and up-down of each filter value. */
#define IDC_BRIGHTNESS_BAR 2001
#define IDC_BRIGHTNESS_EDIT 2002
#define IDC_BRIGHTNESS_SPIN 2004
#define IDC_CONTRAST_BAR 2011
#define IDC_CONTRAST_EDIT 2012
#define IDC_CONTRAST_SPIN 2014
#define IDC_HUE_BAR 2021
#define IDC_HUE_EDIT 2022
#define IDC_HUE_SPIN 2024
#define IDC_SATURATION_BAR 2031
#define IDC_SATURATION_EDIT 2032
#define IDC_SATURATION_SPIN 2034
#define IDC_SHARPNESS_BAR 2041
#define IDC_SHARPNESS_EDIT 2042
#define IDC_SHARPNESS_SPIN 2044
#define IDC_BAYER_R_BAR 2051
#define IDC_BAYER_R_EDIT 2052
#define IDC_BAYER_R_SPIN 2054
#define IDC_BAYER_G_BAR 2061
#define IDC_BAYER_G_EDIT 2062
#define IDC_BAYER_G_SPIN 2063
#define IDC_BAYER_B_BAR 2071
#define IDC_BAYER_B_EDIT 2072
#define IDC_BAYER_B_SPIN 2073
#define IDC_GAMMA_BAR 2081
#define IDC_GAMMA_EDIT 2082
#define IDC_GAMMA_SPIN 2084

/* Both image pages: the automatic balance and the Bayer mode radios (modes 0..3). */
#define IDC_AUTO_ONCE 2074
#define IDC_AUTO_ALL_FRAMES 1035
#define IDC_BAYER_MODE_0 1030
#define IDC_BAYER_MODE_1 1031
#define IDC_BAYER_MODE_2 1032
#define IDC_BAYER_MODE_3 1033

/* Gray page: gains and offsets per colour site, and the gray mode radios (modes 0..2). */
#define IDC_GRAY_GAIN_R_BAR 2100
#define IDC_GRAY_GAIN_R_EDIT 2101
#define IDC_GRAY_GAIN_R_SPIN 2102
#define IDC_GRAY_GAIN_G1_BAR 2103
#define IDC_GRAY_GAIN_G1_EDIT 2104
#define IDC_GRAY_GAIN_G1_SPIN 2105
#define IDC_GRAY_GAIN_G2_BAR 2106
#define IDC_GRAY_GAIN_G2_EDIT 2107
#define IDC_GRAY_GAIN_G2_SPIN 2108
#define IDC_GRAY_GAIN_B_BAR 2109
#define IDC_GRAY_GAIN_B_EDIT 2110
#define IDC_GRAY_GAIN_B_SPIN 2111
#define IDC_GRAY_OFFSET_R_BAR 2112
#define IDC_GRAY_OFFSET_R_EDIT 2113
#define IDC_GRAY_OFFSET_R_SPIN 2114
#define IDC_GRAY_OFFSET_G1_BAR 2115
#define IDC_GRAY_OFFSET_G1_EDIT 2116
#define IDC_GRAY_OFFSET_G1_SPIN 2117
#define IDC_GRAY_OFFSET_G2_BAR 2118
#define IDC_GRAY_OFFSET_G2_EDIT 2119
#define IDC_GRAY_OFFSET_G2_SPIN 2120
#define IDC_GRAY_OFFSET_B_BAR 2121
#define IDC_GRAY_OFFSET_B_EDIT 2122
#define IDC_GRAY_OFFSET_B_SPIN 2123
#define IDC_GRAY_MODE_BAYER 1046
#define IDC_GRAY_MODE_CONVERT 1047
#define IDC_GRAY_MODE_GRAYSCALE 1048

#endif
