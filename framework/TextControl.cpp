#include "TextControl.h"

namespace fw {

void TextControl::AddTextProperties(ClassRecord::Builder& builder)
{
    builder.Property("TextFont", &TextControl::SetTextFont);
    builder.Property("TextSize", &TextControl::SetTextSize);
    builder.Property("TextUnit", &TextControl::SetTextUnit);
    builder.Property("Bold", &TextControl::SetBold);
    builder.Property("Italic", &TextControl::SetItalic);
    builder.Property("Underline", &TextControl::SetUnderline);
}

void TextControl::SetTextFont(const std::string& value)
{
    m_style.font = value;
    Changed();
}

void TextControl::SetTextSize(float value)
{
    m_style.size = value;
    Changed();
}

void TextControl::SetTextUnit(int32_t value)
{
    m_style.unit = value;
    Changed();
}

void TextControl::SetBold(bool value)
{
    m_style.bold = value;
    Changed();
}

void TextControl::SetItalic(bool value)
{
    m_style.italic = value;
    Changed();
}

void TextControl::SetUnderline(bool value)
{
    m_style.underline = value;
    Changed();
}

}
