#include "tests/timer/TimerFixture.h"

#include "framework/RectControl.h"
#include "framework/Runtime.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tockamo::testing {
namespace {

// The program's three windows: the main window, Time's Up and About.
using WindowLayoutsTest = TimerAppTest;

// What the eye sees of a window's controls, checked as relations rather than
// as the designed numbers: a control moved, grown or shrunk by mistake breaks
// one of them.
struct Box {
    int32_t left, top, right, bottom;
};

enum class Stands {
    Over, // directly over the other, in the same column
    OverColumns, // over the columns from the other to the third control
    Above, // wholly above the other
    Beside, // just right of the other, within its height
    SameRow, // in one row with the other, left of it
    Covers, // the whole window
    Centred, // centred across the window
};

struct Relation {
    const char* control;
    Stands stands;
    const char* other = nullptr;
    const char* third = nullptr;
};

::testing::AssertionResult Holds(const Relation& r, const std::map<std::string, Box>& boxes, Box window)
{
    auto find = [&](const char* name) {
        auto it = boxes.find(name ? name : "");
        return it == boxes.end() ? std::optional<Box>() : std::optional<Box>(it->second);
    };
    std::optional<Box> a = find(r.control);
    std::optional<Box> b = r.other ? find(r.other) : window;
    std::optional<Box> c = r.third ? find(r.third) : b;
    if (!a || !b || !c)
        return ::testing::AssertionFailure() << "a control is missing or hidden";
    bool holds = false;
    switch (r.stands) {
    case Stands::Over:
        holds = a->left == b->left && a->right == b->right && a->bottom <= b->top && b->top - a->bottom <= 20;
        break;
    case Stands::OverColumns:
        holds = a->left <= b->left && a->right >= c->right && a->bottom <= b->top && a->bottom <= c->top;
        break;
    case Stands::Above:
        holds = a->bottom <= b->top;
        break;
    case Stands::Beside:
        holds = a->left >= b->right && a->left - b->right <= 8 && a->top >= b->top && a->bottom <= b->bottom;
        break;
    case Stands::SameRow:
        holds = a->top == b->top && a->bottom == b->bottom && a->right <= b->left;
        break;
    case Stands::Covers:
        holds = a->left == 0 && a->top == 0 && a->right == window.right && a->bottom == window.bottom;
        break;
    case Stands::Centred:
        holds = a->left + a->right == window.right;
        break;
    }
    if (holds)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << r.control << " at " << a->left << "," << a->top << " to " << a->right << "," << a->bottom
                                         << " against " << (r.other ? r.other : "the window") << " at " << b->left << "," << b->top << " to " << b->right << "," << b->bottom;
}

TEST_F(WindowLayoutsTest, EveryWindowLooksAsItsPictureSays)
{
    struct Case {
        const char* className;
        // Boxes that the design lets overlap, with the reason below.
        std::set<std::pair<std::string, std::string>> overlaps;
        std::vector<Relation> relations;
    };
    const Case cases[] = {
        { "Window1.Window1", {},
            {
                { "Label2", Stands::Over, "Label1" }, // "Set" over the setter's column
                { "Label5", Stands::OverColumns, "Label3", "Label4" }, // "Remaining" over both count columns
                { "Label1", Stands::Over, "SetMin" }, // "Min", "Min" and "Sec" over their fields
                { "Label3", Stands::Over, "MinLeft" },
                { "Label4", Stands::Over, "SecLeft" },
                { "UpDownArrows1", Stands::Beside, "SetMin" },
                { "SetMin", Stands::SameRow, "MinLeft" },
                { "MinLeft", Stands::SameRow, "SecLeft" },
                { "SetMin", Stands::Above, "MyStart" }, // the buttons at the bottom
                { "SecLeft", Stands::Above, "MyPause" },
                { "MyStart", Stands::SameRow, "MyPause" },
            } },
        { "Window2.Window2", {}, { { "Label1", Stands::Covers } } },
        // The title's box reaches five pixels into the version line; the
        // title's text, drawn from the top of its box, ends above it.
        { "AboutBox.AboutBox", { { "StaticText1", "StaticText3" }, { "StaticText1", "StaticText4" } },
            {
                { "StaticText1", Stands::Centred },
                { "StaticText1", Stands::Above, "StaticText2" },
                { "StaticText3", Stands::SameRow, "StaticText4" }, // "Version:" and the version
                { "StaticText3", Stands::Above, "StaticText2" },
                { "StaticText2", Stands::Centred },
                { "StaticText2", Stands::Above, "PushButton1" },
                { "PushButton1", Stands::Centred },
                { "PushButton1", Stands::Over, "PushButton2" },
                { "PushButton2", Stands::Above, "Label1" },
                { "Label1", Stands::Centred },
            } },
    };
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.className);
            fw::RefPtr<fw::Window> window = fw::GetImplicitWindow(c.className);
            ASSERT_TRUE(window);
            const Box frame { 0, 0, window->Width(), window->Height() };
            std::map<std::string, Box> boxes;
            for (const fw::Ref<fw::Control>& control : window->Controls()) {
                if (!control->Class().IsA(fw::RectControl::Lookup()))
                    continue; // the timers
                fw::RefPtr<fw::RectControl> rect = fw::Cast<fw::RectControl>(control);
                if (!rect->Visible())
                    continue;
                Box box { rect->Left(), rect->Top(), rect->Left() + rect->Width(), rect->Top() + rect->Height() };
                EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= frame.right && box.bottom <= frame.bottom && box.left < box.right && box.top < box.bottom)
                    << control->Name() << " does not lie wholly inside its window";
                for (const auto& [name, other] : boxes) {
                    bool overlap = box.left < other.right && other.left < box.right && box.top < other.bottom && other.top < box.bottom;
                    EXPECT_TRUE(!overlap || c.overlaps.contains({ name, control->Name() })) << control->Name() << " overlaps " << name;
                }
                boxes[control->Name()] = box;
            }
            for (const Relation& r : c.relations)
                EXPECT_TRUE(Holds(r, boxes, frame));
        }
    });
}

}
}
