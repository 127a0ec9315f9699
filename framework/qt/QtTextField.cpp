#include "QtTextField.h"

#include "QtBackend.h"

namespace fw::qt {

QtTextField::QtTextField(TextField& field, QWidget* parent)
    : QLineEdit(parent)
    , m_field(&field)
{
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        WeakPtr<TextField> weak = m_field;
        bool taken = false;
        DeliverUserAction([weak, text, &taken] {
            if (RefPtr<TextField> field = weak.Lock())
                taken = field->UserEdit(text.toStdString());
        });
        if (!taken)
            Sync();
    });
    Sync();
}

void QtTextField::Sync()
{
    RefPtr<TextField> field = m_field.Lock();
    if (!field)
        return;
    SyncRect(*this, *field);
    QString text = ToQString(field->Text());
    if (this->text() != text)
        setText(text);
    // Sync runs on every change, and a countdown changes a field every
    // second: setters that repaint, or ask for a new layout, even when the
    // value stays the same run only on a real change.
    setReadOnly(field->ReadOnly());
    if (hasFrame() != field->Border())
        setFrame(field->Border());
    QLineEdit::EchoMode echo = field->Password() ? QLineEdit::Password : QLineEdit::Normal;
    if (echoMode() != echo)
        setEchoMode(echo);
    setPlaceholderText(ToQString(field->CueText()));

    // 0 is the default (left), 1 left, 2 right, 3 centre.
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (field->Alignment() == 2)
        horizontal = Qt::AlignRight;
    else if (field->Alignment() == 3)
        horizontal = Qt::AlignHCenter;
    if (alignment() != (horizontal | Qt::AlignVCenter))
        setAlignment(horizontal | Qt::AlignVCenter);

    QPalette colours = palette();
    colours.setColor(QPalette::Text, ToQColor(field->TextColor()));
    colours.setColor(QPalette::Base, ToQColor(field->BackColor()));
    // The explicit roles count too: a palette set by hand no longer follows
    // its parent's.
    if (colours != palette() || colours.resolveMask() != palette().resolveMask())
        setPalette(colours);
    QFont font = MakeFont(field->Style());
    if (font != this->font() || font.resolveMask() != this->font().resolveMask())
        setFont(font);
    setFocusPolicy(field->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
}

int32_t QtTextField::TabIndex() const
{
    RefPtr<TextField> field = m_field.Lock();
    return field && field->TabStop() ? field->TabIndex() : -1;
}

}
