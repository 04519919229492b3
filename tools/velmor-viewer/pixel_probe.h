#pragma once
// The value of one pixel in words, in the output format's own bits: 0..255 for the 8, 24 and
// 32-bit formats, 0..1023 for the 16, 48 and 64-bit ones. Portable, no Windows header.
#include "frame_ref.h"

#include <string>

namespace viewer {

// "(x, y) gray v" or "(x, y) R r G g B b"; empty outside the frame.
std::string PixelText(const FrameRef& frame, int x, int y);

}  // namespace viewer
