#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <cstdio>
#include <string>

namespace fw {

// Reads a text file line by line. A line ends at LF, CR LF or a lone CR; the
// text comes back byte for byte (UTF-8 is not checked or changed).
class TextInputStream : public Object {
public:
    static RefPtr<TextInputStream> Open(const std::string& path);
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
    explicit TextInputStream(std::FILE* file);
    std::FILE* m_file;
};

}
