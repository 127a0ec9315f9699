#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace fw {

// A rectangle of screen pixels: its top-left corner and its size.
struct ScreenRect {
    int32_t left = 0, top = 0, width = 0, height = 0;

    bool operator==(const ScreenRect&) const = default;
};

// Where a window's top-left corner goes on the desktop.
struct ScreenPoint {
    int32_t left = 0, top = 0;

    bool operator==(const ScreenPoint&) const = default;
};

// Where a window may stand on the desktop's screens, worked out from the
// screens' available areas (each screen without its panels) alone, so that
// layouts of several screens can be tried without having them. A backend
// hands it the screens and applies the place it answers.
class ScreenGeometry {
public:
    // `availableAreas` holds each screen's area, the primary screen's first.
    explicit ScreenGeometry(std::vector<ScreenRect> availableAreas);

    // A window that the program never placed opens centred on the primary
    // screen. Nothing when there is no screen to go by.
    std::optional<ScreenPoint> Centred(int32_t width, int32_t height) const;

    // A window stays where it is as long as any part of it lies on some
    // screen: a user who left a window partly past an edge meant it to be
    // there and can still grab what shows. Only a window that no screen would
    // show at all, say at a position kept from a monitor that has gone since,
    // is brought whole onto the screen nearest to it, by the shortest move.
    // Nothing when there is no screen to go by.
    std::optional<ScreenPoint> Reachable(ScreenRect window) const;

private:
    std::vector<ScreenRect> m_areas;
};

}
