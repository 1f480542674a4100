#ifndef PELMORA_TESTS_APP_CORE_IO_PACKEDBYTES_H
#define PELMORA_TESTS_APP_CORE_IO_PACKEDBYTES_H

// Bytes packed as gzip, bzip2 and xz tools pack files, for tests and benchmarks of the reading
// of compressed files.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

#include "Unpacker.h"

inline std::string GzipPacked(std::string_view bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string packed(deflateBound(&stream, uLong(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = uInt(packed.size());
    const int status = deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return packed;
}

inline std::string Bzip2Packed(std::string_view bytes)
{
    std::string packed(bytes.size() + bytes.size() / 100 + 600, '\0');
    auto size = static_cast<unsigned int>(packed.size());
    if (BZ2_bzBuffToBuffCompress(packed.data(), &size, const_cast<char*>(bytes.data()),
                                 static_cast<unsigned int>(bytes.size()), 9, 0, 0)
        != BZ_OK)
        throw std::runtime_error("BZ2_bzBuffToBuffCompress");
    packed.resize(size);
    return packed;
}

inline std::string XzPacked(std::string_view bytes)
{
    std::string packed(lzma_stream_buffer_bound(bytes.size()), '\0');
    std::size_t size = 0;
    if (lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                bytes.size(), reinterpret_cast<std::uint8_t*>(packed.data()), &size, packed.size())
        != LZMA_OK)
        throw std::runtime_error("lzma_easy_buffer_encode");
    packed.resize(size);
    return packed;
}

inline std::string Packed(Compression compression, std::string_view bytes)
{
    switch (compression) {
    case Compression::Gzip:
        return GzipPacked(bytes);
    case Compression::Bzip2:
        return Bzip2Packed(bytes);
    case Compression::Xz:
        return XzPacked(bytes);
    case Compression::None:
        break;
    }
    return std::string(bytes);
}

#endif
