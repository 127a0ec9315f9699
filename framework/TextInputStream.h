#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace fw {

// Reads a text file line by line. A line ends at LF, CR LF or a lone CR; the
// text comes back byte for byte (UTF-8 is not checked or changed).
class TextInputStream : public Object {
public:
    // Opens a regular file, reached through links as LinkChain follows them,
    // and reads it whole; nil for anything else (a folder, a pipe, a device),
    // which is never read and never waited for, and nil when a read fails.
    // At most `byteLimit` bytes are read: a longer file reads as if it ended
    // with the last line whose text lies wholly within them.
    static RefPtr<TextInputStream> Open(const std::string& path, size_t byteLimit = SIZE_MAX);
    ~TextInputStream() override;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // TextInputStream.EOF: true when no further line can be read. (EOF itself
    // is a macro of <cstdio>, so the operation is spelt IsEOF.)
    bool IsEOF() const;
    // The next line without its terminator; "" at the end.
    std::string ReadLine();
    void Close();

private:
    explicit TextInputStream(std::string text);
    std::string m_text;
    size_t m_next = 0;
};

}
