#pragma once

#include "Color.h"
#include "Control.h"
#include "Object.h"

#include <string>
#include <vector>

namespace fw {

class MenuBar;

// A top-level window. The framework keeps every open window in its window
// list; the list's reference is what keeps a window alive while it is open.
class Window : public Object {
public:
    // Numbers in Window's event table.
    static constexpr int kEventActivate = 0;
    static constexpr int kEventCancelClose = 1;
    static constexpr int kEventClose = 3;
    static constexpr int kEventCreateControls = 7;
    static constexpr int kEventDeactivate = 8;
    static constexpr int kEventOpen = 13;
    static constexpr int kEventLayout = 16;

    // Out of line: MenuBar is only declared here.
    ~Window() override;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // Enters the window into the window list (from here on the implicit-window
    // lookup finds it), tells the backend, and raises Layout, CreateControls
    // and Open through the class's event table, then the controls' Open
    // events, all before it returns.
    void Constructor();

    // Shows the window modelessly and brings it to the front; returns at once.
    void Show();
    bool IsShown() const { return m_shown; }

    // The close request: raises Close, takes the window out of the implicit
    // lookup, stops its timers, and defers the teardown of its controls until
    // the handler that is running has returned. Closing a closed window does
    // nothing.
    void Close();
    bool IsClosed() const { return m_closed; }
    // From the start of construction until a Close request: the window can
    // take user input and its controls can raise events.
    bool IsOpen() const { return m_inList && !m_closing && !m_closed; }

    int32_t Top() const { return m_top; }
    int32_t Left() const { return m_left; }
    // Setting either one, to any value 0 included, places the window. A
    // backend with screens centres a window never placed, and moves a placed
    // one only when no screen would show any of it (ScreenGeometry has the
    // rules); the window learns such a move as if the user had made it.
    void SetTop(int32_t value);
    void SetLeft(int32_t value);
    bool IsPlaced() const { return m_placed; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    void SetWidth(int32_t value);
    void SetHeight(int32_t value);
    int32_t MinWidth() const { return m_minWidth; }
    int32_t MinHeight() const { return m_minHeight; }
    int32_t MaxWidth() const { return m_maxWidth; }
    int32_t MaxHeight() const { return m_maxHeight; }
    void SetMinWidth(int32_t value) { m_minWidth = value; }
    void SetMinHeight(int32_t value) { m_minHeight = value; }
    void SetMaxWidth(int32_t value) { m_maxWidth = value; }
    void SetMaxHeight(int32_t value) { m_maxHeight = value; }

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& value);
    bool HasBackColor() const { return m_hasBackColor; }
    void SetHasBackColor(bool value);
    Color BackColor() const { return m_backColor; }
    void SetBackColor(Color value);

    int32_t Placement() const { return m_placement; }
    void SetPlacement(int32_t value) { m_placement = value; }
    int32_t Frame() const { return m_frame; }
    void SetFrame(int32_t value);
    int32_t MacProcId() const { return m_macProcId; }
    void SetMacProcId(int32_t value) { m_macProcId = value; }
    bool Composite() const { return m_composite; }
    void SetComposite(bool value) { m_composite = value; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    bool FullScreen() const { return m_fullScreen; }
    void SetFullScreen(bool value) { m_fullScreen = value; }
    bool MenuBarVisible() const { return m_menuBarVisible; }
    void SetMenuBarVisible(bool value);
    bool CloseButton() const { return m_closeButton; }
    void SetCloseButton(bool value);
    bool Resizeable() const { return m_resizeable; }
    void SetResizeable(bool value);
    bool LiveResize() const { return m_liveResize; }
    void SetLiveResize(bool value) { m_liveResize = value; }
    bool MaximizeButton() const { return m_maximizeButton; }
    void SetMaximizeButton(bool value);
    bool MinimizeButton() const { return m_minimizeButton; }
    void SetMinimizeButton(bool value);
    bool FullScreenButton() const { return m_fullScreenButton; }
    void SetFullScreenButton(bool value);

    RefPtr<MenuBar> GetMenuBar() const;
    void SetMenuBar(RefPtr<MenuBar> menuBar);

    // __New: a new, unconstructed control of `controlClass` for this window.
    Ref<Control> New(const ClassRecord& controlClass);
    // _AddControl: the window keeps the control under `name`.
    void AddControl(const std::string& name, Ref<Control> control);
    // _ControlByName: the control added under `name`, or nil.
    RefPtr<Control> ControlByName(const std::string& name) const;
    const std::vector<Ref<Control>>& Controls() const { return m_controls; }

    // User actions, reported by a backend.
    // The window manager's close button.
    void UserClose();
    // The user moved the window; Top and Left follow without an event.
    void UserMoved(int32_t top, int32_t left);
    // Return or Enter: presses the enabled default button, if any.
    bool PressReturn();

    // Raises one of the window's own events through the class's event table;
    // false when the class does not implement it.
    bool RaiseEvent(int number);

    // Ends the window without a Close event (the finalisers' teardown).
    void Destroy();

protected:
    Window();

private:
    void Changed();
    void StopTimers();
    void TearDown();

    int32_t m_top = 0, m_left = 0, m_width = 100, m_height = 100;
    bool m_placed = false;
    int32_t m_minWidth = 64, m_minHeight = 64, m_maxWidth = 32000, m_maxHeight = 32000;
    std::string m_title;
    bool m_hasBackColor = false;
    Color m_backColor { 0xFFFFFF };
    int32_t m_placement = 0, m_frame = 0, m_macProcId = 0;
    bool m_composite = false, m_visible = true, m_fullScreen = false, m_menuBarVisible = true;
    bool m_closeButton = true, m_resizeable = true, m_liveResize = true;
    bool m_maximizeButton = true, m_minimizeButton = true, m_fullScreenButton = false;
    RefPtr<MenuBar> m_menuBar;
    std::vector<Ref<Control>> m_controls;
    bool m_shown = false, m_closing = false, m_closed = false;
    bool m_inList = false, m_tornDown = false;
};

// The framework's window list: every window from the start of its
// construction until its teardown, front-most first.
namespace WindowSupport {
std::vector<Ref<Window>> Windows();
// _GetImplicitWindow: the open window whose class is registered under
// `className` (not one whose Close event has finished), or nil.
RefPtr<Window> GetImplicitWindow(const std::string& className);
// The front-most open window that has a menu bar, or nil: as on a desktop
// with one menu bar for the application, its menus are the ones in use, from
// whichever window is in front.
RefPtr<Window> FrontWindowWithMenuBar();
// Finaliser of the window lists: drops every remaining window.
void Exit();
}

// The implicit-instance accessor of window class T: the open window of that
// class, or, when none is open, a new one made from the class record and
// constructed (Layout, CreateControls and Open run before it returns). It
// keeps nothing between calls; it neither places nor shows the window.
template<typename T>
RefPtr<T> ImplicitInstance()
{
    RefPtr<Window> window = WindowSupport::GetImplicitWindow(T::Lookup().Name());
    if (!window) {
        RefPtr<Window> made = Cast<Window>(T::Lookup().New());
        made->Constructor();
        window = made;
    }
    return Cast<T>(window);
}

}
