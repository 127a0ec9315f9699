#include "Label.h"

namespace fw {

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Label", &RectControl::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.Creatable<Label>();
        builder.Property("Text", &Label::SetText);
        builder.Property("TextAlign", &Label::SetTextAlign);
        builder.Property("TextColor", &Label::SetTextColor);
        builder.Property("MultiLine", &Label::SetMultiLine);
        builder.PropertyAlias("Multiline", "MultiLine");
        builder.Property("Selectable", &Label::SetSelectable);
        builder.Property("Transparent", &Label::SetTransparent);
        builder.Property("TextFont", &Label::SetTextFont);
        builder.Property("TextSize", &Label::SetTextSize);
        builder.Property("TextUnit", &Label::SetTextUnit);
        builder.Property("Bold", &Label::SetBold);
        builder.Property("Italic", &Label::SetItalic);
        builder.Property("Underline", &Label::SetUnderline);
        builder.Property("DataSource", &Label::SetDataSource);
        builder.Property("DataField", &Label::SetDataField);
    });
}

}

Ref<Label> Label::Create()
{
    return Adopt(*new Label);
}

const ClassRecord& Label::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Label::Class() const
{
    return Lookup();
}

void Label::SetText(const std::string& value)
{
    m_text = value;
    Changed();
}

void Label::SetTextAlign(int32_t value)
{
    m_textAlign = value;
    Changed();
}

void Label::SetTextColor(Color value)
{
    m_textColor = value;
    Changed();
}

void Label::SetMultiLine(bool value)
{
    m_multiLine = value;
    Changed();
}

void Label::SetTransparent(bool value)
{
    m_transparent = value;
    Changed();
}

void Label::SetTextFont(const std::string& value)
{
    m_style.font = value;
    Changed();
}

void Label::SetTextSize(float value)
{
    m_style.size = value;
    Changed();
}

void Label::SetTextUnit(int32_t value)
{
    m_style.unit = value;
    Changed();
}

void Label::SetBold(bool value)
{
    m_style.bold = value;
    Changed();
}

void Label::SetItalic(bool value)
{
    m_style.italic = value;
    Changed();
}

void Label::SetUnderline(bool value)
{
    m_style.underline = value;
    Changed();
}

}
