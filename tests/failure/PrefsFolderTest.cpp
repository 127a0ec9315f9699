#include "tests/failure/ConfigHome.h"

#include "app/Startup.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

#include <filesystem>
#include <ostream>

namespace tockamo::testing {
namespace {

// A Preferences folder in a state the user did not mean: the program starts
// with the defaults, runs, and a save on the way out neither crashes nor
// destroys what stands in the folder's place, and says so when it cannot
// save.
struct FolderCase {
    const char* name;
    void (*prepare)(ConfigHome&);
    void (*check)(const ConfigHome&);
    // What the one line on standard error naming the folder says, where
    // there is one.
    const char* says;
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
        nullptr,
    },
    {
        "RegularFileInPlaceOfTheFolder",
        [](ConfigHome& home) { WriteFile(home.Folder(), "precious\n"); },
        [](const ConfigHome& home) { EXPECT_EQ(ReadFile(home.Folder()), std::optional<std::string>("precious\n")); },
        "the settings were not saved: $F is not a folder",
    },
    {
        "FolderBelowARegularFile",
        [](ConfigHome& home) {
            WriteFile(home.Folder(), "precious\n");
            home.PointAt(home.Folder() + "/tockamo");
        },
        [](const ConfigHome& home) { EXPECT_EQ(ReadFile(home.Folder()), std::optional<std::string>("precious\n")); },
        "the settings were not saved: cannot make $F/tockamo (Not a directory)",
    },
    {
        "FolderIsALinkToNowhere",
        [](ConfigHome& home) { std::filesystem::create_symlink(home.Root() + "/gone", home.Folder()); },
        [](const ConfigHome& home) { EXPECT_EQ(std::filesystem::read_symlink(home.Folder()), home.Root() + "/gone"); },
        "the settings were not saved: $F (No such file or directory)",
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
        "$F/tockamo.txt could not be read at start, so it is left as it is",
    },
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << c.name;
}

class PrefsFolder : public ProgramTest, public ::testing::WithParamInterface<FolderCase> { };

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
    ::testing::internal::CaptureStderr();
    int32_t status = main();
    std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, 0);
    if (c.says) {
        std::string says = c.says;
        says.replace(says.find("$F"), 2, home.Folder());
        EXPECT_EQ(said, "tockamo: " + says + "\n");
    } else {
        EXPECT_EQ(said, "");
    }
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
