#include "Window.h"

#include "Backend.h"
#include "EventLoop.h"
#include "MenuItem.h"
#include "PushButton.h"
#include "Timer.h"

#include <algorithm>
#include <cctype>

namespace fw {

namespace {

// The window list, front-most first. Its reference is what keeps an open
// window alive.
std::vector<Ref<Window>>& WindowList()
{
    static std::vector<Ref<Window>> windows;
    return windows;
}

void RemoveFromList(Window& window)
{
    auto& windows = WindowList();
    auto it = std::find_if(windows.begin(), windows.end(), [&](const Ref<Window>& w) { return w.Ptr() == &window; });
    if (it != windows.end())
        windows.erase(it);
}

void MoveToFront(Window& window)
{
    auto& windows = WindowList();
    auto it = std::find_if(windows.begin(), windows.end(), [&](const Ref<Window>& w) { return w.Ptr() == &window; });
    if (it != windows.end())
        std::rotate(windows.begin(), it, it + 1);
}

bool NamesEqual(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

const std::string& StringArgument(const std::vector<Variant>& args, size_t index)
{
    return std::get<std::string>(args.at(index));
}

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Window", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Method("Close", "%%", &Window::Close);
        builder.Method("Constructor", "%%", &Window::Constructor);
        builder.Method("Show", "%%", &Window::Show);
        builder.AddMember("_AddControl", "%%s,o<Control>", [](Object& self, const std::vector<Variant>& args) -> Variant {
            RefPtr<Control> control = Cast<Control>(std::get<RefPtr<Object>>(args.at(1)));
            static_cast<Window&>(self).AddControl(StringArgument(args, 0), control.ToRef());
            return std::monostate {};
        }, { { "__Scope", "Public" } });
        builder.AddMember("_ControlByName", "%o<Control>%s", [](Object& self, const std::vector<Variant>& args) -> Variant {
            return RefPtr<Object>(static_cast<Window&>(self).ControlByName(StringArgument(args, 0)));
        }, { { "__Scope", "Public" } });
        // The control class is given by its registered name.
        builder.AddMember("__New", "%o<Control>%s", [](Object& self, const std::vector<Variant>& args) -> Variant {
            const std::string& className = StringArgument(args, 0);
            const ClassRecord* controlClass = ClassRecord::Find(className);
            if (!controlClass)
                throw TypeMismatchException("Window.__New: no class is registered as " + className);
            return RefPtr<Object>(static_cast<Window&>(self).New(*controlClass));
        }, { { "__Scope", "Public" } });

        builder.Property("Top", &Window::SetTop);
        builder.Property("Left", &Window::SetLeft);
        builder.Property("Placement", &Window::SetPlacement);
        builder.Property("Width", &Window::SetWidth);
        builder.Property("Height", &Window::SetHeight);
        builder.Property("MinWidth", &Window::SetMinWidth);
        builder.Property("MinHeight", &Window::SetMinHeight);
        builder.Property("MaxWidth", &Window::SetMaxWidth);
        builder.Property("MaxHeight", &Window::SetMaxHeight);
        builder.Property("Frame", &Window::SetFrame);
        builder.Property("Composite", &Window::SetComposite);
        builder.Property("HasBackColor", &Window::SetHasBackColor);
        builder.Property("BackColor", &Window::SetBackColor);
        builder.Property("Title", &Window::SetTitle);
        builder.Property("Visible", &Window::SetVisible);
        builder.Property("FullScreen", &Window::SetFullScreen);
        builder.Property("MenuBarVisible", &Window::SetMenuBarVisible);
        builder.Property("CloseButton", &Window::SetCloseButton);
        builder.Property("Resizeable", &Window::SetResizeable);
        builder.Property("LiveResize", &Window::SetLiveResize);
        builder.Property("MaximizeButton", &Window::SetMaximizeButton);
        builder.Property("MinimizeButton", &Window::SetMinimizeButton);
        builder.Property("FullScreenButton", &Window::SetFullScreenButton);
        builder.Property("MacProcId", &Window::SetMacProcId);
        builder.PropertyAlias("MacProcID", "MacProcId");
    });
}

}

Window::Window() = default;

Window::~Window() = default;

const ClassRecord& Window::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Window::Class() const
{
    return Lookup();
}

void Window::Constructor()
{
    if (m_inList || m_tornDown)
        throw RuntimeException("Window.Constructor ran twice on one " + Class().Name());
    Ref<Window> protect(*this);

    // In the list first: the window's own handlers reach it through the
    // implicit-window lookup while it is being built.
    WindowList().insert(WindowList().begin(), protect);
    m_inList = true;
    if (HasBackend())
        GetBackend().WindowCreated(*this);

    try {
        RaiseEvent(kEventLayout);
        if (IsOpen())
            RaiseEvent(kEventCreateControls);
        if (IsOpen())
            RaiseEvent(kEventOpen);
        // The controls open after the window: each control's Open handler
        // runs once, with every control of the window created and wired.
        std::vector<Ref<Control>> controls = m_controls;
        for (const Ref<Control>& control : controls) {
            if (!IsOpen())
                break;
            control->RaiseEvent(Control::kEventOpen);
        }
    } catch (...) {
        // A half-built window must not be found by the next lookup.
        m_closing = true;
        m_closed = true;
        StopTimers();
        TearDown();
        throw;
    }
}

void Window::Show()
{
    if (!m_inList || m_closed)
        return;
    MoveToFront(*this);
    m_shown = true;
    if (HasBackend())
        GetBackend().WindowShown(*this);
}

