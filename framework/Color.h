#pragma once

#include <cstdint>

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
// white). Text needs 3 or more to be read at all.
double ContrastRatio(Color a, Color b);

}
