#include "QtTestWindow.h"

#include "app/Startup.h"
#include "framework/EventLoop.h"
#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/RectControl.h"
#include "framework/Runtime.h"
#include "framework/TextField.h"
#include "framework/Timer.h"
#include "framework/UpDownArrows.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <map>
#include <optional>

namespace fw::qt::testing {

namespace {

WindowDesign& NextDesign()
{
    static WindowDesign layout;
    return layout;
}

PropertyList Place(const std::string& name, QRect rect)
{
    return {
        { "Name", name },
        { "Left", int32_t(rect.left()) },
        { "Top", int32_t(rect.top()) },
        { "Width", int32_t(rect.width()) },
        { "Height", int32_t(rect.height()) },
    };
}

}

const ClassRecord& TestWindow::Lookup()
{
    return ClassRecord::Build("TestWindow.TestWindow", &Window::Lookup(), [](ClassRecord::Builder& builder) {
        builder.Method("Layout", "%%", &TestWindow::Layout);
        builder.Method("CreateControls", "%%", &TestWindow::CreateControls);
        builder.Method("Event_Close", "%%", &TestWindow::Event_Close);
        builder.Method("Button_Action", "%%o<PushButton>", &TestWindow::Button_Action);
        builder.Method("Arrows_Up", "%%o<UpDownArrows>", &TestWindow::Arrows_Up);
        builder.Method("Arrows_Down", "%%o<UpDownArrows>", &TestWindow::Arrows_Down);
        builder.Method("Timer_Action", "%%o<Timer>", &TestWindow::Timer_Action);
        builder.Event(Window::kEventLayout, "Layout", "Layout");
        builder.Event(Window::kEventCreateControls, "CreateControls", "CreateControls");
        builder.Event(Window::kEventClose, "Close", "Event_Close");
    });
}

const ClassRecord& TestWindow::Class() const
{
    return Lookup();
}

Ref<TestWindow> TestWindow::Open(WindowDesign layout)
{
    NextDesign() = std::move(layout);
    Ref<TestWindow> window = Adopt(*new TestWindow);
    window->Constructor();
    return window;
}

std::vector<std::string>& TestWindow::Log()
{
    static std::vector<std::string> log;
    return log;
}

void TestWindow::Layout()
{
    m_design = std::move(NextDesign());
    NextDesign() = {};
    if (m_design.menuBar)
        SetMenuBar(m_design.menuBar);
    SetProperties(*this, m_design.properties);
}

void TestWindow::CreateControls()
{
    for (const ControlDesign& item : m_design.controls) {
        Ref<Control> control = New(*item.controlClass);
        if (auto* rect = dynamic_cast<RectControl*>(control.Ptr()))
            rect->Constructor();
        AddControl(item.name, control);
        if (item.textSize > 0)
            Cast<Label>(ControlByName(item.name))->SetTextSize(item.textSize);
        SetProperties(*ControlByName(item.name), item.properties);
        for (const auto& [event, handler] : item.handlers)
            ControlByName(item.name)->AddHandler(event, HandlerBinding::Bind(*this, handler));
    }
}

void TestWindow::Event_Close()
{
    Log().push_back("Close");
}

void TestWindow::Button_Action(PushButton& button)
{
    Log().push_back(button.Name() + ".Action");
}

void TestWindow::Arrows_Up(UpDownArrows& arrows)
{
    Log().push_back(arrows.Name() + ".Up");
}

void TestWindow::Arrows_Down(UpDownArrows& arrows)
{
    Log().push_back(arrows.Name() + ".Down");
}

void TestWindow::Timer_Action(Timer& timer)
{
    Log().push_back(timer.Name() + ".Action");
    if (std::count(Log().begin(), Log().end(), timer.Name() + ".Action") == 3) {
        timer.SetMode(Timer::kModeOff);
        Quit(0);
    }
}

Ref<TestApp> TestApp::Create()
{
    return Adopt(*new TestApp);
}

const ClassRecord& TestApp::Lookup()
{
    return ClassRecord::Build("QtTestApp", &Application::Lookup(), [](ClassRecord::Builder&) { });
}

const ClassRecord& TestApp::Class() const
{
    return Lookup();
}

void DesktopTest::SetUp()
{
    // The tests' windows show the program's icon, compiled into the tests.
    SetProgramIdentity({ .name = "Desktop Test", .command = "desktop-test", .iconResources = tockamo::Identity().iconResources });
    auto backend = std::make_unique<QtBackend>();
    m_backend = backend.get();
    InstallBackend(std::move(backend));
    RuntimeInit();
    InitializeFrameworkClasses();
    InitPluginEntrypoints();
    TestWindow::Log().clear();
}

void DesktopTest::TearDown()
{
    FinalizeFrameworkGlobals();
    RuntimeExit();
    InstallBackend(nullptr);
    ProcessQtEvents();
    SetProgramIdentity({});
}

QtWindow& DesktopTest::QtWindowOf(const Window& window)
{
    QtWindow* qtWindow = m_backend->WindowFor(window);
    if (!qtWindow)
        throw std::runtime_error("the backend has no Qt window for this window");
    return *qtWindow;
}

void DesktopTest::ProcessQtEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void DesktopTest::SavePicture(QWidget& widget, const std::string& name)
{
    QString file = QString::fromStdString(name);
    file.replace(QLatin1Char(' '), QLatin1Char('-'));
    QString path = QStringLiteral(TOCKAMO_QT_TEST_OUTPUT_DIR "/") + file + QStringLiteral(".png");
    EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
}

::testing::AssertionResult ShowsCompiledIcon(const QWidget& widget, const std::string& resources)
{
    int sizes = 0;
    for (QDirIterator pictures(QString::fromStdString(resources), QDir::Files); pictures.hasNext(); ++sizes) {
        QImage picture = QImage(pictures.next()).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage shown = widget.windowIcon().pixmap(picture.size(), 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (shown != picture)
            return ::testing::AssertionFailure() << "the " << picture.width() << " px icon differs from " << pictures.filePath().toStdString();
    }
    if (sizes == 0)
        return ::testing::AssertionFailure() << "nothing is compiled in under " << resources;
    return ::testing::AssertionSuccess();
}

PropertyList FixedWindow(int32_t width, int32_t height, const std::string& title)
{
    return {
        { "Width", width },
        { "Height", height },
        { "Title", title },
        { "Resizeable", false },
        { "MaximizeButton", false },
        { "MinimizeButton", false },
        { "CloseButton", true },
    };
}

ControlDesign MakeLabel(const std::string& name, QRect rect, const std::string& text, PropertyList extra)
{
    PropertyList list = Place(name, rect);
    list.push_back({ "Text", text });
    list.insert(list.end(), extra.begin(), extra.end());
    return { name, &Label::Lookup(), list, 0, {} };
}

ControlDesign MakeButton(const std::string& name, QRect rect, const std::string& caption, bool isDefault, bool enabled)
{
    PropertyList list = Place(name, rect);
    list.push_back({ "Caption", caption });
    list.push_back({ "Default", isDefault });
    list.push_back({ "Enabled", enabled });
    return { name, &PushButton::Lookup(), list, 0, { { PushButton::kEventAction, "Button_Action" } } };
}

ControlDesign MakeField(const std::string& name, QRect rect, const std::string& text)
{
    PropertyList list = Place(name, rect);
    list.push_back({ "Text", text });
    list.push_back({ "ReadOnly", true });
    list.push_back({ "Alignment", int32_t(2) });
    return { name, &TextField::Lookup(), list, 0, {} };
}

ControlDesign MakeArrows(const std::string& name, QRect rect)
{
    PropertyList list = Place(name, rect);
    list.push_back({ "AcceptFocus", false });
    return { name, &UpDownArrows::Lookup(), list, 0, { { UpDownArrows::kEventUp, "Arrows_Up" }, { UpDownArrows::kEventDown, "Arrows_Down" } } };
}

}

namespace fw::qt::testing {

ControlDesign MakeTimer(const std::string& name, int32_t period)
{
    return { name, &Timer::Lookup(), { { "Mode", Timer::kModeOff }, { "Period", period } }, 0, { { Timer::kEventAction, "Timer_Action" } } };
}

}

namespace fw::qt::testing {

void FireTimersDueNext()
{
    EventLoop& loop = EventLoop::Main();
    std::optional<Clock::Duration> due = loop.NextDue();
    ASSERT_TRUE(due.has_value()) << "no timer is running";
    loop.FireDueTimers(*due);
    loop.RunPending();
    QtBackend::Current()->LeaveIfQuitting();
}

double Ink::Contrast() const
{
    return ContrastRatio(ToColor(ground), ToColor(text));
}

Ink InkIn(const QImage& image, QRect area)
{
    std::map<QRgb, int> counts;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFFu];
    auto most = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; });
    Ink ink { QColor(most == counts.end() ? 0 : most->first), QColor() };
    ink.text = ink.ground;
    for (const auto& [pixel, count] : counts)
        if (Distance(QColor(pixel), ink.ground) > Distance(ink.text, ink.ground))
            ink.text = QColor(pixel);
    return ink;
}

int Distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

bool IsLight(const QColor& colour)
{
    // Lighter than the grey that black and white stand out from equally.
    return ContrastRatio(ToColor(colour), Color { 0x000000 }) > ContrastRatio(ToColor(colour), Color { 0xFFFFFF });
}

std::string Name(const QColor& colour)
{
    return colour.name().toStdString();
}

}
