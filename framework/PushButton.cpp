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
        builder.Property("TextFont", &PushButton::SetTextFont);
        builder.Property("TextSize", &PushButton::SetTextSize);
        builder.Property("TextUnit", &PushButton::SetTextUnit);
        builder.Property("Bold", &PushButton::SetBold);
        builder.Property("Italic", &PushButton::SetItalic);
        builder.Property("Underline", &PushButton::SetUnderline);
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

void PushButton::SetTextFont(const std::string& value)
{
    m_style.font = value;
    Changed();
}

void PushButton::SetTextSize(float value)
{
    m_style.size = value;
    Changed();
}

void PushButton::SetTextUnit(int32_t value)
{
    m_style.unit = value;
    Changed();
}

void PushButton::SetBold(bool value)
{
    m_style.bold = value;
    Changed();
}

void PushButton::SetItalic(bool value)
{
    m_style.italic = value;
    Changed();
}

void PushButton::SetUnderline(bool value)
{
    m_style.underline = value;
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
