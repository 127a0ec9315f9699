#include "QtTestWindow.h"

#include "framework/EventLoop.h"
#include "framework/Runtime.h"
#include "framework/qt/QtMenuBar.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace fw::qt::testing {

namespace {

using QtWindowTest = DesktopTest;

Ref<MenuBar> FileMenu(const std::string& aboutShortcut = "")
{
    Ref<MenuBar> bar = MenuBar::Create();
    Ref<MenuItem> file = MenuItem::Create();
    file->SetName("FileMenu");
    file->SetText("&File");
    Ref<MenuItem> about = MenuItem::Create();
    about->SetName("FileAboutBox");
    about->SetText("About Box");
    about->SetKeyboardShortcut(aboutShortcut);
    Ref<QuitMenuItem> quit = QuitMenuItem::Create();
    quit->SetName("FileQuit");
    quit->SetText("&Quit");
    quit->SetKeyboardShortcut("Cmd+Q");
    file->Append(about);
    file->Append(quit);
    bar->Append(file);
    return bar;
}

QColor PixelAt(QWidget& widget, QPoint point)
{
    return widget.grab().toImage().pixelColor(point);
}

}

TEST_F(QtWindowTest, ShowsTitleSizeColoursAndMenuBar)
{
    struct Case {
        const char* name;
        bool menuBar;
        bool hasBackColor;
        QColor background;
    };
    const Case cases[] = {
        { "plain", false, false, QColor() },
        { "red background", false, true, QColor(0xFF, 0, 0) },
        { "with menu bar", true, false, QColor() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowDesign layout;
        if (c.menuBar)
            layout.menuBar = FileMenu();
        layout.properties = FixedWindow(212, 130, "Tockamo");
        layout.properties.push_back({ "HasBackColor", c.hasBackColor });
        layout.properties.push_back({ "BackColor", Color { 0xFF0000 } });
        layout.controls.push_back(MakeButton("MyStart", QRect(20, 90, 80, 20), "Start", true, true));
        Ref<TestWindow> window = TestWindow::Open(layout);
        window->SetTop(100);
        window->SetLeft(120);
        window->Show();
        QtWindow& qtWindow = QtWindowOf(*window);

        EXPECT_TRUE(qtWindow.isVisible());
        EXPECT_EQ(qtWindow.windowTitle(), QStringLiteral("Tockamo"));
        EXPECT_EQ(qtWindow.Content()->size(), QSize(212, 130));
        ASSERT_EQ(c.menuBar, qtWindow.MenuBarWidget() != nullptr);
        int menuHeight = c.menuBar ? qtWindow.MenuBarWidget()->height() : 0;
        if (c.menuBar) {
            EXPECT_GT(menuHeight, 0);
            EXPECT_FALSE(qtWindow.MenuBarWidget()->isNativeMenuBar());
            EXPECT_EQ(qtWindow.Content()->y(), menuHeight);
        }
        // Fixed size, with the menu bar on top of the content's own height.
        EXPECT_EQ(qtWindow.size(), QSize(212, 130 + menuHeight));
        EXPECT_EQ(qtWindow.minimumSize(), qtWindow.maximumSize());
        EXPECT_FALSE(qtWindow.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_FALSE(qtWindow.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(qtWindow.windowFlags() & Qt::WindowCloseButtonHint);
        // The button keeps its position within the content.
        QtControlView* button = qtWindow.ViewFor(*window->ControlByName("MyStart"));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->Widget()->geometry(), QRect(20, 90, 80, 20));

        // The icon the program named, not the toolkit's or none.
        EXPECT_TRUE(ShowsCompiledIcon(qtWindow, GetProgramIdentity().iconResources));

        QColor expected = c.hasBackColor ? c.background : qtWindow.Content()->palette().color(QPalette::Window);
        EXPECT_EQ(PixelAt(*qtWindow.Content(), QPoint(2, 2)), expected);
        EXPECT_EQ(PixelAt(*qtWindow.Content(), QPoint(200, 120)), expected);
        SavePicture(qtWindow, std::string("window-") + c.name);

        // A change shows at once.
        window->SetTitle("Time's Up");
        EXPECT_EQ(qtWindow.windowTitle(), QStringLiteral("Time's Up"));
        window->Close();
        ProcessQtEvents();
    }
}

TEST_F(QtWindowTest, PositionRoundTripsThroughTheDesktop)
{
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), {} });
    window->SetTop(150);
    window->SetLeft(170);
    window->Show();
    QtWindow& qtWindow = QtWindowOf(*window);
    EXPECT_EQ(qtWindow.geometry().topLeft(), QPoint(170, 150));

    // The user drags the window elsewhere: the framework follows.
    qtWindow.windowHandle()->setGeometry(QRect(QPoint(333, 211), qtWindow.size()));
    ProcessQtEvents();
    EXPECT_EQ(window->Top(), 211);
    EXPECT_EQ(window->Left(), 333);
    int32_t savedTop = window->Top();
    int32_t savedLeft = window->Left();
    window->Close();
    ProcessQtEvents();

    // A window restored from the saved values lands on the same pixel.
    Ref<TestWindow> restored = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), {} });
    restored->SetTop(savedTop);
    restored->SetLeft(savedLeft);
    restored->Show();
    ProcessQtEvents();
    EXPECT_EQ(QtWindowOf(*restored).geometry().topLeft(), QPoint(333, 211));
    EXPECT_EQ(restored->Top(), 211);
    EXPECT_EQ(restored->Left(), 333);
    SavePicture(QtWindowOf(*restored), "window-restored");

    // Moving a shown window from the program moves it on the desktop.
    restored->SetTop(40);
    restored->SetLeft(50);
    ProcessQtEvents();
    EXPECT_EQ(QtWindowOf(*restored).geometry().topLeft(), QPoint(50, 40));
    EXPECT_EQ(restored->Top(), 40);
    EXPECT_EQ(restored->Left(), 50);
}

