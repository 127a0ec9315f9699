#include "framework/PropertyList.h"
#include "framework/Runtime.h"
#include "prefs/directiveClass.h"
#include "prefs/prefModule.h"
#include "tests/support/AppFixture.h"
#include "timer/Window1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tockamo {
namespace {

namespace fs = std::filesystem;
using Directives = std::vector<std::pair<std::string, std::string>>;

class PrefsTest : public testing::AppTest {
protected:
    // Starts the program on the current preferences folder and reads what
    // the reader kept while the program runs.
    Directives StartAndRead()
    {
        Directives kept;
        RunProgram([&](fw::HeadlessBackend&) {
            for (int32_t i = 1; i <= prefModule::gDirectives.UBound(); ++i) {
                fw::RefPtr<directiveClass> d = prefModule::gDirectives.At(i);
                kept.emplace_back(d->name, d->text);
            }
        });
        return kept;
    }

    std::vector<std::string> StrayFiles() const
    {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(ConfigDir())) {
            std::string name = entry.path().filename().string();
            if (name.starts_with("tockamo.txt.tmp") && entry.is_regular_file())
                stray.push_back(name);
        }
        return stray;
    }
};

TEST_F(PrefsTest, FileIsReadIntoPositionAndMinutes)
{
    struct Case {
        const char* name;
        std::optional<std::string> file; // nullopt: no file at all
        int32_t top, left, minutes;
        Directives kept;
    };
    const Case cases[] = {
        { "no file takes the defaults", std::nullopt, 150, 150, 30, {} },
        { "an empty file sets nothing", "", 0, 0, 0, {} },
        { "only the minutes", "#MySetMin 45\n", 0, 0, 45, { { "mysetmin", "45" } } },
        { "name in lower case", "#mysetmin 12\n", 0, 0, 12, { { "mysetmin", "12" } } },
        { "name in capitals", "#MYSETMIN 13\n", 0, 0, 13, { { "mysetmin", "13" } } },
        { "comments are skipped", "'saved by Tockamo\n'\n#Window1Position 10,20\n'x\n#MySetMin 5\n", 10, 20, 5, {} },
        { "commented-out settings stay out", "'#MySetMin 45\n'MySetMin 46\n'#Window1Position 1,2\n#MySetMin 7\n", 0, 0, 7, { { "mysetmin", "7" } } },
        { "an empty line ends reading", "#MySetMin 20\n\n#MySetMin 21\n#Window1Position 1,2\n", 0, 0, 20, {} },
        { "a line starting with a blank ends reading", "#MySetMin 20\n #MySetMin 21\n", 0, 0, 20, {} },
        { "any other line ends reading", "x\n#MySetMin 9\n", 0, 0, 0, {} },
        { "a directive without a blank is skipped", "#MySetMin\n#Window1Position 5,6\n", 5, 6, 0, { { "window1position", "5,6" } } },
        { "a blank with nothing after it", "#MySetMin 7\n#MySetMin \n", 0, 0, 0, { { "mysetmin", "7" }, { "mysetmin", "" } } },
        { "an empty name changes nothing", "# MySetMin 40\n", 0, 0, 0, { { "", "MySetMin 40" } } },
        { "the later of two minutes wins", "#MySetMin 10\n#MySetMin 11\n", 0, 0, 11, {} },
        { "the later of two positions sets both", "#Window1Position 1,2\n#Window1Position 3,4\n", 3, 4, 0, {} },
        { "a negative left", "#Window1Position 40,-20\n", 40, -20, 0, {} },
        { "a third field is ignored", "#Window1Position 100,200,300\n", 100, 200, 0, {} },
        { "a position without a comma", "#Window1Position 7\n", 7, 0, 0, {} },
        { "minutes are not clamped", "#MySetMin 500\n", 0, 0, 500, {} },
        { "text that is no number", "#MySetMin abc\n", 0, 0, 0, {} },
        { "the text is kept untrimmed", "#MySetMin  45 \n", 0, 0, 45, { { "mysetmin", " 45 " } } },
        { "other names are kept and ignored", "#Colour red\n#MySetMin 9\n", 0, 0, 9, { { "colour", "red" }, { "mysetmin", "9" } } },
        { "CRLF line ends", "#Window1Position 10,20\r\n#MySetMin 25\r\n", 10, 20, 25, { { "window1position", "10,20" }, { "mysetmin", "25" } } },
        { "no line end at the end", "#Window1Position 8,9\n#MySetMin 3", 8, 9, 3, {} },
        { "what the program writes", "#Window1Position 150,200\n#MySetMin 25\n", 150, 200, 25, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(PrefsFile());
        if (c.file)
            WritePrefs(*c.file);
        Directives kept = StartAndRead();
        EXPECT_EQ(prefModule::Window1Top, c.top);
        EXPECT_EQ(prefModule::Window1Left, c.left);
        EXPECT_EQ(prefModule::MySetMin, c.minutes);
        if (!c.kept.empty()) {
            EXPECT_EQ(kept, c.kept);
        }
    }
}

TEST_F(PrefsTest, ADirectivesClassRecordSetsItsNameAndText)
{
    fw::RefPtr<directiveClass> directive = fw::Cast<directiveClass>(fw::RefPtr<fw::Object>(directiveClass::Lookup().New()));
    ASSERT_TRUE(directive);
    fw::SetProperties(*directive, { { "name", std::string("mysetmin") }, { "text", std::string(" 45") } });
    EXPECT_EQ(directive->name, "mysetmin");
    EXPECT_EQ(directive->text, " 45");
    EXPECT_THROW(fw::SetProperties(*directive, { { "value", std::string("45") } }), fw::TypeMismatchException);
}

TEST_F(PrefsTest, WithoutAPreferencesFolderTheDefaultsApplyAndNothingIsSaved)
{
    struct Case {
        const char* name;
        std::optional<std::string> configHome;
    };
    fs::path blocker = Scratch() / "not-a-folder";
    std::ofstream(blocker) << "x";
    const Case cases[] = {
        { "neither XDG_CONFIG_HOME nor HOME", std::nullopt },
        { "a folder that cannot be made", (blocker / "config").string() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetConfigHome(c.configHome);
        std::string minutes;
        int32_t status = RunProgram([&](fw::HeadlessBackend& ui) {
            minutes = Window1()->SetMin()->Text();
            ui.ChooseMenuItem("FileQuit");
        });
        EXPECT_EQ(status, 0);
        EXPECT_EQ(minutes, "30");
        EXPECT_EQ(prefModule::Window1Top, 150);
        EXPECT_EQ(prefModule::Window1Left, 150);
        EXPECT_TRUE(fs::is_regular_file(blocker));
    }
}

TEST_F(PrefsTest, SaveWritesExactlyTheTwoLinesAndDropsTheRest)
{
    WritePrefs("'my notes\n#Colour red\n#Window1Position 1,1\n#MySetMin 80\n\nold tail\n");
    int32_t status = RunProgram([](fw::HeadlessBackend& ui) {
        fw::Ref<class Window1> window = Window1().ToRef();
        ui.MoveWindow(*window, 150, 200);
        for (int i = 0; i < 55; ++i)
            ui.ClickDown(*window, "UpDownArrows1");
        ui.CloseWindow(*window);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadPrefs(), "#Window1Position 150,200\n#MySetMin 25\n");
    EXPECT_TRUE(StrayFiles().empty());

    // What was written reads back the same.
    StartAndRead();
    EXPECT_EQ(prefModule::Window1Top, 150);
    EXPECT_EQ(prefModule::Window1Left, 200);
    EXPECT_EQ(prefModule::MySetMin, 25);
}

TEST_F(PrefsTest, SaveGoesAroundWhatIsInItsWayAndLeavesNothingBehind)
{
    const std::string old = "#Window1Position 11,22\n#MySetMin 33\n";
    const fs::path temporary = ConfigDir() / ("tockamo.txt.tmp-" + std::to_string(::getpid()));
    struct Case {
        const char* name;
        std::function<void()> obstruct;
        std::optional<std::string> saved; // nullopt: no settings file
        fs::path keptFolder;
    };
    const Case cases[] = {
        // A folder where the new file would go first: it stays, and the new
        // file takes another name.
        { "something stands under the temporary file's name", [&] { fs::create_directories(temporary / "in-the-way"); },
            "#Window1Position 300,400\n#MySetMin 33\n", temporary / "in-the-way" },
        // A non-empty folder in the file's place: the new file cannot be put
        // there and must not be left lying about.
        { "the new file cannot replace the old", [&] {
              fs::remove(PrefsFile());
              fs::create_directories(PrefsFile() / "in-the-way");
          },
            std::nullopt, PrefsFile() / "in-the-way" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(temporary);
        fs::remove_all(PrefsFile());
        WritePrefs(old);
        c.obstruct();
        int32_t status = RunProgram([](fw::HeadlessBackend& ui) {
            fw::Ref<class Window1> window = Window1().ToRef();
            ui.MoveWindow(*window, 300, 400);
            ui.ChooseMenuItem("FileQuit");
        });
        EXPECT_EQ(status, 0);
        if (c.saved) {
            EXPECT_EQ(ReadPrefs(), *c.saved);
        }
        EXPECT_TRUE(fs::is_directory(c.keptFolder));
        EXPECT_TRUE(StrayFiles().empty());
        fs::remove_all(temporary);
    }
}

}
}
