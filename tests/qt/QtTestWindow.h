#pragma once

#include "framework/Application.h"
#include "framework/ClassRecord.h"
#include "framework/MenuItem.h"
#include "framework/PropertyList.h"
#include "framework/PushButton.h"
#include "framework/Timer.h"
#include "framework/UpDownArrows.h"
#include "framework/Window.h"
#include "framework/qt/QtBackend.h"
#include "framework/qt/QtWindow.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace fw::qt::testing {

// One control of a test window, made the way the program's windows make
// theirs: created, added by name, given its text size, its property list,
// then its handlers.
struct ControlDesign {
    std::string name;
    const ClassRecord* controlClass;
    PropertyList properties;
    float textSize = 0;
    std::vector<std::pair<int, std::string>> handlers;
};

struct WindowDesign {
    RefPtr<MenuBar> menuBar;
    PropertyList properties;
    std::vector<ControlDesign> controls;
};

// A window class for the tests, laid out from a WindowDesign. Its handlers
// write what happened into Log(): "<control>.Action", "<control>.Up",
// "<control>.Down" and "Close".
class TestWindow : public Window {
public:
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;
    // Makes and constructs a window laid out by `layout` (not yet shown).
    static Ref<TestWindow> Open(WindowDesign layout);

    static std::vector<std::string>& Log();

    void Layout();
    void CreateControls();
    void Event_Close();
    void Button_Action(PushButton& button);
    void Arrows_Up(UpDownArrows& arrows);
    void Arrows_Down(UpDownArrows& arrows);
    // Logs "<timer>.Action"; the third one stops the timer and quits.
    void Timer_Action(Timer& timer);

protected:
    TestWindow() = default;

private:
    WindowDesign m_design;
};

class TestApp : public Application {
public:
    static Ref<TestApp> Create();
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

protected:
    TestApp() = default;
};

// A fresh framework on a fresh Qt backend for each test.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QtBackend& backend() { return *m_backend; }
    QtWindow& QtWindowOf(const Window& window);
    // Lets Qt deliver what it has queued (move events, deferred deletes),
    // without waiting for anything new.
    static void ProcessQtEvents();
    // Saves a picture of `widget` into the build tree as <name>.png.
    static void SavePicture(QWidget& widget, const std::string& name);

private:
    QtBackend* m_backend = nullptr;
};

// Brings the framework's clock to the next time a timer is due, at once: what
// falls due then fires as when the backend's Qt timer goes off, without
// waiting for that time to come.
void FireTimersDueNext();

// True when `widget` shows, in each size compiled in, the very pictures of
// the icon compiled in under `resources`.
::testing::AssertionResult ShowsCompiledIcon(const QWidget& widget, const std::string& resources);

// The property list entries the tests' windows share.
PropertyList FixedWindow(int32_t width, int32_t height, const std::string& title);
ControlDesign MakeLabel(const std::string& name, QRect rect, const std::string& text, PropertyList extra = {});
ControlDesign MakeButton(const std::string& name, QRect rect, const std::string& caption, bool isDefault, bool enabled);
ControlDesign MakeField(const std::string& name, QRect rect, const std::string& text);
ControlDesign MakeArrows(const std::string& name, QRect rect);
ControlDesign MakeTimer(const std::string& name, int32_t period);

// What a part of the screen shows: the colour most of its pixels have, and
// the one farthest from it, which is the text's own colour where the text
// covers whole pixels.
struct Ink {
    QColor ground;
    QColor text;

    double Contrast() const;
};
Ink InkIn(const QImage& image, QRect area);
// How far apart two colours are, channel by channel.
int Distance(const QColor& a, const QColor& b);
// Nearer white than black for the eye.
bool IsLight(const QColor& colour);
std::string Name(const QColor& colour);

}
