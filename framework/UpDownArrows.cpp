#include "UpDownArrows.h"

#include "Runtime.h"
#include "Window.h"

namespace fw {

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("UpDownArrows", &RectControl::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<UpDownArrows>();
        builder.Property("AcceptFocus", &UpDownArrows::SetAcceptFocus);
    });
}

}

Ref<UpDownArrows> UpDownArrows::Create()
{
    if (!PluginEntrypointsReady())
        throw RuntimeException("UpDownArrows is a plug-in control: InitPluginEntrypoints must run before one is made");
    return Adopt(*new UpDownArrows);
}

const ClassRecord& UpDownArrows::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& UpDownArrows::Class() const
{
    return Lookup();
}

bool UpDownArrows::ClickUp()
{
    Window* window = ParentWindow();
    if (!Enabled() || !Visible() || !window || !window->IsOpen())
        return false;
    RaiseEvent(kEventUp);
    return true;
}

bool UpDownArrows::ClickDown()
{
    Window* window = ParentWindow();
    if (!Enabled() || !Visible() || !window || !window->IsOpen())
        return false;
    RaiseEvent(kEventDown);
    return true;
}

}
