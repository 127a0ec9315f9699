#include "SaveFile.h"

#include "FolderItem.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// As many links as the kernel itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
// Names tried for the temporary file before the save gives up.
constexpr int kMaxNames = 100;

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

// The file that `path` leads to through any symbolic links, which need not
// exist yet; nothing when the links go round in a circle.
std::optional<std::string> Resolve(std::string path)
{
    for (int link = 0; link < kMaxLinks; ++link) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::optional<std::string> target = ReadLink(path);
        if (!target || target->empty())
            return std::nullopt;
        path = target->front() == '/' ? *target : FolderOf(path) + "/" + *target;
    }
    return std::nullopt;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && text.front() != '0' && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Exactly a name that a save of some process gives its temporary file: the
// prefix, a process id, and perhaps "-" and a number.
bool IsTemporaryName(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix))
        return false;
    std::string_view rest = name.substr(prefix.size());
    size_t dash = rest.find('-');
    if (dash == std::string_view::npos)
        return AllDigits(rest);
    return AllDigits(rest.substr(0, dash)) && AllDigits(rest.substr(dash + 1));
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when the name `path` still leads to the open file `fd`.
bool StillNamed(int fd, const std::string& path)
{
    struct stat held, named;
    return ::fstat(fd, &held) == 0 && held.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 && SameFile(held, named);
}

// Removes the regular file `path` unless a save, of this process or another,
// still holds its lock: what a killed save left goes, a file being written
// stays. Where the file system has no locks nothing can tell the two apart,
// and the file stays.
void RemoveIfAbandoned(const std::string& path)
{
    // Only a regular file is opened at all: opening a device or a pipe can
    // have effects of its own.
    struct stat before;
    if (::lstat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        return;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // A writer holds its lock until it closes the file, and the system drops
    // it when the writer dies, so a lock that can be had means nobody is
    // writing. Holding it while the name is removed keeps a writer that locks
    // the file meanwhile waiting until the name is gone, which it then sees.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path))
        ::unlink(path.c_str());
    ::close(fd);
}

void RemoveAbandonedTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        if (IsTemporaryName(entry->d_name, prefix))
            names.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    for (const std::string& name : names)
        RemoveIfAbandoned(folder + "/" + name);
}

// Waits for the lock rather than giving up: another process's tidy-up holds
// it only for as long as it takes to look at the file. False when the file
// system has no locks (NFS without its lock service), where the save goes on
// without one.
bool Lock(int fd)
{
    int result;
    do
        result = ::flock(fd, LOCK_EX);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

class Temporary {
public:
    // A new file, created by this call with `mode` (less the umask) and
    // locked, in `folder`; Fd() is -1 when none could be made.
    Temporary(const std::string& folder, const std::string& name, mode_t mode)
    {
        const std::string base = folder + "/" + name + ".tmp-" + std::to_string(::getpid());
        for (int attempt = 0; attempt < kMaxNames; ++attempt) {
            std::string path = attempt == 0 ? base : base + "-" + std::to_string(attempt);
            // Created new and exclusively: whatever stands under the name
            // already (a file, a link, a pipe) is left alone and the next
            // name is tried.
            int fd;
            do
                fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            while (fd < 0 && errno == EINTR);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                return;
            }
            // Another process's tidy-up may have taken the new file for a
            // leftover before it was locked here and removed it; the name
            // then no longer leads to it, and another file is made.
            bool locked = Lock(fd);
            if (locked && !StillNamed(fd, path)) {
                ::close(fd);
                continue;
            }
            m_fd = fd;
            m_path = std::move(path);
            return;
        }
    }
    // Closing releases the lock; a file that never took the place of the
    // old one is removed first, while its name is still known to be ours.
    ~Temporary()
    {
        if (m_fd < 0)
            return;
        if (!m_moved && StillNamed(m_fd, m_path))
            ::unlink(m_path.c_str());
        ::close(m_fd);
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    int Fd() const { return m_fd; }

    bool Write(const std::string& data)
    {
        const char* next = data.data();
        size_t left = data.size();
        while (left > 0) {
            ssize_t written = ::write(m_fd, next, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            next += written;
            left -= static_cast<size_t>(written);
        }
        return true;
    }

    bool MoveOver(const std::string& destination)
    {
        m_moved = ::rename(m_path.c_str(), destination.c_str()) == 0;
        return m_moved;
    }

private:
    int m_fd = -1;
    std::string m_path;
    bool m_moved = false;
};

void SyncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}

bool SaveFile::Replace(const FolderItem& file, const std::vector<std::string>& lines)
{
    if (file.NativePath().empty())
        return false;
    // A link (a dotfiles manager's, say) stays a link: the file at its end
    // is replaced, in that file's own folder, since rename cannot cross file
    // systems.
    std::optional<std::string> target = Resolve(file.NativePath());
    if (!target)
        return false;
    struct stat old;
    bool exists = ::lstat(target->c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return false;
    // A folder, a pipe or a device is never replaced by a file.
    if (exists && !S_ISREG(old.st_mode))
        return false;
    const std::string folder = FolderOf(*target);
    const std::string name = NameOf(*target);

    RemoveAbandonedTemporaries(folder, name + ".tmp-");

    std::string data;
    for (const std::string& line : lines)
        data += line + "\n";

    // The new contents go to a file of their own beside the old one and are
    // renamed over it only once they are safely on disk: a failed write or a
    // crash half-way leaves the old file as it was.
    // A file that exists is replaced by one readable by its owner alone
    // until it gets the file's own permission bits, so that a private file's
    // contents are never readable by others on the way.
    Temporary temporary(folder, name, exists ? 0600 : 0644);
    if (temporary.Fd() < 0 || !temporary.Write(data))
        return false;
    // The replacement keeps what the user set on the file: a read-only or a
    // private file stays so.
    if (exists)
        ::fchmod(temporary.Fd(), old.st_mode & 07777);
    if (::fsync(temporary.Fd()) != 0 || !temporary.MoveOver(*target))
        return false;
    // The new name lives in the folder; until the folder is synced a power
    // cut can bring back the old file, or none. The file itself is already
    // in place, so a failed sync is not reported.
    SyncFolder(folder);
    return true;
}

}
