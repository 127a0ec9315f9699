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
        TextControl::AddTextProperties(builder);
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

}
