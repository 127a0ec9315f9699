#include "Application.h"

#include "EventLoop.h"
#include "FolderItem.h"
#include "Runtime.h"
#include "Sound.h"
#include "Window.h"

namespace fw {

namespace {

// Operations of the application object that a desktop timer has no use for;
// they stand in the record so that the slot order is the framework's, and
// say so plainly when called.
Method Unavailable(const std::string& name)
{
    return [name](Object&, const std::vector<Variant>&) -> Variant {
        throw RuntimeException("Application." + name + " is not available in this framework");
    };
}

void DoSingleEvent()
{
    EventLoop& loop = EventLoop::Main();
    loop.RunPending();
    if (HasBackend())
        loop.FireDueTimers(GetBackend().GetClock().Now());
}

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Application", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        const std::vector<Attribute> publicScope { { "__Scope", "Public" } };
        builder.ClassAttribute("__Scope", "Public");
        builder.AddMember("AddTrayItem", "%%o<TrayItem>", Unavailable("AddTrayItem"), publicScope);
        builder.AddMember("DoEvents", "%%", [](Object&, const std::vector<Variant>&) -> Variant {
            DoSingleEvent();
            return std::monostate {};
        }, publicScope);
        builder.AddMember("NewDocument", "%%", Unavailable("NewDocument"), publicScope);
        builder.AddMember("OpenDocument", "%%o<FolderItem>", Unavailable("OpenDocument"), publicScope);
        builder.AddMember("RemoveTrayItem", "%%o<TrayItem>", Unavailable("RemoveTrayItem"), publicScope);
        builder.AddMember("SleepCurrentThread", "%%i4", Unavailable("SleepCurrentThread"), publicScope);
        // There is only the main thread, so yielding returns at once.
        builder.AddMember("YieldToNextThread", "%%", [](Object&, const std::vector<Variant>&) -> Variant {
            return std::monostate {};
        }, publicScope);
        builder.AddMember("_AddMenuHandler", "%%s,o<Delegate>", [](Object& self, const std::vector<Variant>& args) -> Variant {
            RefPtr<Delegate> handler = Cast<Delegate>(std::get<RefPtr<Object>>(args.at(1)));
            static_cast<Application&>(self).AddMenuHandler(std::get<std::string>(args.at(0)), handler->Entry());
            return std::monostate {};
        }, publicScope);
        builder.AddMember("_AddPollableObject", "%%o<Object>", Unavailable("_AddPollableObject"), publicScope);
        builder.Method("_CallOpen", "%%", &Application::CallOpen, publicScope);
        builder.AddMember("_DoSingleEvent", "%%", [](Object&, const std::vector<Variant>&) -> Variant {
            DoSingleEvent();
            return std::monostate {};
        }, publicScope);
        // Every item keeps the enabled state it was given; nothing to update.
        builder.AddMember("_EnableMenuItems", "%%", [](Object&, const std::vector<Variant>&) -> Variant {
            return std::monostate {};
        }, publicScope);
        builder.AddMember("_HandleMenuCommand", "%b%s", [](Object& self, const std::vector<Variant>& args) -> Variant {
            return static_cast<Application&>(self).HandleMenuCommand(std::get<std::string>(args.at(0)));
        }, publicScope);
        builder.AddMember("_LoadBundleSound", "%o<Sound>%s", [](Object&, const std::vector<Variant>& args) -> Variant {
            RefPtr<FolderItem> resources = GetApplicationBundleResources();
            if (!resources)
                return RefPtr<Object>();
            RefPtr<FolderItem> file = resources->Child(std::get<std::string>(args.at(0)));
            if (!file)
                return RefPtr<Object>();
            return RefPtr<Object>(file->OpenAsSound());
        }, publicScope);
        builder.AddMember("_LoadPictureFromBundle", "%o<Picture>%s", Unavailable("_LoadPictureFromBundle"), publicScope);
        builder.AddMember("_RemovePollableObject", "%%o<Object>", Unavailable("_RemovePollableObject"), publicScope);
        builder.AddMember("__DependencyList", "%o<Object>%", Unavailable("__DependencyList"), publicScope);
    });
}

}

const ClassRecord& Application::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Application::Class() const
{
    return Lookup();
}

std::string Application::LongVersion() const
{
    return GetProgramIdentity().longVersion;
}

void Application::SetVersionInformation(const std::string& longVersion)
{
    ProgramIdentity identity = GetProgramIdentity();
    identity.longVersion = longVersion;
    SetProgramIdentity(std::move(identity));
}

void Application::AddMenuHandler(const std::string& itemName, CallableEntry handler)
{
    if (!IsMainThread())
        throw ThreadAccessingUIException("menu handler \"" + itemName + "\" must be registered on the main thread");
    if (!handler)
        throw NilObjectException("menu handler \"" + itemName + "\" is nil");
    m_menuHandlers[itemName] = std::move(handler);
}

bool Application::HasMenuHandler(const std::string& itemName) const
{
    return m_menuHandlers.contains(itemName);
}

bool Application::HandleMenuCommand(const std::string& itemName)
{
    auto it = m_menuHandlers.find(itemName);
    if (it == m_menuHandlers.end())
        return false;
    // A copy, so that a handler that registers handlers does not pull the
    // running one from under itself.
    CallableEntry handler = it->second;
    Ref<Application> protect(*this);
    Variant result = handler({});
    const bool* handled = std::get_if<bool>(&result);
    return handled && *handled;
}

void Application::CallOpen()
{
    const EventEntry* entry = Class().FindEvent(kEventOpen);
    if (!entry)
        return;
    Ref<Application> protect(*this);
    Class().Operation(entry->operation).Invoke(*this);
}

void Application::QuitAction()
{
    // Front to back, each window with its own Close event, until one of them
    // ends the application (the main window's Close does).
    EventLoop& loop = EventLoop::Main();
    for (const Ref<Window>& window : WindowSupport::Windows()) {
        if (loop.IsQuitting())
            return;
        window->Close();
    }
    if (!loop.IsQuitting())
        Quit(0);
}

}
