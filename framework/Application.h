#pragma once

#include "ClassRecord.h"
#include "Delegate.h"
#include "Object.h"

#include <map>
#include <string>

namespace fw {

class Application : public Object {
public:
    // Numbers in Application's event table.
    static constexpr int kEventActivate = 0;
    static constexpr int kEventCancelClose = 1;
    static constexpr int kEventClose = 2;
    static constexpr int kEventDeactivate = 3;
    static constexpr int kEventEnableMenuItems = 4;
    static constexpr int kEventHandleAppleEvent = 5;
    static constexpr int kEventNewDocument = 6;
    static constexpr int kEventOpen = 7;
    static constexpr int kEventOpenDocument = 8;
    static constexpr int kEventUnhandledException = 9;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // The application's long version string, as the program named it at
    // start (ProgramIdentity).
    std::string LongVersion() const;
    // Replaces the version information that LongVersion reports, for every
    // application object; an empty string stands for a build without one.
    static void SetVersionInformation(const std::string& longVersion);

    // _AddMenuHandler: choosing the menu item named `itemName` calls
    // `handler`, whose Boolean result True means "handled". Raises
    // ThreadAccessingUIException off the main thread.
    void AddMenuHandler(const std::string& itemName, CallableEntry handler);
    bool HasMenuHandler(const std::string& itemName) const;
    // _HandleMenuCommand: runs the handler registered for `itemName`; false
    // when there is none or it did not handle the command.
    bool HandleMenuCommand(const std::string& itemName);

    // _CallOpen: raises the Open event through the class's event table.
    void CallOpen();

    // The quit action of the Quit menu item, Ctrl+Q, SIGTERM, SIGINT or
    // SIGHUP, and of a display that went away: closes the open windows front to back (each raises its Close
    // event) until one of them quits the application; if none does, quits
    // with status 0.
    void QuitAction();

protected:
    Application() = default;

private:
    std::map<std::string, CallableEntry> m_menuHandlers;
};

}
