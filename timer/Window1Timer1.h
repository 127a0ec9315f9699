#pragma once

#include "timer/WindowTimer.h"

namespace tockamo {

// The main window's one-second timer.
class Window1Timer1 : public WindowTimer {
public:
    static fw::Ref<Window1Timer1> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

protected:
    Window1Timer1() = default;
};

}
