#pragma once

#include "framework/Label.h"
#include "framework/MenuItem.h"
#include "framework/Timer.h"
#include "framework/Window.h"

namespace tockamo {

// The red "Time's Up" alert. Its timer plays the alarm every ten seconds,
// counted from the window's Open, until the user closes it.
class Window2 : public fw::Window {
public:
    static fw::Ref<Window2> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    void Layout();
    void CreateControls();
    void CreateControls0();

    fw::RefPtr<fw::Label> Label1();
    fw::RefPtr<fw::Timer> Timer1();

    void Timer1_Action(fw::Timer& control);
    void Event_Open();

protected:
    Window2() = default;
};

// The open Time's Up window, made (and opened) when there is none.
fw::RefPtr<class Window2> Window2();

}
