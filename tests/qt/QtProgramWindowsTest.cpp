#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/Runtime.h"
#include "framework/TextField.h"
#include "framework/Window.h"
#include "framework/qt/QtBackend.h"
#include "framework/qt/QtMenuBar.h"
#include "framework/qt/QtWindow.h"
#include "tests/qt/QtTestWindow.h"
#include "tests/support/AppFixture.h"
#include "timer/Window2.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tockamo::testing {
namespace {

using fw::qt::testing::Distance;
using fw::qt::testing::Ink;
using fw::qt::testing::InkIn;
using fw::qt::testing::IsLight;
using fw::qt::testing::Name;

// Chooses the menu item a user would, by its text without the mnemonic mark.
void ChooseMenuItem(const QString& text)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (QAction* action : top->findChildren<QAction*>()) {
            if (action->text().remove(QLatin1Char('&')) == text) {
                action->trigger();
                return;
            }
        }
    }
    ADD_FAILURE() << "no menu item " << text.toStdString();
}

QPushButton* ButtonOf(fw::Window& window, const std::string& name)
{
    fw::qt::QtWindow* qtWindow = fw::qt::QtBackend::Current()->WindowFor(window);
    fw::qt::QtControlView* view = qtWindow ? qtWindow->ViewFor(*window.ControlByName(name)) : nullptr;
    return view ? dynamic_cast<QPushButton*>(view->Widget()) : nullptr;
}

void Click(fw::Window& window, const std::string& name)
{
    if (QPushButton* button = ButtonOf(window, name))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        ADD_FAILURE() << "no button " << name;
}

// How `widget` draws its text: font, alignment and wrapping, and the part of
// the widget it is drawn in.
struct TextLook {
    QString text;
    QFont font;
    int flags;
    QRect room;
};

std::optional<TextLook> LookOf(QWidget& widget)
{
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        int wrap = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
        return TextLook { label->text(), label->font(), int(label->alignment()) | wrap, label->contentsRect() };
    }
    if (auto* button = qobject_cast<QPushButton*>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return TextLook { button->text(), button->font(), int(Qt::AlignCenter | Qt::TextShowMnemonic), room };
    }
    return std::nullopt;
}

// The pixels the text covers when drawn without the widget's clipping, in
// the widget's coordinates.
QRect InkOf(const TextLook& look, const QWidget& widget)
{
    int margin = std::max(look.room.width(), look.room.height());
    QImage canvas(look.room.size() + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    canvas.setDotsPerMeterX(qRound(widget.logicalDpiX() / 0.0254));
    canvas.setDotsPerMeterY(qRound(widget.logicalDpiY() / 0.0254));
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setFont(look.font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(margin, margin), look.room.size()), look.flags | Qt::TextDontClip, look.text);
    painter.end();
    QRect ink;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
    return ink.translated(look.room.topLeft() - QPoint(margin, margin));
}

// Every text of the window stays inside its control: whole, and on the lines
// the text itself asks for.
void ExpectEveryTextFits(fw::Window& window)
{
    fw::qt::QtWindow* qtWindow = fw::qt::QtBackend::Current()->WindowFor(window);
    ASSERT_NE(qtWindow, nullptr);
    int checked = 0;
    for (const fw::Ref<fw::Control>& control : window.Controls()) {
        fw::qt::QtControlView* view = qtWindow->ViewFor(*control);
        std::optional<TextLook> look = view ? LookOf(*view->Widget()) : std::nullopt;
        if (!look)
            continue;
        ++checked;
        SCOPED_TRACE(control->Name() + " \"" + look->text.toStdString() + "\"");
        QRect ink = InkOf(*look, *view->Widget());
        EXPECT_TRUE(look->room.contains(ink)) << "drawn " << ink.width() << "x" << ink.height() << " at " << ink.x() << "," << ink.y()
                                              << " in " << look->room.width() << "x" << look->room.height() << " at " << look->room.x() << "," << look->room.y();
        QFontMetrics metrics(look->font);
        int lines = metrics.boundingRect(look->room, look->flags, look->text).height();
        int unwrappedLines = metrics.boundingRect(look->room, look->flags & ~Qt::TextWordWrap, look->text).height();
        EXPECT_EQ(lines, unwrappedLines) << "a line broke in two";
    }
    EXPECT_GT(checked, 0);
}

