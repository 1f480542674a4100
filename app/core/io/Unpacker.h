#ifndef PELMORA_APP_CORE_IO_UNPACKER_H
#define PELMORA_APP_CORE_IO_UNPACKER_H

// Compressed files: which compression a file's first bytes announce (gzip, bzip2, xz; by their
// magic bytes, whatever the file's name), and the decoder of each, which unpacks a stream piece
// by piece. Streams joined one after the other (as parallel compressors write them) unpack as
// one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

enum class Compression { None, Gzip, Bzip2, Xz };

// Packed data that cannot be unpacked: the message says why ("the xz data is damaged").
class UnpackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The compression whose magic bytes start `start`; None for anything else (and for fewer bytes
// than a magic takes).
Compression CompressionOf(std::string_view start);

// The most memory the xz decoder may take: a stream that asks for more is refused.
inline constexpr std::uint64_t XzMemoryLimit = std::uint64_t{1} << 29;

class Unpacker {
public:
    virtual ~Unpacker() = default;
    // Unpacks what it can of `in` into `out`, advancing both past the bytes used. inputEnded: no
    // packed bytes follow those of `in`. Returns true once everything is unpacked. Throws
    // UnpackError for damaged data and for data that ends before its stream does.
    virtual bool Unpack(std::span<const std::uint8_t>& in, std::span<std::uint8_t>& out, bool inputEnded) = 0;
};

std::unique_ptr<Unpacker> MakeGzipUnpacker();
std::unique_ptr<Unpacker> MakeBzip2Unpacker();
std::unique_ptr<Unpacker> MakeXzUnpacker();
// The decoder of a compression other than None.
std::unique_ptr<Unpacker> MakeUnpacker(Compression compression);

// The unpacked bytes of packed data held whole (the compression its first bytes announce, not
// None). Throws UnpackError as Unpack does, and for more than largestSize unpacked bytes.
std::string UnpackAll(std::string_view packed, std::size_t largestSize);

#endif
