#pragma once

#include "framework/Color.h"
#include "framework/ClassRecord.h"
#include "framework/PropertyList.h"
#include "framework/Window.h"

#include <cstdint>
#include <string>

namespace tockamo::design {

// The design-time property lists of the program's windows and controls. Every
// list of a class has the same keys in the same order; only the values that
// differ between the windows and controls are parameters here.

struct Frame {
    int32_t left, top, width, height;
    int32_t tabIndex;
};

enum class Background { Transparent, Opaque };

// Makes a visual control of `controlClass` for `window` (__New, then its
// constructor) and hands it over under `name` (_AddControl); the window's
// list holds the only reference from then on.
void AddVisualControl(fw::Window& window, const fw::ClassRecord& controlClass, const std::string& name);

enum class TextAlign : int32_t { Left = 0, Centre = 1, Right = 2 };

struct WindowLook {
    int32_t width;
    int32_t height;
    bool hasBackColor;
    fw::Color backColor;
    std::string title;
    bool liveResize;
};

// The defaults are the timer's labels: centred black bold System text on an
// opaque ground.
struct LabelLook {
    std::string text;
    TextAlign textAlign = TextAlign::Centre;
    fw::Color textColor { 0x000000 };
    bool multiline = false;
    Background background = Background::Opaque;
    std::string textFont = "System";
    bool bold = true;
};

fw::PropertyList WindowList(const WindowLook& look);
fw::PropertyList UpDownArrowsList(const std::string& name, Frame frame);
fw::PropertyList LabelList(const std::string& name, Frame frame, const LabelLook& look);
fw::PropertyList PushButtonList(const std::string& name, Frame frame, const std::string& caption, bool isDefault, bool enabled);
fw::PropertyList TextFieldList(const std::string& name, Frame frame);
fw::PropertyList TimerList(int32_t mode, int32_t period);

}
