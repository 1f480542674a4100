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

// A save written piece by piece (a movie, frame after frame), under the rules above: the
// constructor checks the target and makes the temporary file beside it, Write appends to it,
// Commit flushes it to the disk and renames it over the target. A save destroyed without a
// successful Commit removes its temporary file and leaves the target as it was.
class MFileSaveStream {
public:
    // Checks fileName (bytes, used as given) and makes its temporary file; Ok() tells whether it could.
    explicit MFileSaveStream(const std::string& fileName);
    ~MFileSaveStream();
    MFileSaveStream(const MFileSaveStream&) = delete;
    MFileSaveStream& operator=(const MFileSaveStream&) = delete;

    bool Ok() const { return reason_.empty(); }
    // Why the save failed, as MFileSaveResult::reason. Empty while it has not.
    const std::string& Reason() const { return reason_; }
    // The temporary file's name, for writers that open the file again themselves and write through
    // their own handle (then not through Write); Commit still flushes and renames it.
    const std::string& TemporaryName() const { return temporary_; }

    // Appends bytes; small pieces are gathered and handed to the system a megabyte at a time.
    // False (with the reason) when the system refuses them; the save is then lost.
    bool Write(std::string_view bytes);
    // Flushes to the disk and renames over the target; false (with the reason) when that fails.
    [[nodiscard]] bool Commit();

private:
    bool Fail(const char* action, int error);
    bool Flush();
    int CreateTemporaryFile(unsigned mode);

    std::string fileName_;
    std::string target_;
    std::string temporary_;
    std::string reason_;
    std::string pending_;
    int fd_ = -1;
    int listed_ = -1;
};

// Sets up the removal of the temporary files of saves in progress when SIGINT, SIGTERM or
// SIGHUP ends the process: the handler removes them and then passes the signal on to the
// handler the program had set, or to the default action, so that the process ends with the
// signal's status. A signal that is ignored stays ignored. Call once at start, before any
// thread saves; further calls do nothing.
void InstallSaveCleanupOnSignals();

#endif
