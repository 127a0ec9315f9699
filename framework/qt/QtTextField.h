#pragma once

#include "QtControlView.h"
#include "framework/TextField.h"

#include <QLineEdit>

namespace fw::qt {

class QtTextField final : public QLineEdit, public QtControlView {
public:
    QtTextField(TextField& field, QWidget* parent);

    QWidget* Widget() override { return this; }
    void Sync() override;
    int32_t TabIndex() const override;

private:
    WeakPtr<TextField> m_field;
};

}
