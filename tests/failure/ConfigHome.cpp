#include "tests/failure/ConfigHome.h"

#include "app/Startup.h"
#include "framework/Runtime.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace tockamo::testing {

ConfigHome::ConfigHome()
{
    std::string base = std::filesystem::temp_directory_path().string() + "/tockamo-failure-XXXXXX";
    if (!::mkdtemp(base.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_root = base;
    if (const char* old = std::getenv("XDG_CONFIG_HOME"))
        m_saved = old;
    PointAt(Folder());
}

ConfigHome::~ConfigHome()
{
    if (m_saved)
        ::setenv("XDG_CONFIG_HOME", m_saved->c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void ConfigHome::PointAt(const std::string& path)
{
    ::setenv("XDG_CONFIG_HOME", path.c_str(), 1);
}

void ConfigHome::WritePrefs(const std::string& contents) const
{
    std::filesystem::create_directories(Folder());
    WriteFile(PrefsPath(), contents);
}

std::optional<std::string> ConfigHome::ReadPrefs() const
{
    return ReadFile(PrefsPath());
}

std::vector<std::string> ConfigHome::FolderEntries() const
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(Folder(), error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ProgramTest::SetUp()
{
    HeadlessTest::SetUp();
    fw::SetProgramIdentity(Identity());
}

void ProgramTest::TearDown()
{
    fw::SetProgramIdentity({});
    HeadlessTest::TearDown();
}

std::vector<std::string> LinesNaming(const std::string& said, const std::string& path)
{
    std::istringstream lines(said);
    std::vector<std::string> naming;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(path) != std::string::npos)
            naming.push_back(line);
    }
    return naming;
}

void ExpectSaid(const std::string& said, const std::string& path, const char* words)
{
    std::vector<std::string> lines = LinesNaming(said, path);
    if (!words) {
        EXPECT_TRUE(lines.empty()) << lines.front();
        return;
    }
    ASSERT_EQ(lines.size(), 1u) << said;
    EXPECT_TRUE(lines[0].starts_with("tockamo: ")) << lines[0];
    EXPECT_NE(lines[0].find(words), std::string::npos) << lines[0];
}

}
