#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <string>

namespace fw {

// Writes a text file line by line; WriteLine ends each line with LF. Errors
// are remembered rather than raised: Sync and Close report whether every
// write and the sync to disk succeeded. (A file that must never be seen half
// written is replaced with SaveFile instead.)
class TextOutputStream : public Object {
public:
    // Creates (or truncates) the file at `path`; nil when it cannot.
    static RefPtr<TextOutputStream> Create(const std::string& path);
    ~TextOutputStream() override;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    void Write(const std::string& text);
    void WriteLine(const std::string& text);
    // Syncs what was written to disk and keeps the file open. False when
    // anything written since Create failed.
    bool Sync();
    // Syncs, then closes the file. False when anything written since Create
    // failed. Closing twice returns the first result.
    bool Close();
    bool HasFailed() const { return m_failed; }

private:
    explicit TextOutputStream(int fd);
    int m_fd;
    bool m_failed = false;
    // Written to since the last sync; a new file counts as written.
    bool m_unsynced = true;
    bool m_closed = false;
    bool m_closeResult = false;
};

}
