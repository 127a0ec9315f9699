#include "QtTestWindow.h"

#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/TextField.h"
#include "framework/UpDownArrows.h"
#include "framework/qt/QtLabel.h"
#include "framework/qt/QtPushButton.h"
#include "framework/qt/QtTextField.h"
#include "framework/qt/QtUpDownArrows.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QToolButton>

namespace fw::qt::testing {

namespace {

using QtControlsTest = DesktopTest;

template<typename View>
View& ViewOf(QtWindow& qtWindow, Window& window, const std::string& name)
{
    auto* view = dynamic_cast<View*>(qtWindow.ViewFor(*window.ControlByName(name)));
    if (!view)
        throw std::runtime_error("no view of the expected kind for " + name);
    return *view;
}

// The columns in which a pixel close to `colour` appears.
std::pair<int, int> ColumnsOf(const QImage& image, QColor colour)
{
    int first = image.width(), last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor pixel = image.pixelColor(x, y);
            int distance = std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) + std::abs(pixel.blue() - colour.blue());
            if (distance < 60) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return { first, last };
}

}

TEST_F(QtControlsTest, LabelShowsColourSizeFontAndAlignment)
{
    struct Case {
        const char* name;
        uint32_t colour;
        float size;
        int32_t align;
        std::string font;
        bool bold;
        int pixels;
    };
    // On a desktop whose UI font is Liberation Sans Regular at 11 points,
    // texts in the "System" font take its face, bold where asked, but the
    // default size stays the one the layouts were drawn for.
    QFont desktopFont = QApplication::font();
    QFont liberation(QStringLiteral("Liberation Sans"), 11);
    liberation.setStyleName(QStringLiteral("Regular"));
    QApplication::setFont(liberation);
    struct FontRestorer {
        QFont saved;
        ~FontRestorer() { QApplication::setFont(saved); }
    } restorer { desktopFont };
    const Case cases[] = {
        { "red size 14 centred", 0xFF0000, 14, 1, "System", true, 14 },
        { "black default size left", 0x000000, 0, 0, "System", true, 12 },
        { "blue right", 0x0000FF, 12, 2, "Arial", false, 12 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlDesign label = MakeLabel("Label1", QRect(0, 0, 200, 40), "Set",
            { { "TextAlign", c.align }, { "TextColor", Color { c.colour } }, { "TextFont", c.font }, { "Bold", c.bold } });
        label.textSize = c.size;
        Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(200, 40, c.name), { label } });
        window->Show();
        QtWindow& qtWindow = QtWindowOf(*window);
        auto& view = ViewOf<QtLabel>(qtWindow, *window, "Label1");

        EXPECT_EQ(QFontInfo(view.font()).pixelSize(), c.pixels);
        if (c.font == "System") {
            EXPECT_EQ(QFontInfo(view.font()).family().toStdString(), QFontInfo(QApplication::font()).family().toStdString());
        }
        // The face drawn, not a regular one made bold.
        QString face = QFontInfo(view.font()).styleName();
        EXPECT_EQ(face.contains(QStringLiteral("Bold")), c.bold) << face.toStdString();
        EXPECT_EQ(view.text(), QStringLiteral("Set"));

        QColor colour(QRgb(c.colour));
        auto [first, last] = ColumnsOf(view.grab().toImage(), colour);
        ASSERT_GE(last, 0) << "no text in the label's colour";
        int middle = (first + last) / 2;
        if (c.align == 0)
            EXPECT_LT(first, 10);
        else if (c.align == 1)
            EXPECT_NEAR(middle, 100, 6);
        else
            EXPECT_GT(last, 190);
        SavePicture(qtWindow, std::string("label-") + c.name);
        window->Close();
        ProcessQtEvents();
    }
}

