#include "tests/failure/ConfigHome.h"
#include "tests/support/FileFaults.h"
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
#include <grp.h>
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

class PrefsSaveFaultTest : public ProgramTest {
protected:
    struct Seen {
        int32_t top = 0, left = 0, minutes = 0;
        int faultHits = 0;
        int32_t status = -1;
    };

    // One run of the program: the user moves the main window, raises the
    // minutes by one and closes the window, which saves; `fault` (if any)
    // strikes the Preferences folder just while the window closes, with
    // `error` where it is given, and `beforeClose` (if any) runs just before.
    Seen RunAndClose(const ConfigHome& home, std::optional<FileFault> fault, void (*beforeClose)(const ConfigHome&) = nullptr, int error = 0)
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
                FileFaults faults(*fault, home.Folder(), error);
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

// What RunAndClose saves when it started from kOldPrefs.
constexpr const char* kSaved = "#Window1Position 300,400\n#MySetMin 8\n";

struct SaveCase {
    const char* name;
    std::optional<FileFault> fault;
    int error;
    const char* expected;
    // What the one line on standard error says; nullptr for no line.
    const char* says;
};

const SaveCase kSaveCases[] = {
    { "NoFailureReplacesTheOldSettings", std::nullopt, 0, kSaved, nullptr },
    { "ReadOnlyFolderCannotMakeTheNewFile", FileFault::Create, 0, kOldPrefs, "was not saved: no new file can be made in" },
    { "FullDiskStopsTheWriteHalfWay", FileFault::Write, 0, kOldPrefs, "was not saved: the new file cannot be written (No space left on device)" },
    { "SyncToDiskFails", FileFault::Sync, 0, kOldPrefs, "was not saved: the new file cannot be synced to disk (Input/output error)" },
    { "RenameOverTheOldFileFails", FileFault::Rename, 0, kOldPrefs, "was not saved: the new file cannot take its place (Input/output error)" },
    // A settings file mounted on its own, as containers have it, cannot be
    // replaced, but it can be written where it stands.
    { "BindMountedSettingsFile", FileFault::Rename, EBUSY, kSaved, nullptr },
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

    ::testing::internal::CaptureStderr();
    Seen seen = RunAndClose(home, c.fault, nullptr, c.error);
    ExpectSaid(::testing::internal::GetCapturedStderr(), home.PrefsPath(), c.says);

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

// What it reads at start from kOldPrefs, and with no file that can be read.
struct Values {
    int32_t top, left, minutes;
};
const Values kOldValues { 40, 60, 7 };
const Values kDefaults { 150, 150, 30 };
constexpr const char* kUnreadable = "could not be read at start, so it is left as it is";

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
    // What the one line on standard error that names the file says; nullptr
    // for no line.
    const char* says;
    void (*check)(const ConfigHome&, pid_t program);
    // Runs while the main window is open, just before it closes.
    void (*beforeClose)(const ConfigHome&) = nullptr;
    // The error the fault gives, where not its own.
    int faultError = 0;
    // Things of another user's are made in `prepare`, which takes root.
    bool needsRoot = false;
    // The program runs as a user for whom permissions hold, as the folder's
    // owner, which also takes root to arrange.
    bool unprivileged = false;
};

// Someone else on a shared machine, and the user the unprivileged rows run as.
constexpr uid_t kOtherUser = 54321;
constexpr uid_t kUnprivileged = 65534;

// The file as a link to the user's notes, planted by another user in the
// Preferences folder, which everyone may write and which is sticky.
void PlantLinkToNotes(const ConfigHome& home)
{
    fs::create_directories(home.Folder());
    fs::permissions(home.Folder(), fs::perms(01777));
    WriteFile(home.Root() + "/notes.txt", "my notes\n");
    fs::remove(home.PrefsPath());
    fs::create_symlink(home.Root() + "/notes.txt", home.PrefsPath());
    if (::lchown(home.PrefsPath().c_str(), kOtherUser, kOtherUser) != 0)
        throw std::runtime_error("cannot give the link away");
}

void NotesUntouched(const ConfigHome& home, pid_t)
{
    EXPECT_EQ(ReadFile(home.Root() + "/notes.txt"), std::optional<std::string>("my notes\n")) << "written through the link";
    EXPECT_EQ(fs::read_symlink(home.PrefsPath()), home.Root() + "/notes.txt");
}

void LeftAsItWas(const ConfigHome& home, pid_t)
{
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kOldPrefs));
    EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
}

void Saved(const ConfigHome& home, pid_t)
{
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
    EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
}

