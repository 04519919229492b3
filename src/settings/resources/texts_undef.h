/* Clears the texts of one language before the next one is defined. */
#undef DIALOG_FONT
#undef TEXT_PROPERTY
#undef TEXT_OK
#undef TEXT_CANCEL
#undef TEXT_DEFAULT
#undef TEXT_GLOBAL_GAIN
#undef TEXT_GAIN_G1
#undef TEXT_GAIN_R
#undef TEXT_GAIN_B
#undef TEXT_GAIN_G2
#undef TEXT_EXPOSURE
#undef TEXT_AUTO_IRIS
#undef TEXT_IRIS_GAIN
#undef TEXT_IRIS_EXPOSURE
#undef TEXT_MIRROR_V
#undef TEXT_MIRROR_H
