#include "PushButton.h"

#include "Window.h"

namespace fw {

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("PushButton", &RectControl::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<PushButton>();
        builder.Method("Push", "%b%", &PushButton::Push);
        builder.Property("Caption", &PushButton::SetCaption);
        builder.Property("Default", &PushButton::SetDefault);
        builder.Property("Cancel", &PushButton::SetCancel);
        builder.Property("ButtonStyle", &PushButton::SetButtonStyle);
        TextControl::AddTextProperties(builder);
    });
}

}

Ref<PushButton> PushButton::Create()
{
    return Adopt(*new PushButton);
}

const ClassRecord& PushButton::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& PushButton::Class() const
{
    return Lookup();
}

void PushButton::SetCaption(const std::string& value)
{
    m_caption = value;
    Changed();
}

void PushButton::SetDefault(bool value)
{
    m_default = value;
    Changed();
}

void PushButton::SetCancel(bool value)
{
    m_cancel = value;
    Changed();
}

void PushButton::SetButtonStyle(int32_t value)
{
    m_buttonStyle = value;
    Changed();
}

bool PushButton::Push()
{
    // A disabled or hidden button, or one whose window is not open, cannot be
    // pressed: the user could not have reached it.
    Window* window = ParentWindow();
    if (!Enabled() || !Visible() || !window || !window->IsOpen())
        return false;
    RaiseEvent(kEventAction);
    return true;
}

}
