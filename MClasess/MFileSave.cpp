#include "MFileSave.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
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

constexpr std::size_t MaxNameBytes = NAME_MAX;
constexpr int RandomSuffixLength = 6;
constexpr int MaxNameAttempts = 100;
// Linux moves at most about 2 GB per write() call.
constexpr std::size_t MaxBytesPerWrite = std::size_t{1} << 30;

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

std::uint32_t RandomStart()
{
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(now ^ (now >> 32) ^ (static_cast<std::uint64_t>(::getpid()) << 16));
}

// A hidden name beside the target that still fits the system's limit on one name's length.
std::string TemporaryName(const std::string& target, std::mt19937& random)
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t room = MaxNameBytes - 2 - RandomSuffixLength;
    std::string name = target.substr(0, nameStart) + '.' + target.substr(nameStart, room) + '.';
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    for (int i = 0; i < RandomSuffixLength; ++i)
        name += Letters[pick(random)];
    return name;
}

// The temporary file: closed and removed unless it was renamed over the target.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }

    // Creates a new file beside target; returns errno, 0 on success.
    int Create(const std::string& target)
    {
        // The name only needs to be unlikely to exist; O_EXCL makes sure it did not.
        thread_local std::mt19937 random{RandomStart()};
        for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
            std::string name = TemporaryName(target, random);
            // 0666: the umask applies, as for any new file.
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                name_ = std::move(name);
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
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

    // Gives the file the old target's permission bits and, where allowed, its owner.
    int TakeAttributesOf(const struct stat& old) const
    {
        if (::fchmod(fd_, old.st_mode & 0777) != 0)
            return errno;
        // Only a privileged process may give a file away; a failure here is no reason to keep
        // the old content.
        [[maybe_unused]] const int ignored = ::fchown(fd_, old.st_uid, old.st_gid);
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
        if (::rename(name_.c_str(), target.c_str()) != 0)
            return errno;
        name_.clear();
        return 0;
    }

private:
    int fd_ = -1;
    std::string name_;
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
    if (fileName.empty() || fileName.back() == '/')
        return Failure("create", fileName, SystemReason(fileName.empty() ? ENOENT : EISDIR));

    TemporaryFile file;
    if (const int error = file.Create(target))
        return Failure("create", fileName, SystemReason(error));
    int error = file.Write(bytes);
    if (error == 0 && replacing)
        error = file.TakeAttributesOf(old);
    if (error == 0)
        error = file.SyncAndClose();
    if (error != 0)
        return Failure("write", fileName, SystemReason(error));
    if (const int renameError = file.RenameTo(target))
        return Failure("replace", fileName, SystemReason(renameError));
    SyncFolder(FolderOf(target));
    return {true, {}};
}
