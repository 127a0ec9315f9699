#include "RectControl.h"

#include "Backend.h"
#include "Window.h"

namespace fw {

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("RectControl", &Control::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Method("Constructor", "%%", &RectControl::Constructor);
        builder.Method("Refresh", "%%b", &RectControl::Refresh);
        builder.Property("Left", &RectControl::SetLeft);
        builder.Property("Top", &RectControl::SetTop);
        builder.Property("Width", &RectControl::SetWidth);
        builder.Property("Height", &RectControl::SetHeight);
        builder.Property("LockLeft", &RectControl::SetLockLeft);
        builder.Property("LockTop", &RectControl::SetLockTop);
        builder.Property("LockRight", &RectControl::SetLockRight);
        builder.Property("LockBottom", &RectControl::SetLockBottom);
        builder.Property("TabPanelIndex", &RectControl::SetTabPanelIndex);
        builder.Property("TabIndex", &RectControl::SetTabIndex);
        builder.Property("TabStop", &RectControl::SetTabStop);
        builder.Property("InitialParent", &RectControl::SetInitialParent);
        builder.Property("Visible", &RectControl::SetVisible);
        builder.Property("HelpTag", &RectControl::SetHelpTag);
        builder.Property("AutoDeactivate", &RectControl::SetAutoDeactivate);
        builder.Property("Enabled", &RectControl::SetEnabled);
    });
}

}

const ClassRecord& RectControl::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& RectControl::Class() const
{
    return Lookup();
}

void RectControl::SetLeft(int32_t value)
{
    m_left = value;
    Changed();
}

void RectControl::SetTop(int32_t value)
{
    m_top = value;
    Changed();
}

void RectControl::SetWidth(int32_t value)
{
    m_width = value;
    Changed();
}

void RectControl::SetHeight(int32_t value)
{
    m_height = value;
    Changed();
}

void RectControl::SetTabIndex(int32_t value)
{
    m_tabIndex = value;
    Changed();
}

void RectControl::SetTabStop(bool value)
{
    m_tabStop = value;
    Changed();
}

void RectControl::SetEnabled(bool value)
{
    m_enabled = value;
    Changed();
}

void RectControl::SetVisible(bool value)
{
    m_visible = value;
    Changed();
}

void RectControl::SetHelpTag(const std::string& value)
{
    m_helpTag = value;
    Changed();
}

void RectControl::Refresh(bool)
{
    ++m_refreshCount;
    if (ParentWindow() && HasBackend())
        GetBackend().ControlRefreshed(*this);
}

}