// A desktop colour scheme as qt6ct keeps one: for each colour group, the
// colours of QPalette's roles in the order of the roles.
struct ColourScheme {
    const char* active;
    const char* inactive;
    const char* disabled;
};

// A light one (qt6ct's "airy"), a dark one ("darker", like KDE's Breeze
// Dark) and a mid-grey one ("dusk").
const ColourScheme kAiry {
    "#ff000000, #ffdcdcdc, #ffdcdcdc, #ff5e5c5b, #ff646464, #ffe1e1e1, #ff000000, #ff0a0a0a, #ff0a0a0a, #ffc8c8c8, #ffffffff, #ffe7e4e0, #ff0986d3, #ff0a0a0a, #ff0986d3, #ffa70b06, #ff5c5b5a, #ffffffff, #ff646464, #ff050505, #80000000",
    "#ff323232, #ffb4b4b4, #ffdcdcdc, #ff5e5c5b, #ff646464, #ffe1e1e1, #ff323232, #ff323232, #ff323232, #ff969696, #ffc8c8c8, #ffe7e4e0, #ff0986d3, #ff323232, #ff0986d3, #ffa70b06, #ff5c5b5a, #ffffffff, #ff646464, #ff323232, #80000000",
    "#ffffffff, #ff424245, #ffdcdcdc, #ff5e5c5b, #ff646464, #ffe1e1e1, #ff808080, #ffffffff, #ff808080, #ff969696, #ffc8c8c8, #ffe7e4e0, #ff0986d3, #ff808080, #ff0986d3, #ffa70b06, #ff5c5b5a, #ffffffff, #ff646464, #ffffffff, #80000000",
};
const ColourScheme kDarker {
    "#ffffffff, #ff424245, #ff979797, #ff5e5c5b, #ff302f2e, #ff4a4947, #ffffffff, #ffffffff, #ffffffff, #ff3d3d3d, #ff222020, #ffe7e4e0, #ff12608a, #fff9f9f9, #ff0986d3, #ffa70b06, #ff5c5b5a, #ffffffff, #ff3f3f36, #ffffffff, #80ffffff",
    "#ffffffff, #ff424245, #ff979797, #ff5e5c5b, #ff302f2e, #ff4a4947, #ffffffff, #ffffffff, #ffffffff, #ff3d3d3d, #ff222020, #ffe7e4e0, #ff12608a, #fff9f9f9, #ff0986d3, #ffa70b06, #ff5c5b5a, #ffffffff, #ff3f3f36, #ffffffff, #80ffffff",
    "#ff808080, #ff424245, #ff979797, #ff5e5c5b, #ff302f2e, #ff4a4947, #ff808080, #ffffffff, #ff808080, #ff3d3d3d, #ff222020, #ffe7e4e0, #ff12608a, #ff808080, #ff0986d3, #ffa70b06, #ff5c5b5a, #ffffffff, #ff3f3f36, #ffffffff, #80ffffff",
};
const ColourScheme kDusk {
    "#ff000000, #ff7f7f7f, #ffffffff, #ffcbc7c4, #ff7f7f7f, #ffb8b5b2, #ff000000, #ffffffff, #ff000000, #ff7f7f7f, #ff7f7f7f, #ff707070, #ff308cc6, #ffffffff, #ff0000ff, #ffff00ff, #ff7f7f7f, #ff000000, #ff7f7f7f, #ff000000, #80000000",
    "#ff000000, #ff7f7f7f, #ffffffff, #ffcbc7c4, #ff7f7f7f, #ffb8b5b2, #ff000000, #ffffffff, #ff000000, #ff7f7f7f, #ff7f7f7f, #ff707070, #ff308cc6, #ffffffff, #ff0000ff, #ffff00ff, #ff7f7f7f, #ff000000, #ff7f7f7f, #ff000000, #80000000",
    "#ffbebebe, #ff7f7f7f, #ffffffff, #ffcbc7c4, #ff7f7f7f, #ffb8b5b2, #ffbebebe, #ffffffff, #ffbebebe, #ff7f7f7f, #ff7f7f7f, #ffb1aeab, #ff7f7f7f, #ffffffff, #ff0000ff, #ffff00ff, #ff7f7f7f, #ff000000, #ff7f7f7f, #ff000000, #80000000",
};

