#include "QtMenuBar.h"

#include "QtBackend.h"
#include "QtControlView.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>

namespace fw::qt {

QtMenuBar::QtMenuBar(QWidget* parent)
    : QMenuBar(parent)
{
    setNativeMenuBar(false);
}

void QtMenuBar::Rebuild(MenuBar& bar)
{
    clear();
    m_keyActions.clear();
    for (QMenu* menu : m_menus)
        delete menu;
    m_menus.clear();
    for (const Ref<MenuItem>& item : bar.Children()) {
        if (!item->Visible())
            continue;
        QMenu* menu = addMenu(ToQString(item->Text()));
        menu->setEnabled(item->Enabled());
        m_menus.push_back(menu);
        AddItems(*menu, *item);
    }
}

void QtMenuBar::AddItems(QMenu& menu, MenuItem& parent)
{
    for (const Ref<MenuItem>& item : parent.Children()) {
        if (!item->Visible())
            continue;
        if (item->Text() == "-") {
            menu.addSeparator();
            continue;
        }
        if (!item->Children().empty()) {
            QMenu* submenu = menu.addMenu(ToQString(item->Text()));
            submenu->setEnabled(item->Enabled());
            AddItems(*submenu, *item);
            continue;
        }
        QAction* action = menu.addAction(ToQString(item->Text()));
        action->setEnabled(item->Enabled());
        action->setShortcut(ToKeySequence(item->KeyboardShortcut()));
        // The key acts while this window is the active one; windows without
        // a menu bar of their own take this action on too (see
        // QtBackend::ShareMenuKeys), so one press never reaches two items.
        action->setShortcutContext(Qt::WindowShortcut);
        if (!action->shortcut().isEmpty())
            m_keyActions.push_back(action);
        WeakPtr<MenuItem> weak(item.Ptr());
        connect(action, &QAction::triggered, this, [weak] {
            DeliverUserAction([weak] {
                if (RefPtr<MenuItem> chosen = weak.Lock())
                    chosen->Choose();
            });
        });
    }
}

QKeySequence QtMenuBar::ToKeySequence(const std::string& shortcut)
{
    QString text = ToQString(shortcut);
    text.replace(QRegularExpression(QStringLiteral("\\b(Cmd|Command)\\b"), QRegularExpression::CaseInsensitiveOption), QStringLiteral("Ctrl"));
    return QKeySequence(text, QKeySequence::PortableText);
}

}
