#include "about/AboutBox.h"

#include "app/App.h"
#include "app/DesignLists.h"
#include "framework/ClassRecord.h"
#include "framework/PropertyList.h"
#include "framework/Runtime.h"

#include <optional>
#include <string>

namespace tockamo {

namespace {

constexpr const char* kClassName = "AboutBox.AboutBox";

// Five centred lines; the label breaks them at each carriage return.
const std::string kCredits = "Developed by\rOrvinel\r\rSr. Beta Tester\rDastrey";
const std::string kIconCredit = "Icon: Red Timer, drawn for Tockamo";

template<typename T>
fw::RefPtr<T> Named(const fw::Window& window, const std::string& name)
{
    return fw::Cast<T>(window.ControlByName(name));
}

// Neither button is default or cancel, so Return and Escape press neither.
void AddButton(fw::Window& window, const std::string& name, design::Frame at, const std::string& caption)
{
    design::AddVisualControl(window, fw::PushButton::Lookup(), name);
    Named<fw::PushButton>(window, name)->SetTextUnit(0);
    fw::SetProperties(*Named<fw::PushButton>(window, name), design::PushButtonList(name, at, caption, false, true));
}

// A label with a size of its own gets it before its unit, and both before its list.
void AddLabel(fw::Window& window, const std::string& name, design::Frame at, std::optional<float> textSize, const design::LabelLook& look)
{
    design::AddVisualControl(window, fw::Label::Lookup(), name);
    if (textSize)
        Named<fw::Label>(window, name)->SetTextSize(*textSize);
    Named<fw::Label>(window, name)->SetTextUnit(0);
    fw::SetProperties(*Named<fw::Label>(window, name), design::LabelList(name, at, look));
}

}

fw::Ref<class AboutBox> AboutBox::Create()
{
    return fw::Adopt(*new AboutBox);
}

const fw::ClassRecord& AboutBox::Lookup()
{
    if (const fw::ClassRecord* record = fw::ClassRecord::Find(kClassName))
        return *record;
    ctblinit();
    return *fw::ClassRecord::Find(kClassName);
}

void AboutBox::ctblinit()
{
    fw::ClassRecord::Build(kClassName, &fw::Window::Lookup(), [](fw::ClassRecord::Builder& record) {
        record.Method("Layout", "%%", &AboutBox::Layout)
            .Method("CreateControls", "%%", &AboutBox::CreateControls)
            .Method("_CreateControls0", "%%", &AboutBox::CreateControls0, { { "__Scope", "Public" }, { "Hidden", std::nullopt } })
            .Method("PushButton1", "%o<PushButton>%", &AboutBox::PushButton1)
            .Method("PushButton2", "%o<PushButton>%", &AboutBox::PushButton2)
            .Method("StaticText2", "%o<Label>%", &AboutBox::StaticText2)
            .Method("StaticText1", "%o<Label>%", &AboutBox::StaticText1)
            .Method("StaticText3", "%o<Label>%", &AboutBox::StaticText3)
            .Method("StaticText4", "%o<Label>%", &AboutBox::StaticText4)
            .Method("Label1", "%o<Label>%", &AboutBox::Label1)
            .Method("PushButton1_Action", "%%o<PushButton>", &AboutBox::PushButton1_Action)
            .Method("PushButton2_Action", "%%o<PushButton>", &AboutBox::PushButton2_Action)
            .Method("StaticText4_Open", "%%o<Label>", &AboutBox::StaticText4_Open)
            .Event(fw::Window::kEventLayout, "Layout", "Layout")
            .Event(fw::Window::kEventCreateControls, "CreateControls", "CreateControls")
            .ClassAttribute("__Scope", "Public")
            .Creatable<AboutBox>();
    });
}

const fw::ClassRecord& AboutBox::Class() const
{
    return Lookup();
}

// The window attaches no menu bar; the main window's stays in charge.
void AboutBox::Layout()
{
    fw::SetProperties(*this, design::WindowList({ .width = 264, .height = 290, .hasBackColor = false, .backColor = fw::Color { 0xFFFFFF }, .title = "About...", .liveResize = false }));
}

void AboutBox::CreateControls()
{
    Class().Operation("_CreateControls0").Invoke(*this);
}

void AboutBox::CreateControls0()
{
    AddButton(*this, "PushButton1", { 72, 180, 120, 21, 0 }, "Email Author");
    Named<fw::PushButton>(*this, "PushButton1")->AddHandler(fw::PushButton::kEventAction, fw::HandlerBinding::Bind(*this, "PushButton1_Action"));

    AddButton(*this, "PushButton2", { 72, 217, 120, 21, 1 }, "Visit Web Site");
    Named<fw::PushButton>(*this, "PushButton2")->AddHandler(fw::PushButton::kEventAction, fw::HandlerBinding::Bind(*this, "PushButton2_Action"));

    AddLabel(*this, "StaticText2", { 80, 86, 104, 87, 2 }, std::nullopt, { .text = kCredits, .multiline = true, .bold = false });
    AddLabel(*this, "StaticText1", { 20, 20, 224, 45, 3 }, 30.0f, { .text = "Tockamo", .textFont = "Arial" });
    AddLabel(*this, "StaticText3", { 87, 60, 47, 20, 4 }, 12.0f, { .text = "Version:", .textAlign = design::TextAlign::Left, .textFont = "Arial" });

    // The design text stands only until the label's Open puts the running version in.
    AddLabel(*this, "StaticText4", { 144, 60, 33, 20, 5 }, 12.0f, { .text = "1.0.0", .textAlign = design::TextAlign::Right, .textFont = "Arial" });
    Named<fw::Label>(*this, "StaticText4")->AddHandler(fw::Control::kEventOpen, fw::HandlerBinding::Bind(*this, "StaticText4_Open"));

    AddLabel(*this, "Label1", { 0, 250, 264, 20, 6 }, std::nullopt, { .text = kIconCredit, .bold = false });
}

fw::RefPtr<fw::PushButton> AboutBox::PushButton1()
{
    return Named<fw::PushButton>(*this, "PushButton1");
}

fw::RefPtr<fw::PushButton> AboutBox::PushButton2()
{
    return Named<fw::PushButton>(*this, "PushButton2");
}

fw::RefPtr<fw::Label> AboutBox::StaticText2()
{
    return Named<fw::Label>(*this, "StaticText2");
}

fw::RefPtr<fw::Label> AboutBox::StaticText1()
{
    return Named<fw::Label>(*this, "StaticText1");
}

fw::RefPtr<fw::Label> AboutBox::StaticText3()
{
    return Named<fw::Label>(*this, "StaticText3");
}

fw::RefPtr<fw::Label> AboutBox::StaticText4()
{
    return Named<fw::Label>(*this, "StaticText4");
}

fw::RefPtr<fw::Label> AboutBox::Label1()
{
    return Named<fw::Label>(*this, "Label1");
}

void AboutBox::PushButton1_Action(fw::PushButton&)
{
    fw::ShowURL(kAuthorMailURL);
}

void AboutBox::PushButton2_Action(fw::PushButton&)
{
    fw::ShowURL(kWebSiteURL);
}

// The version is shown exactly as the application reports it, empty included.
void AboutBox::StaticText4_Open(fw::Label& label)
{
    fw::RefPtr<class App> app = App();
    label.SetText(app->LongVersion());
}

fw::RefPtr<class AboutBox> AboutBox()
{
    return fw::ImplicitInstance<class AboutBox>();
}

}
