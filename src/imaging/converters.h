#pragma once
// Pixel converters between surfaces of different formats, all of the Converter shape
// (pixel_types.h), run through FrameSurface::Transfer. "Flipped" ones read the source rows in
// reverse order. 16-bit samples are little-endian words with 10 significant bits; ">> 2" keeps
// the top eight of them, "<< 6" stretches 0..1023 to 0..65472. Only the named samples of a
// destination pixel are written. The converters trust their caller: rectangle, formats and
// strides must match the surfaces. Portable.
#include "imaging/pixel_types.h"

VELMOR_PIXEL_FUNCTION(CopyRowsFlipped);          // any -> same format, one block copy per row
VELMOR_PIXEL_FUNCTION(Bgr24FromColorFlipped);    // 24/32 -> 24
VELMOR_PIXEL_FUNCTION(Bgr24FromBgrx32);          // 32 -> 24
VELMOR_PIXEL_FUNCTION(Mono8FromMono10);          // 16 -> 8
VELMOR_PIXEL_FUNCTION(Mono8FromMono10Flipped);   // 16 -> 8
VELMOR_PIXEL_FUNCTION(Bgr24FromColor10);         // 48/64 -> 24
VELMOR_PIXEL_FUNCTION(Bgr24FromColor10Flipped);  // 48/64 -> 24
VELMOR_PIXEL_FUNCTION(Mono16FromMono10);         // 16 -> 16
VELMOR_PIXEL_FUNCTION(Bgr48FromBgr10);           // 48 -> 48, order kept
VELMOR_PIXEL_FUNCTION(Rgb48FromBgr10);           // 48 -> 48, red first
VELMOR_PIXEL_FUNCTION(Bgra64FromBgr10);          // 64 -> 64, order kept, fourth sample 65535
VELMOR_PIXEL_FUNCTION(Rgba64FromBgr10);          // 64 -> 64, red first, fourth sample 65535
VELMOR_PIXEL_FUNCTION(RgbFromBgr8);              // 24/32 -> same, red first, fourth byte untouched
VELMOR_PIXEL_FUNCTION(Bgra32InvertedAlpha);      // 32 -> 32, fourth byte complemented

