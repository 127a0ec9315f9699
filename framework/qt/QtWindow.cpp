#include "QtWindow.h"

#include "QtBackend.h"
#include "QtMenuBar.h"
#include "framework/MenuItem.h"
#include "framework/ScreenGeometry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace fw::qt {

namespace {

// Counts a nested application of framework state.
class SyncScope {
public:
    explicit SyncScope(int& depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~SyncScope() { --m_depth; }

private:
    int& m_depth;
};

// The screens' available areas, the primary screen's first.
ScreenGeometry Screens()
{
    auto areaOf = [](const QScreen* screen) {
        QRect area = screen->availableGeometry();
        return ScreenRect { area.left(), area.top(), area.width(), area.height() };
    };
    std::vector<ScreenRect> areas;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.push_back(areaOf(primary));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas.push_back(areaOf(screen));
    }
    return ScreenGeometry(std::move(areas));
}

// The light colours that the layouts' own text colours were chosen against:
// Qt's own look, which every Qt program shows on a desktop without a colour
// scheme. Every role of it is set explicitly, so it outweighs the palettes
// that a desktop theme hands single widget classes (labels, buttons, menus).
const QPalette& DesignedPalette()
{
    static const QPalette designed = [] {
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette source = fusion ? fusion->standardPalette() : QPalette(QColor(0xEF, 0xEF, 0xEF));
        QPalette everyRole;
        for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
            for (int role = 0; role < QPalette::NColorRoles; ++role)
                everyRole.setBrush(group, QPalette::ColorRole(role), source.brush(group, QPalette::ColorRole(role)));
        }
        return everyRole;
    }();
    return designed;
}

bool IsReturnKey(const QKeyEvent& event)
{
    Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
}

}

QtWindow::QtWindow(Window& window)
    : QWidget(nullptr)
    , m_window(&window)
    , m_content(new QWidget(this))
{
    m_content->installEventFilter(this);
    Sync();
}

QtWindow::~QtWindow()
{
    m_views.clear();
}

void QtWindow::Detach()
{
    m_window = WeakPtr<Window>();
}

void QtWindow::Sync()
{
    RefPtr<Window> window = m_window.Lock();
    if (!window)
        return;
    SyncScope scope(m_syncing);
    QString title = ToQString(window->Title());
    if (windowTitle() != title)
        setWindowTitle(title);
    SyncFlags(*window);

    if (window->HasBackColor()) {
        QPalette colours = m_content->palette();
        colours.setColor(QPalette::Window, ToQColor(window->BackColor()));
        m_content->setPalette(colours);
    } else {
        m_content->setPalette(QPalette());
    }
    m_content->setAutoFillBackground(true);

    if (m_menuBar)
        m_menuBar->setVisible(window->MenuBarVisible());
    SyncGeometry(*window);
    SyncAppearance();

    bool wanted = m_everShown && window->IsShown() && window->Visible();
    if (isVisible() != wanted)
        setVisible(wanted);
}

void QtWindow::SyncFlags(const Window& window)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (window.CloseButton())
        flags |= Qt::WindowCloseButtonHint;
    if (window.MinimizeButton())
        flags |= Qt::WindowMinimizeButtonHint;
    if (window.MaximizeButton() && window.Resizeable())
        flags |= Qt::WindowMaximizeButtonHint;
    if (windowFlags() == flags)
        return;
    // Changing the flags of a shown window hides it; it comes back at once.
    bool wasVisible = isVisible();
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

int QtWindow::MenuBarHeight() const
{
    if (!m_menuBar || m_menuBar->isHidden())
        return 0;
    return m_menuBar->sizeHint().height();
}

void QtWindow::SyncGeometry(const Window& window)
{
    int menuHeight = MenuBarHeight();
    QSize content(std::max(window.Width(), 0), std::max(window.Height(), 0));
    QSize whole(content.width(), content.height() + menuHeight);
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, content.width(), menuHeight);
    m_content->setGeometry(0, menuHeight, content.width(), content.height());

    if (!window.Resizeable()) {
        setFixedSize(whole);
    } else {
        setMinimumSize(window.MinWidth(), window.MinHeight() + menuHeight);
        setMaximumSize(window.MaxWidth(), window.MaxHeight() + menuHeight);
        if (size() != whole)
            resize(whole);
    }

    if (!m_everShown)
        return;
    QPoint position(window.Left(), window.Top());
    // setGeometry places the client area, not the frame, with or without a
    // window manager. Qt hands the window manager a position only once it
    // has been given one, and 0,0 is where a window starts out.
    if (geometry().topLeft() != position || !testAttribute(Qt::WA_Moved))
        setGeometry(QRect(position, whole));
}

void QtWindow::SyncMenuBar()
{
    RefPtr<Window> window = m_window.Lock();
    if (!window)
        return;
    SyncScope scope(m_syncing);
    RefPtr<MenuBar> bar = window->GetMenuBar();
    if (!bar) {
        delete m_menuBar;
        m_menuBar = nullptr;
    } else {
        if (!m_menuBar)
            m_menuBar = new QtMenuBar(this);
        m_menuBar->Rebuild(*bar);
        m_menuBar->setVisible(window->MenuBarVisible());
        if (m_designedLook)
            ApplyLook();
    }
    SyncGeometry(*window);
}

