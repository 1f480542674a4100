#include "MStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MFileSave.h"

namespace {

std::string SystemErrorText(int errorNumber) { return std::error_code(errorNumber, std::generic_category()).message(); }

}  // namespace

MStream::~MStream() = default;

std::int64_t MStream::Remaining() const { return std::max<std::int64_t>(0, Size() - Position()); }

MMemoryStream::MMemoryStream(std::vector<std::uint8_t> bytes) : bytes(std::move(bytes)) {}

void MMemoryStream::Read(void* buffer, std::size_t count)
{
    if (count > bytes.size() - position)
        throw MStreamError("read past the end of a memory stream");
    if (count > 0)
        std::memcpy(buffer, bytes.data() + position, count);
    position += count;
}

void MMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return;
    if (count > bytes.size() - position)
        bytes.resize(position + count);
    std::memcpy(bytes.data() + position, buffer, count);
    position += count;
}

std::int64_t MMemoryStream::Position() const { return static_cast<std::int64_t>(position); }

std::int64_t MMemoryStream::Size() const { return static_cast<std::int64_t>(bytes.size()); }

void MMemoryStream::SetBytes(std::vector<std::uint8_t> newBytes)
{
    bytes = std::move(newBytes);
    position = 0;
}

void MMemoryStream::Seek(std::int64_t newPosition)
{
    if (newPosition < 0 || newPosition > Size())
        throw MStreamError("seek outside a memory stream");
    position = static_cast<std::size_t>(newPosition);
}

MFileStream::MFileStream(const std::string& fileName, Mode mode) : mode(mode), name(fileName)
{
    if (mode == Mode::Create) {
        OpenForWriting();
        return;
    }
    // Without O_NONBLOCK, opening a FIFO would wait for a writer before the check below runs.
    const int descriptor = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        throw MFileError("cannot open " + fileName + ": " + SystemErrorText(errno));
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        throw MFileError("not a file: " + fileName);
    }
    (void)fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    file = fdopen(descriptor, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(descriptor);
        throw MFileError("cannot open " + fileName + ": " + SystemErrorText(error));
    }
    size = static_cast<std::int64_t>(status.st_size);
    open = true;
}

void MFileStream::OpenForWriting()
{
    std::error_code error;
    if (std::filesystem::is_directory(name, error))
        throw MFileError("not a file: " + name);
    const std::filesystem::path folder = std::filesystem::path(name).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, error))
        throw MFileError("cannot create " + name + ": " + SystemErrorText(ENOENT));
    open = true;
}

MFileStream::~MFileStream()
{
    if (file != nullptr)
        std::fclose(file);
}

void MFileStream::Read(void* buffer, std::size_t count)
{
    if (file == nullptr || mode != Mode::Read)
        throw MStreamError("file not open for reading: " + name);
    const std::size_t got = count == 0 ? 0 : std::fread(buffer, 1, count, file);
    position += static_cast<std::int64_t>(got);
    if (got != count)
        throw MStreamError(std::ferror(file) ? "cannot read " + name + ": " + SystemErrorText(errno)
                                             : "read past the end of " + name);
}

void MFileStream::Write(const void* buffer, std::size_t count)
{
    if (!open || mode != Mode::Create)
        throw MStreamError("file not open for writing: " + name);
    pending.append(static_cast<const char*>(buffer), count);
    position += static_cast<std::int64_t>(count);
    size = std::max(size, position);
}

std::int64_t MFileStream::Position() const { return position; }

std::int64_t MFileStream::Size() const { return size; }

void MFileStream::Close()
{
    if (!open)
        return;
    open = false;
    if (mode == Mode::Read) {
        std::fclose(file);
        file = nullptr;
        return;
    }
    const MFileSaveResult saved = SaveFileAtomically(name, pending);
    pending.clear();
    pending.shrink_to_fit();
    if (!saved.saved)
        throw MStreamError(saved.reason);
}

bool MFileStream::Exists(const std::string& fileName)
{
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

void MFileStream::DeleteIfExists(const std::string& fileName)
{
    if (!Exists(fileName))
        return;
    std::error_code error;
    std::filesystem::remove(fileName, error);
    if (error)
        throw MFileError("cannot delete " + fileName + ": " + error.message());
}
