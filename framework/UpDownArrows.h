#pragma once

#include "RectControl.h"

namespace fw {

// A pair of arrows without a field of its own; a plug-in control whose entry
// points InitPluginEntrypoints must have looked up before one is made.
class UpDownArrows : public RectControl {
public:
    static constexpr int kEventUp = 15;
    static constexpr int kEventDown = 16;

    static Ref<UpDownArrows> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    bool AcceptFocus() const { return m_acceptFocus; }
    void SetAcceptFocus(bool value) { m_acceptFocus = value; }

    // A click on either arrow by the user: raises Up or Down when enabled.
    bool ClickUp();
    bool ClickDown();

protected:
    UpDownArrows() = default;

private:
    bool m_acceptFocus = true;
};

}
