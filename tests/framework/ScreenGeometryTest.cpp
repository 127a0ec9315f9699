#include "framework/ScreenGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <vector>

namespace fw {

void PrintTo(const ScreenPoint& point, std::ostream* os)
{
    *os << "left " << point.left << ", top " << point.top;
}

}

namespace {

using fw::ScreenGeometry;
using fw::ScreenPoint;
using fw::ScreenRect;

TEST(ScreenGeometryTest, AWindowOpensWhereAnyOfItShowsElseOnTheNearestScreen)
{
    // Each layout lists the screens' available areas, the primary's first.
    const std::vector<ScreenRect> noScreen;
    const std::vector<ScreenRect> oneScreen { { 0, 0, 800, 800 } };
    // A wide primary screen with a smaller one to its right.
    const std::vector<ScreenRect> sideBySide { { 0, 0, 1920, 1080 }, { 1920, 0, 1280, 1024 } };
    const std::vector<ScreenRect> primaryOnTheRight { { 1920, 0, 1280, 1024 }, { 0, 0, 1920, 1080 } };
    // A laptop's screen above a wider monitor.
    const std::vector<ScreenRect> stacked { { 0, 0, 1280, 800 }, { 0, 800, 1920, 1080 } };
    // Two monitors placed 300 pixels apart, which no window can show in.
    const std::vector<ScreenRect> withAGap { { 0, 0, 1024, 768 }, { 1324, 0, 1024, 768 } };
    // The primary screen between two shorter ones.
    const std::vector<ScreenRect> three { { 1280, 0, 1920, 1080 }, { 0, 0, 1280, 1024 }, { 3200, 0, 1280, 1024 } };

    struct Case {
        const char* name;
        const std::vector<ScreenRect>& screens;
        std::optional<ScreenPoint> stored; // none: never placed
        std::optional<ScreenPoint> shown; // none: the backend decides
    };
    // The windows are 212x150: the main window with its menu bar.
    const Case cases[] = {
        { "no screen, never placed", noScreen, std::nullopt, std::nullopt },
        { "no screen, placed", noScreen, ScreenPoint { 6000, 5000 }, std::nullopt },
        { "one screen, never placed: centred", oneScreen, std::nullopt, ScreenPoint { 293, 324 } },
        { "one screen, at 0,0", oneScreen, ScreenPoint { 0, 0 }, ScreenPoint { 0, 0 } },
        { "one screen, partly past the bottom right", oneScreen, ScreenPoint { 700, 750 }, ScreenPoint { 700, 750 } },
        { "one screen, partly past the top left", oneScreen, ScreenPoint { -200, -100 }, ScreenPoint { -200, -100 } },
        { "one screen, just past the right edge", oneScreen, ScreenPoint { 800, 100 }, ScreenPoint { 588, 100 } },
        { "one screen, at the ends of the number range", oneScreen, ScreenPoint { INT32_MAX, INT32_MIN }, ScreenPoint { 588, 0 } },
        { "side by side, never placed: centred on the primary", sideBySide, std::nullopt, ScreenPoint { 853, 464 } },
        { "side by side, across the border", sideBySide, ScreenPoint { 1800, 100 }, ScreenPoint { 1800, 100 } },
        { "side by side, beyond the right edge", sideBySide, ScreenPoint { 5000, 100 }, ScreenPoint { 2988, 100 } },
        { "side by side, beyond the left edge", sideBySide, ScreenPoint { -3000, 500 }, ScreenPoint { 0, 500 } },
        { "side by side, above the smaller screen", sideBySide, ScreenPoint { 2500, -900 }, ScreenPoint { 2500, 0 } },
        { "side by side, just below the smaller screen", sideBySide, ScreenPoint { 2000, 1050 }, ScreenPoint { 2000, 874 } },
        { "primary on the right, never placed: centred on it", primaryOnTheRight, std::nullopt, ScreenPoint { 2453, 436 } },
        { "stacked, across the border", stacked, ScreenPoint { 300, 700 }, ScreenPoint { 300, 700 } },
        { "stacked, beyond the bottom edge", stacked, ScreenPoint { 1500, 5000 }, ScreenPoint { 1500, 1730 } },
        { "stacked, right of the narrower screen above", stacked, ScreenPoint { 1500, 100 }, ScreenPoint { 1068, 100 } },
        { "stacked, beyond the top edge", stacked, ScreenPoint { 200, -5000 }, ScreenPoint { 200, 0 } },
        { "in the gap, nearer the right screen", withAGap, ScreenPoint { 1100, 300 }, ScreenPoint { 1324, 300 } },
        { "in the gap, nearer the left screen", withAGap, ScreenPoint { 1030, 300 }, ScreenPoint { 812, 300 } },
        { "in the middle of the gap: the primary screen", withAGap, ScreenPoint { 1068, 300 }, ScreenPoint { 812, 300 } },
        { "three screens, across a border", three, ScreenPoint { 3100, 50 }, ScreenPoint { 3100, 50 } },
        { "three screens, below the left one", three, ScreenPoint { 100, 3000 }, ScreenPoint { 100, 874 } },
        { "three screens, below the middle one", three, ScreenPoint { 2000, 3000 }, ScreenPoint { 2000, 930 } },
        { "three screens, below the right one", three, ScreenPoint { 3500, 3000 }, ScreenPoint { 3500, 874 } },
        { "three screens, beyond the left edge", three, ScreenPoint { -9000, 500 }, ScreenPoint { 0, 500 } },
        { "three screens, beyond the right edge", three, ScreenPoint { 9000, 500 }, ScreenPoint { 4268, 500 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenGeometry screens(c.screens);
        std::optional<ScreenPoint> shown = c.stored ? screens.Reachable({ c.stored->left, c.stored->top, 212, 150 }) : screens.Centred(212, 150);
        EXPECT_EQ(shown, c.shown);
    }
}

}
