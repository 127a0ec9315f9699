#pragma once

#include "Control.h"

namespace fw {

// A visual control: a rectangle in its window's content area, in pixels.
class RectControl : public Control {
public:
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // Initialises a new control; window classes call it right after __New.
    void Constructor() { }

    int32_t Left() const { return m_left; }
    int32_t Top() const { return m_top; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    void SetLeft(int32_t value);
    void SetTop(int32_t value);
    void SetWidth(int32_t value);
    void SetHeight(int32_t value);

    bool LockLeft() const { return m_lockLeft; }
    bool LockTop() const { return m_lockTop; }
    bool LockRight() const { return m_lockRight; }
    bool LockBottom() const { return m_lockBottom; }
    void SetLockLeft(bool value) { m_lockLeft = value; }
    void SetLockTop(bool value) { m_lockTop = value; }
    void SetLockRight(bool value) { m_lockRight = value; }
    void SetLockBottom(bool value) { m_lockBottom = value; }

    int32_t TabPanelIndex() const { return m_tabPanelIndex; }
    int32_t TabIndex() const { return m_tabIndex; }
    bool TabStop() const { return m_tabStop; }
    void SetTabPanelIndex(int32_t value) { m_tabPanelIndex = value; }
    void SetTabIndex(int32_t value);
    void SetTabStop(bool value);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    const std::string& HelpTag() const { return m_helpTag; }
    void SetHelpTag(const std::string& value);
    bool AutoDeactivate() const { return m_autoDeactivate; }
    void SetAutoDeactivate(bool value) { m_autoDeactivate = value; }
    const std::string& InitialParent() const { return m_initialParent; }
    void SetInitialParent(const std::string& value) { m_initialParent = value; }

    // Asks the backend to repaint the control.
    void Refresh(bool eraseBackground = true);
    int RefreshCount() const { return m_refreshCount; }

protected:
    RectControl() = default;

private:
    int32_t m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_lockLeft = true, m_lockTop = true, m_lockRight = false, m_lockBottom = false;
    int32_t m_tabPanelIndex = 0, m_tabIndex = 0;
    bool m_tabStop = true;
    bool m_enabled = true, m_visible = true;
    std::string m_helpTag;
    bool m_autoDeactivate = true;
    std::string m_initialParent;
    int m_refreshCount = 0;
};

}
