#include "TextOutputStream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

TextOutputStream::TextOutputStream(int fd)
    : m_fd(fd)
{
}

TextOutputStream::~TextOutputStream()
{
    Close();
}

RefPtr<TextOutputStream> TextOutputStream::Create(const std::string& path)
{
    // The file is truncated only once it is locked, so a file that another
    // stream is writing is never cut short under it. A tidy-up elsewhere may
    // remove an unlocked file between the open and the lock; the name then
    // no longer leads to it, and a fresh file is made.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd;
        do
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return nullptr;
        struct stat info;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &info) != 0) {
            ::close(fd);
            return nullptr;
        }
        if (info.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        // A device such as /dev/null cannot be truncated and need not be.
        if (S_ISREG(info.st_mode) && info.st_size > 0 && ::ftruncate(fd, 0) != 0) {
            ::close(fd);
            return nullptr;
        }
        return RefPtr<TextOutputStream>(Adopt(*new TextOutputStream(fd)));
    }
    return nullptr;
}

void TextOutputStream::Write(const std::string& text)
{
    if (m_closed || m_failed)
        return;
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(m_fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_failed = true;
            return;
        }
        data += written;
        left -= static_cast<size_t>(written);
        m_unsynced = true;
    }
}

void TextOutputStream::WriteLine(const std::string& text)
{
    Write(text + "\n");
}

bool TextOutputStream::Flush()
{
    if (m_closed)
        return m_closeResult;
    if (m_unsynced && !m_failed && ::fsync(m_fd) != 0)
        m_failed = true;
    m_unsynced = false;
    return !m_failed;
}

bool TextOutputStream::Close()
{
    if (m_closed)
        return m_closeResult;
    bool flushed = Flush();
    m_closed = true;
    // Linux releases the descriptor even when close reports EINTR, so it is
    // never retried.
    bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    m_closeResult = flushed && closed;
    return m_closeResult;
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("TextOutputStream", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
    });
}

}

const ClassRecord& TextOutputStream::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& TextOutputStream::Class() const
{
    return Lookup();
}

}
