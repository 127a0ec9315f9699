#pragma once

#include "framework/headless/HeadlessBackend.h"
#include "tests/support/AppFixture.h"
#include "timer/Window1.h"
#include "timer/Window2.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace tockamo::testing {

using namespace std::chrono_literals;

// Runs the whole program on the headless backend with a preferences file of
// the test's choosing and a script of the user's actions on the main window.
class TimerAppTest : public AppTest {
protected:
    void SetUp() override;

    // Writes "tockamo.txt" with the window at `top`, `left` and `minutes`.
    void WritePrefs(int32_t top, int32_t left, const std::string& minutes);

    // Runs the program with `script` as the user; gives the exit status.
    // `main` is the main window that start-up opened.
    using WindowScript = std::function<void(fw::HeadlessBackend& ui, class Window1& main)>;
    int32_t Run(const WindowScript& script);

    static void ForgetSound();
    // Takes the alarm sound away before its first use in this run.
    static void HideSound();

    // The open Time's Up window, or nil; never makes one.
    static fw::RefPtr<class Window2> OpenAlert();
};

// What a test reads of the two buttons and the timer.
struct ButtonRow {
    int32_t mode;
    bool startEnabled, startDefault, pauseEnabled, pauseDefault;
    std::string pauseCaption;

    bool operator==(const ButtonRow&) const = default;
};
ButtonRow Buttons(class Window1& main);
void PrintTo(const ButtonRow& row, std::ostream* os);

extern const ButtonRow kIdleRow;
extern const ButtonRow kRunningRow;
extern const ButtonRow kPausedRow;

}
