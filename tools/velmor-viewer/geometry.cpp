#include "geometry.h"

#include <algorithm>
#include <cstdlib>

namespace viewer {

namespace {

// Sub-sampling codes of the camera: 1 and 17 halve the frame, 2 and 18 quarter it.
constexpr int kHalfSkip = 1, kQuarterSkip = 2, kHalfBin = 17, kQuarterBin = 18;
// A selection smaller than this many frame pixels is a click, not a window.
constexpr int kMinSelection = 4;

int SnapDown(int value) { return value / kWindowStep * kWindowStep; }
int SnapUp(int value) { return (value + kWindowStep - 1) / kWindowStep * kWindowStep; }

// One axis of the sensor window: from `start` to `end` (sensor pixels), snapped and kept inside.
void Span(int start, int end, int limit, int* position, int* size)
{
    int low = SnapDown(std::clamp(start, 0, limit));
    int high = SnapUp(std::clamp(end, 0, limit));
    if (high - low < kMinWindow) {
        high = std::min(limit, low + kMinWindow);
        low = high - kMinWindow;
    }
    *position = low;
    *size = high - low;
}

}  // namespace

int SubSampleFactor(int code)
{
    if (code == kHalfSkip || code == kHalfBin)
        return 2;
    if (code == kQuarterSkip || code == kQuarterBin)
        return 4;
    return 1;
}

Box FitPicture(int areaWidth, int areaHeight, int frameWidth, int frameHeight)
{
    if (areaWidth <= 0 || areaHeight <= 0 || frameWidth <= 0 || frameHeight <= 0)
        return {};
    // Compare the proportions in 64-bit integers: exact, and no rounding decides the wider side.
    const long long wide = 1LL * areaWidth * frameHeight, tall = 1LL * areaHeight * frameWidth;
    Box box;
    if (wide > tall) {  // the area is wider than the frame: bars left and right
        box.height = areaHeight;
        box.width = std::max(1, int(1LL * areaHeight * frameWidth / frameHeight));
    } else {
        box.width = areaWidth;
        box.height = std::max(1, int(1LL * areaWidth * frameHeight / frameWidth));
    }
    box.x = (areaWidth - box.width) / 2;
    box.y = (areaHeight - box.height) / 2;
    return box;
}

std::optional<Point> AreaToFrame(const Box& picture, int frameWidth, int frameHeight, int x, int y)
{
    if (picture.width <= 0 || picture.height <= 0 || x < picture.x || y < picture.y ||
        x >= picture.x + picture.width || y >= picture.y + picture.height)
        return std::nullopt;
    // The same nearest-pixel rule as the camera's scaling: the column is truncated.
    const int fx = int(1LL * (x - picture.x) * frameWidth / picture.width);
    const int fy = int(1LL * (y - picture.y) * frameHeight / picture.height);
    return Point{std::min(fx, frameWidth - 1), std::min(fy, frameHeight - 1)};
}

std::optional<Box> SelectionToSensor(const Box& current, int factor, Point a, Point b)
{
    if (std::abs(a.x - b.x) < kMinSelection || std::abs(a.y - b.y) < kMinSelection)
        return std::nullopt;
    const int x0 = current.x + std::min(a.x, b.x) * factor, x1 = current.x + (std::max(a.x, b.x) + 1) * factor;
    const int y0 = current.y + std::min(a.y, b.y) * factor, y1 = current.y + (std::max(a.y, b.y) + 1) * factor;
    Box box;
    Span(x0, x1, kSensorWidth, &box.x, &box.width);
    Span(y0, y1, kSensorHeight, &box.y, &box.height);
    return box;
}

}  // namespace viewer
