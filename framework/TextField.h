#pragma once

#include "Color.h"
#include "TextControl.h"

namespace fw {

class TextField : public TextControl {
public:
    static Ref<TextField> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    const std::string& Text() const { return m_text; }
    void SetText(const std::string& value);

    bool Border() const { return m_border; }
    void SetBorder(bool value);
    bool Password() const { return m_password; }
    void SetPassword(bool value);
    bool UseFocusRing() const { return m_useFocusRing; }
    void SetUseFocusRing(bool value) { m_useFocusRing = value; }
    Color TextColor() const { return m_textColor; }
    void SetTextColor(Color value);
    Color BackColor() const { return m_backColor; }
    void SetBackColor(Color value);
    const std::string& Format() const { return m_format; }
    void SetFormat(const std::string& value) { m_format = value; }
    const std::string& CueText() const { return m_cueText; }
    void SetCueText(const std::string& value);
    const std::string& Mask() const { return m_mask; }
    void SetMask(const std::string& value) { m_mask = value; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    int32_t LimitText() const { return m_limitText; }
    void SetLimitText(int32_t value) { m_limitText = value; }
    bool AcceptTabs() const { return m_acceptTabs; }
    void SetAcceptTabs(bool value) { m_acceptTabs = value; }
    // 0 default (left), 1 left, 2 right, 3 centre.
    int32_t Alignment() const { return m_alignment; }
    void SetAlignment(int32_t value);
    bool AutomaticallyCheckSpelling() const { return m_checkSpelling; }
    void SetAutomaticallyCheckSpelling(bool value) { m_checkSpelling = value; }
    const std::string& DataSource() const { return m_dataSource; }
    void SetDataSource(const std::string& value) { m_dataSource = value; }
    const std::string& DataField() const { return m_dataField; }
    void SetDataField(const std::string& value) { m_dataField = value; }


    // Typing by the user: ignored when the field is read-only or disabled.
    // True when the text was taken.
    bool UserEdit(const std::string& text);

protected:
    TextField() = default;

private:
    std::string m_text;
    bool m_border = true, m_password = false, m_useFocusRing = true;
    Color m_textColor { 0x000000 }, m_backColor { 0xFFFFFF };
    std::string m_format, m_cueText, m_mask;
    bool m_readOnly = false;
    int32_t m_limitText = 0;
    bool m_acceptTabs = false;
    int32_t m_alignment = 0;
    bool m_checkSpelling = false;
    std::string m_dataSource, m_dataField;
};

}
