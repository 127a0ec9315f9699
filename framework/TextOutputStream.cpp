#include "TextOutputStream.h"

#include <cerrno>
#include <fcntl.h>
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
    int fd;
    do
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    return RefPtr<TextOutputStream>(Adopt(*new TextOutputStream(fd)));
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

bool TextOutputStream::Sync()
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
    bool synced = Sync();
    m_closed = true;
    // Linux releases the descriptor even when close reports EINTR, so it is
    // never retried.
    bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    m_closeResult = synced && closed;
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
