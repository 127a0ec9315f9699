#pragma once

#include "framework/ClassRecord.h"
#include "framework/MenuItem.h"
#include "framework/ModuleGlobal.h"
#include "framework/Ref.h"

namespace tockamo {

// The main window's menu bar: "&File" with "About Box" and "&Quit". One
// instance serves the whole process.
class MenuBar1 : public fw::MenuBar {
public:
    static fw::Ref<MenuBar1> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    // Builds the menu tree; nothing else.
    void Constructor() override;
    void Untitled0();

    // The single instance, set only once its constructor has returned, so a
    // failed build leaves it nil and the next call starts afresh.
    static fw::ModuleGlobal<MenuBar1> implicitInstance;

protected:
    MenuBar1() = default;
};

// The single menu bar, made on the first call.
fw::Ref<class MenuBar1> MenuBar1();

}