void QtWindow::SyncAppearance()
{
    RefPtr<Window> window = m_window.Lock();
    if (!window)
        return;
    // On a background of the window's own the texts stand as the layout
    // drew them, whatever the desktop's colours.
    bool designed = false;
    if (!window->HasBackColor()) {
        std::vector<Color> texts;
        for (auto& [control, view] : m_views) {
            if (std::optional<Color> text = view->TextOnWindowColour())
                texts.push_back(*text);
        }
        // A scheme may dim the background of a window that is not the active
        // one, so both count.
        std::vector<Color> desktopGrounds;
        std::vector<Color> designedGrounds;
        for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive }) {
            desktopGrounds.push_back(ToColor(QApplication::palette(m_content).color(group, QPalette::Window)));
            designedGrounds.push_back(ToColor(DesignedPalette().color(group, QPalette::Window)));
        }
        designed = WantsDesignedLook(texts, desktopGrounds, designedGrounds);
    }
    if (designed == m_designedLook)
        return;
    m_designedLook = designed;
    ApplyLook();
}

void QtWindow::ApplyLook()
{
    QPalette colours = m_designedLook ? DesignedPalette() : QPalette();
    setPalette(colours);
    // A menu drops down as a window of its own, which takes no colours from
    // the window it belongs to.
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setPalette(colours);
}

void QtWindow::BorrowMenuKeys(const std::vector<QAction*>& actions)
{
    // Only what was borrowed goes back; an item that goes away leaves the
    // window's actions by itself.
    for (const QPointer<QAction>& borrowed : m_borrowedKeys) {
        if (borrowed && std::find(actions.begin(), actions.end(), borrowed.data()) == actions.end())
            removeAction(borrowed);
    }
    for (QAction* action : actions) {
        if (!QWidget::actions().contains(action))
            addAction(action);
    }
    m_borrowedKeys.assign(actions.begin(), actions.end());
}

void QtWindow::AddControl(Control& control)
{
    if (m_views.contains(&control))
        return;
    std::unique_ptr<QtControlView> view = QtControlView::Create(control, m_content);
    if (!view)
        return;
    view->Widget()->installEventFilter(this);
    m_views[&control] = std::move(view);
}

QtControlView* QtWindow::ViewFor(const Control& control) const
{
    auto found = m_views.find(&control);
    return found == m_views.end() ? nullptr : found->second.get();
}

void QtWindow::ShowFromFramework()
{
    RefPtr<Window> window = m_window.Lock();
    if (!window)
        return;
    SyncScope scope(m_syncing);
    PlaceOnScreen(*window, !m_everShown);
    m_everShown = true;
    Sync();
    // Some control settings (AcceptFocus, TabIndex) change without telling
    // the backend; the first showing reads every control afresh.
    for (auto& [control, view] : m_views)
        view->Sync();
    SyncTabOrder();
    show();
    raise();
    activateWindow();
    // A platform that moves a window as it maps it (to keep its frame on the
    // screen) does so within show(), where move events count as echoes.
    QPoint shownAt = geometry().topLeft();
    if (shownAt != QPoint(window->Left(), window->Top()))
        window->UserMoved(shownAt.y(), shownAt.x());
}

void QtWindow::PlaceOnScreen(Window& window, bool firstShowing)
{
    int32_t width = std::max(window.Width(), 0);
    int32_t height = std::max(window.Height(), 0) + MenuBarHeight();
    ScreenGeometry screens = Screens();
    std::optional<ScreenPoint> position = firstShowing && !window.IsPlaced()
        ? screens.Centred(width, height)
        : screens.Reachable({ window.Left(), window.Top(), width, height });
    if (position && *position != ScreenPoint { window.Left(), window.Top() })
        window.UserMoved(position->top, position->left);
}

void QtWindow::SyncTabOrder()
{
    std::vector<QtControlView*> order;
    for (auto& [control, view] : m_views)
        if (view->TabIndex() >= 0)
            order.push_back(view.get());
    std::stable_sort(order.begin(), order.end(), [](QtControlView* a, QtControlView* b) { return a->TabIndex() < b->TabIndex(); });
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1]->Widget(), order[i]->Widget());
}

void QtWindow::closeEvent(QCloseEvent* event)
{
    // The framework decides what closing means; it ends the window through
    // WindowDestroyed when it does.
    event->ignore();
    WeakPtr<Window> weak = m_window;
    if (!weak.IsAlive())
        return;
    DeliverUserAction([weak] {
        if (RefPtr<Window> window = weak.Lock())
            window->UserClose();
    });
}

void QtWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_syncing || !isVisible())
        return;
    RefPtr<Window> window = m_window.Lock();
    if (!window)
        return;
    QPoint position = geometry().topLeft();
    if (position == QPoint(window->Left(), window->Top()))
        return;
    WeakPtr<Window> weak = m_window;
    DeliverUserAction([weak, position] {
        if (RefPtr<Window> moved = weak.Lock())
            moved->UserMoved(position.y(), position.x());
    });
}

void QtWindow::keyPressEvent(QKeyEvent* event)
{
    if (IsReturnKey(*event) && PressReturn())
        return;
    QWidget::keyPressEvent(event);
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Return and Enter press the default button whichever control has the
    // focus; a plain Qt window only does that inside a dialog.
    if (event->type() == QEvent::KeyPress && IsReturnKey(*static_cast<QKeyEvent*>(event)) && PressReturn())
        return true;
    return QWidget::eventFilter(watched, event);
}

bool QtWindow::PressReturn()
{
    WeakPtr<Window> weak = m_window;
    if (!weak.IsAlive())
        return false;
    bool pressed = false;
    DeliverUserAction([weak, &pressed] {
        if (RefPtr<Window> window = weak.Lock())
            pressed = window->PressReturn();
    });
    return pressed;
}

}
