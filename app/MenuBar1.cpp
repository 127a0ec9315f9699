#include "app/MenuBar1.h"

#include <string>

namespace tockamo {

namespace {

constexpr const char* kClassName = "MenuBar1.MenuBar1";

// Every item gets all five settings, the empty shortcut included, in one
// fixed order.
void SetUp(fw::MenuItem& item, const std::string& name, const std::string& text, const std::string& shortcut)
{
    item.SetName(name);
    item.SetAutoEnable(true);
    item.SetText(text);
    item.SetVisible(true);
    item.SetKeyboardShortcut(shortcut);
}

}

fw::ModuleGlobal<class MenuBar1> MenuBar1::implicitInstance;

fw::Ref<class MenuBar1> MenuBar1::Create()
{
    return fw::Adopt(*new class MenuBar1);
}

void MenuBar1::ctblinit()
{
    fw::ClassRecord::Build(kClassName, &fw::MenuBar::Lookup(), [](fw::ClassRecord::Builder& builder) {
        builder.Method("Untitled0", "%%", &MenuBar1::Untitled0);
        builder.Method("Constructor", "%%", &MenuBar1::Constructor);
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<class MenuBar1>();
    });
}

const fw::ClassRecord& MenuBar1::Lookup()
{
    if (const fw::ClassRecord* record = fw::ClassRecord::Find(kClassName))
        return *record;
    ctblinit();
    return *fw::ClassRecord::Find(kClassName);
}

const fw::ClassRecord& MenuBar1::Class() const
{
    return Lookup();
}

void MenuBar1::Constructor()
{
    Untitled0();
}

void MenuBar1::Untitled0()
{
    fw::Ref<fw::MenuItem> fileMenu = fw::MenuItem::Create();
    fileMenu->Constructor();
    SetUp(*fileMenu, "FileMenu", "&File", "");
    Append(fileMenu);

    fw::Ref<fw::ApplicationMenuItem> aboutBox = fw::ApplicationMenuItem::Create();
    aboutBox->Constructor();
    SetUp(*aboutBox, "FileAboutBox", "About Box", "");
    Child("FileMenu")->Append(aboutBox);

    fw::Ref<fw::QuitMenuItem> quit = fw::QuitMenuItem::Create();
    quit->Constructor();
    SetUp(*quit, "FileQuit", "&Quit", "Cmd+Q");
    Child("FileMenu")->Append(quit);
}

fw::Ref<class MenuBar1> MenuBar1()
{
    if (MenuBar1::implicitInstance.IsNil()) {
        fw::Ref<class MenuBar1> created = MenuBar1::Create();
        created->Constructor();
        MenuBar1::implicitInstance.Set(created);
    }
    return MenuBar1::implicitInstance.Get().ToRef();
}

}
