#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LargeBuffers.h"
#include "MMessageText.h"
#include "Unpacker.h"

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

constexpr std::size_t ChunkSize = std::size_t{1} << 16;

std::string SizeText(std::size_t bytes)
{
    constexpr std::size_t KiB = 1024;
    if (bytes % (KiB * KiB * KiB) == 0)
        return std::to_string(bytes / (KiB * KiB * KiB)) + " GiB";
    if (bytes % (KiB * KiB) == 0)
        return std::to_string(bytes / (KiB * KiB)) + " MiB";
    if (bytes % KiB == 0)
        return std::to_string(bytes / KiB) + " KiB";
    return std::to_string(bytes) + " bytes";
}

[[noreturn]] void ThrowTooLarge(const std::string& fileName, std::size_t largestSize)
{
    ThrowFileError("read", fileName, "It is larger than " + SizeText(largestSize));
}

[[noreturn]] void ThrowUnpacksTooLarge(const std::string& fileName, std::size_t largestSize)
{
    ThrowFileError("read", fileName, "It unpacks to more than " + SizeText(largestSize));
}

// Reads from the file's position (or, when given, from offset without moving the position)
// until count bytes are in or the file has ended; returns how many came.
std::size_t ReadInto(const FileDescriptor& file, const std::string& fileName, char* into, std::size_t count,
                     std::optional<off_t> offset = std::nullopt)
{
    std::size_t size = 0;
    while (size < count) {
        const ssize_t got = offset ? ::pread(file.Get(), into + size, count - size, *offset + off_t(size))
                                   : ::read(file.Get(), into + size, count - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowFileError("read", fileName, SystemReason());
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    return size;
}

// Reads until the end, which may come before or after expectedSize (files in /proc say 0),
// after the bytes already read from the file's start. The expected size is read at once, into
// the string that is returned. Its room is backed by large pages: the first write to fresh
// memory costs a page fault for every small page, which for a trajectory of tens of megabytes
// takes longer than reading it.
std::string ReadToEnd(const FileDescriptor& file, const std::string& fileName, std::size_t expectedSize,
                      std::string_view alreadyRead, std::size_t largestSize)
{
    constexpr std::size_t LargestReservation = std::size_t{1} << 30;
    std::string bytes;
    bytes.reserve(std::max(std::min(expectedSize, LargestReservation), alreadyRead.size()) + 1);
    AdviseHugePages(bytes.data(), bytes.capacity());
    bytes.resize(bytes.capacity());
    std::copy(alreadyRead.begin(), alreadyRead.end(), bytes.begin());
    std::size_t size = alreadyRead.size();
    for (;;) {
        if (size == bytes.size())
            bytes.resize(size + std::max(size / 2, ChunkSize));
        const std::size_t got = ReadInto(file, fileName, bytes.data() + size, bytes.size() - size);
        size += got;
        if (size > largestSize)
            ThrowTooLarge(fileName, largestSize);
        if (size < bytes.size())
            break;
    }
    bytes.resize(size);
    return bytes;
}

std::span<const std::uint8_t> AsBytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Decoded(std::string bytes)
{
    const TextEncoding encoding = DetectTextEncoding(AsBytes(bytes));
    // Valid UTF-8 is kept as it was read, without a copy.
    if (encoding == TextEncoding::Utf8)
        return bytes;
    return DecodeToUtf8(AsBytes(bytes), encoding);
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// How many bytes at the end begin a UTF-8 sequence that the bytes after them may finish: a lead
// byte followed by fewer continuation bytes than it announces. Whether the sequence is valid
// is left to the check of the whole sequence.
std::size_t UnfinishedUtf8Tail(std::string_view bytes)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, bytes.size()); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// Whether the whole file is valid UTF-8, given its first bytes (start) and, unless they are
// all of it, the rest read piece by piece from where they end and dropped once looked at.
bool WholeFileIsUtf8(const FileDescriptor& file, const std::string& fileName, std::string_view start, bool ended)
{
    if (ended)
        return IsValidUtf8(AsBytes(start));
    std::string pending(start);
    off_t offset = off_t(start.size());
    std::string chunk(ChunkSize, '\0');
    for (;;) {
        const std::size_t unfinished = UnfinishedUtf8Tail(pending);
        if (!IsValidUtf8(AsBytes(pending).first(pending.size() - unfinished)))
            return false;
        pending.erase(0, pending.size() - unfinished);
        const std::size_t got = ReadInto(file, fileName, chunk.data(), chunk.size(), offset);
        if (got == 0)
            return pending.empty();
        offset += off_t(got);
        pending.append(chunk, 0, got);
    }
}

// The first bytes of a file decoded as the whole file will be, as far as its first line
// needs: without a byte-order mark, a first line of ASCII reads alike in both encodings, and
// only a line with other bytes needs to know whether the whole file is UTF-8.
std::string DecodedStart(const FileDescriptor& file, const std::string& fileName, std::string_view start, bool ended)
{
    std::optional<TextEncoding> encoding = EncodingOfMark(AsBytes(start));
    if (!encoding) {
        const std::string_view rawLine = start.substr(0, start.find_first_of("\r\n"));
        const bool utf8 = IsAscii(rawLine) || WholeFileIsUtf8(file, fileName, start, ended);
        encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    }
    return DecodeToUtf8(AsBytes(start), *encoding);
}

// The unpacked bytes of a compressed file, from the packed bytes already read on.
class UnpackingReader {
public:
    UnpackingReader(const FileDescriptor& file, const std::string& fileName, Compression compression,
                    std::string_view packedStart)
        : file_(file), fileName_(fileName), unpacker_(MakeUnpacker(compression)),
          packed_(std::max(ChunkSize, packedStart.size()))
    {
        std::copy(packedStart.begin(), packedStart.end(), packed_.begin());
        pending_ = std::span<const std::uint8_t>(packed_.data(), packedStart.size());
    }

    // Unpacks count bytes into `into`, fewer only at the end; returns how many.
    std::size_t Read(char* into, std::size_t count)
    {
        std::span<std::uint8_t> out(reinterpret_cast<std::uint8_t*>(into), count);
        while (!out.empty() && !ended_) {
            if (pending_.empty() && !inputEnded_) {
                const std::size_t got =
                    ReadInto(file_, fileName_, reinterpret_cast<char*>(packed_.data()), packed_.size());
                inputEnded_ = got == 0;
                pending_ = std::span<const std::uint8_t>(packed_.data(), got);
            }
            try {
                ended_ = unpacker_->Unpack(pending_, out, inputEnded_);
            } catch (const UnpackError& error) {
                ThrowFileError("read", fileName_, std::string(error.what()));
            }
        }
        return count - out.size();
    }

private:
    const FileDescriptor& file_;
    const std::string& fileName_;
    std::unique_ptr<Unpacker> unpacker_;
    std::vector<std::uint8_t> packed_;
    std::span<const std::uint8_t> pending_;
    bool inputEnded_ = false;
    bool ended_ = false;
};

// Unpacks until the end, after the bytes already unpacked; more than largestSize bytes in all
// are refused as they come, so a small file that unpacks to a flood never fills the memory.
std::string UnpackToEnd(UnpackingReader& reader, const std::string& fileName, std::string bytes, std::size_t packedSize,
                        std::size_t largestSize)
{
    // Text packs to about a quarter of its size: room for that at once, backed by large pages
    // (ReadToEnd says why). The string grows a piece at a time, so that the zeros its growth
    // writes are still in the cache when the unpacked bytes overwrite them.
    constexpr std::size_t TypicalRatio = 4;
    constexpr std::size_t Piece = std::size_t{1} << 20;
    bytes.reserve(std::max(bytes.size(), std::min(packedSize * TypicalRatio, largestSize)) + 1);
    AdviseHugePages(bytes.data(), bytes.capacity());
    for (;;) {
        const std::size_t size = bytes.size();
        bytes.resize(size + Piece);
        const std::size_t got = reader.Read(bytes.data() + size, Piece);
        bytes.resize(size + got);
        if (bytes.size() > largestSize)
            ThrowUnpacksTooLarge(fileName, largestSize);
        if (got < Piece)
            return bytes;
    }
}

bool FirstLineIsAscii(std::string_view start) { return IsAscii(start.substr(0, start.find_first_of("\r\n"))); }

// Whether the first line of a file's decoded start fits (LoadTextFileIfFirstLineFits); ended: the
// start is the whole file. A file without lines is not asked about.
bool FirstLineFits(const std::string& decoded, bool ended, const std::function<bool(const TextFirstLine&)>& fits)
{
    if (decoded.empty())
        return true;
    const std::size_t lineEnd = decoded.find_first_of("\r\n");
    return fits(TextFirstLine{std::string_view(decoded).substr(0, lineEnd), lineEnd == std::string::npos && !ended});
}

// LoadTextFileIfFirstLineFits for a compressed file whose first packed bytes are packedStart.
std::optional<std::string> LoadPackedTextIfFirstLineFits(const FileDescriptor& file, const std::string& fileName,
                                                         std::size_t packedSize, std::string_view packedStart,
                                                         const std::function<bool(const TextFirstLine&)>& fits,
                                                         std::size_t largestSize)
{
    UnpackingReader reader(file, fileName, CompressionOf(packedStart), packedStart);
    // One byte past the limit tells that it is passed.
    std::string start(largestSize < FirstLineReadSize ? largestSize + 1 : FirstLineReadSize, '\0');
    start.resize(reader.Read(start.data(), start.size()));
    if (start.size() > largestSize)
        ThrowUnpacksTooLarge(fileName, largestSize);
    bool ended = start.size() < FirstLineReadSize;
    // Whether a first line beyond ASCII, without a byte-order mark, is UTF-8 depends on the whole
    // text, which the packed file gives only once unpacked.
    if (!ended && !EncodingOfMark(AsBytes(start)) && !FirstLineIsAscii(start)) {
        start = UnpackToEnd(reader, fileName, std::move(start), packedSize, largestSize);
        ended = true;
    }
    if (!FirstLineFits(DecodedStart(file, fileName, start, ended), ended, fits))
        return std::nullopt;
    return Decoded(ended ? std::move(start) : UnpackToEnd(reader, fileName, std::move(start), packedSize, largestSize));
}

}  // namespace

std::string ReadRegularFile(const std::string& fileName, std::size_t largestSize)
{
    const FileDescriptor file(OpenRegularFile(fileName));
    const std::size_t expectedSize = CheckOpenedFile(file, fileName);
    if (expectedSize > largestSize)
        ThrowTooLarge(fileName, largestSize);
    return ReadToEnd(file, fileName, expectedSize, {}, largestSize);
}

std::string LoadTextFile(const std::string& fileName) { return Decoded(ReadRegularFile(fileName)); }

std::optional<std::string> LoadTextFileIfFirstLineFits(const std::string& fileName,
                                                       const std::function<bool(const TextFirstLine&)>& fits,
                                                       std::size_t largestUnpackedSize)
{
    const FileDescriptor file(OpenRegularFile(fileName));
    const std::size_t expectedSize = CheckOpenedFile(file, fileName);
    std::string start(FirstLineReadSize, '\0');
    start.resize(ReadInto(file, fileName, start.data(), start.size()));
    if (CompressionOf(start) != Compression::None)
        return LoadPackedTextIfFirstLineFits(file, fileName, expectedSize, start, fits, largestUnpackedSize);
    const bool ended = start.size() < FirstLineReadSize;
    if (!FirstLineFits(DecodedStart(file, fileName, start, ended), ended, fits))
        return std::nullopt;
    return Decoded(ReadToEnd(file, fileName, expectedSize, start, NoFileSizeLimit));
}
