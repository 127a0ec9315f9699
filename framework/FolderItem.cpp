#include "FolderItem.h"

#include "Sound.h"
#include "TextInputStream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace fw {

namespace {

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// mkdir -p: every missing folder along `path` is made, readable only by the
// user, since a preferences folder is nobody else's business. Nothing when
// `path` is a folder now; otherwise why not.
std::optional<std::string> MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return "cannot make " + prefix + " (" + std::strerror(errno) + ")";
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return path + " (" + std::strerror(errno) + ")";
    if (!S_ISDIR(info.st_mode))
        return path + " is not a folder";
    return std::nullopt;
}

std::string WithoutTrailingSlashes(const std::string& path)
{
    size_t end = path.find_last_not_of('/');
    return end == std::string::npos ? std::string(path.empty() ? "" : "/") : path.substr(0, end + 1);
}

}

Ref<FolderItem> FolderItem::Create(const std::string& path)
{
    return Adopt(*new FolderItem(path));
}

std::string FolderItem::Name() const
{
    std::string path = WithoutTrailingSlashes(m_path);
    if (path == "/")
        return path;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

RefPtr<FolderItem> FolderItem::Child(const std::string& name) const
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return nullptr;
    if (m_path.empty())
        return Create(name);
    if (m_path.back() == '/')
        return Create(m_path + name);
    return Create(m_path + "/" + name);
}

RefPtr<FolderItem> FolderItem::Parent() const
{
    std::string path = WithoutTrailingSlashes(m_path);
    if (path.empty() || path == "/")
        return nullptr;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return nullptr;
    return Create(slash == 0 ? std::string("/") : path.substr(0, slash));
}

bool FolderItem::Exists() const
{
    struct stat info;
    return !m_path.empty() && ::stat(m_path.c_str(), &info) == 0;
}

bool FolderItem::IsFolder() const
{
    return !m_path.empty() && IsDirectory(m_path);
}

RefPtr<TextInputStream> FolderItem::OpenAsTextFile(size_t byteLimit) const
{
    return TextInputStream::Open(m_path, byteLimit);
}

RefPtr<Sound> FolderItem::OpenAsSound() const
{
    return Sound::Open(m_path);
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("FolderItem", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
    });
}

}

const ClassRecord& FolderItem::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& FolderItem::Class() const
{
    return Lookup();
}

namespace SpecialFolder {

RefPtr<FolderItem> Preferences(std::string* problem)
{
    std::string path;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // A relative XDG_CONFIG_HOME is invalid and is to be ignored.
    if (configHome && configHome[0] == '/')
        path = configHome;
    else if (home && home[0] == '/')
        path = WithoutTrailingSlashes(home) + (home[1] ? "/.config" : ".config");
    std::optional<std::string> made = path.empty() ? "neither XDG_CONFIG_HOME nor HOME names a folder" : MakeFolders(path);
    if (made) {
        if (problem)
            *problem = *made;
        return nullptr;
    }
    return FolderItem::Create(path);
}

}

}
