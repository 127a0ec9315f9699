#include "about/AboutBox.h"

#include "framework/Application.h"
#include "framework/Runtime.h"
#include "tests/support/AppFixture.h"
#include "timer/Window1.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tockamo::testing {
namespace {

using namespace std::chrono_literals;

// Every About window this test can see, open or closing.
std::vector<fw::Window*> AboutWindows(const fw::HeadlessBackend& ui)
{
    std::vector<fw::Window*> found;
    for (fw::Window* window : ui.LiveWindows()) {
        if (window->Class().Name() == "AboutBox.AboutBox")
            found.push_back(window);
    }
    return found;
}

fw::RefPtr<class AboutBox> OpenAbout()
{
    return fw::Cast<class AboutBox>(fw::GetImplicitWindow("AboutBox.AboutBox"));
}

fw::RefPtr<class Window1> Main()
{
    return fw::Cast<class Window1>(fw::GetImplicitWindow("Window1.Window1"));
}

std::string Remaining(class Window1& main)
{
    return main.MinLeft()->Text() + ":" + main.SecLeft()->Text();
}

// Everything a user could see of the window, to tell whether a press changed any of it.
std::string Snapshot(fw::Window& window)
{
    std::string shot = window.Title() + "|" + std::to_string(window.Width()) + "x" + std::to_string(window.Height()) + "|" + std::to_string(window.Top()) + "," + std::to_string(window.Left());
    for (const fw::Ref<fw::Control>& control : window.Controls()) {
        shot += "|" + control->Name();
        if (control->Class().IsA(fw::PushButton::Lookup())) {
            fw::RefPtr<fw::PushButton> button = fw::Cast<fw::PushButton>(control);
            shot += ":" + button->Caption() + std::to_string(button->Enabled()) + std::to_string(button->Default()) + std::to_string(button->Left()) + "," + std::to_string(button->Top());
        } else if (control->Class().IsA(fw::Label::Lookup())) {
            fw::RefPtr<fw::Label> label = fw::Cast<fw::Label>(control);
            shot += ":" + label->Text() + std::to_string(label->Enabled()) + std::to_string(label->Left()) + "," + std::to_string(label->Top());
        }
    }
    return shot + "|" + std::to_string(fw::WindowSupport::Windows().size());
}

// The version the application reports for the span of one test.
class VersionOverride {
public:
    explicit VersionOverride(const std::string& version) { fw::Application::SetVersionInformation(version); }
    ~VersionOverride() { fw::Application::SetVersionInformation(TOCKAMO_LONG_VERSION); }
    void Set(const std::string& version) { fw::Application::SetVersionInformation(version); }
};

class AboutBoxTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        WritePrefs("#Window1Position 150,150\n#MySetMin 5\n");
    }
};

TEST_F(AboutBoxTest, OpensBesideARunningCountdownThatGoesOnTicking)
{
    VersionOverride version("2.4.1 build 77");
    int32_t status = RunProgram([](fw::HeadlessBackend& ui) {
        fw::RefPtr<class Window1> main = Main();
        ASSERT_TRUE(main);
        ASSERT_TRUE(ui.Press(*main, "MyStart"));
        ui.Advance(2s);
        EXPECT_EQ(Remaining(*main), "4:58");

        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        ASSERT_EQ(AboutWindows(ui).size(), 1u);
        fw::RefPtr<class AboutBox> about = OpenAbout();
        ASSERT_TRUE(about);
        EXPECT_TRUE(about->IsShown());
        EXPECT_EQ(about->Title(), "About...");
        EXPECT_EQ(about->StaticText4()->Text(), "2.4.1 build 77");
        EXPECT_FALSE(about->GetMenuBar());

        ui.Advance(3s);
        EXPECT_EQ(Remaining(*main), "4:55");
        EXPECT_TRUE(main->IsOpen());
        EXPECT_TRUE(about->IsOpen());
        EXPECT_TRUE(main->MyPause()->Enabled());

        // At zero the Time's Up window opens in front of it; choosing About
        // Box again brings the About window back to the front.
        ui.Advance(5min);
        ASSERT_TRUE(fw::GetImplicitWindow("Window2.Window2"));
        EXPECT_EQ(fw::WindowSupport::Windows().front()->Class().Name(), "Window2.Window2");
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        EXPECT_EQ(fw::WindowSupport::Windows().front().Ptr(), about.Get());
    });
    EXPECT_EQ(status, 0);
}

