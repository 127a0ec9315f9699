#pragma once

#include <string>

namespace fw {

// Where a path leads through the symbolic links at its end, followed by the
// rules the kernel follows them by, so that what can be read can be saved and
// the other way round:
//
// - at most 40 links, as many as the kernel follows before ELOOP;
// - a relative link is read from the folder the link stands in;
// - in a folder that everyone may write and that is sticky (/tmp, a shared
//   scratch folder) only a link of the user's own or of the folder's owner is
//   followed, so that a link another user planted there cannot lead a reader
//   or a save to the user's own files. The kernel keeps that rule only where
//   fs.protected_symlinks is on; the chain keeps it always.
//
// The folders along the way are the kernel's to walk.
class LinkChain {
public:
    explicit LinkChain(std::string path);

    // The path at the chain's end, which need not exist; empty when the chain
    // cannot be followed.
    const std::string& End() const { return m_end; }
    // Why the chain cannot be followed, in words for a one-line message;
    // empty when it can.
    const std::string& Problem() const { return m_problem; }

private:
    std::string m_end;
    std::string m_problem;
};

// The folder part of a path ("." for a bare name) and its last part.
std::string FolderOfPath(const std::string& path);
std::string NameOfPath(const std::string& path);

}
