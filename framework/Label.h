#pragma once

#include "Color.h"
#include "TextControl.h"

namespace fw {

class Label : public TextControl {
public:
    static Ref<Label> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // A carriage return (character 13) breaks the line in a multi-line label.
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& value);
    // 0 left, 1 centre, 2 right.
    int32_t TextAlign() const { return m_textAlign; }
    void SetTextAlign(int32_t value);
    Color TextColor() const { return m_textColor; }
    void SetTextColor(Color value);
    bool MultiLine() const { return m_multiLine; }
    void SetMultiLine(bool value);
    bool Selectable() const { return m_selectable; }
    void SetSelectable(bool value) { m_selectable = value; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    const std::string& DataSource() const { return m_dataSource; }
    void SetDataSource(const std::string& value) { m_dataSource = value; }
    const std::string& DataField() const { return m_dataField; }
    void SetDataField(const std::string& value) { m_dataField = value; }


protected:
    Label() = default;

private:
    std::string m_text;
    int32_t m_textAlign = 0;
    Color m_textColor { 0x000000 };
    bool m_multiLine = false, m_selectable = false, m_transparent = false;
    std::string m_dataSource, m_dataField;
};

}
