#include "ScreenGeometry.h"

#include <algorithm>
#include <utility>

namespace fw {

namespace {

// The pixels from `low` up to, not including, `high`, in 64 bits: a position
// read from a hand-edited file may lie anywhere in the Int32 range, and so
// may its far edge.
struct Span {
    int64_t low, high;

    static Span Across(const ScreenRect& r) { return { r.left, int64_t { r.left } + std::max(r.width, 0) }; }
    static Span Down(const ScreenRect& r) { return { r.top, int64_t { r.top } + std::max(r.height, 0) }; }

    bool Overlaps(Span other) const { return low < other.high && other.low < high; }
    // The pixels between the two; 0 when they touch or overlap.
    int64_t GapTo(Span other) const { return std::max<int64_t>({ 0, other.low - high, low - other.high }); }
    // Where this span starts once moved the least to lie within `area`; one
    // longer than the area starts where the area does.
    int64_t MovedInto(Span area) const { return std::max(area.low, std::min(low, area.high - (high - low))); }
};

}

ScreenGeometry::ScreenGeometry(std::vector<ScreenRect> availableAreas)
    : m_areas(std::move(availableAreas))
{
}

std::optional<ScreenPoint> ScreenGeometry::Centred(int32_t width, int32_t height) const
{
    if (m_areas.empty())
        return std::nullopt;
    // Half the window before the area's middle pixel (of two, the one
    // nearer 0).
    auto start = [](Span area, int32_t size) {
        return static_cast<int32_t>((area.low + area.high - 1) / 2 - std::max(size, 0) / 2);
    };
    const ScreenRect& primary = m_areas.front();
    return ScreenPoint { start(Span::Across(primary), width), start(Span::Down(primary), height) };
}

std::optional<ScreenPoint> ScreenGeometry::Reachable(ScreenRect window) const
{
    Span across = Span::Across(window);
    Span down = Span::Down(window);
    const ScreenRect* nearest = nullptr;
    int64_t nearestGap = 0;
    for (const ScreenRect& area : m_areas) {
        if (across.Overlaps(Span::Across(area)) && down.Overlaps(Span::Down(area)))
            return ScreenPoint { window.left, window.top };
        int64_t gap = across.GapTo(Span::Across(area)) + down.GapTo(Span::Down(area));
        if (!nearest || gap < nearestGap) {
            nearest = &area;
            nearestGap = gap;
        }
    }
    if (!nearest)
        return std::nullopt;
    return ScreenPoint { static_cast<int32_t>(across.MovedInto(Span::Across(*nearest))), static_cast<int32_t>(down.MovedInto(Span::Down(*nearest))) };
}

}
