#include "framework/Color.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using fw::Color;

// The colours the program's windows meet: its texts' own, Qt's light look
// that its layouts were drawn against (Fusion's window grey), and the window
// greys of qt6ct's "airy" scheme (active, and dimmed behind another window).
const Color kBlack { 0x000000 };
const Color kWhite { 0xFFFFFF };
const Color kRed { 0xFF0000 };
const Color kDesignedGrey { 0xEFEFEF };
const Color kAiryInactiveGrey { 0xC8C8C8 };

// The desktop backend chooses each window's look with this measure, and the
// desktop tests judge the colours they read off the screen with it too, so it
// is held here to figures worked out by hand from the guidelines' formula.
TEST(ColorTest, ContrastRatioOfKnownPairs)
{
    struct Case {
        const char* name;
        Color a;
        Color b;
        double ratio;
    };
    const Case cases[] = {
        { "black on white, the most there is", kBlack, kWhite, 21.0 },
        { "white on black, the same", kWhite, kBlack, 21.0 },
        { "a colour on itself, the least", kRed, kRed, 1.0 },
        { "pure red on white", kRed, kWhite, 3.998 },
        { "the red captions on airy's grey behind another window", kRed, kAiryInactiveGrey, 2.390 },
        { "the red captions on the designed grey", kRed, kDesignedGrey, 3.477 },
        { "black on airy's grey", kBlack, kAiryInactiveGrey, 12.552 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(fw::ContrastRatio(c.a, c.b), c.ratio, 0.001);
    }
}

TEST(ColorTest, TheDesignedLookOnlyWhereATextCannotBeReadAndReadsBetterThere)
{
    // The active and the inactive window's backgrounds, on each side.
    const std::vector<Color> designed { kDesignedGrey, kDesignedGrey };
    const std::vector<Color> airy { kWhite, kAiryInactiveGrey };
    const std::vector<Color> white { kWhite, kWhite };
    const std::vector<Color> midGrey { Color { 0x7F7F7F }, Color { 0x7F7F7F } };
    struct Case {
        const char* name;
        std::vector<Color> texts;
        std::vector<Color> desktop;
        bool designedLook;
    };
    const Case cases[] = {
        { "black and red on white: every text reads", { kBlack, kRed }, white, false },
        { "red among black texts on airy, at 2.39 behind another window", { kBlack, kRed, kBlack }, airy, true },
        { "black alone on airy", { kBlack }, airy, false },
        { "black on a mid grey, which reads though the designed grey reads better", { kBlack }, midGrey, false },
        { "white on white, which reads on neither, but a little better on the designed grey", { kWhite }, white, true },
        { "white on a light grey, which reads on neither, and worse on the designed grey", { kWhite }, { Color { 0xC0C0C0 } }, false },
        { "no text at all", {}, midGrey, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fw::WantsDesignedLook(c.texts, c.desktop, designed), c.designedLook);
    }
}

}
