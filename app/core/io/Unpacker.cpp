#include "Unpacker.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::uint8_t, 2> GzipMagic{0x1F, 0x8B};
constexpr std::array<std::uint8_t, 3> Bzip2Magic{'B', 'Z', 'h'};
constexpr std::array<std::uint8_t, 6> XzMagic{0xFD, '7', 'z', 'X', 'Z', 0x00};

template <std::size_t N>
bool StartsWith(std::string_view bytes, const std::array<std::uint8_t, N>& magic)
{
    return bytes.size() >= N && std::equal(magic.begin(), magic.end(), bytes.begin(), [](std::uint8_t m, char b) {
               return m == static_cast<std::uint8_t>(b);
           });
}

}  // namespace

Compression CompressionOf(std::string_view start)
{
    if (StartsWith(start, GzipMagic))
        return Compression::Gzip;
    // "BZh" is followed by the block size, a digit 1 to 9.
    if (StartsWith(start, Bzip2Magic) && start.size() > 3 && start[3] >= '1' && start[3] <= '9')
        return Compression::Bzip2;
    if (StartsWith(start, XzMagic))
        return Compression::Xz;
    return Compression::None;
}

std::string UnpackAll(std::string_view packed, std::size_t largestSize)
{
    constexpr std::size_t Piece = std::size_t{1} << 16;
    const std::unique_ptr<Unpacker> unpacker = MakeUnpacker(CompressionOf(packed));
    std::span<const std::uint8_t> in(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size());
    std::string bytes;
    for (bool ended = false; !ended;) {
        const std::size_t size = bytes.size();
        if (size > largestSize)
            throw UnpackError("it unpacks to more than " + std::to_string(largestSize) + " bytes");
        bytes.resize(size + Piece);
        std::span<std::uint8_t> out(reinterpret_cast<std::uint8_t*>(bytes.data()) + size, Piece);
        ended = unpacker->Unpack(in, out, true);
        bytes.resize(bytes.size() - out.size());
    }
    if (bytes.size() > largestSize)
        throw UnpackError("it unpacks to more than " + std::to_string(largestSize) + " bytes");
    return bytes;
}

std::unique_ptr<Unpacker> MakeUnpacker(Compression compression)
{
    switch (compression) {
    case Compression::Gzip:
        return MakeGzipUnpacker();
    case Compression::Bzip2:
        return MakeBzip2Unpacker();
    case Compression::Xz:
        return MakeXzUnpacker();
    case Compression::None:
        break;
    }
    throw std::invalid_argument("no decoder for uncompressed data");
}
