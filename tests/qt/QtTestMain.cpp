#include <QApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Test discovery runs this program at build time, where there is no
    // display; the offscreen platform makes real Qt windows without one.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // No test may make a noise on the machine that runs it; the sound tests
    // choose their own driver.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // The signal tests raise SIGINT, which the backend leaves ignored when
    // it came so (a test run started in the background by a script).
    std::signal(SIGINT, SIG_DFL);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
