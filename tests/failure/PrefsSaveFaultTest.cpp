#include "tests/failure/ConfigHome.h"
#include "tests/failure/FileFaults.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // strikes the Preferences folder just while the window closes, and
    // `beforeClose` (if any) runs just before.
    Seen RunAndClose(const ConfigHome& home, std::optional<FileFault> fault, void (*beforeClose)(const ConfigHome&) = nullptr)
    {
        Seen seen;
        ui().SetScript([&](fw::HeadlessBackend& ui) {
            seen.top = prefModule::Window1Top;
            seen.left = prefModule::Window1Left;
            seen.minutes = prefModule::MySetMin;
            fw::RefPtr<class Window1> window = Window1();
            ui.MoveWindow(*window, 300, 400);
            ui.ClickUp(*window, "UpDownArrows1");
            if (beforeClose)
                beforeClose(home);
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

namespace fs = std::filesystem;

// What RunAndClose saves when it started from kOldPrefs.
constexpr const char* kSaved = "#Window1Position 300,400\n#MySetMin 8\n";
// What it reads at start from kOldPrefs, and with no file that can be read.
struct Values {
    int32_t top, left, minutes;
};
const Values kOldValues { 40, 60, 7 };
const Values kDefaults { 150, 150, 30 };

// A preferences folder that someone (a careless tool, a hostile user, another
// Tockamo) has arranged. The program starts on it and runs as RunAndClose
// has it; it must neither hang nor grow without bound, and the save must harm
// nothing outside its own file.
struct HostileCase {
    const char* name;
    // Runs in the program's own process just before it starts, so that its
    // process id (which the save's temporary file is named after) is known.
    void (*prepare)(const ConfigHome&);
    std::optional<FileFault> fault; // strikes the folder for the whole run
    Values atStart;
    bool saysUnreadable;            // one line on standard error
    void (*check)(const ConfigHome&, pid_t program);
    // Runs while the main window is open, just before it closes.
    void (*beforeClose)(const ConfigHome&) = nullptr;
};

std::string TemporaryOf(const ConfigHome& home, pid_t program)
{
    return home.Folder() + "/tockamo.txt.tmp-" + std::to_string(program);
}

fs::perms ModeOf(const std::string& path)
{
    return fs::status(path).permissions();
}

void MakePipe(const std::string& path)
{
    if (::mkfifo(path.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make a pipe at " + path);
}

const HostileCase kHostileCases[] = {
    {
        "LinkUnderTheTemporaryName",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            WriteFile(home.Root() + "/victim.txt", "victim\n");
            fs::create_symlink(home.Root() + "/victim.txt", TemporaryOf(home, ::getpid()));
        },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t program) {
            EXPECT_EQ(ReadFile(home.Root() + "/victim.txt"), std::optional<std::string>("victim\n")) << "written through the link";
            EXPECT_TRUE(fs::is_symlink(TemporaryOf(home, program))) << "the link was moved or removed";
            EXPECT_FALSE(fs::is_symlink(home.PrefsPath()));
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
        },
    },
    {
        "PipeUnderTheTemporaryName",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            MakePipe(TemporaryOf(home, ::getpid()));
        },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t program) {
            EXPECT_TRUE(fs::is_fifo(TemporaryOf(home, program)));
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
        },
    },
    {
        "SettingsFileIsAPipe",
        [](const ConfigHome& home) {
            fs::create_directories(home.Folder());
            MakePipe(home.PrefsPath());
        },
        std::nullopt, kDefaults, true,
        [](const ConfigHome& home, pid_t) {
            EXPECT_TRUE(fs::is_fifo(home.PrefsPath()));
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
    {
        "SettingsFileLeadsToADevice",
        [](const ConfigHome& home) {
            fs::create_directories(home.Folder());
            fs::create_symlink("/dev/zero", home.PrefsPath());
        },
        std::nullopt, kDefaults, true,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(fs::read_symlink(home.PrefsPath()), "/dev/zero");
            EXPECT_TRUE(fs::is_character_file("/dev/zero"));
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
    {
        // Far more than the two lines the program writes: only the start is
        // read, so the last line, a megabyte further on, does not count.
        "HugeSettingsFileIsReadOnlyAtItsStart",
        [](const ConfigHome& home) {
            std::string comments;
            for (int i = 0; i < 16384; ++i)
                comments += "'" + std::string(62, 'x') + "\n";
            home.WritePrefs(kOldPrefs + comments + "#MySetMin 45\n");
        },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t) { EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved)); },
    },
    {
        // As GNU Stow arranges it: a relative link into a dotfiles folder.
        "SettingsFileIsALinkIntoADotfilesFolder",
        [](const ConfigHome& home) {
            fs::create_directories(home.Root() + "/dotfiles/tockamo");
            fs::create_directories(home.Folder());
            WriteFile(home.Root() + "/dotfiles/tockamo/tockamo.txt", kOldPrefs);
            fs::create_symlink("../dotfiles/tockamo/tockamo.txt", home.PrefsPath());
        },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t) {
            ASSERT_TRUE(fs::is_symlink(home.PrefsPath())) << "the link was replaced";
            EXPECT_EQ(fs::read_symlink(home.PrefsPath()), "../dotfiles/tockamo/tockamo.txt");
            EXPECT_EQ(ReadFile(home.Root() + "/dotfiles/tockamo/tockamo.txt"), std::optional<std::string>(kSaved));
            std::vector<std::string> dotfiles;
            for (const auto& entry : fs::directory_iterator(home.Root() + "/dotfiles/tockamo"))
                dotfiles.push_back(entry.path().filename().string());
            EXPECT_EQ(dotfiles, std::vector<std::string> { "tockamo.txt" });
        },
    },
    {
        "ReadOnlyFileStaysReadOnly",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            fs::permissions(home.PrefsPath(), fs::perms(0444));
        },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
            EXPECT_EQ(ModeOf(home.PrefsPath()), fs::perms(0444));
        },
    },
    {
        "PrivateFileStaysPrivate",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            fs::permissions(home.PrefsPath(), fs::perms(0600));
        },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
            EXPECT_EQ(ModeOf(home.PrefsPath()), fs::perms(0600));
        },
    },
    {
        "UnreadableFileIsLeftAsItIs",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        FileFault::ReadDenied, kDefaults, true,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kOldPrefs));
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
    {
        // Readable at start, then replaced with a link to a pipe: the save
        // replaces neither the pipe nor the link.
        "SettingsFileTurnsIntoALinkToAPipe",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        std::nullopt, kOldValues, false,
        [](const ConfigHome& home, pid_t) {
            EXPECT_TRUE(fs::is_symlink(home.PrefsPath()));
            EXPECT_TRUE(fs::is_fifo(home.Root() + "/pipe"));
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
        [](const ConfigHome& home) {
            fs::remove(home.PrefsPath());
            MakePipe(home.Root() + "/pipe");
            fs::create_symlink(home.Root() + "/pipe", home.PrefsPath());
        },
    },
    {
        "AnotherTockamoTidiesUpTheNewFile",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        FileFault::TidyUpRace, kOldValues, false,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved)) << "the save was lost";
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
    {
        "FileSystemWithoutLocks",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        FileFault::NoLocks, kOldValues, false,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.name;
}

long ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:"))
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

class PrefsHostileFile : public PrefsSaveFaultTest, public ::testing::WithParamInterface<HostileCase> {
protected:
    // The child: the program, its standard error going to `errors`; what
    // it saw goes to `report`.
    [[noreturn]] void RunInChild(const HostileCase& c, const ConfigHome& home, int report, const std::string& errors)
    {
        int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (err < 0 || ::dup2(err, 2) < 0)
            ::_exit(4);
        c.prepare(home);
        std::optional<FileFaults> faults;
        if (c.fault)
            faults.emplace(*c.fault, home.Folder());
        Seen seen = RunAndClose(home, std::nullopt, c.beforeClose);
        std::fflush(nullptr);
        ::_exit(::write(report, &seen, sizeof seen) == sizeof seen ? 0 : 3);
    }

    // Runs the program in a child process, so that one that hangs or eats
    // memory can be stopped: nothing when it had to be.
    std::optional<Seen> Run(const HostileCase& c, const ConfigHome& home, pid_t& program)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("no pipe");
        std::fflush(nullptr);
        program = ::fork();
        if (program == 0) {
            ::close(fds[0]);
            RunInChild(c, home, fds[1], home.Root() + "/stderr.txt");
        }
        ::close(fds[1]);
        // Far beyond what a run takes, even under the sanitizers; only a
        // program that is stuck gets there.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        const long memoryLimitKb = 1024 * 1024;
        std::optional<Seen> seen;
        for (;;) {
            pollfd p { fds[0], POLLIN, 0 };
            if (::poll(&p, 1, 20) > 0) {
                Seen report;
                if (::read(fds[0], &report, sizeof report) == sizeof report)
                    seen = report;
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the program hangs";
                break;
            }
            if (long kb = ResidentKb(program); kb > memoryLimitKb) {
                ADD_FAILURE() << "the program's memory grows without bound (" << kb / 1024 << " MB)";
                break;
            }
        }
        ::close(fds[0]);
        ::kill(program, SIGKILL);
        ::waitpid(program, nullptr, 0);
        return seen;
    }
};

TEST_P(PrefsHostileFile, StartsQuicklyAndTheSaveHarmsNothing)
{
    const HostileCase& c = GetParam();
    ConfigHome home;
    pid_t program = -1;
    std::optional<Seen> seen = Run(c, home, program);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->status, 0);
    EXPECT_EQ(seen->top, c.atStart.top);
    EXPECT_EQ(seen->left, c.atStart.left);
    EXPECT_EQ(seen->minutes, c.atStart.minutes);

    std::istringstream errors(ReadFile(home.Root() + "/stderr.txt").value_or(""));
    std::vector<std::string> said;
    for (std::string line; std::getline(errors, line);) {
        if (line.find("tockamo.txt") != std::string::npos)
            said.push_back(line);
    }
    if (c.saysUnreadable) {
        ASSERT_EQ(said.size(), 1u);
        EXPECT_TRUE(said[0].starts_with("tockamo: " + home.PrefsPath() + " ")) << said[0];
    } else {
        EXPECT_TRUE(said.empty()) << said.front();
    }
    c.check(home, program);
}

INSTANTIATE_TEST_SUITE_P(Arranged, PrefsHostileFile, ::testing::ValuesIn(kHostileCases),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

}
}
