#pragma once

#include "TextControl.h"

namespace fw {

class PushButton : public TextControl {
public:
    static constexpr int kEventAction = 15;

    static Ref<PushButton> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& value);
    bool Default() const { return m_default; }
    void SetDefault(bool value);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool value);
    int32_t ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(int32_t value);


    // The user's click (or Return on the default button): raises Action when
    // the button is enabled and visible and its window is open. True when the
    // press was delivered.
    bool Push();

protected:
    PushButton() = default;

private:
    std::string m_caption;
    bool m_default = false, m_cancel = false;
    int32_t m_buttonStyle = 0;
};

}
