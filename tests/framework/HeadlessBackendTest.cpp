#include "tests/support/HeadlessFixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

using namespace std::chrono_literals;

class HeadlessBackendTest : public fw::testing::HeadlessTest { };

TEST_F(HeadlessBackendTest, OnlyFilesWithAWaveHeaderLoadAsSounds)
{
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "HeadlessBackendTest";
    std::filesystem::create_directories(folder);

    struct Case {
        const char* name;
        const char* file; // nullptr: the file does not exist
        std::string contents;
        bool loads;
    };
    const Case cases[] = {
        { "missing", nullptr, "", false },
        { "wave", "ok.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), true },
        { "riff of another kind", "avi.wav", std::string("RIFF\x24\0\0\0AVI LIST", 16), false },
        { "text", "text.wav", "not a sound at all", false },
        { "too short", "short.wav", "RIFF", false },
    };
    int attempts = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = (folder / (c.file ? c.file : "missing.wav")).string();
        if (c.file)
            std::ofstream(path, std::ios::binary) << c.contents;
        EXPECT_EQ(ui().LoadSound(path) != nullptr, c.loads);
        EXPECT_EQ(ui().SoundsLoaded(), ++attempts);
    }
}

TEST_F(HeadlessBackendTest, PlaysAreRecordedWithTheirVirtualTime)
{
    ui().Advance(1500ms);
    ui().PlaySound(nullptr, "/r/Microwave.wav");
    ui().Advance(10000ms);
    ui().PlaySound(nullptr, "/r/Microwave.wav");

    ASSERT_EQ(ui().SoundsPlayed().size(), 2u);
    EXPECT_EQ(ui().SoundsPlayed()[0].at, 1500ms);
    EXPECT_EQ(ui().SoundsPlayed()[1].at, 11500ms);
    EXPECT_EQ(ui().SoundsPlayed()[1].path, "/r/Microwave.wav");
}

}
