#include "app/App.h"

#include "about/AboutBox.h"
#include "framework/Runtime.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

namespace tockamo {

namespace {

constexpr const char* kClassName = "App";

}

fw::Ref<class App> App::Create()
{
    return fw::Adopt(*new class App);
}

void App::ctblinit()
{
    fw::ClassRecord::Build(kClassName, &fw::Application::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Method("Event_Open", "%%", &App::Event_Open);
        builder.Method("_FileAboutBox_Action", "%b%", &App::FileAboutBox_Action);
        builder.Method("Constructor", "%%", &App::Constructor);
        builder.Event(fw::Application::kEventOpen, "Open", "Event_Open");
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<class App>();
    });
}

const fw::ClassRecord& App::Lookup()
{
    if (const fw::ClassRecord* record = fw::ClassRecord::Find(kClassName))
        return *record;
    ctblinit();
    return *fw::ClassRecord::Find(kClassName);
}

const fw::ClassRecord& App::Class() const
{
    return Lookup();
}

void App::Event_Open()
{
    // The main window's Open event reads the loaded values, so they must be
    // in place before the window is created.
    prefModule::loadPrefs();
    fw::RefPtr<class Window1> window = Window1();
    window->Show();
}

bool App::FileAboutBox_Action()
{
    fw::RefPtr<class AboutBox> about = AboutBox();
    about->Show();
    return true;
}

void App::Constructor()
{
}

fw::RefPtr<class App> App()
{
    return fw::Cast<class App>(fw::GetAppObject());
}

}
