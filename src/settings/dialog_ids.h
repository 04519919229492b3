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

#endif
