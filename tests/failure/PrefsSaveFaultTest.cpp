#include "tests/failure/ConfigHome.h"
#include "tests/failure/FileFaults.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

#include <optional>
#include <ostream>

namespace tockamo::testing {
namespace {

// The settings the user already has; the comment line and the odd spelling
// show that a file found afterwards is this very file and not a rewrite.
constexpr const char* kOldPrefs = "' kept by hand\n#Window1Position 40,60\n#mysetmin 7\n";

class PrefsSaveFaultTest : public fw::testing::HeadlessTest {
protected:
    struct Seen {
        int32_t top = 0, left = 0, minutes = 0;
        int faultHits = 0;
        int32_t status = -1;
    };

    // One run of the program: the user moves the main window, raises the
    // minutes by one and closes the window, which saves; `fault` (if any)
    // strikes the Preferences folder just while the window closes.
    Seen RunAndClose(const ConfigHome& home, std::optional<FileFault> fault)
    {
        Seen seen;
        ui().SetScript([&](fw::HeadlessBackend& ui) {
            seen.top = prefModule::Window1Top;
            seen.left = prefModule::Window1Left;
            seen.minutes = prefModule::MySetMin;
            fw::RefPtr<class Window1> window = Window1();
            ui.MoveWindow(*window, 300, 400);
            ui.ClickUp(*window, "UpDownArrows1");
            if (fault) {
                FileFaults faults(*fault, home.Folder());
                ui.CloseWindow(*window);
                seen.faultHits = faults.Hits();
            } else {
                ui.CloseWindow(*window);
            }
        });
        seen.status = main();
        return seen;
    }
};

struct SaveCase {
    const char* name;
    std::optional<FileFault> fault;
    const char* expected;
};

const SaveCase kSaveCases[] = {
    { "NoFailureReplacesTheOldSettings", std::nullopt, "#Window1Position 300,400\n#MySetMin 8\n" },
    { "ReadOnlyFolderCannotMakeTheNewFile", FileFault::Create, kOldPrefs },
    { "FullDiskStopsTheWriteHalfWay", FileFault::Write, kOldPrefs },
    { "SyncToDiskFails", FileFault::Sync, kOldPrefs },
    { "RenameOverTheOldFileFails", FileFault::Rename, kOldPrefs },
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.name;
}

class PrefsSaveFault : public PrefsSaveFaultTest, public ::testing::WithParamInterface<SaveCase> { };

TEST_P(PrefsSaveFault, StartUpReadsTheOldFileAndAFailedSaveLeavesItWhole)
{
    const SaveCase& c = GetParam();
    ConfigHome home;
    home.WritePrefs(kOldPrefs);

    Seen seen = RunAndClose(home, c.fault);

    EXPECT_EQ(seen.status, 0);
    EXPECT_EQ(seen.top, 40);
    EXPECT_EQ(seen.left, 60);
    EXPECT_EQ(seen.minutes, 7);
    if (c.fault) {
        EXPECT_GT(seen.faultHits, 0) << "the save never reached the failing step";
    }
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(c.expected));
    // Nothing half-written is left lying beside the settings.
    EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
}

INSTANTIATE_TEST_SUITE_P(EachStep, PrefsSaveFault, ::testing::ValuesIn(kSaveCases),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

}
}
