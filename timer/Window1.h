#pragma once

#include "framework/Label.h"
#include "framework/MenuItem.h"
#include "framework/PushButton.h"
#include "framework/TextField.h"
#include "framework/Timer.h"
#include "framework/UpDownArrows.h"
#include "framework/Window.h"

namespace tockamo {

// The main window: the minute setter, Start and Pause/Continue, the minutes
// and seconds remaining, and the one-second timer that counts them down. The
// whole countdown state lives in the controls; the window keeps no field of
// its own and reaches every control by name through its accessors.
class Window1 : public fw::Window {
public:
    static fw::Ref<Window1> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    // Window events: Layout attaches the menu bar and applies the window's
    // properties; CreateControls builds the twelve controls.
    void Layout();
    void CreateControls();
    void CreateControls0();

    // Control accessors: the control of that name, looked up at every call.
    fw::RefPtr<fw::UpDownArrows> UpDownArrows1();
    fw::RefPtr<fw::Label> Label1();
    fw::RefPtr<fw::PushButton> MyStart();
    fw::RefPtr<fw::TextField> SetMin();
    fw::RefPtr<fw::Label> Label2();
    fw::RefPtr<fw::PushButton> MyPause();
    fw::RefPtr<fw::TextField> MinLeft();
    fw::RefPtr<fw::TextField> SecLeft();
    fw::RefPtr<fw::Label> Label3();
    fw::RefPtr<fw::Label> Label4();
    fw::RefPtr<fw::Label> Label5();
    fw::RefPtr<fw::Timer> Timer1();

    // Control handlers, wired by CreateControls0.
    void UpDownArrows1_Up(fw::UpDownArrows& control);
    void UpDownArrows1_Down(fw::UpDownArrows& control);
    void MyStart_Action(fw::PushButton& control);
    void MyPause_Action(fw::PushButton& control);
    void Timer1_Action(fw::Timer& control);

    // Menu-item accessors: the item of that name in the attached menu bar.
    fw::RefPtr<fw::MenuItem> FileMenu();
    fw::RefPtr<fw::QuitMenuItem> FileQuit();
    fw::RefPtr<fw::ApplicationMenuItem> FileAboutBox();

    void Event_Close();
    void Event_Open();

protected:
    Window1() = default;

private:
    void TimeUp();
};

// The open main window, made (and opened) when there is none.
fw::RefPtr<class Window1> Window1();

}
