#ifndef PELMORA_MCLASESS_MFILESAVE_H
#define PELMORA_MCLASESS_MFILESAVE_H

// Saving a file so that it is replaced only when the new content is completely on disk.
//
// The bytes go to a new temporary file in the target's folder (a hidden name made of the
// target's name and a random suffix, MFileSaveNames.h), are flushed to the disk, and the
// temporary file is then renamed over the target, which the system does in one step. A full
// disk, a file-size limit or any other failure removes the temporary file and leaves an
// existing target as it was.
//
// - The temporary file has its final permission bits before its first byte is written, so
//   nobody can read through it what the target would not show them: a target that exists keeps
//   its permission bits, and its owner and group where the system allows (the owner and group
//   together for root, the group alone for a user who belongs to it); a new file gets 0666
//   less the process's umask (or what the folder's default ACL gives), as any new file does.
// - A target that exists but is read-only is refused without writing, as editors and cp do:
//   "It is read-only (not saved)". Read-only means that this process may not write to it
//   (faccessat with the effective user), or that it has no write permission bit at all, which
//   also stops root, whom the system lets write anything.
// - A symbolic link to an existing file is kept: the file it points to is replaced. A link
//   that points nowhere is itself replaced by the file.
// - A target that exists but is no regular file (a folder, a device, a FIFO) is refused
//   without writing anything: renaming over it would destroy it.
// - File names are bytes, used exactly as given.
// - A file-size limit raises SIGXFSZ, which ends the process unless the program ignores that
//   signal; programs that save files set it to SIG_IGN at start, so the write fails with
//   "File too large" instead.
// - Interrupted saves leave no temporary file: SIGINT, SIGTERM and SIGHUP remove the ones in
//   progress once the program has called InstallSaveCleanupOnSignals; those of a process killed
//   outright are removed by the next save of the same target once a minute has passed
//   (MFileSaveLeftovers.h).

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

// Sets up the removal of the temporary files of saves in progress when SIGINT, SIGTERM or
// SIGHUP ends the process: the handler removes them and then passes the signal on to the
// handler the program had set, or to the default action, so that the process ends with the
// signal's status. A signal that is ignored stays ignored. Call once at start, before any
// thread saves; further calls do nothing.
void InstallSaveCleanupOnSignals();

#endif
