#ifndef PELMORA_MCLASESS_MTRACEBLOCKMAPPING_H
#define PELMORA_MCLASESS_MTRACEBLOCKMAPPING_H

// Opening and mapping the trace block (MTraceBlock.h), for the traced program and the viewer.
//
// Only a block that is a regular file of the current user with no access for anyone else,
// and at least as large as the layout, is ever mapped: another user could otherwise read the
// records, inject some, or cut the block short under the mapping (touching a page past the
// end of the file raises SIGBUS). The checks are made on the opened descriptor, so the name
// cannot be swapped in between. Both sides look at the size again (Whole) before they touch
// the block; after these checks only the user's own processes can still change it, and those
// could harm the program in any other way as well.

#include "MTraceBlock.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// Owns one mapping of the named block, and the block's descriptor, which it needs to look at
// the block's size and for the viewer lock; unmaps and closes when destroyed.
class TraceBlockMapping {
public:
    enum class Mode { OpenExisting, CreateOrOpen };
    enum class Presence { Missing, Trusted, Refused };

    // Null when the block cannot be opened or mapped, or is not one this user may trust (see
    // above); with Mode::OpenExisting a missing block is never created. whyNot, when given,
    // receives the reason, phrased to follow "the block NAME is ...".
    static std::optional<TraceBlockMapping> Open(const std::string& name, Mode mode, std::string* whyNot = nullptr)
    {
        std::string ignored;
        std::string& reason = whyNot != nullptr ? *whyNot : ignored;
        bool created = false;
        int fd = -1;
        if (mode == Mode::CreateOrOpen) {
            // Only the user's own programs may read or write the viewer's block.
            fd = shm_open(name.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
            created = fd >= 0;
        }
        if (fd < 0)
            fd = shm_open(name.c_str(), kFlags, 0);
        if (fd < 0) {
            reason = OpenFailure(errno, name);
            return std::nullopt;
        }
        std::optional<TraceBlockMapping> mapping;
        if (created && ftruncate(fd, static_cast<off_t>(TraceBlockSize)) != 0)
            reason = "not to be made (" + ErrorText(errno) + ")";
        else if (Trustworthy(fd, reason))
            mapping = MapWhole(fd, created, reason);
        if (!mapping) {
            close(fd);
            if (created)
                shm_unlink(name.c_str());
        }
        return mapping;
    }

    // Whether a block is under the name, and whether Open would trust it, without mapping or
    // changing it; whyNot receives the reason of a refusal as with Open.
    static Presence Look(const std::string& name, std::string* whyNot = nullptr)
    {
        const int fd = shm_open(name.c_str(), kFlags, 0);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT)
                return Presence::Missing;
            if (whyNot != nullptr)
                *whyNot = OpenFailure(error, name);
            return Presence::Refused;
        }
        std::string ignored;
        const bool trusted = Trustworthy(fd, whyNot != nullptr ? *whyNot : ignored);
        close(fd);
        return trusted ? Presence::Trusted : Presence::Refused;
    }

    TraceBlockMapping(TraceBlockMapping&& other) noexcept
        : block_(std::exchange(other.block_, TraceBlock{})), fd_(std::exchange(other.fd_, -1)), created_(other.created_)
    {
    }
    TraceBlockMapping& operator=(TraceBlockMapping&& other) noexcept
    {
        if (this != &other) {
            Release();
            block_ = std::exchange(other.block_, TraceBlock{});
            fd_ = std::exchange(other.fd_, -1);
            created_ = other.created_;
        }
        return *this;
    }
    TraceBlockMapping(const TraceBlockMapping&) = delete;
    TraceBlockMapping& operator=(const TraceBlockMapping&) = delete;
    ~TraceBlockMapping() { Release(); }

    const TraceBlock& Block() const { return block_; }
    // Whether this mapping created the block (and initialised it).
    bool Created() const { return created_; }

    // The block's size now, -1 when it cannot be told.
    long long CurrentSize() const
    {
        struct stat status {};
        return fstat(fd_, &status) == 0 ? static_cast<long long>(status.st_size) : -1;
    }
    // Whether every byte of the layout is still there; the block must not be touched otherwise.
    bool Whole() const { return CurrentSize() >= static_cast<long long>(TraceBlockSize); }

    // Takes the viewer lock; false when another viewer holds it.
    bool LockAsViewer() const
    {
        struct flock lock = WholeBlockLock(F_WRLCK);
        return fcntl(fd_, F_OFD_SETLK, &lock) == 0;
    }
    // Whether a viewer other than this mapping's owner holds the viewer lock now.
    bool ViewerLockHeld() const
    {
        struct flock lock = WholeBlockLock(F_WRLCK);
        return fcntl(fd_, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    }

private:
    // Never through a link another user may have put in the name's place; never waiting on a FIFO
    // put there.
    static constexpr int kFlags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

    TraceBlockMapping(std::byte* bytes, int fd, bool created) : block_{bytes}, fd_(fd), created_(created) {}

    static std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

    // One path component behind the leading slash, as shm_open takes it.
    static bool ValidName(std::string_view name)
    {
        if (name.size() < 2 || name.front() != '/')
            return false;
        name.remove_prefix(1);
        return name.find('/') == std::string_view::npos && name != "." && name != "..";
    }

    static std::string OpenFailure(int error, const std::string& name)
    {
        switch (error) {
        case ENOENT:
            return "missing";
        case ELOOP:
            return "a symbolic link";
        case EINVAL:  // the C library reports a folder so, as it does a malformed name
            return ValidName(name) ? "not a regular file" : "not a valid block name";
        case EISDIR:
        case ENXIO:
            return "not a regular file";
        default:
            return "not to be opened (" + ErrorText(error) + ")";
        }
    }

    static std::string OctalMode(mode_t mode)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
        return text;
    }

    static bool Trustworthy(int fd, std::string& reason)
    {
        struct stat status {};
        if (fstat(fd, &status) != 0) {
            reason = "not to be examined (" + ErrorText(errno) + ")";
            return false;
        }
        if (!S_ISREG(status.st_mode)) {
            reason = "not a regular file";
            return false;
        }
        if (status.st_uid != geteuid()) {
            reason = "owned by another user (uid " + std::to_string(status.st_uid) + ")";
            return false;
        }
        if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
            reason = "open to other users (mode " + OctalMode(status.st_mode) + ")";
            return false;
        }
        if (status.st_size < static_cast<off_t>(TraceBlockSize)) {
            reason = "too small (" + std::to_string(status.st_size) + " bytes, the layout needs "
                + std::to_string(TraceBlockSize) + ")";
            return false;
        }
        return true;
    }

    static std::optional<TraceBlockMapping> MapWhole(int fd, bool created, std::string& reason)
    {
        void* address = mmap(nullptr, TraceBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address == MAP_FAILED) {
            reason = "not to be mapped (" + ErrorText(errno) + ")";
            return std::nullopt;
        }
        TraceBlockMapping mapping(static_cast<std::byte*>(address), fd, created);
        if (created)
            mapping.InitialiseNewBlock();
        return mapping;
    }

    static struct flock WholeBlockLock(short type)
    {
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 0;  // to the end, whatever the size
        return lock;
    }

    // ftruncate filled the block with zeros already; the version goes last, so a program that
    // opens the block in between sees a mismatch rather than a half-made block.
    void InitialiseNewBlock() const
    {
        block_.Busy().store(TraceBusyFree);
        block_.Writing().store(0);
        block_.Receiver().store(0);
        block_.WriteInt32(TraceOffsetReserved, 0);
        block_.Version().store(TraceBlockVersion, std::memory_order_release);
    }

    void Release()
    {
        if (block_.bytes != nullptr)
            munmap(block_.bytes, TraceBlockSize);
        block_.bytes = nullptr;
        // Closing the descriptor also drops a viewer lock taken through it.
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

    TraceBlock block_;
    int fd_ = -1;
    bool created_ = false;
};

#endif
