#include "tests/support/HeadlessFixture.h"

#include "framework/EventLoop.h"
#include "framework/Label.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/Runtime.h"
#include "framework/TextField.h"
#include "framework/Window.h"

#include <string>
#include <vector>

namespace {

// A window class built the way the program builds its own: handlers for
// Layout, CreateControls, Open and Close in the event table, controls made
// through __New and _AddControl, a button and a label handler wired by
// number. Every step is written to the log, with what the implicit-window
// lookup returned from inside Open and Close.
class ProbeWindow : public fw::Window {
public:
    static constexpr const char* kClassName = "WindowTest.ProbeWindow";
    static inline std::vector<std::string> log;
    static inline bool failInLayout = false;
    static inline bool closeInOpen = false;

    static fw::Ref<ProbeWindow> Create() { return fw::Adopt(*new ProbeWindow); }
    static const fw::ClassRecord& Lookup();
    const fw::ClassRecord& Class() const override { return Lookup(); }

    void Layout()
    {
        log.push_back("Layout");
        if (failInLayout)
            throw fw::NilObjectException("no menu bar");
        fw::SetProperties(*this, { { "Title", std::string("Probe") }, { "Width", int32_t(212) }, { "MacProcID", int32_t(0) } });
    }

    void CreateControls()
    {
        log.push_back("CreateControls");
        AddControl("OK", New(fw::PushButton::Lookup()));
        AddControl("Other", New(fw::PushButton::Lookup()));
        AddControl("Field", New(fw::TextField::Lookup()));
        AddControl("Label1", New(fw::Label::Lookup()));
        fw::Cast<fw::PushButton>(ControlByName("OK"))->SetDefault(true);
        ControlByName("OK")->AddHandler(fw::PushButton::kEventAction, fw::HandlerBinding::Bind(*this, "OK_Action"));
        ControlByName("Other")->AddHandler(fw::PushButton::kEventAction, fw::HandlerBinding::Bind(*this, "Other_Action"));
        ControlByName("Label1")->AddHandler(fw::Control::kEventOpen, fw::HandlerBinding::Bind(*this, "Label1_Open"));
    }

    void Event_Open();
    void Event_Close();
    void OK_Action(fw::PushButton&) { log.push_back("OK"); }
    void Other_Action(fw::PushButton&) { log.push_back("Other"); }
    void Label1_Open(fw::Label& label)
    {
        log.push_back("Label1.Open");
        label.SetText("opened");
    }

private:
    ProbeWindow() = default;
};

const fw::ClassRecord& ProbeWindow::Lookup()
{
    static const fw::ClassRecord& record = fw::ClassRecord::Build(kClassName, &fw::Window::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Creatable<ProbeWindow>();
        builder.Method("Layout", "%%", &ProbeWindow::Layout);
        builder.Method("CreateControls", "%%", &ProbeWindow::CreateControls);
        builder.Method("OK_Action", "%%o<PushButton>", &ProbeWindow::OK_Action);
        builder.Method("Other_Action", "%%o<PushButton>", &ProbeWindow::Other_Action);
        builder.Method("Label1_Open", "%%o<Label>", &ProbeWindow::Label1_Open);
        builder.Method("Event_Close", "%%", &ProbeWindow::Event_Close);
        builder.Method("Event_Open", "%%", &ProbeWindow::Event_Open);
        builder.Event(fw::Window::kEventClose, "Close", "Event_Close");
        builder.Event(fw::Window::kEventCreateControls, "CreateControls", "CreateControls");
        builder.Event(fw::Window::kEventLayout, "Layout", "Layout");
        builder.Event(fw::Window::kEventOpen, "Open", "Event_Open");
    });
    return record;
}

// The implicit-instance accessor, as the program writes one.
fw::RefPtr<ProbeWindow> Probe()
{
    fw::RefPtr<fw::Window> window = fw::GetImplicitWindow(ProbeWindow::kClassName);
    if (!window) {
        fw::Ref<fw::Object> created = ProbeWindow::Lookup().New();
        created->Class().Operation("Constructor").Invoke(*created);
        window = fw::Cast<fw::Window>(created);
    }
    return fw::Cast<ProbeWindow>(window);
}

