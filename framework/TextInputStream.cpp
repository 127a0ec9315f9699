#include "TextInputStream.h"

#include <sys/stat.h>

namespace fw {

TextInputStream::TextInputStream(std::FILE* file)
    : m_file(file)
{
}

TextInputStream::~TextInputStream()
{
    Close();
}

RefPtr<TextInputStream> TextInputStream::Open(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file)
        return nullptr;
    // fopen opens a folder for reading too; only a regular file is text.
    struct stat info;
    if (::fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return RefPtr<TextInputStream>(Adopt(*new TextInputStream(file)));
}

bool TextInputStream::IsEOF() const
{
    if (!m_file)
        return true;
    int c = std::getc(m_file);
    if (c == EOF)
        return true;
    std::ungetc(c, m_file);
    return false;
}

std::string TextInputStream::ReadLine()
{
    std::string line;
    if (!m_file)
        return line;
    for (;;) {
        int c = std::getc(m_file);
        if (c == EOF || c == '\n')
            break;
        if (c == '\r') {
            int next = std::getc(m_file);
            if (next != '\n' && next != EOF)
                std::ungetc(next, m_file);
            break;
        }
        line += static_cast<char>(c);
    }
    return line;
}

void TextInputStream::Close()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
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
