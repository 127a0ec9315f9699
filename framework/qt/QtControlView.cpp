#include "QtControlView.h"

#include "QtLabel.h"
#include "QtPushButton.h"
#include "QtTextField.h"
#include "QtUpDownArrows.h"
#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/Text.h"
#include "framework/TextField.h"
#include "framework/UpDownArrows.h"

#include <QApplication>
#include <QWidget>

namespace fw::qt {

std::unique_ptr<QtControlView> QtControlView::Create(Control& control, QWidget* parent)
{
    if (auto* label = dynamic_cast<Label*>(&control))
        return std::make_unique<QtLabel>(*label, parent);
    if (auto* button = dynamic_cast<PushButton*>(&control))
        return std::make_unique<QtPushButton>(*button, parent);
    if (auto* field = dynamic_cast<TextField*>(&control))
        return std::make_unique<QtTextField>(*field, parent);
    if (auto* arrows = dynamic_cast<UpDownArrows*>(&control))
        return std::make_unique<QtUpDownArrows>(*arrows, parent);
    return nullptr;
}

void QtControlView::SyncRect(QWidget& widget, const RectControl& control)
{
    QRect rect(control.Left(), control.Top(), control.Width(), control.Height());
    if (widget.geometry() != rect)
        widget.setGeometry(rect);
    widget.setEnabled(control.Enabled());
    widget.setToolTip(ToQString(control.HelpTag()));
    if (widget.isHidden() == control.Visible())
        widget.setVisible(control.Visible());
}

QFont QtControlView::MakeFont(const TextStyle& style)
{
    QFont font = QApplication::font();
    if (!style.font.empty() && !TextEquals(style.font, "System")) {
        font = QFont(ToQString(style.font));
        font.setStyleHint(QFont::SansSerif);
    }
    // A desktop font chosen by name and style ("DejaVu Sans Book") keeps its
    // style name, which would outweigh the bold and italic set below.
    font.setStyleName(QString());
    // Window layouts are drawn in pixels with one point to the pixel, so a
    // size of its own is a pixel size, and the default size is the one the
    // boxes were drawn for, whatever size the desktop asks for.
    font.setPixelSize(style.size > 0 ? qRound(style.size) : kDefaultPixelSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

}
