#include "pixel_probe.h"

namespace viewer {

namespace {

// Colour formats store blue, green, red: channel 2 is red.
constexpr int kRed = 2, kGreen = 1, kBlue = 0;

}  // namespace

std::string PixelText(const FrameRef& frame, int x, int y)
{
    if (!frame.Valid() || x < 0 || y < 0 || x >= frame.width || y >= frame.height)
        return {};
    // Appended piece by piece: GCC 12 warns wrongly on "..." + std::string here.
    std::string text(1, '(');
    text.append(std::to_string(x)).append(", ").append(std::to_string(y)).append(") ");
    if (FrameRef::Channels(frame.bitsPerPixel) == 1)
        return text + "gray " + std::to_string(frame.Sample(x, y, 0));
    return text + "R " + std::to_string(frame.Sample(x, y, kRed)) + " G " + std::to_string(frame.Sample(x, y, kGreen)) +
           " B " + std::to_string(frame.Sample(x, y, kBlue));
}

}  // namespace viewer
