#include "tests/failure/ConfigHome.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

#include <filesystem>
#include <ostream>

namespace tockamo::testing {
namespace {

// A Preferences folder in a state the user did not mean: the program starts
// with the defaults, runs, and a save on the way out neither crashes nor
// destroys what stands in the folder's place.
struct FolderCase {
    const char* name;
    void (*prepare)(ConfigHome&);
    void (*check)(const ConfigHome&);
};

const FolderCase kFolderCases[] = {
    {
        "MissingFolderIsMadeAndFilled",
        [](ConfigHome& home) { home.PointAt(home.Folder() + "/not/yet/there"); },
        [](const ConfigHome& home) {
            EXPECT_EQ(ReadFile(home.Folder() + "/not/yet/there/tockamo.txt"), std::optional<std::string>("#Window1Position 150,150\n#MySetMin 30\n"));
            // The folders made for it are the user's alone.
            for (const char* made : { "", "/not", "/not/yet", "/not/yet/there" }) {
                auto mode = std::filesystem::status(home.Folder() + made).permissions();
                EXPECT_EQ(mode & (std::filesystem::perms::group_all | std::filesystem::perms::others_all), std::filesystem::perms::none) << made;
            }
        },
    },
    {
        "RegularFileInPlaceOfTheFolder",
        [](ConfigHome& home) { WriteFile(home.Folder(), "precious\n"); },
        [](const ConfigHome& home) { EXPECT_EQ(ReadFile(home.Folder()), std::optional<std::string>("precious\n")); },
    },
    {
        "FolderBelowARegularFile",
        [](ConfigHome& home) {
            WriteFile(home.Folder(), "precious\n");
            home.PointAt(home.Folder() + "/tockamo");
        },
        [](const ConfigHome& home) { EXPECT_EQ(ReadFile(home.Folder()), std::optional<std::string>("precious\n")); },
    },
    {
        "SettingsFileIsAFolder",
        [](ConfigHome& home) {
            std::filesystem::create_directories(home.PrefsPath());
            WriteFile(home.PrefsPath() + "/inside", "kept\n");
        },
        [](const ConfigHome& home) {
            EXPECT_TRUE(std::filesystem::is_directory(home.PrefsPath()));
            EXPECT_EQ(ReadFile(home.PrefsPath() + "/inside"), std::optional<std::string>("kept\n"));
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << c.name;
}

class PrefsFolder : public fw::testing::HeadlessTest, public ::testing::WithParamInterface<FolderCase> { };

TEST_P(PrefsFolder, StartsWithTheDefaultsAndSavesWithoutHarm)
{
    const FolderCase& c = GetParam();
    ConfigHome home;
    c.prepare(home);

    int32_t top = 0, left = 0, minutes = 0;
    bool closed = false;
    ui().SetScript([&](fw::HeadlessBackend& ui) {
        top = prefModule::Window1Top;
        left = prefModule::Window1Left;
        minutes = prefModule::MySetMin;
        fw::RefPtr<class Window1> window = Window1();
        closed = ui.CloseWindow(*window);
    });
    int32_t status = main();

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(closed);
    EXPECT_EQ(top, 150);
    EXPECT_EQ(left, 150);
    EXPECT_EQ(minutes, 30);
    c.check(home);
}

INSTANTIATE_TEST_SUITE_P(Broken, PrefsFolder, ::testing::ValuesIn(kFolderCases),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

}
}
