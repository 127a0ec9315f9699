#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <string>
#include <vector>

namespace fw {

class MenuItem : public Object {
public:
    static Ref<MenuItem> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // The no-argument constructor, run through the class's operations.
    virtual void Constructor() { }

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& value);
    // "&" marks the mnemonic.
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& value);
    // "Cmd+Q" style; empty for none. The desktop binds Cmd as Ctrl.
    const std::string& KeyboardShortcut() const { return m_shortcut; }
    void SetKeyboardShortcut(const std::string& value);
    bool AutoEnable() const { return m_autoEnable; }
    void SetAutoEnable(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);

    // Adds `item` as the last child.
    void Append(Ref<MenuItem> item);
    // The direct child named `name`, or nil.
    RefPtr<MenuItem> Child(const std::string& name) const;
    // _Lookup: the item named `name` anywhere below this one, or nil.
    RefPtr<MenuItem> FindItem(const std::string& name) const;
    const std::vector<Ref<MenuItem>>& Children() const { return m_children; }
    MenuItem* Parent() const { return m_parent; }

    // The user chose the item: a plain item asks the application's menu
    // handler registered under its Name. True when the command was handled.
    virtual bool Choose();

protected:
    MenuItem() = default;
    void Changed();

private:
    std::string m_name, m_text, m_shortcut;
    bool m_autoEnable = true, m_visible = true, m_enabled = true;
    std::vector<Ref<MenuItem>> m_children;
    MenuItem* m_parent = nullptr;
};

class MenuBar : public MenuItem {
public:
    static Ref<MenuBar> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

protected:
    MenuBar() = default;
};

// An item that the desktop may place in an application menu; otherwise a
// plain MenuItem.
class ApplicationMenuItem : public MenuItem {
public:
    static Ref<ApplicationMenuItem> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

protected:
    ApplicationMenuItem() = default;
};

// Choosing it runs the application's quit action.
class QuitMenuItem : public ApplicationMenuItem {
public:
    static Ref<QuitMenuItem> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;
    bool Choose() override;

protected:
    QuitMenuItem() = default;
};

}
