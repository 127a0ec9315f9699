#include "tests/timer/TimerFixture.h"

#include "app/MenuBar1.h"
#include "framework/ClassRecord.h"
#include "framework/Runtime.h"
#include "timer/Window1Timer1.h"
#include "timer/Window2Timer1.h"

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
