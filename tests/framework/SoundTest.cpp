#include "framework/FolderItem.h"
#include "framework/Sound.h"
#include "tests/support/HeadlessFixture.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class SoundTest : public fw::testing::HeadlessTest {
protected:
    fw::Ref<fw::FolderItem> Folder()
    {
        fs::path dir = fs::path(::testing::TempDir()) / "tockamo-sound";
        fs::create_directories(dir);
        return fw::FolderItem::Create(dir.string());
    }
    static void Write(const fw::FolderItem& file, const std::string& bytes)
    {
        std::ofstream(file.NativePath(), std::ios::binary | std::ios::trunc) << bytes;
    }
};

TEST_F(SoundTest, OpenAsSoundLoadsThroughTheBackendAndPlaysEachTime)
{
    fw::Ref<fw::FolderItem> wav = Folder()->Child("alarm.wav").ToRef();
    Write(*wav, std::string("RIFF\x24\0\0\0WAVEfmt ", 16));

    fw::RefPtr<fw::Sound> sound = wav->OpenAsSound();
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->Path(), wav->NativePath());
    EXPECT_EQ(&sound->Class(), &fw::Sound::Lookup());
    EXPECT_EQ(ui().SoundsLoaded(), 1);

    sound->Play();
    sound->Play();
    ASSERT_EQ(ui().SoundsPlayed().size(), 2u);
    EXPECT_EQ(ui().SoundsPlayed()[0].path, wav->NativePath());
    EXPECT_EQ(ui().SoundsLoaded(), 1) << "playing does not load again";
}

TEST_F(SoundTest, WhatIsNotASoundGivesNil)
{
    fw::Ref<fw::FolderItem> folder = Folder();
    fw::Ref<fw::FolderItem> text = folder->Child("notes.wav").ToRef();
    Write(*text, "#MySetMin 25\n");
    struct Case {
        const char* name;
        fw::Ref<fw::FolderItem> item;
    } cases[] = {
        { "missing file", folder->Child("missing.wav").ToRef() },
        { "text file", text },
        { "folder", folder },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.item->OpenAsSound().IsNil());
    }
    EXPECT_TRUE(ui().SoundsPlayed().empty());
}

TEST_F(SoundTest, BeepGoesToTheBackend)
{
    fw::Beep();
    EXPECT_EQ(ui().Beeps(), 1);
}

}
