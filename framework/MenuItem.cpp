#include "MenuItem.h"

#include "Application.h"
#include "Backend.h"
#include "Runtime.h"
#include "Window.h"

#include <algorithm>
#include <cctype>

namespace fw {

namespace {

const std::string& StringArgument(const std::vector<Variant>& args, size_t index)
{
    return std::get<std::string>(args.at(index));
}

const ClassRecord& MenuItemRecord()
{
    return ClassRecord::Build("MenuItem", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<MenuItem>();
        builder.Method("Constructor", "%%", &MenuItem::Constructor);
        builder.AddMember("Append", "%%o<MenuItem>", [](Object& self, const std::vector<Variant>& args) -> Variant {
            RefPtr<MenuItem> item = Cast<MenuItem>(std::get<RefPtr<Object>>(args.at(0)));
            static_cast<MenuItem&>(self).Append(item.ToRef());
            return std::monostate {};
        }, { { "__Scope", "Public" } });
        builder.AddMember("Child", "%o<MenuItem>%s", [](Object& self, const std::vector<Variant>& args) -> Variant {
            return RefPtr<Object>(static_cast<MenuItem&>(self).Child(StringArgument(args, 0)));
        }, { { "__Scope", "Public" } });
        builder.AddMember("_Lookup", "%o<MenuItem>%s", [](Object& self, const std::vector<Variant>& args) -> Variant {
            return RefPtr<Object>(static_cast<MenuItem&>(self).FindItem(StringArgument(args, 0)));
        }, { { "__Scope", "Public" } });
        builder.Property("Name", &MenuItem::SetName);
        builder.Property("Text", &MenuItem::SetText);
        builder.Property("KeyboardShortcut", &MenuItem::SetKeyboardShortcut);
        builder.Property("AutoEnable", &MenuItem::SetAutoEnable);
        builder.Property("Visible", &MenuItem::SetVisible);
        builder.Property("Enabled", &MenuItem::SetEnabled);
    });
}

const ClassRecord& MenuBarRecord()
{
    return ClassRecord::Build("MenuBar", &MenuItem::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<MenuBar>();
    });
}

const ClassRecord& ApplicationMenuItemRecord()
{
    return ClassRecord::Build("ApplicationMenuItem", &MenuItem::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<ApplicationMenuItem>();
    });
}

const ClassRecord& QuitMenuItemRecord()
{
    return ClassRecord::Build("QuitMenuItem", &ApplicationMenuItem::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<QuitMenuItem>();
    });
}

bool NamesEqual(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}

Ref<MenuItem> MenuItem::Create()
{
    return Adopt(*new MenuItem);
}

const ClassRecord& MenuItem::Lookup()
{
    static const ClassRecord& record = MenuItemRecord();
    return record;
}

const ClassRecord& MenuItem::Class() const
{
    return Lookup();
}

void MenuItem::SetName(const std::string& value)
{
    m_name = value;
    Changed();
}

void MenuItem::SetText(const std::string& value)
{
    m_text = value;
    Changed();
}

void MenuItem::SetKeyboardShortcut(const std::string& value)
{
    m_shortcut = value;
    Changed();
}

void MenuItem::SetAutoEnable(bool value)
{
    m_autoEnable = value;
    Changed();
}

void MenuItem::SetVisible(bool value)
{
    m_visible = value;
    Changed();
}

void MenuItem::SetEnabled(bool value)
{
    m_enabled = value;
    Changed();
}

void MenuItem::Append(Ref<MenuItem> item)
{
    for (const MenuItem* ancestor = this; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == item.Ptr())
            throw RuntimeException("a menu item cannot be appended below itself");
    }
    if (item->m_parent)
        throw RuntimeException("menu item " + item->Name() + " already has a parent");
    item->m_parent = this;
    m_children.push_back(item);
    Changed();
}

RefPtr<MenuItem> MenuItem::Child(const std::string& name) const
{
    for (const Ref<MenuItem>& child : m_children) {
        if (NamesEqual(child->Name(), name))
            return child;
    }
    return nullptr;
}

RefPtr<MenuItem> MenuItem::FindItem(const std::string& name) const
{
    for (const Ref<MenuItem>& child : m_children) {
        if (NamesEqual(child->Name(), name))
            return child;
        if (RefPtr<MenuItem> found = child->FindItem(name))
            return found;
    }
    return nullptr;
}

bool MenuItem::Choose()
{
    RefPtr<Application> app = GetAppObject();
    if (!app)
        return false;
    return app->HandleMenuCommand(Name());
}

void MenuItem::Changed()
{
    if (!HasBackend())
        return;
    const MenuItem* root = this;
    while (root->m_parent)
        root = root->m_parent;
    for (const Ref<Window>& window : WindowSupport::Windows()) {
        if (window->GetMenuBar().Get() == root)
            GetBackend().MenuBarChanged(*window);
    }
}

Ref<MenuBar> MenuBar::Create()
{
    return Adopt(*new MenuBar);
}

const ClassRecord& MenuBar::Lookup()
{
    static const ClassRecord& record = MenuBarRecord();
    return record;
}

const ClassRecord& MenuBar::Class() const
{
    return Lookup();
}

Ref<ApplicationMenuItem> ApplicationMenuItem::Create()
{
    return Adopt(*new ApplicationMenuItem);
}

const ClassRecord& ApplicationMenuItem::Lookup()
{
    static const ClassRecord& record = ApplicationMenuItemRecord();
    return record;
}

const ClassRecord& ApplicationMenuItem::Class() const
{
    return Lookup();
}

Ref<QuitMenuItem> QuitMenuItem::Create()
{
    return Adopt(*new QuitMenuItem);
}

const ClassRecord& QuitMenuItem::Lookup()
{
    static const ClassRecord& record = QuitMenuItemRecord();
    return record;
}

const ClassRecord& QuitMenuItem::Class() const
{
    return Lookup();
}

bool QuitMenuItem::Choose()
{
    if (RefPtr<Application> app = GetAppObject())
        app->QuitAction();
    else
        Quit(0);
    return true;
}

}
