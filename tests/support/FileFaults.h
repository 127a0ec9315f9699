#pragma once

#include <string>
#include <vector>

namespace tockamo::testing {

// Failures of the file system, injected at the C library boundary: this test
// binary defines open, read, write, fsync, rename and flock itself, so the
// framework's own calls reach these first and see exactly the errors a full
// disk, a failing device or a read-only mount would give them. Only paths
// inside the armed folder are affected; everything else passes straight
// through. Several may be armed at once.
enum class FileFault {
    None,   // nothing fails: the calls are only traced
    Create, // open with O_CREAT fails (EROFS): a read-only folder
    Read,   // read fails (EIO): a failing disk
    Write,  // the first write stores a few bytes, every later one fails (ENOSPC): a full disk
    Sync,   // fsync fails (EIO): the device lost the data
    Rename, // rename fails (EIO): the replacement never happens
    SyncHangs, // fsync never returns: the process is stuck there until it is killed
    ReadDenied, // open without O_CREAT fails (EACCES), also for root: a file the user may not read
    NoLocks, // flock fails (ENOLCK): NFS without its lock service
    // Another process's tidy-up comes between the first file's creation
    // and its lock: it takes the file's lock for itself, removes the name,
    // and is still holding the lock when the writer asks for it.
    TidyUpRace,
    // Another process's tidy-up takes the first file's lock between its
    // creation and its lock, and is stopped there: it holds the lock, and
    // the name, until the fault goes.
    StuckTidyUp,
};

class FileFaults {
public:
    // Makes every call of that kind on a file inside `folder` fail until the
    // object goes, with `error` in errno when it is given.
    FileFaults(FileFault fault, std::string folder, int error = 0);
    ~FileFaults();
    FileFaults(const FileFaults&) = delete;
    FileFaults& operator=(const FileFaults&) = delete;

    // How many calls were made to fail: zero means the code under test never
    // reached the step, and the test proves nothing.
    int Hits() const;
    // Writes one byte to `fd` at every hit, before the call fails or hangs,
    // so that another process learns the moment.
    void NotifyHits(int fd);
    // Every call on a file inside the folder since the fault was armed, in
    // order, one line each: "open <path> <mode>" for a file created,
    // "write <path> <mode>" with the file's permission bits as they stand,
    // "fsync <path>", "rename <from> <to>", "flock <path>", in octal where
    // a mode is given.
    std::vector<std::string> Trace() const;

private:
    int m_id;
};

}
