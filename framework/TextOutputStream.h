#pragma once

#include "ClassRecord.h"
#include "Object.h"

#include <string>

namespace fw {

// Writes a text file line by line; WriteLine ends each line with LF. Errors
// are remembered rather than raised: Flush and Close report whether every
// write and the sync to disk succeeded.
//
// The stream holds an exclusive advisory lock (flock) on its file from Create
// to Close, so that another process can tell a file being written from one
// that a killed writer left behind (FolderItem::DeleteIfAbandoned).
class TextOutputStream : public Object {
public:
    // Creates (or truncates) the file at `path`; nil when it cannot, or when
    // another stream is writing it.
    static RefPtr<TextOutputStream> Create(const std::string& path);
    ~TextOutputStream() override;

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    void Write(const std::string& text);
    void WriteLine(const std::string& text);
    // Syncs what was written to disk and keeps the file open and locked.
    // False when anything written since Create failed.
    bool Flush();
    // Flushes, then closes the file and so releases its lock. False when
    // anything written since Create failed. Closing twice returns the first
    // result.
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
