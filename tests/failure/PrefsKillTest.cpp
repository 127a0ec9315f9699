#include "tests/failure/ConfigHome.h"
#include "tests/support/FileFaults.h"
#include "tests/support/HeadlessFixture.h"

#include "app/Startup.h"
#include "framework/Backend.h"
#include "framework/headless/HeadlessBackend.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace tockamo::testing {
namespace {

// The child: the real program on the headless backend, saving its settings
// as fast as it can. Save number i writes top i, left 2i and minutes
// i % 90 + 1, so any mix of two saves in one file shows. One byte on `ack`
// after each save that returned.
[[noreturn]] void SaveUntilKilled(int ack)
{
    auto backend = std::make_unique<fw::HeadlessBackend>();
    backend->SetScript([ack](fw::HeadlessBackend& ui) {
        fw::RefPtr<class Window1> window = Window1();
        for (int32_t i = 1;; ++i) {
            ui.MoveWindow(*window, i, 2 * i);
            window->SetMin()->SetText(std::to_string(i % 90 + 1));
            prefModule::savePrefs();
            char byte = 1;
            if (::write(ack, &byte, 1) != 1)
                ::_exit(3);
        }
    });
    fw::InstallBackend(std::move(backend));
    main();
    ::_exit(2);
}

std::string Written(long top, long left, long minutes)
{
    return "#Window1Position " + std::to_string(top) + "," + std::to_string(left) + "\n#MySetMin " + std::to_string(minutes) + "\n";
}

// Reads `count` bytes from `fd`, waiting at most five seconds in all.
bool ReadAcks(int fd, int count)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (count > 0) {
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
        pollfd p { fd, POLLIN, 0 };
        if (left <= 0 || ::poll(&p, 1, left) <= 0)
            return false;
        char buffer[64];
        ssize_t n = ::read(fd, buffer, std::min<size_t>(sizeof buffer, static_cast<size_t>(count)));
        if (n <= 0)
            return false;
        count -= static_cast<int>(n);
    }
    return true;
}

// The child: the real program, whose save on closing the main window
// hangs in the sync to disk; one byte on `ack` when it gets there, and the
// child stays there until it is killed.
[[noreturn]] void SaveHangingInSync(int ack, const std::string& folder)
{
    auto backend = std::make_unique<fw::HeadlessBackend>();
    backend->SetScript([ack, folder](fw::HeadlessBackend& ui) {
        fw::RefPtr<class Window1> window = Window1();
        ui.MoveWindow(*window, 5, 6);
        FileFaults hang(FileFault::SyncHangs, folder);
        hang.NotifyHits(ack);
        ui.CloseWindow(*window);
        ::_exit(3);
    });
    fw::InstallBackend(std::move(backend));
    main();
    ::_exit(2);
}

// A second Tockamo whose save is under way (hanging in its sync) until the
// object goes, when it is killed.
class SaveUnderWay {
public:
    explicit SaveUnderWay(const std::string& folder)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("no pipe");
        std::fflush(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            SaveHangingInSync(fds[1], folder);
        }
        ::close(fds[1]);
        m_temporaryName = "tockamo.txt.tmp-" + std::to_string(m_pid);
        m_syncing = m_pid > 0 && ReadAcks(fds[0], 1);
        ::close(fds[0]);
    }
    ~SaveUnderWay() { Kill(); }
    SaveUnderWay(const SaveUnderWay&) = delete;
    SaveUnderWay& operator=(const SaveUnderWay&) = delete;

    bool Syncing() const { return m_syncing; }
    const std::string& TemporaryName() const { return m_temporaryName; }
    void Kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    std::string m_temporaryName;
    bool m_syncing = false;
};

using PrefsKill = fw::testing::HeadlessTest;

// One clean run of the program on the headless backend: the user moves the
// main window, sets the minutes to 1 and closes the window, which saves.
void RunAndClose(fw::HeadlessBackend& backend, int32_t top, int32_t left)
{
    backend.SetScript([top, left](fw::HeadlessBackend& ui) {
        fw::RefPtr<class Window1> window = Window1();
        ui.MoveWindow(*window, top, left);
        for (int click = 0; click < 100 && window->SetMin()->Text() != "1"; ++click)
            ui.ClickDown(*window, "UpDownArrows1");
        ui.CloseWindow(*window);
    });
    EXPECT_EQ(main(), 0);
}

