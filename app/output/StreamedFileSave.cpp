#include "StreamedFileSave.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MFileSaveNames.h"
#include "MFileSaveSignals.h"
#include "MMessageText.h"

namespace {

constexpr mode_t NewFileMode = 0666;
constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr int MaxNameAttempts = 100;

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

}  // namespace

StreamedFileSave::StreamedFileSave(const std::string& target) : target_(ResolvedTarget(target))
{
    mode_t mode = NewFileMode;
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            reason_ = "Cannot write file \"" + EscapedForMessage(target) + "\". It is not a regular file";
            return;
        }
        if ((old.st_mode & AnyWriteBit) == 0
            || (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)) {
            reason_ = "Cannot write file \"" + EscapedForMessage(target) + "\". It is read-only (not saved)";
            return;
        }
        mode = old.st_mode & 07777;
    }
    thread_local std::mt19937 random{RandomStart()};
    const CleanupSignalsHeld held;
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        std::string name = TemporaryNameBeside(target_, random);
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temporary_ = std::move(name);
            listed_ = ListTemporaryFile(temporary_.c_str());
            // The umask took bits off; an existing target's bits are kept whole.
            if (exists)
                (void)::fchmod(fd_, mode);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    Fail("create", errno);
}

StreamedFileSave::~StreamedFileSave()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (committed_ || temporary_.empty())
        return;
    const CleanupSignalsHeld held;
    ::unlink(temporary_.c_str());
    UnlistTemporaryFile(listed_);
}

bool StreamedFileSave::Fail(const char* action, int error)
{
    if (reason_.empty())
        reason_ = std::string("Cannot ") + action + " file \"" + EscapedForMessage(target_) + "\". "
            + std::system_category().message(error);
    return false;
}

bool StreamedFileSave::Write(const void* bytes, std::size_t count)
{
    if (!Ok() || fd_ < 0)
        return false;
    buffer_.append(static_cast<const char*>(bytes), count);
    return buffer_.size() < BufferSize || Flush();
}

bool StreamedFileSave::Flush()
{
    const char* next = buffer_.data();
    std::size_t count = buffer_.size();
    while (count > 0) {
        const ssize_t written = ::write(fd_, next, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fail("write", written < 0 ? errno : ENOSPC);
        next += written;
        count -= static_cast<std::size_t>(written);
    }
    buffer_.clear();
    return true;
}

bool StreamedFileSave::Commit()
{
    if (!Ok() || temporary_.empty() || !Flush())
        return false;
    if (::fsync(fd_) != 0)
        return Fail("write", errno);
    const int closing = ::close(fd_);
    fd_ = -1;
    if (closing != 0)
        return Fail("write", errno);
    const CleanupSignalsHeld held;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return Fail("write", errno);
    committed_ = true;
    UnlistTemporaryFile(listed_);
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}
