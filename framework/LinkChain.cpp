#include "LinkChain.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// The kernel's own limit (MAXSYMLINKS).
constexpr int kMaxLinks = 40;

// The text of the link at `path`; nothing, with errno set, when it cannot be
// read.
std::optional<std::string> ReadLink(const std::string& path)
{
    std::string target(256, '\0');
    for (;;) {
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return std::nullopt;
        if (static_cast<size_t>(n) < target.size()) {
            target.resize(static_cast<size_t>(n));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// The kernel's rule for protected links: a link is followed when it is the
// follower's own, when its folder is not both sticky and writable by all, or
// when the folder's owner owns the link too.
bool MayFollow(const std::string& link, const struct stat& linkInfo)
{
    if (linkInfo.st_uid == ::geteuid())
        return true;
    struct stat folder;
    if (::stat(FolderOfPath(link).c_str(), &folder) != 0)
        return false;
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH))
        return true;
    return folder.st_uid == linkInfo.st_uid;
}

}

LinkChain::LinkChain(std::string path)
{
    for (int followed = 0;; ++followed) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0) {
            // A name that leads nowhere yet is where a new file goes.
            if (errno == ENOENT)
                m_end = std::move(path);
            else
                m_problem = std::strerror(errno);
            return;
        }
        if (!S_ISLNK(info.st_mode)) {
            m_end = std::move(path);
            return;
        }
        if (followed == kMaxLinks) {
            m_problem = "it leads through more than " + std::to_string(kMaxLinks) + " symbolic links";
            return;
        }
        if (!MayFollow(path, info)) {
            m_problem = "it leads through another user's symbolic link in a folder shared with others";
            return;
        }
        std::optional<std::string> target = ReadLink(path);
        if (!target) {
            m_problem = std::strerror(errno);
            return;
        }
        if (target->empty()) {
            m_problem = std::strerror(ENOENT);
            return;
        }
        path = target->front() == '/' ? *target : FolderOfPath(path) + "/" + *target;
    }
}

std::string FolderOfPath(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOfPath(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}
