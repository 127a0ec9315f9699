#pragma once

#include <cstdint>
#include <vector>

namespace fw {

// A colour as the property lists write it: six hexadecimal digits RRGGBB.
struct Color {
    uint32_t rgb = 0;

    constexpr uint8_t Red() const { return (rgb >> 16) & 0xFF; }
    constexpr uint8_t Green() const { return (rgb >> 8) & 0xFF; }
    constexpr uint8_t Blue() const { return rgb & 0xFF; }
    constexpr bool operator==(const Color&) const = default;
};

// How far apart two colours stand for the eye, as the Web Content
// Accessibility Guidelines measure it: from 1 (the same) to 21 (black and
// white).
double ContrastRatio(Color a, Color b);

// The least contrast at which a text can be read at all.
constexpr double kReadableContrast = 3.0;

// Whether a window whose texts have the colours `texts` should take the light
// look its layout was drawn against, with the backgrounds `designedGrounds`,
// instead of the desktop's, with `desktopGrounds` (one of each for every state
// a window is drawn in, active or not). Each side counts by its worst pair of
// text and background: the designed look is taken only when some text cannot
// be read on the desktop's and the worst reads better on the designed one, so
// a desktop on which every text reads keeps its own look.
bool WantsDesignedLook(const std::vector<Color>& texts, const std::vector<Color>& desktopGrounds, const std::vector<Color>& designedGrounds);

}
