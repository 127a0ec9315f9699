#include "app/DesignLists.h"

#include "framework/RectControl.h"

namespace tockamo::design {

void AddVisualControl(fw::Window& window, const fw::ClassRecord& controlClass, const std::string& name)
{
    fw::Ref<fw::Control> control = window.New(controlClass);
    fw::Cast<fw::RectControl>(control)->Constructor();
    window.AddControl(name, control);
}

namespace {

// Not part of a control array.
constexpr int32_t kNoIndex = INT32_MIN;

const fw::Color kBlack { 0x000000 };
const fw::Color kWhite { 0xFFFFFF };

// The twelve entries that open the list of every visual control.
fw::PropertyList ControlHead(const std::string& name, Frame frame)
{
    return {
        { "Name", name },
        { "Index", kNoIndex },
        { "Left", frame.left },
        { "Top", frame.top },
        { "Width", frame.width },
        { "Height", frame.height },
        { "LockLeft", true },
        { "LockTop", true },
        { "LockRight", false },
        { "LockBottom", false },
        { "TabPanelIndex", int32_t { 0 } },
        { "TabIndex", frame.tabIndex },
    };
}

void Append(fw::PropertyList& list, fw::PropertyList tail)
{
    list.insert(list.end(), std::make_move_iterator(tail.begin()), std::make_move_iterator(tail.end()));
}

}

fw::PropertyList WindowList(const WindowLook& look)
{
    return {
        { "Placement", int32_t { 0 } },
        { "Width", look.width },
        { "Height", look.height },
        { "MinWidth", int32_t { 64 } },
        { "MinHeight", int32_t { 64 } },
        { "MaxWidth", int32_t { 32000 } },
        { "MaxHeight", int32_t { 32000 } },
        { "Frame", int32_t { 0 } },
        { "Composite", false },
        { "HasBackColor", look.hasBackColor },
        { "BackColor", look.backColor },
        { "Title", look.title },
        { "Visible", true },
        { "FullScreen", false },
        { "MenuBarVisible", true },
        { "CloseButton", true },
        { "Resizeable", false },
        { "LiveResize", look.liveResize },
        { "MaximizeButton", false },
        { "MinimizeButton", false },
        { "FullScreenButton", false },
        { "MacProcID", int32_t { 0 } },
    };
}

fw::PropertyList UpDownArrowsList(const std::string& name, Frame frame)
{
    fw::PropertyList list = ControlHead(name, frame);
    Append(list, {
        { "TabStop", true },
        { "InitialParent", std::string() },
        { "Visible", true },
        { "HelpTag", std::string() },
        { "AutoDeactivate", true },
        { "Enabled", true },
        { "AcceptFocus", false },
    });
    return list;
}

fw::PropertyList LabelList(const std::string& name, Frame frame, const LabelLook& look)
{
    fw::PropertyList list = ControlHead(name, frame);
    Append(list, {
        { "Text", look.text },
        { "TextAlign", static_cast<int32_t>(look.textAlign) },
        { "TextColor", look.textColor },
        { "Multiline", look.multiline },
        { "Enabled", true },
        { "Visible", true },
        { "Selectable", false },
        { "Transparent", look.background == Background::Transparent },
        { "HelpTag", std::string() },
        { "AutoDeactivate", true },
        { "TextFont", look.textFont },
        { "Bold", look.bold },
        { "Italic", false },
        { "Underline", false },
        { "DataSource", std::string() },
        { "DataField", std::string() },
        { "InitialParent", std::string() },
    });
    return list;
}

fw::PropertyList PushButtonList(const std::string& name, Frame frame, const std::string& caption, bool isDefault, bool enabled)
{
    fw::PropertyList list = ControlHead(name, frame);
    Append(list, {
        { "TabStop", true },
        { "Caption", caption },
        { "Default", isDefault },
        { "Cancel", false },
        { "Enabled", enabled },
        { "Visible", true },
        { "HelpTag", std::string() },
        { "AutoDeactivate", true },
        { "ButtonStyle", int32_t { 0 } },
        { "TextFont", std::string("System") },
        { "Bold", true },
        { "Italic", false },
        { "Underline", false },
        { "InitialParent", std::string() },
    });
    return list;
}

fw::PropertyList TextFieldList(const std::string& name, Frame frame)
{
    fw::PropertyList list = ControlHead(name, frame);
    Append(list, {
        { "TabStop", true },
        { "Border", true },
        { "Password", false },
        { "UseFocusRing", true },
        { "TextColor", kBlack },
        { "BackColor", kWhite },
        { "Enabled", true },
        { "Format", std::string() },
        { "Visible", true },
        { "HelpTag", std::string() },
        { "AutoDeactivate", true },
        { "TextFont", std::string("System") },
        { "Bold", true },
        { "Italic", false },
        { "Underline", false },
        { "CueText", std::string() },
        { "Text", std::string("60") },
        { "Mask", std::string() },
        { "ReadOnly", true },
        { "LimitText", int32_t { 0 } },
        { "AcceptTabs", false },
        { "Alignment", int32_t { 2 } },
        { "AutomaticallyCheckSpelling", false },
        { "DataSource", std::string() },
        { "DataField", std::string() },
    });
    return list;
}

fw::PropertyList TimerList(int32_t mode, int32_t period)
{
    return {
        { "Mode", mode },
        { "Period", period },
    };
}

}