// Hands the program a desktop palette the way a platform theme such as
// qt6ct does: for the whole application and for the widget classes that Qt
// asks the theme about one by one.
void HandDesktopColours(const ColourScheme& scheme)
{
    QPalette palette;
    auto fill = [&palette](QPalette::ColorGroup group, const char* colours) {
        QStringList list = QString::fromLatin1(colours).split(QStringLiteral(", "));
        for (int role = 0; role < list.size(); ++role)
            palette.setColor(group, QPalette::ColorRole(role), QColor(list[role]));
    };
    fill(QPalette::Active, scheme.active);
    fill(QPalette::Inactive, scheme.inactive);
    fill(QPalette::Disabled, scheme.disabled);
    QApplication::setPalette(palette);
    for (const char* widgetClass : { "QAbstractButton", "QToolButton", "QLabel", "QLineEdit", "QMenu", "QMenuBar" })
        QApplication::setPalette(palette, widgetClass);
}

// Where the colours of a text drawn smoothed may stray from the exact ones.
constexpr int kSmoothing = 40;

void ExpectShows(const QColor& drawn, fw::Color wanted, const char* what)
{
    QColor colour = fw::qt::ToQColor(wanted);
    EXPECT_LE(Distance(drawn, colour), kSmoothing) << what << " drawn " << Name(drawn) << ", laid out " << Name(colour);
}

// Every text of the window as the screen shows it: each label's and field's
// in the colours its layout gives it, every one, the menu bar's and its
// menu's and the enabled buttons' included, readable against what it is
// drawn on, and the menu bar and its menu as light or dark as the window.
void ExpectEveryTextReadsAsLaidOut(fw::Window& window)
{
    fw::qt::QtWindow* qtWindow = fw::qt::QtBackend::Current()->WindowFor(window);
    ASSERT_NE(qtWindow, nullptr);
    QImage shot = qtWindow->grab().toImage();
    QPoint origin = qtWindow->Content()->pos();
    bool lightWindow = IsLight(InkIn(shot, qtWindow->Content()->geometry()).ground);
    int labels = 0;
    for (const fw::Ref<fw::Control>& control : window.Controls()) {
        fw::qt::QtControlView* view = qtWindow->ViewFor(*control);
        if (!view || !view->Widget()->isVisible())
            continue;
        SCOPED_TRACE(control->Name());
        QRect area = view->Widget()->geometry().translated(origin);
        if (auto* label = dynamic_cast<fw::Label*>(control.Ptr())) {
            ++labels;
            Ink ink = InkIn(shot, area);
            ExpectShows(ink.text, label->TextColor(), "text");
            if (window.HasBackColor())
                ExpectShows(ink.ground, window.BackColor(), "background");
            EXPECT_GE(ink.Contrast(), 3.0) << Name(ink.text) << " on " << Name(ink.ground);
        } else if (auto* field = dynamic_cast<fw::TextField*>(control.Ptr())) {
            // Inside the frame.
            Ink ink = InkIn(shot, area.adjusted(3, 3, -3, -3));
            ExpectShows(ink.text, field->TextColor(), "text");
            ExpectShows(ink.ground, field->BackColor(), "background");
        } else if (auto* button = dynamic_cast<fw::PushButton*>(control.Ptr()); button && button->Enabled()) {
            Ink ink = InkIn(shot, LookOf(*view->Widget())->room.translated(area.topLeft()));
            EXPECT_GE(ink.Contrast(), 3.0) << Name(ink.text) << " on " << Name(ink.ground);
        }
    }
    EXPECT_GT(labels, 0);
    fw::qt::QtMenuBar* bar = qtWindow->MenuBarWidget();
    if (!bar)
        return;
    Ink barInk = InkIn(shot, bar->geometry());
    EXPECT_GE(barInk.Contrast(), 3.0) << "menu bar: " << Name(barInk.text) << " on " << Name(barInk.ground);
    EXPECT_EQ(IsLight(barInk.ground), lightWindow) << "menu bar: " << Name(barInk.ground);
    QMenu* menu = bar->actions().value(0) ? bar->actions().value(0)->menu() : nullptr;
    ASSERT_NE(menu, nullptr);
    menu->popup(qtWindow->mapToGlobal(bar->geometry().bottomLeft()));
    Ink menuInk = InkIn(menu->grab().toImage(), menu->rect());
    menu->hide();
    EXPECT_GE(menuInk.Contrast(), 3.0) << "menu: " << Name(menuInk.text) << " on " << Name(menuInk.ground);
    EXPECT_EQ(IsLight(menuInk.ground), lightWindow) << "menu: " << Name(menuInk.ground);
}

