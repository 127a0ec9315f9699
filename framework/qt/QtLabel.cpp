#include "QtLabel.h"

namespace fw::qt {

QtLabel::QtLabel(Label& label, QWidget* parent)
    : QLabel(parent)
    , m_label(&label)
{
    setTextFormat(Qt::PlainText);
    Sync();
}

QString QtLabel::DisplayText(const std::string& text)
{
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void QtLabel::Sync()
{
    RefPtr<Label> label = m_label.Lock();
    if (!label)
        return;
    SyncRect(*this, *label);
    setText(DisplayText(label->Text()));
    setWordWrap(label->MultiLine());

    Qt::Alignment horizontal = Qt::AlignLeft;
    if (label->TextAlign() == 1)
        horizontal = Qt::AlignHCenter;
    else if (label->TextAlign() == 2)
        horizontal = Qt::AlignRight;
    setAlignment(horizontal | Qt::AlignTop);

    // Disabled labels keep the style's greyed-out text.
    QPalette colours = palette();
    QColor text = ToQColor(label->TextColor());
    colours.setColor(QPalette::Active, QPalette::WindowText, text);
    colours.setColor(QPalette::Inactive, QPalette::WindowText, text);
    setPalette(colours);
    // An opaque label is filled with its window's background.
    setAutoFillBackground(!label->Transparent());
    setFont(MakeFont(label->Style()));
}

std::optional<Color> QtLabel::TextOnWindowColour() const
{
    // An opaque label fills itself with its window's background, so its
    // text stands on that as much as a transparent label's does.
    RefPtr<Label> label = m_label.Lock();
    if (!label)
        return std::nullopt;
    return label->TextColor();
}

}
