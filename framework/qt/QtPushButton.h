#pragma once

#include "QtControlView.h"
#include "framework/PushButton.h"

#include <QPushButton>

namespace fw::qt {

class QtPushButton final : public QPushButton, public QtControlView {
public:
    QtPushButton(PushButton& button, QWidget* parent);

    QWidget* Widget() override { return this; }
    void Sync() override;
    int32_t TabIndex() const override;

private:
    WeakPtr<PushButton> m_button;
};

}