void Window::Close()
{
    if (!m_inList || m_closing || m_closed)
        return;
    Ref<Window> protect(*this);
    m_closing = true;

    // Whatever the Close handler does, the window ends: it is no longer
    // found, its timers stop now, and its teardown waits until the handler
    // that asked for the close has returned.
    auto finish = [&] {
        m_closed = true;
        StopTimers();
        EventLoop::Main().Post([protect] { protect->TearDown(); });
    };
    try {
        RaiseEvent(kEventClose);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void Window::Destroy()
{
    if (m_tornDown)
        return;
    Ref<Window> protect(*this);
    m_closing = true;
    m_closed = true;
    StopTimers();
    TearDown();
}

void Window::StopTimers()
{
    for (const Ref<Control>& control : m_controls) {
        if (auto* timer = dynamic_cast<Timer*>(control.Ptr()))
            timer->Stop();
    }
}

void Window::TearDown()
{
    if (m_tornDown)
        return;
    m_tornDown = true;
    Ref<Window> protect(*this);
    if (m_inList && HasBackend())
        GetBackend().WindowDestroyed(*this);

    std::vector<Ref<Control>> controls;
    controls.swap(m_controls);
    for (const Ref<Control>& control : controls)
        control->Detach();
    m_menuBar = nullptr;

    RemoveFromList(*this);
    m_inList = false;
}

void Window::Changed()
{
    if (m_inList && !m_tornDown && HasBackend())
        GetBackend().WindowChanged(*this);
}

void Window::SetTop(int32_t value)
{
    m_top = value;
    m_placed = true;
    Changed();
}

void Window::SetLeft(int32_t value)
{
    m_left = value;
    m_placed = true;
    Changed();
}

void Window::SetWidth(int32_t value)
{
    m_width = value;
    Changed();
}

void Window::SetHeight(int32_t value)
{
    m_height = value;
    Changed();
}

void Window::SetTitle(const std::string& value)
{
    m_title = value;
    Changed();
}

void Window::SetHasBackColor(bool value)
{
    m_hasBackColor = value;
    Changed();
}

void Window::SetBackColor(Color value)
{
    m_backColor = value;
    Changed();
}

void Window::SetFrame(int32_t value)
{
    m_frame = value;
    Changed();
}

void Window::SetVisible(bool value)
{
    m_visible = value;
    Changed();
}

void Window::SetMenuBarVisible(bool value)
{
    m_menuBarVisible = value;
    Changed();
}

void Window::SetCloseButton(bool value)
{
    m_closeButton = value;
    Changed();
}

void Window::SetResizeable(bool value)
{
    m_resizeable = value;
    Changed();
}

void Window::SetMaximizeButton(bool value)
{
    m_maximizeButton = value;
    Changed();
}

void Window::SetMinimizeButton(bool value)
{
    m_minimizeButton = value;
    Changed();
}

void Window::SetFullScreenButton(bool value)
{
    m_fullScreenButton = value;
    Changed();
}

RefPtr<MenuBar> Window::GetMenuBar() const
{
    return m_menuBar;
}

void Window::SetMenuBar(RefPtr<MenuBar> menuBar)
{
    m_menuBar = std::move(menuBar);
    if (m_inList && !m_tornDown && HasBackend())
        GetBackend().MenuBarChanged(*this);
}

Ref<Control> Window::New(const ClassRecord& controlClass)
{
    if (!controlClass.IsA(Control::Lookup()))
        throw TypeMismatchException("Window.__New: " + controlClass.Name() + " is not a control class");
    RefPtr<Control> control = Cast<Control>(RefPtr<Object>(controlClass.New()));
    return control.ToRef();
}

void Window::AddControl(const std::string& name, Ref<Control> control)
{
    if (m_tornDown)
        throw RuntimeException("cannot add control " + name + " to a closed " + Class().Name());
    if (control->ParentWindow() && control->ParentWindow() != this)
        throw RuntimeException("control " + name + " already belongs to another window");
    control->SetName(name);
    m_controls.push_back(control);
    control->AttachToWindow(this);
    if (m_inList && HasBackend())
        GetBackend().ControlAdded(*this, *control);
}

RefPtr<Control> Window::ControlByName(const std::string& name) const
{
    for (const Ref<Control>& control : m_controls) {
        if (NamesEqual(control->Name(), name))
            return control;
    }
    return nullptr;
}

void Window::UserClose()
{
    Close();
}

void Window::UserMoved(int32_t top, int32_t left)
{
    m_top = top;
    m_left = left;
}

bool Window::PressReturn()
{
    if (!IsOpen())
        return false;
    std::vector<Ref<Control>> controls = m_controls;
    for (const Ref<Control>& control : controls) {
        auto* button = dynamic_cast<PushButton*>(control.Ptr());
        if (button && button->Default() && button->Enabled() && button->Visible())
            return button->Push();
    }
    return false;
}

bool Window::RaiseEvent(int number)
{
    const EventEntry* entry = Class().FindEvent(number);
    if (!entry)
        return false;
    Ref<Window> protect(*this);
    Class().Operation(entry->operation).Invoke(*this);
    return true;
}

namespace WindowSupport {

std::vector<Ref<Window>> Windows()
{
    return WindowList();
}

RefPtr<Window> GetImplicitWindow(const std::string& className)
{
    for (const Ref<Window>& window : WindowList()) {
        if (!window->IsClosed() && window->Class().Name() == className)
            return window;
    }
    return nullptr;
}

RefPtr<Window> FrontWindowWithMenuBar()
{
    for (const Ref<Window>& window : WindowList()) {
        if (window->IsOpen() && window->GetMenuBar())
            return window;
    }
    return nullptr;
}

void Exit()
{
    std::vector<Ref<Window>> windows = WindowList();
    for (const Ref<Window>& window : windows)
        window->Destroy();
    WindowList().clear();
}

}

}
