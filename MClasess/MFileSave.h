#ifndef PELMORA_MCLASESS_MFILESAVE_H
#define PELMORA_MCLASESS_MFILESAVE_H

// Saving a file so that it is replaced only when the new content is completely on disk.
//
// The bytes go to a new temporary file in the target's folder (a hidden name made of the
// target's name and a random suffix), are flushed to the disk, and the temporary file is then
// renamed over the target, which the system does in one step. A full disk, a file-size limit
// or any other failure removes the temporary file and leaves an existing target as it was.
//
// - A target that exists keeps its permission bits (and, where the system allows, its owner
//   and group); a new file gets 0666 less the process's umask, as any new file does.
// - A symbolic link to an existing file is kept: the file it points to is replaced. A link
//   that points nowhere is itself replaced by the file.
// - A target that exists but is no regular file (a folder, a device, a FIFO) is refused
//   without writing anything: renaming over it would destroy it.
// - File names are bytes, used exactly as given.
// - A file-size limit raises SIGXFSZ, which ends the process unless the program ignores that
//   signal; programs that save files set it to SIG_IGN at start, so the write fails with
//   "File too large" instead.

#include <string>
#include <string_view>

struct MFileSaveResult {
    bool saved = false;
    // Why the file was not saved, naming it (escaped as MMessageText shows names) and giving
    // the system's reason: "Cannot write file \"a.png\". No space left on device". Empty when
    // saved.
    std::string reason;
};

// Replaces (or creates) fileName with exactly the given bytes, as described above.
[[nodiscard]] MFileSaveResult SaveFileAtomically(const std::string& fileName, std::string_view bytes);

#endif
