#pragma once
// The pixel stages of the image pipeline. Every stage has the converter call shape and is run
// through TransferPixels over whole surfaces (the measuring ones over sub-rectangles).
// Caller value 1 points to a pointer to the stage's int32 parameter block (stage_params.h); the
// table stages take a pointer to a pointer to their tables as caller value 2 (stage_tables.h), or
// null to build them for the one call.
// Portable: no Windows header.
#include "imaging/pixel_types.h"

#define VELMOR_STAGE(name)                                                                                      \
    int name(uint8_t* dst, const uint8_t* src, const PixelRect* rect, int32_t dstX, int32_t dstRow,              \
             uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride, void* value1, \
             void* value2)

// Defect filter, in place on the raw surface; caller value 2 -> the threshold.
// DefectFilter8 also takes BayerParams and returns the number of samples replaced; DefectFilter10 returns 0.
VELMOR_STAGE(DefectFilter8);
VELMOR_STAGE(DefectFilter10);

// White-balance measurement: caller value 1 -> balance_result block (gains out, phase in).
// The block is left unchanged when a colour has no samples or a zero mean.
VELMOR_STAGE(MeasureBayerBalance8);
VELMOR_STAGE(MeasureBayerBalance10);
// Demosaic from the raw surface into a 24/32-bit (8) or 48/64-bit (10) surface; BayerParams.
VELMOR_STAGE(DemosaicInterior8);
VELMOR_STAGE(DemosaicInterior10);
VELMOR_STAGE(DemosaicBorder8);
VELMOR_STAGE(DemosaicBorder10);

// Gray modes: site gains and offsets in place (GrayParams), the automatic gray balance (writes
// the four gains of its GrayParams; unchanged when a site has no usable sample), luminance from
// a 24-bit surface into the 8-bit raw surface. GrayGainMono8 takes GrayGainTables.
VELMOR_STAGE(GrayGainMono8);
VELMOR_STAGE(GrayGainMono10);
VELMOR_STAGE(MeasureGrayBalance);
VELMOR_STAGE(GrayFromColor8);

// Tone stages, in place; ToneParams (value, bits), and CurveTables, one per stage kind.
VELMOR_STAGE(GammaMono8);
VELMOR_STAGE(GammaMono10);
VELMOR_STAGE(GammaColor8);
VELMOR_STAGE(GammaColor10);
VELMOR_STAGE(ContrastMono8);
VELMOR_STAGE(ContrastMono10);
VELMOR_STAGE(ContrastColor8);
VELMOR_STAGE(ContrastColor10);
VELMOR_STAGE(BrightnessMono8);
VELMOR_STAGE(BrightnessMono10);
VELMOR_STAGE(BrightnessColor8);
VELMOR_STAGE(BrightnessColor10);

// Hue and saturation, in place; HueSatParams. The tables are process-wide and guarded by one lock.
VELMOR_STAGE(HueSat8);
VELMOR_STAGE(HueSat10);

// Unsharp mask: destination the output, source its unsharpened copy; ToneParams (sharpness, bits),
// and SharpenTables.
VELMOR_STAGE(SharpenMono8);
VELMOR_STAGE(SharpenMono10);
VELMOR_STAGE(SharpenColor8);
VELMOR_STAGE(SharpenColor10);

// Mean of the rectangle's samples (top eight of ten bits for 16-bit samples), or 0 when empty.
VELMOR_STAGE(MeanLevel8);
VELMOR_STAGE(MeanLevel10);
// Spread packed device rows to the surface stride, in place, last pixel first.
VELMOR_STAGE(RestrideRows8);
VELMOR_STAGE(RestrideRows16);

#undef VELMOR_STAGE
