#include "framework/PushButton.h"
#include "framework/Runtime.h"
#include "framework/Window.h"
#include "framework/qt/QtBackend.h"
#include "framework/qt/QtWindow.h"
#include "tests/support/AppFixture.h"
#include "timer/Window2.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
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

class QtProgramWindowsTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        m_desktopFont = QApplication::font();
    }

    void TearDown() override
    {
        fw::InstallBackend(nullptr);
        QApplication::setFont(m_desktopFont);
        AppTest::TearDown();
    }

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

}
}