std::string Describe(const fw::RefPtr<ProbeWindow>& found, const fw::Window* self)
{
    if (!found)
        return "nil";
    return found.Get() == self ? "self" : "another";
}

void ProbeWindow::Event_Open()
{
    log.push_back("Open:" + Describe(Probe(), this));
    // The controls exist and are wired, but their own Open comes later.
    log.push_back("Label1 text at Open:" + fw::Cast<fw::Label>(ControlByName("Label1"))->Text());
    if (closeInOpen)
        Close();
}

void ProbeWindow::Event_Close()
{
    log.push_back("Close:" + Describe(Probe(), this) + ", controls " + std::to_string(Controls().size()));
}

class WindowTest : public fw::testing::HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        ProbeWindow::log.clear();
        ProbeWindow::failInLayout = false;
        ProbeWindow::closeInOpen = false;
    }
};

TEST_F(WindowTest, ConstructionRaisesItsEventsInOrderAndFindsItselfFromOpen)
{
    fw::RefPtr<ProbeWindow> window = Probe();

    EXPECT_EQ(ProbeWindow::log, (std::vector<std::string> { "Layout", "CreateControls", "Open:self", "Label1 text at Open:", "Label1.Open" }));
    EXPECT_EQ(window->Title(), "Probe");
    EXPECT_EQ(fw::Cast<fw::Label>(window->ControlByName("Label1"))->Text(), "opened");
    EXPECT_EQ(ui().LiveWindows(), std::vector<fw::Window*> { window.Get() });
    EXPECT_TRUE(ui().VisibleWindows().empty()) << "construction must not show the window";

    ProbeWindow::log.clear();
    EXPECT_EQ(Probe(), window) << "a second lookup must find the open window";
    EXPECT_TRUE(ProbeWindow::log.empty());

    window->Show();
    EXPECT_EQ(ui().VisibleWindows(), std::vector<fw::Window*> { window.Get() });
}

