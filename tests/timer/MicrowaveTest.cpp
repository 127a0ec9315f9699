#include "tests/timer/TimerFixture.h"

#include "timer/Microwave.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tockamo::testing {
namespace {

using MicrowaveTest = TimerAppTest;

TEST_F(MicrowaveTest, TheSoundFileIsReadOncePerRun)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        EXPECT_EQ(ui.SoundsLoaded(), 0); // not at start-up
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        ui.Advance(20s);
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        // Two countdown alarms and the alert's eight ten-second repeats.
        EXPECT_EQ(ui.SoundsPlayed().size(), 10u);
        EXPECT_EQ(ui.SoundsLoaded(), 1);
        for (const auto& play : ui.SoundsPlayed())
            EXPECT_EQ(std::filesystem::path(play.path).filename(), "Microwave.wav");
        EXPECT_EQ(ui.Beeps(), 0);
    });
    EXPECT_TRUE(x_Microwave::loaded);
    EXPECT_TRUE(x_Microwave::permaSound.IsNil()); // released by the finaliser
}

TEST_F(MicrowaveTest, WithoutTheSoundTheBellStandsIn)
{
    WritePrefs(150, 150, "1");
    Run([&](fw::HeadlessBackend& ui, class Window1& main) {
        HideSound();
        ui.Press(main, "MyStart");
        ui.Advance(60s);
        EXPECT_EQ(ui.Beeps(), 1);
        EXPECT_TRUE(ui.SoundsPlayed().empty());
        // Every other step of the time-up goes on.
        fw::RefPtr<class Window2> alert = OpenAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->Top(), 170);
        EXPECT_EQ(Buttons(main), kIdleRow);
        ui.Advance(20s);
        EXPECT_EQ(ui.Beeps(), 3);
        // Looked for once, never again.
        EXPECT_EQ(ui.SoundsLoaded(), 1);
    });
}

TEST_F(MicrowaveTest, TheGeneratedChimeIsAShortPcmWave)
{
    std::ifstream file(std::filesystem::path(TOCKAMO_TEST_RESOURCES_DIR) / "Microwave.wav", std::ios::binary);
    ASSERT_TRUE(file);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 44u);
    auto le = [&](size_t at, int count) {
        uint32_t value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
        return value;
    };
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(le(4, 4), bytes.size() - 8);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le(20, 2), 1u); // PCM
    EXPECT_EQ(le(22, 2), 1u); // mono
    uint32_t rate = le(24, 4);
    EXPECT_TRUE(rate == 22050 || rate == 44100);
    EXPECT_EQ(le(34, 2), 16u);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    uint32_t dataSize = le(40, 4);
    EXPECT_EQ(bytes.size(), 44u + dataSize);
    double seconds = dataSize / 2.0 / rate;
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 2.0);
    // Loud enough to be heard across a room, and never clipped.
    int32_t peak = 0;
    for (size_t at = 44; at + 1 < bytes.size(); at += 2)
        peak = std::max<int32_t>(peak, std::abs(static_cast<int16_t>(le(at, 2))));
    EXPECT_GT(peak, 32767 / 2);
    EXPECT_LT(peak, 32767);
}

}
}
