#include "MFileSave.h"
#include "MFileSaveLeftovers.h"
#include "MFileSaveNames.h"
#include "MFileSaveSignals.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MMessageText.h"

namespace {

constexpr int MaxNameAttempts = 100;
// Linux moves at most about 2 GB per write() call.
constexpr std::size_t MaxBytesPerWrite = std::size_t{1} << 30;
// Only the owner can read a temporary file that is to replace an existing one until it has
// the old file's permission bits.
constexpr mode_t PrivateMode = 0600;
// A new file: the umask (or the folder's default ACL) applies, as for any new file.
constexpr mode_t NewFileMode = 0666;
constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

std::string SystemReason(int error) { return std::system_category().message(error); }

MFileSaveResult Failure(const char* action, const std::string& fileName, const std::string& reason)
{
    return {false, std::string("Cannot ") + action + " file \"" + EscapedForMessage(fileName) + "\". " + reason};
}

// The file a name stands for: the file a symbolic link points to when it exists, else the name.
std::string ResolvedTarget(const std::string& fileName)
{
    struct stat link {};
    if (::lstat(fileName.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return fileName;
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(fileName.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : fileName;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Read-only as an editor sees it: this process may not write to the file, or the file has no
// write bit at all (which root could write all the same). Other refusals of faccessat (a
// read-only file system, a program being run) are left to the save, which says why it fails.
bool IsReadOnly(const std::string& target, const struct stat& info)
{
    if ((info.st_mode & AnyWriteBit) == 0)
        return true;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

std::uint32_t RandomStart()
{
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(now ^ (now >> 32) ^ (static_cast<std::uint64_t>(::getpid()) << 16));
}

// The temporary file: closed and removed unless it was renamed over the target, and listed for
// the signal handlers (MFileSaveSignals.h) while it exists.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (name_.empty())
            return;
        const CleanupSignalsHeld held;
        ::unlink(name_.c_str());
        UnlistTemporaryFile(listed_);
    }

    // Creates a new file beside target with the given permission bits; returns errno, 0 on
    // success.
    int Create(const std::string& target, mode_t mode)
    {
        // The name only needs to be unlikely to exist; O_EXCL makes sure it did not.
        thread_local std::mt19937 random{RandomStart()};
        const CleanupSignalsHeld held;
        for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
            std::string name = TemporaryNameBeside(target, random);
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd_ >= 0) {
                name_ = std::move(name);
                listed_ = ListTemporaryFile(name_.c_str());
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Gives the file the old target's owner and group where allowed, then its permission bits;
    // returns errno, 0 on success.
    int TakeAttributesOf(const struct stat& old) const
    {
        // Only a privileged process may give a file away; a user may still give it a group
        // they belong to. Neither is a reason to keep the old content when refused.
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
        }
        // After the owner: a change of owner clears set-ID bits.
        return ::fchmod(fd_, old.st_mode & 0777) != 0 ? errno : 0;
    }

    // Writes all bytes, taking short writes and interrupted calls; returns errno, 0 on success.
    int Write(std::string_view bytes) const
    {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), std::min(bytes.size(), MaxBytesPerWrite));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return errno;
            if (written == 0)
                return EIO;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return 0;
    }

    // Flushes to the disk and closes; returns errno, 0 on success.
    int SyncAndClose()
    {
        int result;
        do
            result = ::fsync(fd_);
        while (result != 0 && errno == EINTR);
        const int syncError = result != 0 ? errno : 0;
        // After close() the descriptor is gone even when it reports an error (Linux).
        const int closed = ::close(fd_);
        fd_ = -1;
        if (syncError != 0)
            return syncError;
        return closed != 0 && errno != EINTR ? errno : 0;
    }

    // Renames the file over target; returns errno, 0 on success.
    int RenameTo(const std::string& target)
    {
        const CleanupSignalsHeld held;
        if (::rename(name_.c_str(), target.c_str()) != 0)
            return errno;
        name_.clear();
        UnlistTemporaryFile(listed_);
        listed_ = -1;
        return 0;
    }

private:
    int fd_ = -1;
    std::string name_;
    int listed_ = -1;
};

// Makes the rename itself last through a power failure; the content is already on the disk,
// so a failure here is not reported.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

MFileSaveResult SaveFileAtomically(const std::string& fileName, std::string_view bytes)
{
    const std::string target = ResolvedTarget(fileName);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (!replacing && errno != ENOENT)
        return Failure("create", fileName, SystemReason(errno));
    if (replacing && !S_ISREG(old.st_mode))
        return Failure("write", fileName, "It is not a regular file");
    if (replacing && IsReadOnly(target, old))
        return Failure("write", fileName, "It is read-only (not saved)");
    if (fileName.empty() || fileName.back() == '/')
        return Failure("create", fileName, SystemReason(fileName.empty() ? ENOENT : EISDIR));

    RemoveStaleTemporaryFiles(target);
    TemporaryFile file;
    if (const int error = file.Create(target, replacing ? PrivateMode : NewFileMode))
        return Failure("create", fileName, SystemReason(error));
    int error = replacing ? file.TakeAttributesOf(old) : 0;
    if (error == 0)
        error = file.Write(bytes);
    if (error == 0)
        error = file.SyncAndClose();
    if (error != 0)
        return Failure("write", fileName, SystemReason(error));
    if (const int renameError = file.RenameTo(target))
        return Failure("replace", fileName, SystemReason(renameError));
    SyncFolder(FolderOf(target));
    return {true, {}};
}
