#include "TextInputStream.h"

#include "LinkChain.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fw {

TextInputStream::TextInputStream(std::string text)
    : m_text(std::move(text))
{
}

TextInputStream::~TextInputStream()
{
    Close();
}

namespace {

// Up to `count` bytes of `fd`; nothing when a read fails (EIO from a failing
// disk, EAGAIN from a network folder): text cut short by an error is not the
// file's text.
std::optional<std::string> ReadUpTo(int fd, size_t count)
{
    std::string text;
    char buffer[16384];
    while (text.size() < count) {
        ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - text.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

}

RefPtr<TextInputStream> TextInputStream::Open(const std::string& path, size_t byteLimit)
{
    // Links are followed as the save follows them, so a file is read only
    // where it could also be saved; the open itself then follows none, so
    // that a link put in the chain's place meanwhile is not followed either.
    // Only a regular file is text. The open never waits (a pipe would keep
    // a reader waiting for ever), and nothing is read before the file is
    // known to be a regular one: a folder, a pipe or a device is closed
    // unread.
    LinkChain chain(path);
    int fd = chain.End().empty() ? -1 : ::open(chain.End().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    // One byte beyond the limit tells whether the file goes on; if it does,
    // the line that the limit cuts is dropped rather than read short. A line
    // whose end alone lies beyond the limit is whole.
    std::optional<std::string> text = ReadUpTo(fd, byteLimit == SIZE_MAX ? byteLimit : byteLimit + 1);
    ::close(fd);
    if (!text)
        return nullptr;
    if (text->size() > byteLimit) {
        size_t lastEnd = text->find_last_of("\r\n", byteLimit);
        text->resize(lastEnd == std::string::npos ? 0 : std::min(lastEnd + 1, byteLimit));
    }
    return RefPtr<TextInputStream>(Adopt(*new TextInputStream(std::move(*text))));
}

bool TextInputStream::IsEOF() const
{
    return m_next >= m_text.size();
}

std::string TextInputStream::ReadLine()
{
    if (IsEOF())
        return std::string();
    size_t end = m_text.find_first_of("\r\n", m_next);
    if (end == std::string::npos)
        end = m_text.size();
    std::string line = m_text.substr(m_next, end - m_next);
    m_next = end;
    if (m_next < m_text.size())
        m_next += m_text.compare(m_next, 2, "\r\n") == 0 ? 2 : 1;
    return line;
}

void TextInputStream::Close()
{
    m_text.clear();
    m_text.shrink_to_fit();
    m_next = 0;
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("TextInputStream", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
    });
}

}

const ClassRecord& TextInputStream::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& TextInputStream::Class() const
{
    return Lookup();
}

}
