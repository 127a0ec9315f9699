#include "timer/Window1.h"

#include "app/DesignLists.h"
#include "app/MenuBar1.h"
#include "framework/PropertyList.h"
#include "framework/Runtime.h"
#include "framework/Text.h"
#include "prefs/prefModule.h"
#include "timer/Microwave.h"
#include "timer/Window1Timer1.h"
#include "timer/Window2.h"

#include <algorithm>
#include <limits>

namespace tockamo {

namespace {

const fw::Color kBlack { 0x000000 };
const fw::Color kRed { 0xFF0000 };

// The size of the two red captions; the other texts keep the default size.
constexpr float kCaptionSize = 14;

// How far below the main window's top the Time's Up window opens.
constexpr int32_t kAlertOffset = 20;

// The window's top plus the offset, kept within Int32 for positions read
// from a hand-edited preferences file.
int32_t AlertTop(int32_t mainTop)
{
    int64_t top = int64_t { mainTop } + kAlertOffset;
    return static_cast<int32_t>(std::min<int64_t>(top, std::numeric_limits<int32_t>::max()));
}

}

fw::Ref<class Window1> Window1::Create()
{
    return fw::Adopt(*new Window1);
}

void Window1::ctblinit()
{
    fw::ClassRecord::Build("Window1.Window1", &fw::Window::Lookup(), [](fw::ClassRecord::Builder& b) {
        const std::vector<fw::Attribute> hidden { { "__Scope", "Public" }, { "Hidden", std::nullopt } };
        b.Method("Layout", "%%", &Window1::Layout)
            .Method("CreateControls", "%%", &Window1::CreateControls)
            .Method("_CreateControls0", "%%", &Window1::CreateControls0, hidden)
            .Method("UpDownArrows1", "%o<UpDownArrows>%", &Window1::UpDownArrows1)
            .Method("Label1", "%o<Label>%", &Window1::Label1)
            .Method("MyStart", "%o<PushButton>%", &Window1::MyStart)
            .Method("SetMin", "%o<TextField>%", &Window1::SetMin)
            .Method("Label2", "%o<Label>%", &Window1::Label2)
            .Method("MyPause", "%o<PushButton>%", &Window1::MyPause)
            .Method("MinLeft", "%o<TextField>%", &Window1::MinLeft)
            .Method("SecLeft", "%o<TextField>%", &Window1::SecLeft)
            .Method("Label3", "%o<Label>%", &Window1::Label3)
            .Method("Label4", "%o<Label>%", &Window1::Label4)
            .Method("Label5", "%o<Label>%", &Window1::Label5)
            .Method("Timer1", "%o<Timer>%", &Window1::Timer1)
            .Method("UpDownArrows1_Up", "%%o<UpDownArrows>", &Window1::UpDownArrows1_Up)
            .Method("UpDownArrows1_Down", "%%o<UpDownArrows>", &Window1::UpDownArrows1_Down)
            .Method("MyStart_Action", "%%o<PushButton>", &Window1::MyStart_Action)
            .Method("MyPause_Action", "%%o<PushButton>", &Window1::MyPause_Action)
            .Method("Timer1_Action", "%%o<Timer>", &Window1::Timer1_Action)
            .Method("FileMenu", "%o<MenuItem>%", &Window1::FileMenu)
            .Method("FileQuit", "%o<QuitMenuItem>%", &Window1::FileQuit)
            .Method("FileAboutBox", "%o<ApplicationMenuItem>%", &Window1::FileAboutBox)
            .Method("Event_Close", "%%", &Window1::Event_Close)
            .Method("Event_Open", "%%", &Window1::Event_Open)
            .Event(fw::Window::kEventClose, "Close", "Event_Close")
            .Event(fw::Window::kEventCreateControls, "CreateControls", "CreateControls")
            .Event(fw::Window::kEventLayout, "Layout", "Layout")
            .Event(fw::Window::kEventOpen, "Open", "Event_Open")
            .ClassAttribute("__Scope", "Public")
            .Creatable<Window1>();
    });
}

const fw::ClassRecord& Window1::Lookup()
{
    static const fw::ClassRecord& s_record = (ctblinit(), *fw::ClassRecord::Find("Window1.Window1"));
    return s_record;
}

const fw::ClassRecord& Window1::Class() const
{
    return Lookup();
}

void Window1::Layout()
{
    // The menu bar goes on before the window's own properties.
    SetMenuBar(MenuBar1());
    fw::SetProperties(*this, design::WindowList({ .width = 212, .height = 130, .hasBackColor = false, .backColor = fw::Color { 0xFFFFFF }, .title = "Tockamo", .liveResize = true }));
}

void Window1::CreateControls()
{
    Class().Operation("_CreateControls0").Invoke(*this);
}

void Window1::CreateControls0()
{
    // Each control is finished (size, unit, properties, handlers) before the
    // next one is made, and every step fetches it again by name.
    design::AddVisualControl(*this, fw::UpDownArrows::Lookup(), "UpDownArrows1");
    fw::SetProperties(*UpDownArrows1(), design::UpDownArrowsList("UpDownArrows1", { 63, 55, 13, 23, 0 }));
    UpDownArrows1()->AddHandler(fw::UpDownArrows::kEventUp, fw::HandlerBinding::Bind(*this, "UpDownArrows1_Up"));
    UpDownArrows1()->AddHandler(fw::UpDownArrows::kEventDown, fw::HandlerBinding::Bind(*this, "UpDownArrows1_Down"));

    design::AddVisualControl(*this, fw::Label::Lookup(), "Label1");
    Label1()->SetTextUnit(0);
    fw::SetProperties(*Label1(), design::LabelList("Label1", { 20, 29, 40, 20, 1 }, { .text = "Min", .textColor = kBlack }));

    design::AddVisualControl(*this, fw::PushButton::Lookup(), "MyStart");
    MyStart()->SetTextUnit(0);
    fw::SetProperties(*MyStart(), design::PushButtonList("MyStart", { 20, 90, 80, 20, 2 }, "Start", true, true));
    MyStart()->AddHandler(fw::PushButton::kEventAction, fw::HandlerBinding::Bind(*this, "MyStart_Action"));

    design::AddVisualControl(*this, fw::TextField::Lookup(), "SetMin");
    SetMin()->SetTextUnit(0);
    fw::SetProperties(*SetMin(), design::TextFieldList("SetMin", { 20, 52, 40, 30, 3 }));

    design::AddVisualControl(*this, fw::Label::Lookup(), "Label2");
    Label2()->SetTextSize(kCaptionSize);
    Label2()->SetTextUnit(0);
    fw::SetProperties(*Label2(), design::LabelList("Label2", { 20, 7, 40, 20, 4 }, { .text = "Set", .textColor = kRed }));

    design::AddVisualControl(*this, fw::PushButton::Lookup(), "MyPause");
    MyPause()->SetTextUnit(0);
    fw::SetProperties(*MyPause(), design::PushButtonList("MyPause", { 112, 90, 80, 20, 5 }, "Pause", false, false));
    MyPause()->AddHandler(fw::PushButton::kEventAction, fw::HandlerBinding::Bind(*this, "MyPause_Action"));

    design::AddVisualControl(*this, fw::TextField::Lookup(), "MinLeft");
    MinLeft()->SetTextUnit(0);
    fw::SetProperties(*MinLeft(), design::TextFieldList("MinLeft", { 96, 52, 40, 30, 6 }));

    design::AddVisualControl(*this, fw::TextField::Lookup(), "SecLeft");
    SecLeft()->SetTextUnit(0);
    fw::SetProperties(*SecLeft(), design::TextFieldList("SecLeft", { 151, 52, 40, 30, 7 }));

    design::AddVisualControl(*this, fw::Label::Lookup(), "Label3");
    Label3()->SetTextUnit(0);
    fw::SetProperties(*Label3(), design::LabelList("Label3", { 96, 29, 40, 20, 8 }, { .text = "Min", .textColor = kBlack }));

    design::AddVisualControl(*this, fw::Label::Lookup(), "Label4");
    Label4()->SetTextUnit(0);
    fw::SetProperties(*Label4(), design::LabelList("Label4", { 151, 29, 40, 20, 9 }, { .text = "Sec", .textColor = kBlack }));

    design::AddVisualControl(*this, fw::Label::Lookup(), "Label5");
    Label5()->SetTextSize(kCaptionSize);
    Label5()->SetTextUnit(0);
    fw::SetProperties(*Label5(), design::LabelList("Label5", { 96, 7, 96, 20, 10 }, { .text = "Remaining", .textColor = kRed }));

    {
        fw::Ref<fw::Control> timer = New(Window1Timer1::Lookup());
        fw::Cast<Window1Timer1>(timer)->Constructor();
        AddControl("Timer1", timer);
    }
    fw::SetProperties(*Timer1(), design::TimerList(fw::Timer::kModeOff, 1000));
    Timer1()->AddHandler(fw::Timer::kEventAction, fw::HandlerBinding::Bind(*this, "Timer1_Action"));
}

fw::RefPtr<fw::UpDownArrows> Window1::UpDownArrows1() { return fw::Cast<fw::UpDownArrows>(ControlByName("UpDownArrows1")); }
fw::RefPtr<fw::Label> Window1::Label1() { return fw::Cast<fw::Label>(ControlByName("Label1")); }
fw::RefPtr<fw::PushButton> Window1::MyStart() { return fw::Cast<fw::PushButton>(ControlByName("MyStart")); }
fw::RefPtr<fw::TextField> Window1::SetMin() { return fw::Cast<fw::TextField>(ControlByName("SetMin")); }
fw::RefPtr<fw::Label> Window1::Label2() { return fw::Cast<fw::Label>(ControlByName("Label2")); }
fw::RefPtr<fw::PushButton> Window1::MyPause() { return fw::Cast<fw::PushButton>(ControlByName("MyPause")); }
fw::RefPtr<fw::TextField> Window1::MinLeft() { return fw::Cast<fw::TextField>(ControlByName("MinLeft")); }
fw::RefPtr<fw::TextField> Window1::SecLeft() { return fw::Cast<fw::TextField>(ControlByName("SecLeft")); }
fw::RefPtr<fw::Label> Window1::Label3() { return fw::Cast<fw::Label>(ControlByName("Label3")); }
fw::RefPtr<fw::Label> Window1::Label4() { return fw::Cast<fw::Label>(ControlByName("Label4")); }
fw::RefPtr<fw::Label> Window1::Label5() { return fw::Cast<fw::Label>(ControlByName("Label5")); }
fw::RefPtr<fw::Timer> Window1::Timer1() { return fw::Cast<fw::Timer>(ControlByName("Timer1")); }

fw::RefPtr<fw::MenuItem> Window1::FileMenu()
{
    return fw::Cast<fw::MenuItem>(GetMenuBar()->FindItem("FileMenu"));
}

fw::RefPtr<fw::QuitMenuItem> Window1::FileQuit()
{
    return fw::Cast<fw::QuitMenuItem>(GetMenuBar()->FindItem("FileQuit"));
}

fw::RefPtr<fw::ApplicationMenuItem> Window1::FileAboutBox()
{
    return fw::Cast<fw::ApplicationMenuItem>(GetMenuBar()->FindItem("FileAboutBox"));
}

void Window1::UpDownArrows1_Up(fw::UpDownArrows&)
{
    if (fw::Val(SetMin()->Text()) < 90) {
        SetMin()->SetText(fw::Str(fw::Val(SetMin()->Text()) + 1));
        SetMin()->Refresh(true);
        prefModule::MySetMin = fw::ToInt32(fw::Val(SetMin()->Text()));
    }
}

void Window1::UpDownArrows1_Down(fw::UpDownArrows&)
{
    if (fw::Val(SetMin()->Text()) > 1) {
        SetMin()->SetText(fw::Str(fw::Val(SetMin()->Text()) - 1));
        SetMin()->Refresh(true);
        prefModule::MySetMin = fw::ToInt32(fw::Val(SetMin()->Text()));
    }
}

void Window1::MyStart_Action(fw::PushButton&)
{
    // A preferences file can hold 0 or fewer start minutes; the count then
    // shows "0" and ends at the first tick instead of running into negative
    // minutes that never reach the end.
    MinLeft()->SetText(fw::Str(std::max(prefModule::MySetMin, int32_t { 0 })));
    SecLeft()->SetText("0");
    Timer1()->SetMode(fw::Timer::kModeMultiple);
    MyStart()->SetDefault(false);
    MyStart()->SetEnabled(false);
    MyPause()->SetEnabled(true);
    MyPause()->SetDefault(true);
    MyPause()->SetCaption("Pause");
}

void Window1::MyPause_Action(fw::PushButton&)
{
    // The caption is the only record of whether the count is paused.
    if (fw::TextEquals(MyPause()->Caption(), "Pause")) {
        Timer1()->SetMode(fw::Timer::kModeOff);
        MyPause()->SetCaption("Continue");
        MyStart()->SetEnabled(true);
    } else {
        Timer1()->SetMode(fw::Timer::kModeMultiple);
        MyPause()->SetCaption("Pause");
        MyStart()->SetDefault(false);
        MyStart()->SetEnabled(false);
        MyPause()->SetDefault(true);
    }
}

void Window1::Timer1_Action(fw::Timer&)
{
    if (fw::Val(SecLeft()->Text()) > 0) {
        SecLeft()->SetText(fw::Str(fw::Val(SecLeft()->Text()) - 1));
        SecLeft()->Refresh(true);
    } else if (fw::Val(SecLeft()->Text()) == 0) {
        if (fw::Val(MinLeft()->Text()) <= 0) {
            // Nothing is left to count (a start of 0 or fewer minutes): end
            // now rather than show a negative minute.
            MinLeft()->SetText("0");
        } else {
            SecLeft()->SetText("59");
            SecLeft()->Refresh(true);
            MinLeft()->SetText(fw::Str(fw::Val(MinLeft()->Text()) - 1));
        }
    }

    // The end test looks at what the fields show after this tick's step.
    if (fw::TextEquals(MinLeft()->Text(), "0") && fw::TextEquals(SecLeft()->Text(), "0"))
        TimeUp();
}

void Window1::TimeUp()
{
    PlayAlarm();
    // The alert is fetched (and made, when none is open) before the main
    // window's position is read; an open alert is only moved and shown, so
    // its own ten-second rhythm goes on undisturbed.
    fw::RefPtr<class Window2> alert = tockamo::Window2();
    alert->SetTop(AlertTop(tockamo::Window1()->Top()));
    tockamo::Window2()->SetLeft(tockamo::Window1()->Left());
    tockamo::Window2()->Show();
    MyPause()->SetDefault(false);
    MyPause()->SetEnabled(false);
    MyStart()->SetEnabled(true);
    MyStart()->SetDefault(true);
    Timer1()->SetMode(fw::Timer::kModeOff);
}

void Window1::Event_Close()
{
    prefModule::savePrefs();
    fw::Quit(0);
}

void Window1::Event_Open()
{
    // The stored position and minutes are shown as they are; the arrows bring
    // an out-of-range value back towards 1 to 90 one step at a time.
    tockamo::Window1()->SetTop(prefModule::Window1Top);
    tockamo::Window1()->SetLeft(prefModule::Window1Left);
    tockamo::Window1()->SetMin()->SetText(fw::Str(prefModule::MySetMin));
    MinLeft()->SetText("0");
    SecLeft()->SetText("0");
}

fw::RefPtr<class Window1> Window1()
{
    return fw::ImplicitInstance<class Window1>();
}

}