TEST_F(QtControlsTest, MultiLineLabelBreaksAtCarriageReturns)
{
    ControlDesign label = MakeLabel("Credits", QRect(0, 0, 104, 87), "Developed by\rOrvinel\r\rSr. Beta Tester\rDastrey",
        { { "TextAlign", int32_t(1) }, { "MultiLine", true } });
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(104, 87, "Credits"), { label } });
    window->Show();
    auto& view = ViewOf<QtLabel>(QtWindowOf(*window), *window, "Credits");
    EXPECT_EQ(view.text().split(QLatin1Char('\n')).size(), 5);
    EXPECT_GT(view.sizeHint().height(), 4 * view.fontMetrics().height());
    SavePicture(QtWindowOf(*window), "label-multiline");
}

TEST_F(QtControlsTest, ReturnPressesTheEnabledDefaultButtonFromAnyFocus)
{
    struct Case {
        const char* name;
        bool startEnabled;
        const char* focus;
        Qt::Key key;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "Return in the field", true, "SetMin", Qt::Key_Return, { "MyStart.Action" } },
        { "Enter on the other button", true, "MyPause", Qt::Key_Enter, { "MyStart.Action" } },
        { "Return on the default button itself", true, "MyStart", Qt::Key_Return, { "MyStart.Action" } },
        { "Return on the window", true, nullptr, Qt::Key_Return, { "MyStart.Action" } },
        { "default button disabled", false, "SetMin", Qt::Key_Return, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow::Log().clear();
        Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"),
            {
                MakeField("SetMin", QRect(20, 52, 40, 30), "30"),
                MakeButton("MyStart", QRect(20, 90, 80, 20), "Start", true, c.startEnabled),
                MakeButton("MyPause", QRect(112, 90, 80, 20), "Pause", false, true),
            } });
        window->Show();
        QtWindow& qtWindow = QtWindowOf(*window);
        QWidget* target = c.focus ? ViewOf<QtControlView>(qtWindow, *window, c.focus).Widget() : &qtWindow;
        QTest::keyClick(target, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(TestWindow::Log(), c.expected);
        EXPECT_TRUE(ViewOf<QtPushButton>(qtWindow, *window, "MyStart").isDefault());
        SavePicture(qtWindow, std::string("return-") + c.name);
        window->Close();
        ProcessQtEvents();
    }
}

TEST_F(QtControlsTest, ButtonFollowsItsStateAndClicksPressIt)
{
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"),
        { MakeButton("MyPause", QRect(112, 90, 80, 20), "Pause", false, false) } });
    window->Show();
    auto& view = ViewOf<QtPushButton>(QtWindowOf(*window), *window, "MyPause");
    EXPECT_FALSE(view.isEnabled());
    QTest::mouseClick(&view, Qt::LeftButton);
    EXPECT_TRUE(TestWindow::Log().empty());

    auto button = Cast<PushButton>(window->ControlByName("MyPause"));
    button->SetEnabled(true);
    button->SetDefault(true);
    button->SetCaption("Continue");
    EXPECT_TRUE(view.isEnabled());
    EXPECT_TRUE(view.isDefault());
    EXPECT_EQ(view.text(), QStringLiteral("Continue"));
    QTest::mouseClick(&view, Qt::LeftButton);
    EXPECT_EQ(TestWindow::Log(), std::vector<std::string> { "MyPause.Action" });
    SavePicture(QtWindowOf(*window), "button-continue");
}

TEST_F(QtControlsTest, FieldIsReadOnlyRightAlignedAndShowsItsText)
{
    // Colours of its own, which no desktop or toolkit would choose.
    ControlDesign field = MakeField("MinLeft", QRect(96, 52, 40, 30), "60");
    field.properties.push_back({ "TextColor", Color { 0x0000C0 } });
    field.properties.push_back({ "BackColor", Color { 0xFFFF80 } });
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), { field } });
    window->Show();
    auto& view = ViewOf<QtTextField>(QtWindowOf(*window), *window, "MinLeft");
    Ink ink = InkIn(view.grab().toImage(), view.rect().adjusted(3, 3, -3, -3));
    EXPECT_LE(Distance(ink.text, QColor(0x00, 0x00, 0xC0)), 40) << Name(ink.text);
    EXPECT_EQ(Name(ink.ground), "#ffff80");
    EXPECT_TRUE(view.isReadOnly());
    EXPECT_TRUE(view.hasFrame());
    EXPECT_TRUE(view.alignment() & Qt::AlignRight);
    EXPECT_EQ(view.geometry(), QRect(96, 52, 40, 30));

    Cast<TextField>(window->ControlByName("MinLeft"))->SetText("59");
    EXPECT_EQ(view.text(), QStringLiteral("59"));
    QTest::keyClicks(&view, "7");
    EXPECT_EQ(view.text(), QStringLiteral("59"));
    EXPECT_EQ(Cast<TextField>(window->ControlByName("MinLeft"))->Text(), "59");
    SavePicture(QtWindowOf(*window), "field");
}