TEST_F(AboutBoxTest, SecondCommandShowsTheSameWindowUntouched)
{
    VersionOverride version("3.0");
    RunProgram([&version](fw::HeadlessBackend& ui) {
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        fw::RefPtr<class AboutBox> first = OpenAbout();
        ASSERT_TRUE(first);
        fw::RefPtr<fw::PushButton> button = first->PushButton1();
        first->StaticText2()->SetText("marked");

        // A fresh read of the version would show this.
        version.Set("3.1");
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        EXPECT_EQ(AboutWindows(ui).size(), 1u);
        EXPECT_EQ(OpenAbout().Get(), first.Get());
        EXPECT_TRUE(first->IsShown());
        EXPECT_EQ(first->PushButton1().Get(), button.Get());
        EXPECT_EQ(first->Controls().size(), 7u);
        EXPECT_EQ(first->StaticText2()->Text(), "marked");
        EXPECT_EQ(first->StaticText4()->Text(), "3.0");
    });
}

TEST_F(AboutBoxTest, AfterClosingTheNextCommandMakesANewWindowWithTheVersion)
{
    struct Case {
        const char* name;
        std::string version;
    };
    const Case cases[] = {
        { "a version", "5.6.7" },
        { "the design text itself", "1.0.0" },
        { "no version", "" },
    };
    VersionOverride version("0.9");
    RunProgram([&](fw::HeadlessBackend& ui) {
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            fw::RefPtr<class AboutBox> old = OpenAbout();
            ASSERT_TRUE(old);
            fw::WeakPtr<fw::Window> oldWindow(old.Get());
            old = nullptr;
            ASSERT_TRUE(ui.CloseWindow(*oldWindow.Lock()));
            EXPECT_FALSE(OpenAbout());
            EXPECT_TRUE(AboutWindows(ui).empty());
            EXPECT_FALSE(oldWindow.IsAlive());

            version.Set(c.version);
            ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
            fw::RefPtr<class AboutBox> fresh = OpenAbout();
            ASSERT_TRUE(fresh);
            EXPECT_EQ(AboutWindows(ui).size(), 1u);
            EXPECT_TRUE(fresh->IsShown());
            EXPECT_EQ(fresh->StaticText4()->Text(), c.version);
        }
        // The main window came through all of it.
        EXPECT_TRUE(Main());
    });
}

TEST_F(AboutBoxTest, EachPressHandsItsAddressOnceAndChangesNothing)
{
    struct Case {
        const char* name;
        const char* button;
        std::string url;
    };
    const Case cases[] = {
        { "Email Author", "PushButton1", "mailto:tockamo@tockamo.org" },
        { "Visit Web Site", "PushButton2", "https://tockamo.org" },
    };
    RunProgram([&](fw::HeadlessBackend& ui) {
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        fw::RefPtr<class AboutBox> about = OpenAbout();
        ASSERT_TRUE(about);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const std::string before = Snapshot(*about);
            for (int press = 1; press <= 2; ++press) {
                const size_t handed = ui.URLsOpened().size();
                ASSERT_TRUE(ui.Press(*about, c.button));
                ASSERT_EQ(ui.URLsOpened().size(), handed + 1);
                EXPECT_EQ(ui.URLsOpened().back(), c.url);
                EXPECT_EQ(Snapshot(*about), before);
            }
        }

        // Return presses no button here: neither is the default.
        const size_t handed = ui.URLsOpened().size();
        EXPECT_FALSE(ui.PressReturn(*about));
        EXPECT_EQ(ui.URLsOpened().size(), handed);
    });
}

