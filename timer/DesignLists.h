#pragma once

#include "framework/Color.h"
#include "framework/PropertyList.h"

#include <cstdint>
#include <string>

namespace tockamo::design {

// The design-time property lists of the timer's windows and controls. Every
// list of a class has the same keys in the same order; only the values that
// differ between the controls are parameters here.

struct Frame {
    int32_t left, top, width, height;
    int32_t tabIndex;
};

enum class Background { Transparent, Opaque };

fw::PropertyList WindowList(int32_t height, bool hasBackColor, fw::Color backColor, const std::string& title);
fw::PropertyList UpDownArrowsList(const std::string& name, Frame frame);
fw::PropertyList LabelList(const std::string& name, Frame frame, const std::string& text, fw::Color textColor, Background background);
fw::PropertyList PushButtonList(const std::string& name, Frame frame, const std::string& caption, bool isDefault, bool enabled);
fw::PropertyList TextFieldList(const std::string& name, Frame frame);
fw::PropertyList TimerList(int32_t mode, int32_t period);

}
