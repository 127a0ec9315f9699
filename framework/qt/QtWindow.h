#pragma once

#include "QtControlView.h"
#include "framework/Window.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <unordered_map>
#include <vector>

namespace fw::qt {

class QtMenuBar;

// The Qt top-level window of one framework window. Its client area holds the
// menu bar (when the framework attaches one) above a content widget of
// exactly the framework window's size, in which the controls sit at their
// own positions. The framework window's Top and Left are the screen position
// of the client area's top-left corner.
class QtWindow final : public QWidget {
public:
    explicit QtWindow(Window& window);
    ~QtWindow() override;

    // Reads the window's state again: title, flags, colours, size, position.
    void Sync();
    void SyncMenuBar();
    void ShowFromFramework();
    // The framework window is gone; from now on nothing is reported.
    void Detach();

    void AddControl(Control& control);
    QtControlView* ViewFor(const Control& control) const;

    QWidget* Content() const { return m_content; }
    QtMenuBar* MenuBarWidget() const { return m_menuBar; }
    // A window without a menu bar of its own answers the key equivalents of
    // `actions` (another window's menu items) while it is active; it shows
    // nothing of them.
    void BorrowMenuKeys(const std::vector<QAction*>& actions);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int MenuBarHeight() const;
    void SyncGeometry(const Window& window);
    void SyncFlags(const Window& window);
    void SyncTabOrder();
    // Chooses the window's colours: the desktop's, unless a text that the
    // window's controls colour themselves would not stand out from the
    // desktop's window background, and does better on the light background
    // the layouts were drawn on. Then the whole window, menu bar and menus
    // included, keeps that light look, as programs not made for dark
    // desktops are shown. Read with the rest of the window's state, so the
    // controls' colours count as they stand when the window shows.
    void SyncAppearance();
    // Gives the window and its menus the colours m_designedLook chooses.
    void ApplyLook();
    // Before the window shows: centres a window the program never placed,
    // and brings one that no screen would show onto the nearest screen. The
    // framework learns the new place as if the user had moved the window
    // there.
    void PlaceOnScreen(Window& window, bool firstShowing);
    // True when Return or Enter reached the window's default button.
    bool PressReturn();

    WeakPtr<Window> m_window;
    QWidget* m_content;
    QtMenuBar* m_menuBar = nullptr;
    std::unordered_map<const Control*, std::unique_ptr<QtControlView>> m_views;
    // The key equivalents borrowed from another window's menu bar, apart
    // from whatever actions the window has of its own.
    std::vector<QPointer<QAction>> m_borrowedKeys;
    // Until the first showing the framework's position stays with the
    // framework: it may still change in steps, and only the last one counts.
    bool m_everShown = false;
    // While the framework's state is being applied, Qt's own move events
    // are echoes of it, not the user's doing.
    int m_syncing = 0;
    // True while the window shows the light look instead of the desktop's.
    bool m_designedLook = false;
};

}
