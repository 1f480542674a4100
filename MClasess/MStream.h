#ifndef PELMORA_MCLASESS_MSTREAM_H
#define PELMORA_MCLASESS_MSTREAM_H

// Byte streams the lists and points save themselves to: an abstract stream with a memory and a
// file form. A stream raises MStreamError whenever it cannot deliver or take every byte asked
// for, so a reader never goes on with bytes that were not there.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// A read past the end of a stream, or a write or read the medium refused.
class MStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that could not be opened, created or deleted. Unlike stream errors, these reach the
// caller of SaveToFile and LoadFromFile.
class MFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class MStream {
public:
    virtual ~MStream();

    // Reads exactly count bytes; throws MStreamError when fewer remain or the medium fails.
    virtual void Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes at the position; throws MStreamError when the medium refuses them.
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;

    // Bytes between the position and the end; never negative.
    std::int64_t Remaining() const;
};

// A stream over a byte vector it owns. Writing at the end extends it.
class MMemoryStream : public MStream {
public:
    MMemoryStream() = default;
    explicit MMemoryStream(std::vector<std::uint8_t> bytes);

    void Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;

    const std::vector<std::uint8_t>& Bytes() const { return bytes; }
    // Replaces the content and moves the position to the start.
    void SetBytes(std::vector<std::uint8_t> newBytes);
    // Moves the position; throws MStreamError outside 0 .. Size().
    void Seek(std::int64_t newPosition);

private:
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

// A file opened for reading, or created for writing.
//
// Reading takes regular files only: a folder, a device or a FIFO is refused when the stream is
// made, and nothing waits for a writer. Writing collects the bytes and puts them into the file
// when the stream is closed, all at once: the old file is replaced only by a completely written
// new one (MFileSave.h), and a stream that is dropped without Close, or whose Close fails,
// leaves the old file as it was.
class MFileStream : public MStream {
public:
    enum class Mode { Read, Create };

    // Throws MFileError when the file cannot be opened, is no regular file, or names a
    // folder, and, for writing, when its folder does not exist.
    MFileStream(const std::string& fileName, Mode mode);
    ~MFileStream() override;
    MFileStream(const MFileStream&) = delete;
    MFileStream& operator=(const MFileStream&) = delete;

    void Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;

    // Closes the file; for writing, replaces the file with everything written. Throws
    // MStreamError, with the reason, when the bytes could not all be stored (a full disk shows
    // only here); the old file then stays. Later calls do nothing.
    void Close();

    // True when a file (not a folder) of that name exists.
    static bool Exists(const std::string& fileName);
    // Deletes the file when it exists; throws MFileError when it cannot be deleted.
    static void DeleteIfExists(const std::string& fileName);

private:
    void OpenForWriting();

    std::FILE* file = nullptr;  // for reading
    std::string pending;        // for writing: every byte written so far
    bool open = false;
    Mode mode;
    std::string name;
    std::int64_t position = 0;
    std::int64_t size = 0;
};

#endif