TEST_F(QtWindowTest, OpensWhereTheProgramPutItWhileAnyOfItShows)
{
    // The offscreen platform's one screen; the windows are 212x130.
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    ASSERT_EQ(QGuiApplication::screens().size(), 1);
    struct Case {
        const char* name;
        std::optional<QPoint> placed;
        QPoint shown;
    };
    const Case cases[] = {
        { "never placed is centred", std::nullopt, QPoint(293, 334) },
        { "at 0,0", QPoint(0, 0), QPoint(0, 0) },
        { "at 500,500", QPoint(500, 500), QPoint(500, 500) },
        { "partly past the bottom right", QPoint(700, 750), QPoint(700, 750) },
        { "partly past the top left", QPoint(-200, -100), QPoint(-200, -100) },
        { "just past the right edge", QPoint(800, 100), QPoint(588, 100) },
        { "on a monitor that has gone", QPoint(6000, 5000), QPoint(588, 670) },
        { "far up and left", QPoint(-5000, -4000), QPoint(0, 0) },
        { "at the ends of the number range", QPoint(INT32_MAX, INT32_MIN), QPoint(588, 0) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), {} });
        if (c.placed) {
            window->SetTop(c.placed->y());
            window->SetLeft(c.placed->x());
        }
        window->Show();
        ProcessQtEvents();
        // The offscreen platform, like a window manager, keeps the 2-pixel
        // border of the frame on the screen, so it may nudge a window at
        // the screen's top or left edge by that much (and the framework
        // follows).
        EXPECT_LE((QtWindowOf(*window).geometry().topLeft() - c.shown).manhattanLength(), 4);
        // Where it is shown is what the program reads back, and saves.
        EXPECT_EQ(QPoint(window->Left(), window->Top()), QtWindowOf(*window).geometry().topLeft());
        // Qt tells a window manager where a window goes only when it has
        // been given a position; without one the manager chooses.
        EXPECT_TRUE(QtWindowOf(*window).testAttribute(Qt::WA_Moved));
        window->Close();
        ProcessQtEvents();
    }
}

