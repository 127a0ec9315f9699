#pragma once

#include "framework/Color.h"
#include "framework/TextControl.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace fw {
class Control;
}

namespace fw::qt {

inline QString ToQString(const std::string& text)
{
    return QString::fromStdString(text);
}

// The one conversion each way between the framework's colours and Qt's.
inline QColor ToQColor(Color colour)
{
    return QColor(colour.Red(), colour.Green(), colour.Blue());
}

inline Color ToColor(const QColor& colour)
{
    return Color { colour.rgb() & 0xFFFFFFu };
}

// The Qt side of one framework control. It re-reads the control's state on
// Sync and reports the user's actions on it through DeliverUserAction; it
// refers to the control weakly, since the framework owns it.
class QtControlView {
public:
    virtual ~QtControlView() = default;

    virtual QWidget* Widget() = 0;
    // Reads the control's whole state again.
    virtual void Sync() = 0;
    // The control's TabIndex; views that take no focus return -1.
    virtual int32_t TabIndex() const = 0;
    // The colour the control's own settings give a text it draws straight
    // on its window's background; nothing for controls that draw on a ground
    // of their own (buttons, fields).
    virtual std::optional<Color> TextOnWindowColour() const { return std::nullopt; }

    // A view for `control` inside `parent`, or nullptr for controls that have
    // nothing to show (timers).
    static std::unique_ptr<QtControlView> Create(Control& control, QWidget* parent);

protected:
    // Position, size, visibility, enabled state and help tag.
    static void SyncRect(QWidget& widget, const RectControl& control);
    // "System" is the desktop's own UI face; a face that is not installed
    // falls back to a similar one through fontconfig. Size 0 is the default
    // size, kDefaultPixelSize.
    static QFont MakeFont(const TextStyle& style);

    // The pixel size of texts of the default size. The layouts' boxes were
    // drawn for a somewhat larger system font, which in the faces that Debian
    // desktops use overflows some boxes, the About window's credits first; at
    // this size every text fits its box in the common faces, as the tests of
    // the program's windows check. It is also the size of Qt's own default
    // font, 9 points at 96 dpi. The menu bar is no control: it keeps the
    // desktop's font and size, like every other menu on the desktop, and its
    // window grows by its height instead.
    static constexpr int kDefaultPixelSize = 12;
};

}
