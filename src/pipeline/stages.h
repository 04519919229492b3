#pragma once
// The pixel stages of the image pipeline. Every stage has the converter call shape and is run
// through TransferPixels over whole surfaces (the measuring ones over sub-rectangles).
// Caller value 1 points to a pointer to the stage's int32 parameter block (stage_params.h); the
// table stages take a pointer to a pointer to their tables as caller value 2 (stage_tables.h), or
// null to build them for the one call.
// Portable: no Windows header.
#include "imaging/pixel_types.h"

// Defect filter, in place on the raw surface; caller value 2 -> the threshold.
// DefectFilter8 also takes BayerParams and returns the number of samples replaced; DefectFilter10 returns 0.
VELMOR_PIXEL_FUNCTION(DefectFilter8);
VELMOR_PIXEL_FUNCTION(DefectFilter10);

// White-balance measurement: caller value 1 -> balance_result block (gains out, phase in).
// The block is left unchanged when a colour has no samples or a zero mean.
VELMOR_PIXEL_FUNCTION(MeasureBayerBalance8);
VELMOR_PIXEL_FUNCTION(MeasureBayerBalance10);
// Demosaic from the raw surface into a 24/32-bit (8) or 48/64-bit (10) surface; BayerParams.
VELMOR_PIXEL_FUNCTION(DemosaicInterior8);
VELMOR_PIXEL_FUNCTION(DemosaicInterior10);
VELMOR_PIXEL_FUNCTION(DemosaicBorder8);
VELMOR_PIXEL_FUNCTION(DemosaicBorder10);

// Gray modes: site gains and offsets in place (GrayParams), the automatic gray balance (writes
// the four gains of its GrayParams; unchanged when a site has no usable sample), luminance from
// a 24-bit surface into the 8-bit raw surface. GrayGainMono8 takes GrayGainTables.
VELMOR_PIXEL_FUNCTION(GrayGainMono8);
VELMOR_PIXEL_FUNCTION(GrayGainMono10);
VELMOR_PIXEL_FUNCTION(MeasureGrayBalance);
VELMOR_PIXEL_FUNCTION(GrayFromColor8);

// Tone stages, in place; ToneParams (value, bits), and CurveTables, one per stage kind.
VELMOR_PIXEL_FUNCTION(GammaMono8);
VELMOR_PIXEL_FUNCTION(GammaMono10);
VELMOR_PIXEL_FUNCTION(GammaColor8);
VELMOR_PIXEL_FUNCTION(GammaColor10);
VELMOR_PIXEL_FUNCTION(ContrastMono8);
VELMOR_PIXEL_FUNCTION(ContrastMono10);
VELMOR_PIXEL_FUNCTION(ContrastColor8);
VELMOR_PIXEL_FUNCTION(ContrastColor10);
VELMOR_PIXEL_FUNCTION(BrightnessMono8);
VELMOR_PIXEL_FUNCTION(BrightnessMono10);
VELMOR_PIXEL_FUNCTION(BrightnessColor8);
VELMOR_PIXEL_FUNCTION(BrightnessColor10);

// Hue and saturation, in place; HueSatParams. The tables are process-wide and guarded by one lock.
VELMOR_PIXEL_FUNCTION(HueSat8);
VELMOR_PIXEL_FUNCTION(HueSat10);

// Unsharp mask: destination the output, source its unsharpened copy; ToneParams (sharpness, bits),
// and SharpenTables.
VELMOR_PIXEL_FUNCTION(SharpenMono8);
VELMOR_PIXEL_FUNCTION(SharpenMono10);
VELMOR_PIXEL_FUNCTION(SharpenColor8);
VELMOR_PIXEL_FUNCTION(SharpenColor10);

// Mean of the rectangle's samples (top eight of ten bits for 16-bit samples), or 0 when empty.
VELMOR_PIXEL_FUNCTION(MeanLevel8);
VELMOR_PIXEL_FUNCTION(MeanLevel10);
// Spread packed device rows to the surface stride, in place, last pixel first.
VELMOR_PIXEL_FUNCTION(RestrideRows8);
VELMOR_PIXEL_FUNCTION(RestrideRows16);