TEST_F(QtWindowTest, StaysOnWhicheverScreenShowsItAndComesBackToTheNearest)
{
    // Runs on the offscreen platform's one screen, and by a test entry of its
    // own on two screens side by side (two-screens.json).
    struct Case {
        std::string name;
        QPoint placed;
        QPoint shown;
    };
    std::vector<Case> cases;
    QRect rightmost;
    for (QScreen* screen : QGuiApplication::screens()) {
        QRect area = screen->availableGeometry();
        QPoint middle = area.center() - QPoint(106, 65);
        cases.push_back({ "in the middle of " + screen->name().toStdString(), middle, middle });
        if (rightmost.isNull() || area.right() > rightmost.right())
            rightmost = area;
    }
    QPoint beyond(rightmost.right() + 5000, rightmost.top() + 100);
    cases.push_back({ "beyond the right-most screen", beyond, QPoint(rightmost.right() + 1 - 212, beyond.y()) });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), {} });
        window->SetTop(c.placed.y());
        window->SetLeft(c.placed.x());
        window->Show();
        ProcessQtEvents();
        // The offscreen platform keeps the frame's border on the screen.
        EXPECT_LE((QtWindowOf(*window).geometry().topLeft() - c.shown).manhattanLength(), 4);
        EXPECT_EQ(QPoint(window->Left(), window->Top()), QtWindowOf(*window).geometry().topLeft());
        window->Close();
        ProcessQtEvents();
    }
}

TEST_F(QtWindowTest, CloseButtonRaisesCloseOnce)
{
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 104, "Time's Up"), {} });
    window->Show();
    QtWindow* qtWindow = &QtWindowOf(*window);
    SavePicture(*qtWindow, "window-before-close");

    qtWindow->close();
    EXPECT_EQ(TestWindow::Log(), std::vector<std::string> { "Close" });
    EXPECT_TRUE(window->IsClosed());
    EXPECT_EQ(backend().WindowFor(*window), nullptr);
    EXPECT_FALSE(qtWindow->isVisible());

    // A second click before the widget has gone reaches nothing.
    qtWindow->close();
    ProcessQtEvents();
    EXPECT_EQ(TestWindow::Log().size(), 1u);
}

TEST_F(QtWindowTest, MenuShowsShortcutAndQuitsThroughTheFramework)
{
    RuntimeRegisterAppObject(TestApp::Create());
    Ref<TestWindow> window = TestWindow::Open({ FileMenu(), FixedWindow(212, 130, "Tockamo"), {} });
    window->Show();
    QtMenuBar* menuBar = QtWindowOf(*window).MenuBarWidget();
    ASSERT_NE(menuBar, nullptr);
    ASSERT_EQ(menuBar->actions().size(), 1);
    QAction* fileMenu = menuBar->actions().front();
    EXPECT_EQ(fileMenu->text(), QStringLiteral("&File"));
    QList<QAction*> items = fileMenu->menu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("About Box"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("&Quit"));
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    SavePicture(QtWindowOf(*window), "window-menu");

    items[1]->trigger();
    // The quit action closed the window before the application quit.
    EXPECT_EQ(TestWindow::Log(), std::vector<std::string> { "Close" });
    EXPECT_TRUE(EventLoop::Main().IsQuitting());
}

