// This file defines open and read itself; their fortified inline wrappers
// would clash with it.
#undef _FORTIFY_SOURCE
#include "tests/support/FileFaults.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tockamo::testing {

namespace {

struct Armed {
    int id;
    FileFault fault;
    std::string folder;
    int error;
    int hits = 0;
    bool wroteFirst = false;
    int notify = -1;
    int stuckHolder = -1;
    std::vector<std::string> trace = {};
};

std::mutex s_mutex;
std::vector<Armed> s_armed;
int s_nextId = 0;
// Read without the lock on every call, so unarmed calls cost next to nothing.
std::atomic<bool> s_active { false };

template<typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool Inside(const std::string& folder, const std::string& path)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::string PathOf(int fd)
{
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

Armed* Find(int id)
{
    auto found = std::find_if(s_armed.begin(), s_armed.end(), [id](const Armed& a) { return a.id == id; });
    return found == s_armed.end() ? nullptr : &*found;
}

std::string Octal(unsigned mode)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04o", mode & 07777);
    return text;
}

// Adds `line` to the trace of every armed fault whose folder holds `path`.
void Trace(const std::string& path, const std::string& line)
{
    std::lock_guard lock(s_mutex);
    for (Armed& armed : s_armed) {
        if (Inside(armed.folder, path))
            armed.trace.push_back(line);
    }
}

// The fault of kind `fault` armed for `path`, its hit counted; nothing when
// the call is to go through. With `once`, only the first such call fails.
Armed* Strikes(FileFault fault, const std::string& path, bool once = false)
{
    std::lock_guard lock(s_mutex);
    for (Armed& armed : s_armed) {
        if (armed.fault != fault || !Inside(armed.folder, path) || (once && armed.hits > 0))
            continue;
        ++armed.hits;
        if (armed.notify >= 0) {
            // The C library's own write: this file's would trace the call.
            static auto realWrite = Next<ssize_t (*)(int, const void*, size_t)>("write");
            char byte = 1;
            [[maybe_unused]] ssize_t ignored = realWrite(armed.notify, &byte, 1);
        }
        return &armed;
    }
    return nullptr;
}

// Fails the call with the armed fault's error, or `standard`.
int Fail(const Armed* armed, int standard)
{
    errno = armed->error ? armed->error : standard;
    return -1;
}

}

FileFaults::FileFaults(FileFault fault, std::string folder, int error)
{
    // The descriptors' paths come back from /proc resolved, so compare with
    // the folder's resolved path too.
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved))
        folder = resolved;
    std::lock_guard lock(s_mutex);
    m_id = s_nextId++;
    s_armed.push_back(Armed { .id = m_id, .fault = fault, .folder = std::move(folder), .error = error });
    s_active = true;
}

FileFaults::~FileFaults()
{
    std::lock_guard lock(s_mutex);
    if (Armed* armed = Find(m_id); armed && armed->stuckHolder >= 0)
        ::close(armed->stuckHolder);
    std::erase_if(s_armed, [this](const Armed& a) { return a.id == m_id; });
    s_active = !s_armed.empty();
}

int FileFaults::Hits() const
{
    std::lock_guard lock(s_mutex);
    const Armed* armed = Find(m_id);
    return armed ? armed->hits : 0;
}

void FileFaults::NotifyHits(int fd)
{
    std::lock_guard lock(s_mutex);
    if (Armed* armed = Find(m_id))
        armed->notify = fd;
}

