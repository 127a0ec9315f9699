#include "TextField.h"

namespace fw {

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("TextField", &RectControl::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<TextField>();
        builder.Property("Text", &TextField::SetText);
        builder.Property("Border", &TextField::SetBorder);
        builder.Property("Password", &TextField::SetPassword);
        builder.Property("UseFocusRing", &TextField::SetUseFocusRing);
        builder.Property("TextColor", &TextField::SetTextColor);
        builder.Property("BackColor", &TextField::SetBackColor);
        builder.Property("Format", &TextField::SetFormat);
        builder.Property("CueText", &TextField::SetCueText);
        builder.Property("Mask", &TextField::SetMask);
        builder.Property("ReadOnly", &TextField::SetReadOnly);
        builder.Property("LimitText", &TextField::SetLimitText);
        builder.Property("AcceptTabs", &TextField::SetAcceptTabs);
        builder.Property("Alignment", &TextField::SetAlignment);
        builder.Property("AutomaticallyCheckSpelling", &TextField::SetAutomaticallyCheckSpelling);
        builder.Property("DataSource", &TextField::SetDataSource);
        builder.Property("DataField", &TextField::SetDataField);
        TextControl::AddTextProperties(builder);
    });
}

}

Ref<TextField> TextField::Create()
{
    return Adopt(*new TextField);
}

const ClassRecord& TextField::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& TextField::Class() const
{
    return Lookup();
}

void TextField::SetText(const std::string& value)
{
    m_text = value;
    Changed();
}

void TextField::SetBorder(bool value)
{
    m_border = value;
    Changed();
}

void TextField::SetPassword(bool value)
{
    m_password = value;
    Changed();
}

void TextField::SetTextColor(Color value)
{
    m_textColor = value;
    Changed();
}

void TextField::SetBackColor(Color value)
{
    m_backColor = value;
    Changed();
}

void TextField::SetCueText(const std::string& value)
{
    m_cueText = value;
    Changed();
}

void TextField::SetReadOnly(bool value)
{
    m_readOnly = value;
    Changed();
}

void TextField::SetAlignment(int32_t value)
{
    m_alignment = value;
    Changed();
}

bool TextField::UserEdit(const std::string& text)
{
    if (ReadOnly() || !Enabled())
        return false;
    SetText(text);
    return true;
}

}