TEST_F(AboutBoxTest, ControlsStandAsDesigned)
{
    struct Case {
        const char* name;
        bool isButton;
        int32_t left, top, width, height, tabIndex;
        std::string text;
        std::string font;
        bool bold;
        float size;
        int32_t align;
        bool multiline;
    };
    const Case cases[] = {
        { "PushButton1", true, 72, 180, 120, 21, 0, "Email Author", "System", true, 0, 0, false },
        { "PushButton2", true, 72, 217, 120, 21, 1, "Visit Web Site", "System", true, 0, 0, false },
        { "StaticText2", false, 80, 86, 104, 87, 2, "Developed by\rOrvinel\r\rSr. Beta Tester\rDastrey", "System", false, 0, 1, true },
        { "StaticText1", false, 20, 20, 224, 45, 3, "Tockamo", "Arial", true, 30, 1, false },
        { "StaticText3", false, 87, 60, 47, 20, 4, "Version:", "Arial", true, 12, 0, false },
        { "StaticText4", false, 144, 60, 33, 20, 5, "9.9.9", "Arial", true, 12, 2, false },
        { "Label1", false, 0, 250, 264, 20, 6, "Icon: Red Timer, drawn for Tockamo", "System", false, 0, 1, false },
    };
    VersionOverride version("9.9.9");
    RunProgram([&](fw::HeadlessBackend& ui) {
        ASSERT_TRUE(ui.ChooseMenuItem("FileAboutBox"));
        fw::RefPtr<class AboutBox> about = OpenAbout();
        ASSERT_TRUE(about);

        EXPECT_EQ(about->Width(), 264);
        EXPECT_EQ(about->Height(), 290);
        EXPECT_FALSE(about->Resizeable());
        EXPECT_TRUE(about->CloseButton());
        EXPECT_FALSE(about->MaximizeButton());
        EXPECT_FALSE(about->MinimizeButton());
        EXPECT_FALSE(about->FullScreenButton());
        EXPECT_FALSE(about->HasBackColor());

        ASSERT_EQ(about->Controls().size(), std::size(cases));
        for (size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(c.name);
            fw::Ref<fw::Control> control = about->Controls()[i];
            EXPECT_EQ(control->Name(), c.name);
            EXPECT_EQ(control->Index(), INT32_MIN);
            auto rect = fw::Cast<fw::RectControl>(control);
            EXPECT_EQ(rect->Left(), c.left);
            EXPECT_EQ(rect->Top(), c.top);
            EXPECT_EQ(rect->Width(), c.width);
            EXPECT_EQ(rect->Height(), c.height);
            EXPECT_EQ(rect->TabIndex(), c.tabIndex);
            EXPECT_TRUE(rect->Enabled());
            EXPECT_TRUE(rect->Visible());
            EXPECT_TRUE(rect->LockLeft() && rect->LockTop() && !rect->LockRight() && !rect->LockBottom());
            const fw::TextStyle* style = nullptr;
            if (c.isButton) {
                fw::RefPtr<fw::PushButton> button = fw::Cast<fw::PushButton>(control);
                EXPECT_EQ(button->Caption(), c.text);
                EXPECT_FALSE(button->Default());
                EXPECT_FALSE(button->Cancel());
                EXPECT_TRUE(button->TabStop());
                style = &button->Style();
            } else {
                fw::RefPtr<fw::Label> label = fw::Cast<fw::Label>(control);
                EXPECT_EQ(label->Text(), c.text);
                EXPECT_EQ(label->TextAlign(), c.align);
                EXPECT_EQ(label->MultiLine(), c.multiline);
                EXPECT_EQ(label->TextColor(), fw::Color { 0x000000 });
                EXPECT_FALSE(label->Selectable());
                EXPECT_FALSE(label->Transparent());
                style = &label->Style();
            }
            EXPECT_EQ(style->font, c.font);
            EXPECT_EQ(style->bold, c.bold);
            EXPECT_EQ(style->size, c.size);
            EXPECT_EQ(style->unit, 0);
            EXPECT_FALSE(style->italic);
            EXPECT_FALSE(style->underline);
        }
    });
}

}
}