std::vector<std::string> FileFaults::Trace() const
{
    std::lock_guard lock(s_mutex);
    const Armed* armed = Find(m_id);
    return armed ? armed->trace : std::vector<std::string>();
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

// A tidy-up that takes the lock of the file at `path` and is stopped before
// it goes on: its descriptor stays open, and the lock held, until the fault
// goes.
int StopATidyUpHoldingTheLock(Armed& armed, int fd, int operation, const std::string& path)
{
    static auto realOpen = Next<int (*)(const char*, int, ...)>("open");
    static auto realFlock = Next<int (*)(int, int)>("flock");
    int other = realOpen(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (other >= 0 && realFlock(other, LOCK_EX | LOCK_NB) == 0) {
        std::lock_guard lock(s_mutex);
        armed.stuckHolder = other;
    }
    return realFlock(fd, operation);
}

}

using tockamo::testing::FileFault;
namespace faults = tockamo::testing;

extern "C" {

int open(const char* path, int flags, ...)
{
    static auto real = faults::Next<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (!faults::s_active)
        return real(path, flags, mode);
    if (flags & O_CREAT) {
        faults::Trace(path, std::string("open ") + path + " " + faults::Octal(mode));
        if (const faults::Armed* armed = faults::Strikes(FileFault::Create, path))
            return faults::Fail(armed, EROFS);
    } else if (const faults::Armed* armed = faults::Strikes(FileFault::ReadDenied, path)) {
        return faults::Fail(armed, EACCES);
    }
    return real(path, flags, mode);
}

ssize_t read(int fd, void* data, size_t size)
{
    static auto real = faults::Next<ssize_t (*)(int, void*, size_t)>("read");
    if (fd > 2 && faults::s_active) {
        if (const faults::Armed* armed = faults::Strikes(FileFault::Read, faults::PathOf(fd)))
            return faults::Fail(armed, EIO);
    }
    return real(fd, data, size);
}

ssize_t write(int fd, const void* data, size_t size)
{
    static auto real = faults::Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd <= 2 || !faults::s_active)
        return real(fd, data, size);
    std::string path = faults::PathOf(fd);
    struct stat info {};
    ::fstat(fd, &info);
    faults::Trace(path, "write " + path + " " + faults::Octal(info.st_mode));
    if (faults::Armed* armed = faults::Strikes(FileFault::Write, path)) {
        // A disk that fills up mid-file: a short write first, then nothing.
        bool first;
        {
            std::lock_guard lock(faults::s_mutex);
            first = !armed->wroteFirst;
            armed->wroteFirst = true;
        }
        if (first && size > 5)
            return real(fd, data, 5);
        return faults::Fail(armed, ENOSPC);
    }
    return real(fd, data, size);
}

int fsync(int fd)
{
    static auto real = faults::Next<int (*)(int)>("fsync");
    if (!faults::s_active)
        return real(fd);
    std::string path = faults::PathOf(fd);
    faults::Trace(path, "fsync " + path);
    if (const faults::Armed* armed = faults::Strikes(FileFault::Sync, path))
        return faults::Fail(armed, EIO);
    if (faults::Strikes(FileFault::SyncHangs, path)) {
        for (;;)
            ::pause();
    }
    return real(fd);
}

int rename(const char* from, const char* to) noexcept
{
    static auto real = faults::Next<int (*)(const char*, const char*)>("rename");
    if (!faults::s_active)
        return real(from, to);
    faults::Trace(from, std::string("rename ") + from + " " + to);
    const faults::Armed* armed = faults::Strikes(FileFault::Rename, from);
    if (armed || (armed = faults::Strikes(FileFault::Rename, to)))
        return faults::Fail(armed, EIO);
    return real(from, to);
}

int flock(int fd, int operation) noexcept
{
    static auto real = faults::Next<int (*)(int, int)>("flock");
    if (!faults::s_active || (operation & LOCK_UN))
        return real(fd, operation);
    std::string path = faults::PathOf(fd);
    faults::Trace(path, "flock " + path);
    if (const faults::Armed* armed = faults::Strikes(FileFault::NoLocks, path))
        return faults::Fail(armed, ENOLCK);
    if (faults::Strikes(FileFault::TidyUpRace, path, true))
        return faults::RaceWithATidyUp(fd, operation, path);
    if (faults::Armed* armed = faults::Strikes(FileFault::StuckTidyUp, path, true))
        return faults::StopATidyUpHoldingTheLock(*armed, fd, operation, path);
    return real(fd, operation);
}

}
