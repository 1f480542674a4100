#ifndef PELMORA_APP_OUTPUT_STREAMEDFILESAVE_H
#define PELMORA_APP_OUTPUT_STREAMEDFILESAVE_H

// A file written piece by piece (a movie, frame after frame) that replaces its target only when
// it is complete, as whole-file saves do (MFileSave.h): the pieces go to a new temporary file
// beside the target (MFileSaveNames.h), listed for removal should a signal end the process
// (MFileSaveSignals.h); Commit flushes it to the disk and renames it over the target in one
// step. A save that is not committed removes its temporary file and leaves the target as it was.
//
// As whole-file saves: a symbolic link to a file is kept and the file it points to replaced; a
// target that is no regular file, or that is read-only, is refused before anything is written;
// an existing target's permission bits are kept, a new file gets 0666 less the umask.

#include <cstddef>
#include <string>

class StreamedFileSave {
public:
    // Makes the temporary file for target (bytes, used as given); Ok() tells whether it could.
    explicit StreamedFileSave(const std::string& target);
    ~StreamedFileSave();
    StreamedFileSave(const StreamedFileSave&) = delete;
    StreamedFileSave& operator=(const StreamedFileSave&) = delete;

    bool Ok() const { return reason_.empty(); }
    // Why the save failed, naming the target: "Cannot write file \"a.mp4\". No space left on device".
    const std::string& Reason() const { return reason_; }
    // The temporary file's name, for writers that open the file themselves (and then write
    // through their own handle, not Write).
    const std::string& TemporaryName() const { return temporary_; }

    // Appends bytes, handed to the system a megabyte at a time; false (with the reason) when the
    // system refuses them.
    bool Write(const void* bytes, std::size_t count);
    // Flushes and renames over the target; false (with the reason) when that fails.
    bool Commit();

private:
    bool Fail(const char* action, int error);
    bool Flush();

    // Encoders write in small pieces (GIF: blocks of 255 bytes): one system call per megabyte.
    static constexpr std::size_t BufferSize = std::size_t{1} << 20;

    std::string target_;
    std::string temporary_;
    std::string reason_;
    std::string buffer_;
    int fd_ = -1;
    int listed_ = -1;
    bool committed_ = false;
};

#endif
