#include "tests/failure/ConfigHome.h"

#include "app/Startup.h"
#include "framework/Backend.h"
#include "framework/headless/HeadlessBackend.h"
#include "prefs/prefModule.h"
#include "timer/Window1.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
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

TEST(PrefsKill, ASaveKilledAnywhereLeavesTheOldOrTheNewFileWhole)
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
}

}
}
