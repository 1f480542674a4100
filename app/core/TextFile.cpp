#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LargeBuffers.h"
#include "MMessageText.h"
#include "TextBuffer.h"

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

std::string SystemReason() { return std::strerror(errno); }

[[noreturn]] void ThrowFileError(const char* action, const std::string& fileName, const std::string& reason)
{
    throw TextFileError(std::string("Cannot ") + action + " file \"" + EscapedForMessage(fileName) + "\". " + reason);
}

// Only regular files are read: a device such as /dev/zero never ends, and a FIFO without a
// writer would wait forever.
void RefuseAnythingButARegularFile(const struct stat& info, const std::string& fileName)
{
    if (!S_ISREG(info.st_mode))
        ThrowFileError("open", fileName, "It is not a regular file");
}

int OpenRegularFile(const std::string& fileName)
{
    // Checked before opening, since opening a device may already act on it.
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0)
        ThrowFileError("open", fileName, SystemReason());
    RefuseAnythingButARegularFile(info, fileName);
    // Should the name be swapped for a FIFO after the check, O_NONBLOCK keeps the open from
    // waiting for a writer, and the check on the open file refuses it.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        ThrowFileError("open", fileName, SystemReason());
    return fd;
}

std::size_t CheckOpenedFile(const FileDescriptor& file, const std::string& fileName)
{
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        ThrowFileError("open", fileName, SystemReason());
    RefuseAnythingButARegularFile(info, fileName);
    const int flags = ::fcntl(file.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        ThrowFileError("open", fileName, SystemReason());
    return static_cast<std::size_t>(info.st_size);
}

// Reads until the end, which may come before or after expectedSize (files in /proc say 0); the
// expected size is read at once, into the string that is returned. Its room is backed by large
// pages: the first write to fresh memory costs a page fault for every small page, which for a
// trajectory of tens of megabytes takes longer than reading it.
std::string ReadToEnd(const FileDescriptor& file, const std::string& fileName, std::size_t expectedSize)
{
    constexpr std::size_t ChunkSize = 1 << 16;
    constexpr std::size_t LargestReservation = std::size_t{1} << 30;
    std::string bytes;
    bytes.reserve(std::min(expectedSize, LargestReservation) + 1);
    AdviseHugePages(bytes.data(), bytes.capacity());
    bytes.resize(bytes.capacity());
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(size + std::max(size / 2, ChunkSize));
        const ssize_t got = ::read(file.Get(), bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowFileError("read", fileName, SystemReason());
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace

std::string ReadRegularFile(const std::string& fileName)
{
    const FileDescriptor file(OpenRegularFile(fileName));
    return ReadToEnd(file, fileName, CheckOpenedFile(file, fileName));
}

std::string LoadTextFile(const std::string& fileName)
{
    std::string bytes = ReadRegularFile(fileName);
    const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const TextEncoding encoding = DetectTextEncoding(view);
    // Valid UTF-8 is kept as it was read, without a copy.
    if (encoding == TextEncoding::Utf8)
        return bytes;
    return DecodeToUtf8(view, encoding);
}
