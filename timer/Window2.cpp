#include "timer/Window2.h"

#include "app/DesignLists.h"
#include "framework/PropertyList.h"
#include "timer/Microwave.h"
#include "timer/Window2Timer1.h"

namespace tockamo {

fw::Ref<class Window2> Window2::Create()
{
    return fw::Adopt(*new Window2);
}

void Window2::ctblinit()
{
    fw::ClassRecord::Build("Window2.Window2", &fw::Window::Lookup(), [](fw::ClassRecord::Builder& b) {
        const std::vector<fw::Attribute> hidden { { "__Scope", "Public" }, { "Hidden", std::nullopt } };
        b.Method("Layout", "%%", &Window2::Layout)
            .Method("CreateControls", "%%", &Window2::CreateControls)
            .Method("_CreateControls0", "%%", &Window2::CreateControls0, hidden)
            .Method("Label1", "%o<Label>%", &Window2::Label1)
            .Method("Timer1", "%o<Timer>%", &Window2::Timer1)
            .Method("Timer1_Action", "%%o<Timer>", &Window2::Timer1_Action)
            .Method("Event_Open", "%%", &Window2::Event_Open)
            .Event(fw::Window::kEventCreateControls, "CreateControls", "CreateControls")
            .Event(fw::Window::kEventLayout, "Layout", "Layout")
            .Event(fw::Window::kEventOpen, "Open", "Event_Open")
            .ClassAttribute("__Scope", "Public")
            .Creatable<Window2>();
    });
}

const fw::ClassRecord& Window2::Lookup()
{
    static const fw::ClassRecord& s_record = (ctblinit(), *fw::ClassRecord::Find("Window2.Window2"));
    return s_record;
}

const fw::ClassRecord& Window2::Class() const
{
    return Lookup();
}

void Window2::Layout()
{
    // No position here: the countdown places the window below the main one.
    fw::SetProperties(*this, design::WindowList({ .width = 212, .height = 104, .hasBackColor = true, .backColor = fw::Color { 0xFF0000 }, .title = "Time's Up", .liveResize = true }));
}

void Window2::CreateControls()
{
    Class().Operation("_CreateControls0").Invoke(*this);
}

void Window2::CreateControls0()
{
    design::AddVisualControl(*this, fw::Label::Lookup(), "Label1");
    Label1()->SetTextSize(30);
    Label1()->SetTextUnit(0);
    // The label covers the whole window and lets the red show around its text.
    fw::SetProperties(*Label1(), design::LabelList("Label1", { 0, 0, 212, 104, 0 }, { .text = "Time's Up", .textColor = fw::Color { 0xFFFFFF }, .background = design::Background::Transparent }));

    {
        fw::Ref<fw::Control> timer = New(Window2Timer1::Lookup());
        fw::Cast<Window2Timer1>(timer)->Constructor();
        AddControl("Timer1", timer);
    }
    fw::SetProperties(*Timer1(), design::TimerList(fw::Timer::kModeOff, 10000));
    Timer1()->AddHandler(fw::Timer::kEventAction, fw::HandlerBinding::Bind(*this, "Timer1_Action"));
}

fw::RefPtr<fw::Label> Window2::Label1() { return fw::Cast<fw::Label>(ControlByName("Label1")); }
fw::RefPtr<fw::Timer> Window2::Timer1() { return fw::Cast<fw::Timer>(ControlByName("Timer1")); }

void Window2::Timer1_Action(fw::Timer&)
{
    PlayAlarm();
}

void Window2::Event_Open()
{
    // The rhythm runs from this Open; a later time-up only moves the window.
    Timer1()->SetMode(fw::Timer::kModeMultiple);
}

fw::RefPtr<class Window2> Window2()
{
    return fw::ImplicitInstance<class Window2>();
}

}