// Gives the whole tree to the unprivileged user and becomes that user, as
// `setpriv --reuid --regid --clear-groups` would, so that permission bits
// hold as they hold for a user: root passes them all.
void BecomeUnprivileged(const ConfigHome& home)
{
    ::lchown(home.Root().c_str(), kUnprivileged, kUnprivileged);
    for (const auto& entry : fs::recursive_directory_iterator(home.Root()))
        ::lchown(entry.path().c_str(), kUnprivileged, kUnprivileged);
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kUnprivileged, kUnprivileged, kUnprivileged) != 0
        || ::setresuid(kUnprivileged, kUnprivileged, kUnprivileged) != 0)
        ::_exit(5);
}

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
        std::nullopt, kOldValues, nullptr,
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
        std::nullopt, kOldValues, nullptr,
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
        std::nullopt, kDefaults, kUnreadable,
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
        std::nullopt, kDefaults, kUnreadable,
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
        std::nullopt, kOldValues, nullptr,
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
        std::nullopt, kOldValues, nullptr,
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
        std::nullopt, kOldValues, nullptr,
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
        std::nullopt, kOldValues, nullptr,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved));
            EXPECT_EQ(ModeOf(home.PrefsPath()), fs::perms(0600));
        },
    },
    {
        "UnreadableFileIsLeftAsItIs",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        FileFault::ReadDenied, kDefaults, kUnreadable, &LeftAsItWas,
    },
    // A file that cannot be read whole is a file that could not be read.
    { "ReadErrorAtStart", [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); }, FileFault::Read, kDefaults, kUnreadable, &LeftAsItWas },
    {
        "ReadThatWouldWaitAtStart", [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); }, FileFault::Read, kDefaults, kUnreadable,
        &LeftAsItWas, nullptr, EAGAIN,
    },
    {
        // Readable at start, then replaced with a link to a pipe: the save
        // replaces neither the pipe nor the link.
        "SettingsFileTurnsIntoALinkToAPipe",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        std::nullopt, kOldValues, "was not saved: it is not a regular file",
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
        FileFault::TidyUpRace, kOldValues, nullptr,
        [](const ConfigHome& home, pid_t) {
            EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(kSaved)) << "the save was lost";
            EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
        },
    },
    {
        "FileSystemWithoutLocks",
        [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); },
        FileFault::NoLocks, kOldValues, nullptr, &Saved,
    },
    // Another process's tidy-up, stopped while it holds the new file's lock.
    { "StoppedTidyUpHoldsTheLock", [](const ConfigHome& home) { home.WritePrefs(kOldPrefs); }, FileFault::StuckTidyUp, kOldValues, nullptr, &Saved },
    // A link that another user planted in a folder shared with others is
    // followed neither by the reader nor by the save.
    {
        "AnotherUsersLinkInASharedFolder", &PlantLinkToNotes, std::nullopt, kDefaults, kUnreadable, &NotesUntouched, nullptr, 0, true,
    },
    {
        "AnotherUsersLinkPlantedWhileRunning",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            fs::permissions(home.Folder(), fs::perms(01777));
        },
        std::nullopt, kOldValues, "was not saved: it leads through another user's symbolic link in a folder shared with others", &NotesUntouched,
        &PlantLinkToNotes, 0, true,
    },
    {
        "LinksInACircle",
        [](const ConfigHome& home) {
            fs::create_directories(home.Folder());
            fs::create_symlink("loop-b", home.Folder() + "/loop-a");
            fs::create_symlink("loop-a", home.Folder() + "/loop-b");
            fs::create_symlink("loop-a", home.PrefsPath());
        },
        std::nullopt, kDefaults, "was not saved: it leads through more than 40 symbolic links",
        [](const ConfigHome& home, pid_t) { EXPECT_EQ(fs::read_symlink(home.PrefsPath()), "loop-a"); },
    },
    // A user's own folder that the user cannot write.
    {
        "FolderTheUserCannotWrite",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            fs::permissions(home.Folder(), fs::perms(0555));
        },
        std::nullopt, kOldValues, nullptr, &Saved, nullptr, 0, true, true,
    },
    {
        "NeitherTheFolderNorTheFileWritable",
        [](const ConfigHome& home) {
            home.WritePrefs(kOldPrefs);
            fs::permissions(home.PrefsPath(), fs::perms(0444));
            fs::permissions(home.Folder(), fs::perms(0555));
        },
        std::nullopt, kOldValues, "was not saved: its folder takes no new file (Permission denied), and writing it where it stands failed (Permission denied)",
        &LeftAsItWas, nullptr, 0, true, true,
    },
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.name;
}

long ResidentKb(pid_t pid)
{
    return std::atol(StatusField(pid, "VmRSS").c_str());
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
        if (c.unprivileged)
            BecomeUnprivileged(home);
        std::optional<FileFaults> faults;
        if (c.fault)
            faults.emplace(*c.fault, home.Folder(), c.faultError);
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
    if ((c.needsRoot || c.unprivileged) && ::geteuid() != 0)
        GTEST_SKIP() << "this row needs root, to make another user's link or to run as another user";
    ConfigHome home;
    pid_t program = -1;
    std::optional<Seen> seen = Run(c, home, program);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->status, 0);
    EXPECT_EQ(seen->top, c.atStart.top);
    EXPECT_EQ(seen->left, c.atStart.left);
    EXPECT_EQ(seen->minutes, c.atStart.minutes);

    ExpectSaid(ReadFile(home.Root() + "/stderr.txt").value_or(""), home.PrefsPath(), c.says);
    c.check(home, program);
}

INSTANTIATE_TEST_SUITE_P(Arranged, PrefsHostileFile, ::testing::ValuesIn(kHostileCases),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

}
}
