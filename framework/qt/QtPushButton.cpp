#include "QtPushButton.h"

#include "QtBackend.h"

namespace fw::qt {

QtPushButton::QtPushButton(PushButton& button, QWidget* parent)
    : QPushButton(parent)
    , m_button(&button)
{
    // Return is the window's business (Window::PressReturn), so the button
    // never takes it for itself.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        WeakPtr<PushButton> weak = m_button;
        DeliverUserAction([weak] {
            if (RefPtr<PushButton> button = weak.Lock())
                button->Push();
        });
    });
    Sync();
}

void QtPushButton::Sync()
{
    RefPtr<PushButton> button = m_button.Lock();
    if (!button)
        return;
    SyncRect(*this, *button);
    setText(ToQString(button->Caption()));
    setDefault(button->Default());
    setFont(MakeFont(button->Style()));
    setFocusPolicy(button->TabStop() ? Qt::StrongFocus : Qt::NoFocus);
}

int32_t QtPushButton::TabIndex() const
{
    RefPtr<PushButton> button = m_button.Lock();
    return button && button->TabStop() ? button->TabIndex() : -1;
}

}
