#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fw {

class FolderItem;

// Replaces a text file whole, so that the file holds either its old contents
// or the new ones, never a mix, an empty file or nothing, whatever happens
// part-way (a full disk, a kill, a power cut), as GLib's g_file_set_contents
// and Qt's QSaveFile do:
//
// - the new contents go to a temporary file created new beside the file
//   ("<name>.tmp-<pid>", or "<name>.tmp-<pid>-<n>" when something already
//   stands under that name, which is left alone; a name too long for that is
//   cut short), never through a link and never into a pipe or device;
// - the temporary is readable by its owner alone until it takes the file's
//   permission bits;
// - the temporary is locked (flock) from its creation until it is renamed,
//   so that other processes' tidy-ups leave it alone. One that cannot be
//   locked at once is another process's tidy-up's (it took the new file for
//   a leftover, or stopped half-way) and the next name is tried: a save
//   never waits on another process. Where the file system has no locks, the
//   save goes on without one;
// - a file reached through symbolic links, followed as LinkChain follows
//   them, is replaced at the links' end, in that file's own folder, and the
//   links stay;
// - the file keeps its permission bits; a new file gets 0644 less the umask;
// - the folder is synced after the rename, so that the new name survives a
//   power cut;
// - a failed save leaves the old file as it was and removes its temporary.
//
// A file that can be written but not replaced (its folder takes no new file,
// or its name is a mount point, as a container's mounted settings file is)
// is written where it stands instead: written, cut to the new length and
// synced. That is not proof against a power cut part-way, but a write that
// fails puts back what it overwrote.
//
// Each save first removes the temporaries that killed saves left beside the
// file; those that are locked belong to saves still under way and stay.
class SaveFile {
public:
    // Writes `lines`, each ended with LF, in the place of `file`. Nothing
    // when the file now holds them; otherwise why not, in words for a
    // one-line message. What stands at the file's place and is not a regular
    // file (a folder, a pipe, a device) is never replaced.
    [[nodiscard]] static std::optional<std::string> Replace(const FolderItem& file, const std::vector<std::string>& lines);
};

}
