// This file defines open itself; the fortified inline wrapper of open would
// clash with it.
#undef _FORTIFY_SOURCE
#include "tests/failure/FileFaults.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace tockamo::testing {

namespace {

struct Armed {
    FileFault fault;
    std::string folder;
    int hits = 0;
    bool wroteFirst = false;
    int notify = -1;
};

std::mutex s_mutex;
std::optional<Armed> s_armed;
// Read without the lock on every call, so unarmed calls cost next to nothing.
std::atomic<bool> s_active { false };

template<typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool Inside(const std::string& folder, const char* path)
{
    if (!path)
        return false;
    std::string p = path;
    return p.size() > folder.size() && p.compare(0, folder.size(), folder) == 0 && p[folder.size()] == '/';
}

std::string PathOf(int fd)
{
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

// True when a call of kind `fault` on `path` is to fail; counts the hit.
// With `once`, only the first such call fails.
bool Strikes(FileFault fault, const std::string& path, bool once = false)
{
    std::lock_guard lock(s_mutex);
    if (!s_armed || s_armed->fault != fault || !Inside(s_armed->folder, path.c_str()) || (once && s_armed->hits > 0))
        return false;
    ++s_armed->hits;
    if (s_armed->notify >= 0) {
        // The C library's own write: this file's would take the lock again.
        static auto realWrite = Next<ssize_t (*)(int, const void*, size_t)>("write");
        char byte = 1;
        [[maybe_unused]] ssize_t ignored = realWrite(s_armed->notify, &byte, 1);
    }
    return true;
}

}

FileFaults::FileFaults(FileFault fault, std::string folder)
{
    // The descriptors' paths come back from /proc resolved, so compare with
    // the folder's resolved path too.
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved))
        folder = resolved;
    std::lock_guard lock(s_mutex);
    s_armed = Armed { fault, std::move(folder) };
    s_active = true;
}

FileFaults::~FileFaults()
{
    std::lock_guard lock(s_mutex);
    s_active = false;
    s_armed.reset();
}

int FileFaults::Hits() const
{
    std::lock_guard lock(s_mutex);
    return s_armed ? s_armed->hits : 0;
}

void FileFaults::NotifyHits(int fd)
{
    std::lock_guard lock(s_mutex);
    if (s_armed)
        s_armed->notify = fd;
}

// What another process's tidy-up does to the file at `path` that `fd` has
// just created: it opens the file, takes its lock and removes the name. The
// writer's own lock is then asked for while the tidy-up still holds its one:
// a writer that does not wait is refused, one that waits gets it once the
// tidy-up has closed the file.
int RaceWithATidyUp(int fd, int operation, const std::string& path)
{
    static auto realOpen = Next<int (*)(const char*, int, ...)>("open");
    static auto realFlock = Next<int (*)(int, int)>("flock");
    int other = realOpen(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (other >= 0 && realFlock(other, LOCK_EX | LOCK_NB) == 0)
        ::unlink(path.c_str());
    if (!(operation & LOCK_NB) && other >= 0)
        ::close(other);
    int result = realFlock(fd, operation);
    int error = errno;
    if ((operation & LOCK_NB) && other >= 0)
        ::close(other);
    errno = error;
    return result;
}

}

using tockamo::testing::FileFault;

extern "C" {

int open(const char* path, int flags, ...)
{
    static auto real = tockamo::testing::Next<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if ((flags & O_CREAT) && tockamo::testing::s_active && tockamo::testing::Strikes(FileFault::Create, path)) {
        errno = EROFS;
        return -1;
    }
    if (!(flags & O_CREAT) && tockamo::testing::s_active && tockamo::testing::Strikes(FileFault::ReadDenied, path)) {
        errno = EACCES;
        return -1;
    }
    return real(path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size)
{
    static auto real = tockamo::testing::Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2 && tockamo::testing::s_active && tockamo::testing::Strikes(FileFault::Write, tockamo::testing::PathOf(fd))) {
        // A disk that fills up mid-file: a short write first, then nothing.
        bool first;
        {
            std::lock_guard lock(tockamo::testing::s_mutex);
            first = tockamo::testing::s_armed && !tockamo::testing::s_armed->wroteFirst;
            if (tockamo::testing::s_armed)
                tockamo::testing::s_armed->wroteFirst = true;
        }
        if (first && size > 5)
            return real(fd, data, 5);
        errno = ENOSPC;
        return -1;
    }
    return real(fd, data, size);
}

int fsync(int fd)
{
    static auto real = tockamo::testing::Next<int (*)(int)>("fsync");
    if (tockamo::testing::s_active && tockamo::testing::Strikes(FileFault::Sync, tockamo::testing::PathOf(fd))) {
        errno = EIO;
        return -1;
    }
    if (tockamo::testing::s_active && tockamo::testing::Strikes(FileFault::SyncHangs, tockamo::testing::PathOf(fd))) {
        for (;;)
            ::pause();
    }
    return real(fd);
}

int rename(const char* from, const char* to) noexcept
{
    static auto real = tockamo::testing::Next<int (*)(const char*, const char*)>("rename");
    if (tockamo::testing::s_active && (tockamo::testing::Strikes(FileFault::Rename, from) || tockamo::testing::Strikes(FileFault::Rename, to))) {
        errno = EIO;
        return -1;
    }
    return real(from, to);
}

int flock(int fd, int operation) noexcept
{
    static auto real = tockamo::testing::Next<int (*)(int, int)>("flock");
    if (!tockamo::testing::s_active || (operation & LOCK_UN))
        return real(fd, operation);
    std::string path = tockamo::testing::PathOf(fd);
    if (tockamo::testing::Strikes(FileFault::NoLocks, path)) {
        errno = ENOLCK;
        return -1;
    }
    if (tockamo::testing::Strikes(FileFault::TidyUpRace, path, true))
        return tockamo::testing::RaceWithATidyUp(fd, operation, path);
    return real(fd, operation);
}

}
