#include "tests/timer/TimerFixture.h"

#include "app/MenuBar1.h"
#include "framework/ClassRecord.h"
#include "framework/Runtime.h"
#include "timer/Window1Timer1.h"
#include "timer/Window2Timer1.h"

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace tockamo::testing {
namespace {

using Window1Test = TimerAppTest;

TEST_F(Window1Test, HoldsTheTwelveControlsInCreationOrder)
{
    struct Case {
        const char* name;
        const char* className;
    };
    const Case cases[] = {
        { "UpDownArrows1", "UpDownArrows" }, { "Label1", "Label" }, { "MyStart", "PushButton" },
        { "SetMin", "TextField" }, { "Label2", "Label" }, { "MyPause", "PushButton" },
        { "MinLeft", "TextField" }, { "SecLeft", "TextField" }, { "Label3", "Label" },
        { "Label4", "Label" }, { "Label5", "Label" }, { "Timer1", "Window1.Timer1" },
    };
    WritePrefs(150, 150, "30");
    Run([&](fw::HeadlessBackend&, class Window1& main) {
        const auto& controls = main.Controls();
        ASSERT_EQ(controls.size(), std::size(cases));
        for (size_t i = 0; i < controls.size(); ++i) {
            SCOPED_TRACE(cases[i].name);
            EXPECT_EQ(controls[i]->Name(), cases[i].name);
            EXPECT_EQ(controls[i]->Class().Name(), cases[i].className);
            // The accessor of the same name finds the same control.
            fw::Variant found = main.Class().Operation(cases[i].name).Invoke(main);
            EXPECT_EQ(std::get<fw::RefPtr<fw::Object>>(found).Get(), controls[i].Ptr());
        }
        EXPECT_TRUE(main.Timer1()->Class().IsA(fw::Timer::Lookup()));
    });
}

TEST_F(Window1Test, OpensWhereItWasLeftWithTheMenuBar)
{
    WritePrefs(123, 456, "42");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        EXPECT_EQ(main.Top(), 123);
        EXPECT_EQ(main.Left(), 456);
        EXPECT_EQ(main.Title(), "Tockamo");
        EXPECT_EQ(main.Width(), 212);
        EXPECT_EQ(main.Height(), 130);
        EXPECT_FALSE(main.Resizeable());
        EXPECT_EQ(main.SetMin()->Text(), "42");
        EXPECT_EQ(main.MinLeft()->Text(), "0");
        EXPECT_EQ(main.SecLeft()->Text(), "0");
        EXPECT_TRUE(main.SetMin()->ReadOnly());
        EXPECT_FALSE(main.SetMin()->UserEdit("5"));

        // The window's bar is the single instance, with its three items, and
        // it went on before any of the window's own properties.
        EXPECT_EQ(main.GetMenuBar().Get(), MenuBar1().Ptr());
        using Notice = fw::HeadlessBackend::Notice;
        std::vector<Notice> notices = ui.NoticesFor(main);
        ASSERT_GE(notices.size(), 3u);
        EXPECT_EQ(notices[0], Notice::Created);
        EXPECT_EQ(notices[1], Notice::MenuBarChanged);
        EXPECT_EQ(notices[2], Notice::Changed);
        EXPECT_EQ(main.FileMenu()->Text(), "&File");
        EXPECT_EQ(main.FileAboutBox()->Name(), "FileAboutBox");
        EXPECT_EQ(main.FileQuit()->KeyboardShortcut(), "Cmd+Q");

        // Nothing counts until Start.
        ui.Advance(5s);
        EXPECT_EQ(main.SecLeft()->Text(), "0");
        EXPECT_TRUE(ui.SoundsPlayed().empty());

        // Only the main window was made.
        EXPECT_EQ(ui.LiveWindows().size(), 1u);
        EXPECT_EQ(tockamo::Window1().Get(), &main);
    });
}