// Each button's caption is drawn greyed exactly while its control is
// disabled.
void ExpectGreyedExactlyWhileDisabled(fw::Window& window)
{
    fw::qt::QtWindow* qtWindow = fw::qt::QtBackend::Current()->WindowFor(window);
    ASSERT_NE(qtWindow, nullptr);
    QImage shot = qtWindow->grab().toImage();
    for (const fw::Ref<fw::Control>& control : window.Controls()) {
        QPushButton* button = ButtonOf(window, control->Name());
        if (!button)
            continue;
        SCOPED_TRACE(control->Name());
        QRect room = LookOf(*button)->room.translated(button->geometry().topLeft() + qtWindow->Content()->pos());
        QColor caption = InkIn(shot, room).text;
        QColor normal = button->palette().color(QPalette::Active, QPalette::ButtonText);
        QColor greyed = button->palette().color(QPalette::Disabled, QPalette::ButtonText);
        bool drawnGreyed = Distance(caption, greyed) < Distance(caption, normal);
        EXPECT_EQ(drawnGreyed, !fw::Cast<fw::PushButton>(control)->Enabled()) << "caption drawn " << Name(caption) << "; normal " << Name(normal) << ", greyed " << Name(greyed);
    }
}

class QtProgramWindowsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_desktopFont = QApplication::font();
        m_desktopPalette = QApplication::palette();
    }

    void TearDown() override
    {
        fw::InstallBackend(nullptr);
        QApplication::setFont(m_desktopFont);
        RestoreDesktopColours();
        AppTest::TearDown();
    }

    // Setting the application's palette drops those of single classes too.
    void RestoreDesktopColours() { QApplication::setPalette(m_desktopPalette); }

    // Runs the program on the desktop backend; `user` acts once the main
    // window is up, and the session then ends through File > Quit.
    int32_t RunOnDesktop(const std::function<void()>& user)
    {
        QObject context;
        QTimer::singleShot(0, &context, [&user] {
            if (fw::GetImplicitWindow("Window1.Window1"))
                user();
            else
                ADD_FAILURE() << "start-up opened no main window";
            ChooseMenuItem(QStringLiteral("Quit"));
        });
        return RunProgramOn(std::make_unique<fw::qt::QtBackend>());
    }

private:
    QFont m_desktopFont;
    QPalette m_desktopPalette;
};

