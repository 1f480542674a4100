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
// Encoders write in small pieces (GIF: blocks of 255 bytes): one system call per megabyte.
constexpr std::size_t PendingLimit = std::size_t{1} << 20;

std::string SystemReason(int error) { return std::system_category().message(error); }

std::string FailureReason(const char* action, const std::string& fileName, const std::string& reason)
{
    return std::string("Cannot ") + action + " file \"" + EscapedForMessage(fileName) + "\". " + reason;
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

// Gives a new file the old target's owner and group where allowed, then its permission bits;
// returns errno, 0 on success.
int TakeAttributesOf(int fd, const struct stat& old)
{
    // Only a privileged process may give a file away; a user may still give it a group they
    // belong to. Neither is a reason to keep the old content when refused.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    // After the owner: a change of owner clears set-ID bits.
    return ::fchmod(fd, old.st_mode & 0777) != 0 ? errno : 0;
}

// Writes all bytes, taking short writes and interrupted calls; returns errno, 0 on success.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), std::min(bytes.size(), MaxBytesPerWrite));
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
int SyncAndClose(int fd)
{
    int result;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    const int syncError = result != 0 ? errno : 0;
    // After close() the descriptor is gone even when it reports an error (Linux).
    const int closed = ::close(fd);
    if (syncError != 0)
        return syncError;
    return closed != 0 && errno != EINTR ? errno : 0;
}

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

MFileSaveStream::MFileSaveStream(const std::string& fileName) : fileName_(fileName), target_(ResolvedTarget(fileName))
{
    struct stat old {};
    const bool replacing = ::stat(target_.c_str(), &old) == 0;
    if (!replacing && errno != ENOENT) {
        Fail("create", errno);
        return;
    }
    if (replacing && !S_ISREG(old.st_mode)) {
        reason_ = FailureReason("write", fileName_, "It is not a regular file");
        return;
    }
    if (replacing && IsReadOnly(target_, old)) {
        reason_ = FailureReason("write", fileName_, "It is read-only (not saved)");
        return;
    }
    if (fileName_.empty() || fileName_.back() == '/') {
        Fail("create", fileName_.empty() ? ENOENT : EISDIR);
        return;
    }
    RemoveStaleTemporaryFiles(target_);
    if (const int error = CreateTemporaryFile(replacing ? PrivateMode : NewFileMode)) {
        Fail("create", error);
        return;
    }
    if (replacing) {
        if (const int error = TakeAttributesOf(fd_, old))
            Fail("write", error);
    }
}

MFileSaveStream::~MFileSaveStream()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (temporary_.empty())
        return;
    const CleanupSignalsHeld held;
    ::unlink(temporary_.c_str());
    UnlistTemporaryFile(listed_);
}

int MFileSaveStream::CreateTemporaryFile(unsigned mode)
{
    // The name only needs to be unlikely to exist; O_EXCL makes sure it did not.
    thread_local std::mt19937 random{RandomStart()};
    const CleanupSignalsHeld held;
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        std::string name = TemporaryNameBeside(target_, random);
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temporary_ = std::move(name);
            listed_ = ListTemporaryFile(temporary_.c_str());
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

bool MFileSaveStream::Fail(const char* action, int error)
{
    if (reason_.empty())
        reason_ = FailureReason(action, fileName_, SystemReason(error));
    return false;
}

bool MFileSaveStream::Write(std::string_view bytes)
{
    if (!Ok() || fd_ < 0)
        return false;
    if (pending_.size() + bytes.size() < PendingLimit) {
        pending_.append(bytes);
        return true;
    }
    // A large piece goes to the system as it is, after what was gathered before it.
    if (!Flush())
        return false;
    if (const int error = WriteAll(fd_, bytes))
        return Fail("write", error);
    return true;
}

bool MFileSaveStream::Flush()
{
    const int error = WriteAll(fd_, pending_);
    pending_.clear();
    return error == 0 || Fail("write", error);
}

bool MFileSaveStream::Commit()
{
    if (!Ok() || fd_ < 0 || !Flush())
        return false;
    const int error = SyncAndClose(fd_);
    fd_ = -1;
    if (error != 0)
        return Fail("write", error);
    {
        const CleanupSignalsHeld held;
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            return Fail("replace", errno);
        temporary_.clear();
        UnlistTemporaryFile(listed_);
        listed_ = -1;
    }
    SyncFolder(FolderOf(target_));
    return true;
}

MFileSaveResult SaveFileAtomically(const std::string& fileName, std::string_view bytes)
{
    MFileSaveStream save(fileName);
    if (save.Write(bytes) && save.Commit())
        return {true, {}};
    return {false, save.Reason()};
}