TEST_F(Window1Test, CaptionsLookAsDesigned)
{
    struct Case {
        const char* name;
        const char* text;
        uint32_t color;
        float size;
    };
    const Case cases[] = {
        { "Label1", "Min", 0x000000, 0 }, { "Label2", "Set", 0xFF0000, 14 }, { "Label3", "Min", 0x000000, 0 },
        { "Label4", "Sec", 0x000000, 0 }, { "Label5", "Remaining", 0xFF0000, 14 },
    };
    WritePrefs(150, 150, "30");
    Run([&](fw::HeadlessBackend&, class Window1& main) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            fw::RefPtr<fw::Label> label = fw::Cast<fw::Label>(main.ControlByName(c.name));
            ASSERT_TRUE(label);
            EXPECT_EQ(label->Text(), c.text);
            EXPECT_EQ(label->TextColor(), fw::Color { c.color });
            EXPECT_EQ(label->Style().size, c.size);
            EXPECT_TRUE(label->Style().bold);
            EXPECT_EQ(label->TextAlign(), 1);
        }
        EXPECT_EQ(main.MyStart()->Caption(), "Start");
        EXPECT_EQ(main.UpDownArrows1()->Left(), 63);
        EXPECT_FALSE(main.UpDownArrows1()->AcceptFocus());
        EXPECT_EQ(main.Timer1()->Period(), 1000);
    });
}

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

TEST_F(Window1Test, EveryWindowLooksAsItsPictureSays)
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

TEST_F(Window1Test, RegistersItsOperationsInOrder)
{
    const fw::ClassRecord& record = Window1::Lookup();
    EXPECT_EQ(record.Name(), "Window1.Window1");
    const char* names[] = { "Layout", "CreateControls", "_CreateControls0", "UpDownArrows1", "Label1", "MyStart",
        "SetMin", "Label2", "MyPause", "MinLeft", "SecLeft", "Label3", "Label4", "Label5", "Timer1",
        "UpDownArrows1_Up", "UpDownArrows1_Down", "MyStart_Action", "MyPause_Action", "Timer1_Action", "FileMenu",
        "FileQuit", "FileAboutBox", "Event_Close", "Event_Open" };
    ASSERT_EQ(record.Members().size(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(record.Members()[i].name, names[i]);
        EXPECT_EQ(record.Members()[i].HasAttribute("Hidden"), std::string(names[i]) == "_CreateControls0");
    }
    ASSERT_EQ(record.Events().size(), 4u);
    EXPECT_EQ(record.FindEvent(fw::Window::kEventLayout)->operation, "Layout");
    EXPECT_EQ(record.FindEvent(fw::Window::kEventCreateControls)->operation, "CreateControls");
    EXPECT_EQ(record.FindEvent(fw::Window::kEventClose)->operation, "Event_Close");
    EXPECT_EQ(record.FindEvent(fw::Window::kEventOpen)->operation, "Event_Open");
}

TEST_F(Window1Test, TheTimerClassAddsItsOperationsAfterTimers)
{
    struct Case {
        const char* name;
        const fw::ClassRecord& record;
    };
    const Case cases[] = { { "Window1.Timer1", Window1Timer1::Lookup() }, { "Window2.Timer1", Window2Timer1::Lookup() } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.record.Name(), c.name);
        EXPECT_EQ(c.record.Base(), &fw::Timer::Lookup());
        std::vector<std::string> slots = c.record.Slots();
        std::vector<std::string> timers = fw::Timer::Lookup().Slots();
        ASSERT_EQ(slots.size(), timers.size() + 5);
        EXPECT_EQ(std::vector<std::string>(slots.end() - 5, slots.end()),
            (std::vector<std::string> { "_SetWindow", "Window", "_Index", "_SetIndex", "Constructor" }));
    }
}

TEST_F(Window1Test, TheTimerKnowsItsWindowAndIndex)
{
    WritePrefs(150, 150, "30");
    Run([&](fw::HeadlessBackend&, class Window1& main) {
        fw::RefPtr<fw::Timer> timer = main.Timer1();
        const fw::ClassRecord& record = timer->Class();
        fw::Variant owner = record.Operation("Window").Invoke(*timer);
        EXPECT_EQ(std::get<fw::RefPtr<fw::Object>>(owner).Get(), &main);
        EXPECT_EQ(std::get<int32_t>(record.Operation("_Index").Invoke(*timer)), INT32_MIN);
        record.Operation("_SetIndex").Invoke(*timer, { int32_t { 3 } });
        EXPECT_EQ(std::get<int32_t>(record.Operation("_Index").Invoke(*timer)), 3);
    });
}

}
}