TEST_F(WindowTest, ControlsAreFoundByNameAndTypeTested)
{
    fw::RefPtr<ProbeWindow> window = Probe();

    struct Case {
        const char* name;
        const char* control;
        const fw::ClassRecord& expected;
    };
    const Case cases[] = {
        { "button", "OK", fw::PushButton::Lookup() },
        { "name is not case-sensitive", "ok", fw::PushButton::Lookup() },
        { "field", "Field", fw::TextField::Lookup() },
        { "label", "Label1", fw::Label::Lookup() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RefPtr<fw::Control> control = window->ControlByName(c.control);
        ASSERT_TRUE(control);
        EXPECT_TRUE(control->Class().IsA(c.expected));
        EXPECT_TRUE(control->Class().IsA(fw::RectControl::Lookup()));
        EXPECT_EQ(control->ParentWindow(), window.Get());
    }

    EXPECT_FALSE(window->ControlByName("Missing"));
    EXPECT_FALSE(fw::Cast<fw::Label>(window->ControlByName("Missing"))) << "nil stays nil";
    EXPECT_THROW(fw::Cast<fw::Label>(window->ControlByName("OK")), fw::TypeMismatchException);

    // The same through the class record, as the program's accessors call it.
    fw::Variant found = window->Class().Operation("_ControlByName").Invoke(*window, { std::string("Field") });
    EXPECT_EQ(std::get<fw::RefPtr<fw::Object>>(found).Get(), window->ControlByName("Field").Get());
}

TEST_F(WindowTest, CloseFindsTheClosingWindowThenDefersTheTeardown)
{
    fw::RefPtr<ProbeWindow> window = Probe();
    ProbeWindow::log.clear();

    window->Close();

    EXPECT_EQ(ProbeWindow::log, std::vector<std::string> { "Close:self, controls 4" });
    EXPECT_TRUE(window->IsClosed());
    EXPECT_FALSE(fw::GetImplicitWindow(ProbeWindow::kClassName)) << "a closed window is not found once its Close has returned";
    EXPECT_EQ(window->Controls().size(), 4u) << "teardown waits for the running handler";
    EXPECT_EQ(ui().LiveWindows().size(), 1u);

    fw::EventLoop::Main().RunPending();
    EXPECT_TRUE(window->Controls().empty());
    EXPECT_TRUE(ui().LiveWindows().empty());
    EXPECT_TRUE(fw::WindowSupport::Windows().empty());

    window->Close();
    EXPECT_EQ(ProbeWindow::log.size(), 1u) << "closing a closed window does nothing";

    ProbeWindow::log.clear();
    fw::RefPtr<ProbeWindow> second = Probe();
    EXPECT_NE(second, window);
    ASSERT_FALSE(ProbeWindow::log.empty()) << "the next lookup builds a new window";
    EXPECT_EQ(ProbeWindow::log.front(), "Layout");
}

TEST_F(WindowTest, UserCloseTearsDownAfterTheHandlerAndButtonsGoDead)
{
    fw::RefPtr<ProbeWindow> window = Probe();
    fw::RefPtr<fw::PushButton> ok = fw::Cast<fw::PushButton>(window->ControlByName("OK"));

    EXPECT_TRUE(ui().CloseWindow(*window));
    EXPECT_TRUE(ui().LiveWindows().empty());
    EXPECT_FALSE(ui().CloseWindow(*window));
    EXPECT_FALSE(ok->Push()) << "a button of a closed window cannot be pressed";
}

TEST_F(WindowTest, ReturnPressesOnlyAnEnabledDefaultButton)
{
    struct Case {
        const char* name;
        bool okDefault;
        bool okEnabled;
        bool otherDefault;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "enabled default", true, true, false, { "OK" } },
        { "disabled default", true, false, false, {} },
        { "no default", false, true, false, {} },
        { "the other is the default", false, true, true, { "Other" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RefPtr<ProbeWindow> window = Probe();
        auto ok = fw::Cast<fw::PushButton>(window->ControlByName("OK"));
        auto other = fw::Cast<fw::PushButton>(window->ControlByName("Other"));
        ok->SetDefault(c.okDefault);
        ok->SetEnabled(c.okEnabled);
        other->SetDefault(c.otherDefault);
        ProbeWindow::log.clear();

        EXPECT_EQ(ui().PressReturn(*window), !c.expected.empty());
        EXPECT_EQ(ProbeWindow::log, c.expected);
        ui().CloseWindow(*window);
    }
}

TEST_F(WindowTest, AFailedConstructionLeavesNoWindowBehind)
{
    ProbeWindow::failInLayout = true;
    EXPECT_THROW(Probe(), fw::NilObjectException);
    EXPECT_FALSE(fw::GetImplicitWindow(ProbeWindow::kClassName));
    EXPECT_TRUE(ui().LiveWindows().empty());

    ProbeWindow::failInLayout = false;
    ProbeWindow::log.clear();
    EXPECT_TRUE(Probe());
    ASSERT_FALSE(ProbeWindow::log.empty());
    EXPECT_EQ(ProbeWindow::log.front(), "Layout");
}

TEST_F(WindowTest, AWindowClosedInItsOpenSkipsItsControlsOpen)
{
    ProbeWindow::closeInOpen = true;
    fw::RefPtr<ProbeWindow> window = Probe();
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(ProbeWindow::log.back(), "Close:self, controls 4");
    fw::EventLoop::Main().RunPending();
    EXPECT_TRUE(ui().LiveWindows().empty());
}

TEST_F(WindowTest, PropertyListsReachEverySetterUnderTheirListNames)
{
    fw::RefPtr<ProbeWindow> window = Probe();
    fw::SetProperties(*window, {
        { "Placement", int32_t(0) }, { "Width", int32_t(212) }, { "Height", int32_t(130) },
        { "MinWidth", int32_t(64) }, { "MinHeight", int32_t(64) }, { "MaxWidth", int32_t(32000) },
        { "MaxHeight", int32_t(32000) }, { "Frame", int32_t(0) }, { "Composite", false },
        { "HasBackColor", true }, { "BackColor", fw::Color { 0xFF0000 } }, { "Title", std::string("Tockamo") },
        { "Visible", true }, { "FullScreen", false }, { "MenuBarVisible", true }, { "CloseButton", true },
        { "Resizeable", false }, { "LiveResize", true }, { "MaximizeButton", false },
        { "MinimizeButton", false }, { "FullScreenButton", false }, { "MacProcID", int32_t(7) },
    });
    EXPECT_EQ(window->Height(), 130);
    EXPECT_EQ(window->BackColor(), fw::Color { 0xFF0000 });
    EXPECT_EQ(window->Title(), "Tockamo");
    EXPECT_FALSE(window->Resizeable());
    EXPECT_EQ(window->MacProcId(), 7);

    auto label = fw::Cast<fw::Label>(window->ControlByName("Label1"));
    fw::SetProperties(*label, {
        { "Name", std::string("Label1") }, { "Index", INT32_MIN }, { "Left", int32_t(20) }, { "Top", int32_t(7) },
        { "Width", int32_t(40) }, { "Height", int32_t(20) }, { "LockLeft", true }, { "LockTop", true },
        { "LockRight", false }, { "LockBottom", false }, { "TabPanelIndex", int32_t(0) }, { "TabIndex", int32_t(4) },
        { "Text", std::string("Set") }, { "TextAlign", int32_t(1) }, { "TextColor", fw::Color { 0xFF0000 } },
        { "Multiline", true }, { "Enabled", true }, { "Visible", true }, { "Selectable", false },
        { "Transparent", false }, { "HelpTag", std::string() }, { "AutoDeactivate", true },
        { "TextFont", std::string("System") }, { "Bold", true }, { "Italic", false }, { "Underline", false },
        { "DataSource", std::string() }, { "DataField", std::string() }, { "InitialParent", std::string() },
        { "TextSize", 14.0f }, { "TextUnit", int32_t(0) },
    });
    EXPECT_EQ(label->Text(), "Set");
    EXPECT_TRUE(label->MultiLine());
    EXPECT_EQ(label->TextAlign(), 1);
    EXPECT_EQ(label->TabIndex(), 4);
    EXPECT_FLOAT_EQ(label->Style().size, 14.0f);
    EXPECT_TRUE(label->Style().bold);

    auto field = fw::Cast<fw::TextField>(window->ControlByName("Field"));
    fw::SetProperties(*field, {
        { "TabStop", true }, { "Border", true }, { "Password", false }, { "UseFocusRing", true },
        { "TextColor", fw::Color { 0 } }, { "BackColor", fw::Color { 0xFFFFFF } }, { "Format", std::string() },
        { "CueText", std::string() }, { "Text", std::string("60") }, { "Mask", std::string() },
        { "ReadOnly", true }, { "LimitText", int32_t(0) }, { "AcceptTabs", false }, { "Alignment", int32_t(2) },
        { "AutomaticallyCheckSpelling", false },
    });
    EXPECT_EQ(field->Text(), "60");
    EXPECT_TRUE(field->ReadOnly());
    EXPECT_FALSE(field->UserEdit("5")) << "the user cannot type into a read-only field";

    auto ok = fw::Cast<fw::PushButton>(window->ControlByName("OK"));
    fw::SetProperties(*ok, { { "Caption", std::string("Start") }, { "Default", true }, { "Cancel", false }, { "ButtonStyle", int32_t(0) } });
    EXPECT_EQ(ok->Caption(), "Start");

    EXPECT_THROW(fw::SetProperties(*ok, { { "Text", std::string("no such property on a button") } }), fw::TypeMismatchException);
    EXPECT_THROW(fw::SetProperties(*label, { { "TextSize", int32_t(14) } }), fw::TypeMismatchException) << "TextSize is a Single";
}

}
