#pragma once

#include "timer/WindowTimer.h"

namespace tockamo {

// The Time's Up window's ten-second timer.
class Window2Timer1 : public WindowTimer {
public:
    static fw::Ref<Window2Timer1> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

protected:
    Window2Timer1() = default;
};

}
