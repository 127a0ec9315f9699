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
    setReadOnly(field->ReadOnly());
    setFrame(field->Border());
    setEchoMode(field->Password() ? QLineEdit::Password : QLineEdit::Normal);
    setPlaceholderText(ToQString(field->CueText()));

    // 0 is the default (left), 1 left, 2 right, 3 centre.
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (field->Alignment() == 2)
        horizontal = Qt::AlignRight;
    else if (field->Alignment() == 3)
        horizontal = Qt::AlignHCenter;
    setAlignment(horizontal | Qt::AlignVCenter);

    QPalette colours = palette();
    Color textColor = field->TextColor();
    Color backColor = field->BackColor();
    colours.setColor(QPalette::Text, QColor(textColor.Red(), textColor.Green(), textColor.Blue()));
    colours.setColor(QPalette::Base, QColor(backColor.Red(), backColor.Green(), backColor.Blue()));
    setPalette(colours);
    setFont(MakeFont(field->Style()));
    setFocusPolicy(field->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
}

int32_t QtTextField::TabIndex() const
{
    RefPtr<TextField> field = m_field.Lock();
    return field && field->TabStop() ? field->TabIndex() : -1;
}

}
