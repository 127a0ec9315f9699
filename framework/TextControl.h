#pragma once

#include "RectControl.h"

namespace fw {

// The text look shared by labels, buttons and fields.
struct TextStyle {
    std::string font = "System";
    float size = 0; // 0: the desktop's default size
    int32_t unit = 0; // FontUnits; 0 is the default unit (points)
    bool bold = false, italic = false, underline = false;
};

// What labels, buttons and fields share: the look of their text. Not a class
// of its own in the class system; each of the three registers these setters
// in its own record through AddTextProperties.
class TextControl : public RectControl {
public:
    const TextStyle& Style() const { return m_style; }
    void SetTextFont(const std::string& value);
    void SetTextSize(float value);
    void SetTextUnit(int32_t value);
    void SetBold(bool value);
    void SetItalic(bool value);
    void SetUnderline(bool value);

    // Registers the six text setters above in a derived class's record.
    static void AddTextProperties(ClassRecord::Builder& builder);

protected:
    TextControl() = default;

private:
    TextStyle m_style;
};

}
