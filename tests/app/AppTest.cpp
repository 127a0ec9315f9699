#include "app/App.h"
#include "framework/Application.h"
#include "framework/ClassRecord.h"
#include "framework/Runtime.h"
#include "tests/support/HeadlessFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tockamo {
namespace {

class AppRecordTest : public fw::testing::HeadlessTest { };

TEST_F(AppRecordTest, RecordAddsThreeOperationsInOrderAndBindsOnlyOpen)
{
    App::ctblinit();
    const fw::ClassRecord* record = fw::ClassRecord::Find("App");
    ASSERT_TRUE(record);
    EXPECT_EQ(&App::Lookup(), record);
    EXPECT_EQ(record->Base(), &fw::Application::Lookup());

    std::vector<std::string> names;
    for (const auto& member : record->Members()) {
        names.push_back(member.name);
        EXPECT_TRUE(member.HasAttribute("__Scope")) << member.name;
    }
    EXPECT_EQ(names, (std::vector<std::string> { "Event_Open", "_FileAboutBox_Action", "Constructor" }));
    std::vector<std::string> slots = record->Slots();
    ASSERT_GE(slots.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(slots.end() - 3, slots.end()), names);

    ASSERT_EQ(record->Events().size(), 1u);
    EXPECT_EQ(record->Events()[0].number, fw::Application::kEventOpen);
    EXPECT_EQ(record->Events()[0].operation, "Event_Open");
    EXPECT_EQ(record->FindEvent(fw::Application::kEventClose), nullptr);
}

TEST_F(AppRecordTest, AccessorGivesTheRegisteredObjectAsAnApp)
{
    EXPECT_FALSE(App());
    fw::Ref<class App> app = App::Create();
    fw::RuntimeRegisterAppObject(app);
    EXPECT_EQ(App().Get(), app.Ptr());
}

}
}
