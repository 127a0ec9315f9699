#pragma once

#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/Window.h"

namespace tockamo {

// The About window: product title, the running version, credits and two
// buttons that hand our e-mail and web addresses to the desktop. Everything it
// shows is declared in property lists; its behaviour is three handlers.
class AboutBox : public fw::Window {
public:
    // Where the two buttons send the user. Both are fixed: the e-mail one is a
    // bare "mailto:" address and the web one is scheme and host only.
    static constexpr const char* kAuthorMailURL = "mailto:tockamo@tockamo.org";
    static constexpr const char* kWebSiteURL = "https://tockamo.org";

    static fw::Ref<AboutBox> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    // Window events.
    void Layout();
    void CreateControls();
    void CreateControls0();

    // Control accessors: the control of that name, looked up anew each call.
    fw::RefPtr<fw::PushButton> PushButton1();
    fw::RefPtr<fw::PushButton> PushButton2();
    fw::RefPtr<fw::Label> StaticText2();
    fw::RefPtr<fw::Label> StaticText1();
    fw::RefPtr<fw::Label> StaticText3();
    fw::RefPtr<fw::Label> StaticText4();
    fw::RefPtr<fw::Label> Label1();

    // Control handlers.
    void PushButton1_Action(fw::PushButton& button);
    void PushButton2_Action(fw::PushButton& button);
    void StaticText4_Open(fw::Label& label);

protected:
    AboutBox() = default;
};

// The open About window, or a new one when none is open.
fw::RefPtr<class AboutBox> AboutBox();

}
