#include "tests/failure/ConfigHome.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::optional<std::string> ReadFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

}