TEST_F(PrefsKill, ASaveKilledAnywhereLeavesTheOldOrTheNewFileWhole)
{
    ConfigHome home;
    home.WritePrefs("#Window1Position 0,0\n#MySetMin 1\n");

    auto start = std::chrono::steady_clock::now();
    int kills = 0;
    for (int round = 0; round < 40 && std::chrono::steady_clock::now() - start < std::chrono::seconds(2); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::fflush(nullptr);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            SaveUntilKilled(fds[1]);
        }
        ::close(fds[1]);
        // Let a varying number of saves complete; the child is then already
        // in the middle of the next one.
        const int saved = 1 + (round * 7) % 13;
        bool acknowledged = ReadAcks(fds[0], saved);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fds[0]);
        ASSERT_TRUE(acknowledged) << "the child stopped saving (status " << status << ")";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        ++kills;

        std::optional<std::string> contents = home.ReadPrefs();
        ASSERT_TRUE(contents.has_value()) << "tockamo.txt is gone";
        long top = -1, left = -1, minutes = -1;
        std::sscanf(contents->c_str(), "#Window1Position %ld,%ld\n#MySetMin %ld", &top, &left, &minutes);
        ASSERT_EQ(*contents, Written(top, left, minutes)) << "torn file";
        EXPECT_EQ(left, 2 * top) << *contents;
        EXPECT_EQ(minutes, top % 90 + 1) << *contents;
        EXPECT_GE(top, saved) << "a save that had returned was lost";
    }
    RecordProperty("kills", kills);
    EXPECT_GE(kills, 5);

    // Whatever the killed saves left beside the settings, the next save
    // clears it away.
    RunAndClose(ui(), 70, 80);
    EXPECT_EQ(home.FolderEntries(), std::vector<std::string> { "tockamo.txt" });
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(Written(70, 80, 1)));
}

TEST_F(PrefsKill, TheNextSaveRemovesWhatKilledSavesLeftAndNothingElse)
{
    ConfigHome home;
    home.WritePrefs("#Window1Position 1,2\n#MySetMin 3\n");
    // Things of the user's own, and names that only look like a save's.
    const std::vector<std::string> others = { "notes.txt", "tockamo.txt.tmp-", "tockamo.txt.tmp-12a", "tockamo.txt.tmp-7.bak",
        "tockamo.txt.tmp-007", "xtockamo.txt.tmp-7", "tockamo.txt.tmp-99 ", "tockamo.txt.tmp-7-", "tockamo.txt.tmp-7-02" };
    for (const std::string& name : others)
        WriteFile(home.Folder() + "/" + name, "mine\n");
    // What a killed save left under the second name it tries when its first
    // one was taken.
    WriteFile(home.Folder() + "/tockamo.txt.tmp-97-1", "#MySetMin 9\n");
    std::filesystem::create_directory(home.Folder() + "/tockamo.txt.tmp-98");

    // The save under way starts first: the killed one tidies up too, before
    // it hangs, and must not see the other's file as left over.
    SaveUnderWay running(home.Folder());
    ASSERT_TRUE(running.Syncing());
    SaveUnderWay killed(home.Folder());
    ASSERT_TRUE(killed.Syncing());
    killed.Kill();
    std::vector<std::string> before = home.FolderEntries();
    ASSERT_NE(std::find(before.begin(), before.end(), killed.TemporaryName()), before.end()) << "the killed save left nothing to clear";

    RunAndClose(ui(), 40, 50);
    std::vector<std::string> expected = others;
    expected.insert(expected.end(), { "tockamo.txt", "tockamo.txt.tmp-98", running.TemporaryName() });
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(home.FolderEntries(), expected);
    EXPECT_EQ(home.ReadPrefs(), std::optional<std::string>(Written(40, 50, 1)));
    for (const std::string& name : others)
        EXPECT_EQ(ReadFile(home.Folder() + "/" + name), std::optional<std::string>("mine\n")) << name;
    EXPECT_TRUE(std::filesystem::is_directory(home.Folder() + "/tockamo.txt.tmp-98"));
}

}
}
