#pragma once

#include "framework/Application.h"
#include "framework/ClassRecord.h"
#include "framework/Ref.h"

namespace tockamo {

// The application object: opens the main window once the preferences are
// loaded, and answers the "FileAboutBox" menu command.
class App : public fw::Application {
public:
    static fw::Ref<App> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    // The application's Open event.
    void Event_Open();
    // The "FileAboutBox" menu command; true: handled.
    bool FileAboutBox_Action();
    // Run once by start-up right after creation; there is nothing to set up.
    void Constructor();

protected:
    App() = default;
};

// The application object registered at start-up, as an App.
fw::RefPtr<App> App();

}
