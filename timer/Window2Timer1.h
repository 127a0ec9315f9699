#pragma once

#include "framework/Timer.h"
#include "framework/Window.h"

namespace tockamo {

// The Time's Up window's ten-second timer. A timer is no visual control, so this
// subclass carries what a control in a window's list needs: its control index
// and the window that owns it.
class Window2Timer1 : public fw::Timer {
public:
    static fw::Ref<Window2Timer1> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    // _SetWindow, Window, _Index, _SetIndex and the empty Constructor.
    void SetWindow(fw::Window& window);
    fw::RefPtr<fw::Window> Window();
    int32_t Index() const { return m_index; }
    void SetIndex(int32_t value);
    void Constructor() { }

protected:
    Window2Timer1() = default;

private:
    int32_t m_index = INT32_MIN;
    // Held weakly: the window owns the timer, never the reverse.
    fw::WeakPtr<fw::Window> m_ownerWindow;
};

}
