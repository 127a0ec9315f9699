#include "SaveFile.h"

#include "FolderItem.h"
#include "LinkChain.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// Names tried for the temporary file before the save gives up.
constexpr int kMaxNames = 100;
// Room left after a temporary's prefix for "<pid>-<n>".
constexpr size_t kNumberRoom = 20;

std::string Because(const std::string& what, int error)
{
    return what + " (" + std::strerror(error) + ")";
}

// The start of every temporary name that saves of the file `name` use:
// "<name>.tmp-", the name cut short, between two characters, where the whole
// would pass the longest name a folder holds.
std::string TemporaryPrefix(const std::string& name)
{
    const std::string suffix = ".tmp-";
    size_t keep = std::min(name.size(), NAME_MAX - suffix.size() - kNumberRoom);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.substr(0, keep) + suffix;
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
    // the file meanwhile from taking it for its own.
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

enum class Lock {
    Held,
    // By another process, which the file is left to.
    Taken,
    // The file system has none (NFS without its lock service).
    Unsupported,
};

Lock TryLock(int fd)
{
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return Lock::Held;
    return errno == EWOULDBLOCK ? Lock::Taken : Lock::Unsupported;
}

// Writes all of `data` at the file offset of `fd`; false, with errno set,
// when that fails.
bool WriteAll(int fd, const std::string& data)
{
    const char* next = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t written = ::write(fd, next, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = ENOSPC;
        if (written <= 0)
            return false;
        next += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

class Temporary {
public:
    // A new file, created by this call with `mode` (less the umask) and
    // locked, in `folder`; Fd() is -1 when none could be made, and Error()
    // says why.
    Temporary(const std::string& folder, const std::string& name, mode_t mode)
    {
        const std::string base = folder + "/" + TemporaryPrefix(name) + std::to_string(::getpid());
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
                m_error = errno;
                return;
            }
            // Between the creation and the lock, another process's tidy-up
            // may have taken the new file for a leftover: it then holds the
            // lock, or has already removed the name. The file is left to it
            // (removed here if it still bears the name, since it is this
            // save's own) and another is made.
            Lock lock = TryLock(fd);
            if (lock == Lock::Taken || (lock == Lock::Held && !StillNamed(fd, path))) {
                if (lock == Lock::Taken && StillNamed(fd, path))
                    ::unlink(path.c_str());
                ::close(fd);
                continue;
            }
            m_fd = fd;
            m_path = std::move(path);
            return;
        }
        m_error = EEXIST;
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
    int Error() const { return m_error; }

    bool MoveOver(const std::string& destination)
    {
        m_moved = ::rename(m_path.c_str(), destination.c_str()) == 0;
        return m_moved;
    }

private:
    int m_fd = -1;
    int m_error = 0;
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

// Writes `data` over the regular file `path`, which `old` describes, where it
// stands. A write or cut that fails puts back the bytes it overwrote.
std::optional<std::string> WriteInPlace(const std::string& path, const struct stat& old, const std::string& data, const std::string& whyNotReplaced)
{
    const std::string failed = whyNotReplaced + ", and writing it where it stands failed";
    int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Because(failed, errno);
    auto fail = [fd](const std::string& why, int error) {
        ::close(fd);
        return Because(why, error);
    };
    struct stat now;
    if (::fstat(fd, &now) != 0 || !S_ISREG(now.st_mode) || !SameFile(now, old)) {
        ::close(fd);
        return whyNotReplaced + ", and another file has taken its place meanwhile";
    }
    std::string overwritten(data.size(), '\0');
    ssize_t kept = ::pread(fd, overwritten.data(), overwritten.size(), 0);
    if (kept < 0)
        return fail(failed, errno);
    if (!WriteAll(fd, data) || ::ftruncate(fd, static_cast<off_t>(data.size())) != 0) {
        int error = errno;
        [[maybe_unused]] ssize_t restored = ::pwrite(fd, overwritten.data(), static_cast<size_t>(kept), 0);
        return fail(failed, error);
    }
    if (::fsync(fd) != 0)
        return fail(failed, errno);
    ::close(fd);
    return std::nullopt;
}

}

std::optional<std::string> SaveFile::Replace(const FolderItem& file, const std::vector<std::string>& lines)
{
    if (file.NativePath().empty())
        return "it has no path";
    // A link (a dotfiles manager's, say) stays a link: the file at its end
    // is replaced, in that file's own folder, since rename cannot cross file
    // systems.
    LinkChain chain(file.NativePath());
    if (chain.End().empty())
        return chain.Problem();
    const std::string& target = chain.End();
    struct stat old;
    bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return std::strerror(errno);
    // A folder, a pipe or a device is never replaced by a file.
    if (exists && !S_ISREG(old.st_mode))
        return "it is not a regular file";
    const std::string folder = FolderOfPath(target);
    const std::string name = NameOfPath(target);

    RemoveAbandonedTemporaries(folder, TemporaryPrefix(name));

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
    if (temporary.Fd() < 0) {
        if (exists && (temporary.Error() == EACCES || temporary.Error() == EPERM))
            return WriteInPlace(target, old, data, Because("its folder takes no new file", temporary.Error()));
        return Because("no new file can be made in " + folder, temporary.Error());
    }
    if (!WriteAll(temporary.Fd(), data))
        return Because("the new file cannot be written", errno);
    // The replacement keeps what the user set on the file: a read-only or a
    // private file stays so.
    if (exists)
        ::fchmod(temporary.Fd(), old.st_mode & 07777);
    if (::fsync(temporary.Fd()) != 0)
        return Because("the new file cannot be synced to disk", errno);
    if (!temporary.MoveOver(target)) {
        int error = errno;
        // A mount point (EBUSY) cannot be renamed over, nor another user's
        // file in a sticky folder (EPERM), though either may be writable.
        if (exists && (error == EBUSY || error == EPERM))
            return WriteInPlace(target, old, data, Because("it cannot be replaced", error));
        return Because("the new file cannot take its place", error);
    }
    // The new name lives in the folder; until the folder is synced a power
    // cut can bring back the old file, or none. The file itself is already
    // in place, so a failed sync is not reported.
    SyncFolder(folder);
    return std::nullopt;
}

}
