#include "Color.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

// The contrast of the worst pair of a text and a background; no pair at all
// reads perfectly.
double WorstContrast(const std::vector<Color>& texts, const std::vector<Color>& grounds)
{
    double worst = std::numeric_limits<double>::infinity();
    for (Color text : texts) {
        for (Color ground : grounds)
            worst = std::min(worst, ContrastRatio(text, ground));
    }
    return worst;
}

}

double ContrastRatio(Color a, Color b)
{
    double lighter = std::max(RelativeLuminance(a), RelativeLuminance(b)) + 0.05;
    double darker = std::min(RelativeLuminance(a), RelativeLuminance(b)) + 0.05;
    return lighter / darker;
}

bool WantsDesignedLook(const std::vector<Color>& texts, const std::vector<Color>& desktopGrounds, const std::vector<Color>& designedGrounds)
{
    double onDesktop = WorstContrast(texts, desktopGrounds);
    return onDesktop < kReadableContrast && WorstContrast(texts, designedGrounds) > onDesktop;
}

}
