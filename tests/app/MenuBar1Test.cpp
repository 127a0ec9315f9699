#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/ClassRecord.h"
#include "framework/MenuItem.h"
#include "tests/support/AppFixture.h"
#include "tests/support/HeadlessFixture.h"
#include "timer/Window1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tockamo {
namespace {

class MenuBar1Test : public fw::testing::HeadlessTest {
protected:
    void TearDown() override
    {
        MenuBar1::implicitInstance.Exit();
        HeadlessTest::TearDown();
    }
};

std::vector<std::string> ChildNames(const fw::MenuItem& item)
{
    std::vector<std::string> names;
    for (const auto& child : item.Children())
        names.push_back(child->Name());
    return names;
}

TEST_F(MenuBar1Test, HoldsExactlyFileWithAboutBoxThenQuitBuiltOnce)
{
    fw::Ref<class MenuBar1> first = MenuBar1();
    fw::Ref<class MenuBar1> second = MenuBar1();
    fw::Ref<class MenuBar1> third = MenuBar1();
    EXPECT_EQ(first.Ptr(), second.Ptr());
    EXPECT_EQ(first.Ptr(), third.Ptr());
    EXPECT_EQ(MenuBar1::implicitInstance.Get().Get(), first.Ptr());

    ASSERT_EQ(ChildNames(*first), (std::vector<std::string> { "FileMenu" }));
    fw::Ref<fw::MenuItem> file = first->Child("FileMenu").ToRef();
    ASSERT_EQ(ChildNames(*file), (std::vector<std::string> { "FileAboutBox", "FileQuit" }));

    struct Case {
        const char* name;
        const fw::ClassRecord& kind;
        std::string text;
        std::string shortcut;
    };
    const Case cases[] = {
        { "FileMenu", fw::MenuItem::Lookup(), "&File", "" },
        { "FileAboutBox", fw::ApplicationMenuItem::Lookup(), "About Box", "" },
        { "FileQuit", fw::QuitMenuItem::Lookup(), "&Quit", "Cmd+Q" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RefPtr<fw::MenuItem> item = first->FindItem(c.name);
        ASSERT_TRUE(item);
        EXPECT_EQ(&item->Class(), &c.kind);
        EXPECT_EQ(item->Text(), c.text);
        EXPECT_EQ(item->KeyboardShortcut(), c.shortcut);
        EXPECT_TRUE(item->AutoEnable());
        EXPECT_TRUE(item->Visible());
        EXPECT_EQ(item->Children().empty(), c.name != std::string("FileMenu"));
    }
}

TEST_F(MenuBar1Test, ExitEmptiesTheGlobalAndTheNextCallBuildsAfresh)
{
    fw::WeakPtr<class MenuBar1> old(MenuBar1().Ptr());
    MenuBar1::implicitInstance.Exit();
    EXPECT_TRUE(MenuBar1::implicitInstance.IsNil());
    EXPECT_FALSE(old.IsAlive());

    fw::Ref<class MenuBar1> fresh = MenuBar1();
    EXPECT_EQ(ChildNames(*fresh), (std::vector<std::string> { "FileMenu" }));
    EXPECT_EQ(fresh->Child("FileMenu")->Children().size(), 2u);
}

TEST_F(MenuBar1Test, RecordOverridesConstructorAndAddsUntitled0)
{
    MenuBar1::ctblinit();
    const fw::ClassRecord* record = fw::ClassRecord::Find("MenuBar1.MenuBar1");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Base(), &fw::MenuBar::Lookup());
    std::vector<std::string> slots = record->Slots();
    ASSERT_FALSE(slots.empty());
    EXPECT_EQ(slots.back(), "Untitled0");
    EXPECT_EQ(std::count(slots.begin(), slots.end(), "Constructor"), 1);
    for (const auto& member : record->Members())
        EXPECT_EQ(member.signature, "%%") << member.name;
    // Running the constructor through the class builds the tree, as the
    // framework would when it makes the menu bar by name.
    fw::Ref<fw::Object> made = record->New();
    record->Operation("Constructor").Invoke(*made);
    EXPECT_EQ(ChildNames(static_cast<fw::MenuItem&>(*made)), (std::vector<std::string> { "FileMenu" }));
}

class MenuBar1InProgramTest : public testing::AppTest { };

TEST_F(MenuBar1InProgramTest, TheMainWindowCarriesTheSingleMenuBar)
{
    bool same = false;
    size_t menus = 0;
    RunProgram([&](fw::HeadlessBackend&) {
        fw::RefPtr<fw::MenuBar> attached = Window1()->GetMenuBar();
        same = attached.Get() == MenuBar1().Ptr();
        menus = attached->Children().size();
    });
    EXPECT_TRUE(same);
    EXPECT_EQ(menus, 1u);
    EXPECT_TRUE(MenuBar1::implicitInstance.IsNil());
}

}
}
