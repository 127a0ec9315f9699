#include "timer/DesignLists.h"

namespace tockamo::design {

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

fw::PropertyList WindowList(int32_t height, bool hasBackColor, fw::Color backColor, const std::string& title)
{
    return {
        { "Placement", int32_t { 0 } },
        { "Width", int32_t { 212 } },
        { "Height", height },
        { "MinWidth", int32_t { 64 } },
        { "MinHeight", int32_t { 64 } },
        { "MaxWidth", int32_t { 32000 } },
        { "MaxHeight", int32_t { 32000 } },
        { "Frame", int32_t { 0 } },
        { "Composite", false },
        { "HasBackColor", hasBackColor },
        { "BackColor", backColor },
        { "Title", title },
        { "Visible", true },
        { "FullScreen", false },
        { "MenuBarVisible", true },
        { "CloseButton", true },
        { "Resizeable", false },
        { "LiveResize", true },
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

fw::PropertyList LabelList(const std::string& name, Frame frame, const std::string& text, fw::Color textColor, Background background)
{
    fw::PropertyList list = ControlHead(name, frame);
    Append(list, {
        { "Text", text },
        { "TextAlign", int32_t { 1 } },
        { "TextColor", textColor },
        { "Multiline", false },
        { "Enabled", true },
        { "Visible", true },
        { "Selectable", false },
        { "Transparent", background == Background::Transparent },
        { "HelpTag", std::string() },
        { "AutoDeactivate", true },
        { "TextFont", std::string("System") },
        { "Bold", true },
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
