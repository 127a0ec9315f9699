#include "framework/FolderItem.h"
#include "framework/TextInputStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A fresh folder under the test temp dir, removed afterwards.
class FolderItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = fs::path(::testing::TempDir()) / (std::string("tockamo-folderitem-") + info->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_root, ignored);
    }

    std::string Root() const { return m_root.string(); }

private:
    fs::path m_root;
};

// Sets or unsets an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST_F(FolderItemTest, ChildNamesThatFormNoItemGiveNil)
{
    fw::Ref<fw::FolderItem> folder = fw::FolderItem::Create(Root());
    struct Case {
        const char* name;
        std::string child;
        bool formed;
    } cases[] = {
        { "plain name", "tockamo.txt", true },
        { "name with blanks", "my prefs.txt", true },
        { "hidden file", ".tockamo", true },
        { "empty", "", false },
        { "dot", ".", false },
        { "dot dot", "..", false },
        { "slash", "a/b", false },
        { "NUL", std::string("a\0b", 3), false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fw::RefPtr<fw::FolderItem> child = folder->Child(c.child);
        EXPECT_EQ(!child.IsNil(), c.formed);
        if (child) {
            EXPECT_EQ(child->NativePath(), Root() + "/" + c.child);
            EXPECT_EQ(child->Name(), c.child);
            EXPECT_EQ(child->Parent()->NativePath(), Root());
        }
    }
    EXPECT_EQ(fw::FolderItem::Create("/")->Child("etc")->NativePath(), "/etc");
    EXPECT_TRUE(fw::FolderItem::Create("/")->Parent().IsNil());
    EXPECT_EQ(fw::FolderItem::Create("/usr/")->Name(), "usr");
}

TEST_F(FolderItemTest, ExistsAndOpens)
{
    fw::Ref<fw::FolderItem> folder = fw::FolderItem::Create(Root());
    fw::Ref<fw::FolderItem> file = folder->Child("tockamo.txt").ToRef();
    EXPECT_TRUE(folder->Exists());
    EXPECT_TRUE(folder->IsFolder());
    EXPECT_FALSE(file->Exists()) << "an item for a missing file still forms";
    EXPECT_TRUE(file->OpenAsTextFile().IsNil());

    std::ofstream(file->NativePath()) << "old\n";
    EXPECT_TRUE(file->Exists());
    EXPECT_FALSE(file->IsFolder());
    EXPECT_EQ(file->OpenAsTextFile()->ReadLine(), "old");
    EXPECT_TRUE(folder->OpenAsTextFile().IsNil()) << "a folder is not a text file";
}

TEST_F(FolderItemTest, PreferencesFollowsXdgRules)
{
    const std::string home = Root() + "/home";
    const std::string homeSlash = home + "/";
    const std::string xdg = Root() + "/xdg/config";
    fs::create_directories(home);
    struct Case {
        const char* name;
        const char* xdgConfigHome;
        const char* home;
        std::optional<std::string> expected;
    } cases[] = {
        { "XDG_CONFIG_HOME wins and is created", xdg.c_str(), home.c_str(), xdg },
        { "relative XDG_CONFIG_HOME is ignored", "relative/config", home.c_str(), home + "/.config" },
        { "empty XDG_CONFIG_HOME is ignored", "", home.c_str(), home + "/.config" },
        { "HOME/.config when XDG_CONFIG_HOME is unset", nullptr, home.c_str(), home + "/.config" },
        { "HOME with trailing slash", nullptr, homeSlash.c_str(), home + "/.config" },
        { "no HOME", nullptr, nullptr, std::nullopt },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(xdg);
        fs::remove_all(home + "/.config");
        ScopedEnv setXdg("XDG_CONFIG_HOME", c.xdgConfigHome);
        ScopedEnv setHome("HOME", c.home);
        fw::RefPtr<fw::FolderItem> prefs = fw::SpecialFolder::Preferences();
        if (!c.expected) {
            EXPECT_TRUE(prefs.IsNil());
            continue;
        }
        ASSERT_TRUE(prefs);
        EXPECT_EQ(prefs->NativePath(), *c.expected);
        EXPECT_TRUE(prefs->IsFolder());
    }
}

TEST_F(FolderItemTest, PreferencesIsNilAndSaysWhyWhenItCannotBeAFolder)
{
    const std::string blocker = Root() + "/file";
    const std::string dangling = Root() + "/dangling";
    std::ofstream(blocker) << "precious\n";
    fs::create_symlink(Root() + "/nowhere", dangling);
    struct Case {
        const char* name;
        std::string xdgConfigHome;
        std::string problem;
    } cases[] = {
        { "a file stands where the folder should be", blocker, blocker + " is not a folder" },
        { "below a file", blocker + "/below", "cannot make " + blocker + "/below (Not a directory)" },
        { "a link to nowhere", dangling, dangling + " (No such file or directory)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv setXdg("XDG_CONFIG_HOME", c.xdgConfigHome.c_str());
        std::string problem;
        EXPECT_TRUE(fw::SpecialFolder::Preferences(&problem).IsNil());
        EXPECT_EQ(problem, c.problem);
    }
    EXPECT_TRUE(fs::is_regular_file(blocker)) << "the file in the way is left alone";
    if (::geteuid() != 0) {
        const std::string locked = Root() + "/locked";
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        ScopedEnv setXdg("XDG_CONFIG_HOME", (locked + "/config").c_str());
        EXPECT_TRUE(fw::SpecialFolder::Preferences().IsNil()) << "the folder cannot be made";
        fs::permissions(locked, fs::perms::owner_all);
    }
}

}
