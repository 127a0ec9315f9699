#pragma once

#include "framework/MenuItem.h"

#include <QKeySequence>
#include <QMenuBar>

#include <vector>

class QAction;
class QMenu;

namespace fw::qt {

// A framework menu bar drawn inside its window, above the content (never a
// desktop-wide global menu, which would change the window's height).
class QtMenuBar final : public QMenuBar {
public:
    explicit QtMenuBar(QWidget* parent);

    // Rebuilds every menu from `bar`.
    void Rebuild(MenuBar& bar);
    // The items that have a key equivalent; they go with the menus.
    const std::vector<QAction*>& KeyActions() const { return m_keyActions; }

    // "Cmd+Q" becomes Ctrl+Q: the desktop's command key is Ctrl.
    static QKeySequence ToKeySequence(const std::string& shortcut);

private:
    void AddItems(QMenu& menu, MenuItem& parent);

    std::vector<QMenu*> m_menus;
    std::vector<QAction*> m_keyActions;
};

}
