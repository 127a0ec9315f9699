#include "tests/timer/TimerFixture.h"

#include "framework/Runtime.h"
#include "timer/Microwave.h"

#include <filesystem>

namespace tockamo::testing {

const ButtonRow kIdleRow { 0, true, true, false, false, "Pause" };
const ButtonRow kRunningRow { 2, false, false, true, true, "Pause" };
const ButtonRow kPausedRow { 0, true, false, true, true, "Continue" };

void TimerAppTest::SetUp()
{
    AppTest::SetUp();
    ForgetSound();
}

void TimerAppTest::ForgetSound()
{
    // A process holds one run of the program; the tests hold many, and each
    // run looks for its sound afresh.
    x_Microwave::loaded = false;
    x_Microwave::permaSound.Exit();
}

void TimerAppTest::WritePrefs(int32_t top, int32_t left, const std::string& minutes)
{
    AppTest::WritePrefs("#Window1Position " + std::to_string(top) + "," + std::to_string(left) + "\n#MySetMin " + minutes + "\n");
}

int32_t TimerAppTest::Run(const WindowScript& script)
{
    ForgetSound();
    int32_t status = RunProgram([&script](fw::HeadlessBackend& ui) {
        fw::RefPtr<fw::Window> main = fw::GetImplicitWindow("Window1.Window1");
        ASSERT_TRUE(main) << "start-up opened no main window";
        script(ui, static_cast<class Window1&>(*main));
    });
    // The framework reports an exception that escapes a handler and ends the
    // run with status 1; the program raises none of its own.
    EXPECT_EQ(status, 0) << "the run ended on an unhandled exception";
    return status;
}

void TimerAppTest::HideSound()
{
    fw::SetExecutablePath((std::filesystem::temp_directory_path() / "tockamo-no-such-folder" / "bin" / "tockamo").string());
}

fw::RefPtr<class Window2> TimerAppTest::OpenAlert()
{
    return fw::Cast<class Window2>(fw::GetImplicitWindow("Window2.Window2"));
}

ButtonRow Buttons(class Window1& main)
{
    return ButtonRow {
        main.Timer1()->Mode(),
        main.MyStart()->Enabled(),
        main.MyStart()->Default(),
        main.MyPause()->Enabled(),
        main.MyPause()->Default(),
        main.MyPause()->Caption(),
    };
}

void PrintTo(const ButtonRow& row, std::ostream* os)
{
    *os << "{mode " << row.mode << ", start " << (row.startEnabled ? "enabled" : "disabled")
        << (row.startDefault ? " default" : "") << ", pause " << (row.pauseEnabled ? "enabled" : "disabled")
        << (row.pauseDefault ? " default" : "") << " \"" << row.pauseCaption << "\"}";
}

}
