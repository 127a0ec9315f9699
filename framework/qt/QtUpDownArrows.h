#pragma once

#include "QtControlView.h"
#include "framework/UpDownArrows.h"

#include <QWidget>

class QToolButton;

namespace fw::qt {

// Two small arrow buttons drawn by the style, one above the other, with no
// field of their own. Holding one down repeats it.
class QtUpDownArrows final : public QWidget, public QtControlView {
public:
    QtUpDownArrows(UpDownArrows& arrows, QWidget* parent);

    QWidget* Widget() override { return this; }
    void Sync() override;
    int32_t TabIndex() const override;

    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* MakeArrow(Qt::ArrowType type, bool up);

    WeakPtr<UpDownArrows> m_arrows;
    QToolButton* m_up;
    QToolButton* m_down;
};

}
