#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <string>

namespace fw {

// Writes a text file line by line; WriteLine ends each line with LF. Errors
// are remembered rather than raised: Close reports whether every write, the
// flush and the sync to disk succeeded.
class TextOutputStream : public Object {
public:
    // Creates (or truncates) the file at `path`; nil when it cannot.
    static RefPtr<TextOutputStream> Create(const std::string& path);
    ~TextOutputStream() override;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    void Write(const std::string& text);
    void WriteLine(const std::string& text);
    // Flushes and syncs the file to disk, then closes it. False when anything
    // written since Create failed. Closing twice returns the first result.
    bool Close();
    bool HasFailed() const { return m_failed; }

private:
    explicit TextOutputStream(int fd);
    int m_fd;
    bool m_failed = false;
    bool m_closed = false;
    bool m_closeResult = false;
};

}
