#include "Color.h"

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

// One sRGB channel as linear light.
double Linear(uint8_t channel)
{
    double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(Color colour)
{
    return 0.2126 * Linear(colour.Red()) + 0.7152 * Linear(colour.Green()) + 0.0722 * Linear(colour.Blue());
}

}

double ContrastRatio(Color a, Color b)
{
    double lighter = std::max(RelativeLuminance(a), RelativeLuminance(b)) + 0.05;
    double darker = std::min(RelativeLuminance(a), RelativeLuminance(b)) + 0.05;
    return lighter / darker;
}

}