TEST_F(QtWindowTest, MenusRebuiltAfterShowingKeepTheWindowsLook)
{
    // A dark desktop, on which the window's black label would vanish.
    QPalette saved = QApplication::palette();
    QPalette dark = saved;
    for (QPalette::ColorRole role : { QPalette::Window, QPalette::Base, QPalette::Button })
        dark.setColor(role, QColor(0x22, 0x20, 0x20));
    for (QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        dark.setColor(role, Qt::white);
    QApplication::setPalette(dark);
    struct PaletteRestorer {
        QPalette saved;
        ~PaletteRestorer() { QApplication::setPalette(saved); }
    } restorer { saved };

    Ref<TestWindow> window = TestWindow::Open({ FileMenu(), FixedWindow(212, 130, "Tockamo"), { MakeLabel("Label1", QRect(20, 29, 40, 20), "Min") } });
    window->Show();
    // The program renames an item once the window shows: the menus are
    // made anew.
    window->GetMenuBar()->FindItem("FileAboutBox")->SetText("About Tockamo");
    QtWindow& qtWindow = QtWindowOf(*window);
    QMenu* menu = qtWindow.MenuBarWidget()->actions().front()->menu();
    ASSERT_EQ(menu->actions().front()->text(), QStringLiteral("About Tockamo"));
    menu->popup(qtWindow.mapToGlobal(QPoint(0, qtWindow.Content()->y())));
    Ink menuInk = InkIn(menu->grab().toImage(), menu->rect());
    menu->hide();
    Ink windowInk = InkIn(qtWindow.grab().toImage(), qtWindow.Content()->geometry());
    EXPECT_TRUE(IsLight(windowInk.ground)) << Name(windowInk.ground);
    EXPECT_TRUE(IsLight(menuInk.ground)) << Name(menuInk.ground);
    EXPECT_GE(menuInk.Contrast(), 3.0) << Name(menuInk.text) << " on " << Name(menuInk.ground);
}

TEST_F(QtWindowTest, MenuKeysActOnceFromEveryWindow)
{
    // A main window with the menu bar, and an About box and an alert without
    // one; the key goes to the window named, in front.
    struct Case {
        const char* name;
        int front;
    };
    const Case cases[] = {
        { "from the window with the menu bar", 0 },
        { "from the About box", 1 },
        { "from the alert", 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow::Log().clear();
        EventLoop::Main().Reset();
        Ref<TestApp> app = TestApp::Create();
        int aboutChosen = 0;
        app->AddMenuHandler("FileAboutBox", [&aboutChosen](const std::vector<Variant>&) -> Variant {
            ++aboutChosen;
            return true;
        });
        RuntimeRegisterAppObject(app);
        std::vector<Ref<TestWindow>> windows {
            TestWindow::Open({ FileMenu("Cmd+B"), FixedWindow(212, 130, "Tockamo"), {} }),
            TestWindow::Open({ nullptr, FixedWindow(264, 290, "About..."), { MakeButton("PushButton1", QRect(20, 250, 100, 20), "Web", false, true) } }),
            TestWindow::Open({ nullptr, FixedWindow(212, 104, "Time's Up"), {} }),
        };
        // An action a window has of its own stays with it while the menu
        // keys come and go.
        int ownChosen = 0;
        QAction own(QStringLiteral("Own"));
        own.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
        QObject::connect(&own, &QAction::triggered, [&ownChosen] { ++ownChosen; });
        QtWindowOf(*windows[c.front]).addAction(&own);
        for (size_t i = 0; i < windows.size(); ++i) {
            windows[i]->SetTop(int32_t(40 * i));
            windows[i]->SetLeft(int32_t(40 * i));
        }
        for (const Ref<TestWindow>& window : windows) {
            if (window.Ptr() != windows[c.front].Ptr())
                window->Show();
        }
        windows[c.front]->Show();
        ProcessQtEvents();
        QtWindow& front = QtWindowOf(*windows[c.front]);
        ASSERT_EQ(QApplication::activeWindow(), &front);
        // The keys come without a menu bar: the window keeps its layout.
        EXPECT_EQ(front.MenuBarWidget() != nullptr, c.front == 0);

        QTest::keyClick(&front, Qt::Key_B, Qt::ControlModifier);
        EXPECT_EQ(aboutChosen, 1);
        QTest::keyClick(&front, Qt::Key_K, Qt::ControlModifier);
        EXPECT_EQ(ownChosen, 1);
        QTest::keyClick(&front, Qt::Key_Q, Qt::ControlModifier);
        // The quit action: every window closed, each once, then the quit.
        EXPECT_EQ(TestWindow::Log(), std::vector<std::string>(3, "Close"));
        EXPECT_TRUE(EventLoop::Main().IsQuitting());
        ProcessQtEvents();
    }
}

}
