#pragma once

#include "QtControlView.h"
#include "framework/Label.h"

#include <QLabel>

namespace fw::qt {

class QtLabel final : public QLabel, public QtControlView {
public:
    QtLabel(Label& label, QWidget* parent);

    QWidget* Widget() override { return this; }
    void Sync() override;
    int32_t TabIndex() const override { return -1; }
    std::optional<Color> TextOnWindowColour() const override;

    // The text as shown: a carriage return breaks the line.
    static QString DisplayText(const std::string& text);

private:
    WeakPtr<Label> m_label;
};

}