TEST_F(QtProgramWindowsTest, EveryTextFitsItsControlWhateverTheDesktopFontSize)
{
    struct Case {
        const char* name;
        double points;
        std::function<fw::RefPtr<fw::Window>()> open;
    };
    // Paused, the main window shows its longest caption, "Continue".
    auto pausedMainWindow = [] {
        fw::RefPtr<fw::Window> main = fw::GetImplicitWindow("Window1.Window1");
        Click(*main, "MyStart");
        Click(*main, "MyPause");
        EXPECT_EQ(fw::Cast<fw::PushButton>(main->ControlByName("MyPause"))->Caption(), "Continue");
        return main;
    };
    auto timesUp = [] {
        fw::RefPtr<fw::Window> alert = tockamo::Window2();
        alert->Show();
        return alert;
    };
    auto about = [] {
        ChooseMenuItem(QStringLiteral("About Box"));
        return fw::GetImplicitWindow("AboutBox.AboutBox");
    };
    const Case cases[] = {
        { "main window at 11 pt", 11, pausedMainWindow },
        { "Time's Up at 11 pt", 11, timesUp },
        { "About at 11 pt", 11, about },
        { "main window at 13 pt", 13, pausedMainWindow },
        { "Time's Up at 13 pt", 13, timesUp },
        { "About at 13 pt", 13, about },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFont desktopFont = QApplication::font();
        desktopFont.setPointSizeF(c.points);
        QApplication::setFont(desktopFont);
        int32_t status = RunOnDesktop([&c] {
            fw::RefPtr<fw::Window> window = c.open();
            ASSERT_TRUE(window);
            ExpectEveryTextFits(*window);
        });
        EXPECT_EQ(status, 0);
        fw::InstallBackend(nullptr);
    }
}

TEST_F(QtProgramWindowsTest, EveryTextReadsAsLaidOutUnderTheDesktopsColourScheme)
{
    struct Case {
        const char* name;
        const ColourScheme* scheme;
    };
    const Case cases[] = {
        { "Qt's own look", nullptr },
        { "light scheme", &kAiry },
        { "dark scheme", &kDarker },
        { "mid-grey scheme", &kDusk },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.scheme)
            HandDesktopColours(*c.scheme);
        int32_t status = RunOnDesktop([] {
            fw::RefPtr<fw::Window> main = fw::GetImplicitWindow("Window1.Window1");
            {
                SCOPED_TRACE("main window");
                ExpectEveryTextReadsAsLaidOut(*main);
            }
            {
                SCOPED_TRACE("About");
                ChooseMenuItem(QStringLiteral("About Box"));
                fw::RefPtr<fw::Window> about = fw::GetImplicitWindow("AboutBox.AboutBox");
                ASSERT_TRUE(about);
                ExpectEveryTextReadsAsLaidOut(*about);
            }
            {
                SCOPED_TRACE("Time's Up");
                fw::RefPtr<fw::Window> alert = tockamo::Window2();
                alert->Show();
                ExpectEveryTextReadsAsLaidOut(*alert);
            }
        });
        EXPECT_EQ(status, 0);
        fw::InstallBackend(nullptr);
        RestoreDesktopColours();
    }
}

TEST_F(QtProgramWindowsTest, ButtonsLookGreyedExactlyWhileDisabledThroughACount)
{
    // From 0 minutes the count ends at its first tick.
    WritePrefs("#MySetMin 0\n");
    int32_t status = RunOnDesktop([] {
        fw::RefPtr<fw::Window> main = fw::GetImplicitWindow("Window1.Window1");
        fw::RefPtr<fw::PushButton> start = fw::Cast<fw::PushButton>(main->ControlByName("MyStart"));
        fw::RefPtr<fw::PushButton> pause = fw::Cast<fw::PushButton>(main->ControlByName("MyPause"));
        struct Step {
            const char* name;
            std::function<void()> act;
            bool startEnabled;
            bool pauseEnabled;
        };
        const Step steps[] = {
            { "started up", [] { }, true, false },
            { "counting", [&] { Click(*main, "MyStart"); }, false, true },
            { "paused", [&] { Click(*main, "MyPause"); }, true, true },
            { "counting again", [&] { Click(*main, "MyPause"); }, false, true },
            { "ended", [] { fw::qt::testing::FireTimersDueNext(); }, true, false },
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            step.act();
            EXPECT_EQ(start->Enabled(), step.startEnabled);
            EXPECT_EQ(pause->Enabled(), step.pauseEnabled);
            ExpectGreyedExactlyWhileDisabled(*main);
        }
    });
    EXPECT_EQ(status, 0);
}

}
}