TEST_F(QtControlsTest, TabVisitsTheControlsInTheirTabOrder)
{
    auto at = [](ControlDesign design, int32_t tabIndex) {
        design.properties.push_back({ "TabIndex", tabIndex });
        return design;
    };
    // Made in another order than their tab order; the arrows take no focus.
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"),
        {
            at(MakeArrows("UpDownArrows1", QRect(63, 55, 13, 23)), 0),
            at(MakeField("SecLeft", QRect(151, 52, 40, 30), "0"), 7),
            at(MakeButton("MyStart", QRect(20, 90, 80, 20), "Start", true, true), 2),
            at(MakeField("SetMin", QRect(20, 52, 40, 30), "30"), 3),
            at(MakeButton("MyPause", QRect(112, 90, 80, 20), "Pause", false, true), 5),
        } });
    window->Show();
    QtWindow& qtWindow = QtWindowOf(*window);
    auto& start = ViewOf<QtPushButton>(qtWindow, *window, "MyStart");
    QApplication::setActiveWindow(&qtWindow);
    start.setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), &start) << "the window did not take the focus";
    auto focusedControl = [&]() -> std::string {
        for (const Ref<Control>& control : window->Controls()) {
            QWidget* view = ViewOf<QtControlView>(qtWindow, *window, control->Name()).Widget();
            if (view == QApplication::focusWidget() || view->isAncestorOf(QApplication::focusWidget()))
                return control->Name();
        }
        return "nothing";
    };
    std::vector<std::string> visited;
    for (int press = 0; press < 4; ++press) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(focusedControl());
    }
    EXPECT_EQ(visited, (std::vector<std::string> { "SetMin", "MyPause", "SecLeft", "MyStart" }));
}

TEST_F(QtControlsTest, ClickingAnArrowRaisesUpOrDown)
{
    Ref<TestWindow> window = TestWindow::Open({ nullptr, FixedWindow(212, 130, "Tockamo"), { MakeArrows("UpDownArrows1", QRect(63, 55, 13, 23)) } });
    window->Show();
    QtWindow& qtWindow = QtWindowOf(*window);
    auto& view = ViewOf<QtUpDownArrows>(qtWindow, *window, "UpDownArrows1");
    EXPECT_EQ(view.geometry(), QRect(63, 55, 13, 23));
    EXPECT_EQ(view.UpButton()->focusPolicy(), Qt::NoFocus);

    // Where the user clicks: the upper and the lower half of the arrows.
    auto clickAt = [&](QPoint inContent) {
        QWidget* target = qtWindow.Content()->childAt(inContent);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(qtWindow.Content(), inContent));
    };
    clickAt(QPoint(69, 60));
    clickAt(QPoint(69, 73));
    clickAt(QPoint(69, 73));
    EXPECT_EQ(TestWindow::Log(), (std::vector<std::string> { "UpDownArrows1.Up", "UpDownArrows1.Down", "UpDownArrows1.Down" }));
    EXPECT_TRUE(view.UpButton()->autoRepeat());
    SavePicture(qtWindow, "arrows");

    Cast<UpDownArrows>(window->ControlByName("UpDownArrows1"))->SetEnabled(false);
    QTest::mouseClick(view.UpButton(), Qt::LeftButton);
    EXPECT_EQ(TestWindow::Log().size(), 3u);
}

}
