#pragma once

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
//   stands under that name, which is left alone), never through a link and
//   never into a pipe or device;
// - the temporary is locked (flock) while it is written, synced and renamed
//   over the file, so that other processes' tidy-ups leave it alone; where
//   the file system has no locks, the save goes on without one;
// - a file reached through symbolic links is replaced at the links' end, in
//   that file's own folder, and the links stay;
// - the file keeps its permission bits; a new file gets 0644 less the umask;
// - the folder is synced after the rename, so the new name survives a power
//   cut;
// - a failed save leaves the old file as it was and removes its temporary.
//
// Each save first removes the temporaries that killed saves left beside the
// file; those that are locked belong to saves still under way and stay.
class SaveFile {
public:
    // Writes `lines`, each ended with LF, in the place of `file`. False when
    // nothing was replaced: the folder cannot be written, a write or the sync
    // failed, or what stands at the file's place is not a regular file (a
    // folder, a pipe, a device), which is never replaced.
    static bool Replace(const FolderItem& file, const std::vector<std::string>& lines);
};

}
