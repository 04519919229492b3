#pragma once
// Where the picture sits in the viewer's picture area, which frame pixel lies under a point of it,
// and the sensor window that a rectangle drawn on the picture asks for. Portable, no Windows header.
#include <optional>

namespace viewer {

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

inline constexpr int kSensorWidth = 2048;
inline constexpr int kSensorHeight = 1536;
// Window edges and sizes stay on whole 8-pixel steps: even positions keep the colour mosaic's
// phase, and multiples of 8 survive the 1/4 sub-sampling in whole pixels.
inline constexpr int kWindowStep = 8;
inline constexpr int kMinWindow = 64;

// Frame pixels per sensor pixel for a sub-sampling code (1, 2 or 4).
int SubSampleFactor(int code);

// The largest box of the frame's proportions centred in an area; empty for an empty area or frame.
Box FitPicture(int areaWidth, int areaHeight, int frameWidth, int frameHeight);

struct Point {
    int x = 0, y = 0;
};
// The frame pixel shown at a point of the area, or nothing outside the picture.
std::optional<Point> AreaToFrame(const Box& picture, int frameWidth, int frameHeight, int x, int y);

// The sensor window for a selection between two frame pixels (any corner order) of a frame taken
// through `current` with sub-sampling `factor`: snapped to the 8-pixel grid, inside the sensor,
// at least kMinWindow on each side; nothing when the selection is too small to mean a window.
std::optional<Box> SelectionToSensor(const Box& current, int factor, Point a, Point b);

}  // namespace viewer
