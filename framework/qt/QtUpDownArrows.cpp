#include "QtUpDownArrows.h"

#include "QtBackend.h"

#include <QToolButton>

namespace fw::qt {

QtUpDownArrows::QtUpDownArrows(UpDownArrows& arrows, QWidget* parent)
    : QWidget(parent)
    , m_arrows(&arrows)
    , m_up(MakeArrow(Qt::UpArrow, true))
    , m_down(MakeArrow(Qt::DownArrow, false))
{
    Sync();
}

QToolButton* QtUpDownArrows::MakeArrow(Qt::ArrowType type, bool up)
{
    auto* button = new QToolButton(this);
    button->setArrowType(type);
    button->setAutoRepeat(true);
    connect(button, &QToolButton::clicked, this, [this, up] {
        WeakPtr<UpDownArrows> weak = m_arrows;
        DeliverUserAction([weak, up] {
            if (RefPtr<UpDownArrows> arrows = weak.Lock()) {
                if (up)
                    arrows->ClickUp();
                else
                    arrows->ClickDown();
            }
        });
    });
    return button;
}

void QtUpDownArrows::Sync()
{
    RefPtr<UpDownArrows> arrows = m_arrows.Lock();
    if (!arrows)
        return;
    SyncRect(*this, *arrows);
    Qt::FocusPolicy policy = arrows->AcceptFocus() && arrows->TabStop() ? Qt::TabFocus : Qt::NoFocus;
    m_up->setFocusPolicy(policy);
    m_down->setFocusPolicy(policy);
}

int32_t QtUpDownArrows::TabIndex() const
{
    RefPtr<UpDownArrows> arrows = m_arrows.Lock();
    return arrows && arrows->AcceptFocus() && arrows->TabStop() ? arrows->TabIndex() : -1;
}

void QtUpDownArrows::resizeEvent(QResizeEvent*)
{
    int upHeight = (height() + 1) / 2;
    m_up->setGeometry(0, 0, width(), upHeight);
    m_down->setGeometry(0, upHeight, width(), height() - upHeight);
}

}
