#include <limits>

#include <zlib.h>

#include "Unpacker.h"

namespace {

// gzip members (RFC 1952) with their headers and checksums.
constexpr int GzipWindowBits = 15 + 16;
// zlib counts in 32-bit units: pieces larger than this are given in turns.
constexpr std::size_t LargestPiece = std::numeric_limits<uInt>::max();

class GzipUnpacker final : public Unpacker {
public:
    GzipUnpacker()
    {
        if (inflateInit2(&stream_, GzipWindowBits) != Z_OK)
            throw UnpackError("the gzip decoder cannot start");
    }
    GzipUnpacker(const GzipUnpacker&) = delete;
    GzipUnpacker& operator=(const GzipUnpacker&) = delete;
    ~GzipUnpacker() override { inflateEnd(&stream_); }

    bool Unpack(std::span<const std::uint8_t>& in, std::span<std::uint8_t>& out, bool inputEnded) override
    {
        for (;;) {
            if (memberEnded_) {
                if (in.empty())
                    return inputEnded;
                // Another member follows.
                if (inflateReset(&stream_) != Z_OK)
                    throw UnpackError("the gzip decoder cannot go on");
                memberEnded_ = false;
            }
            if (out.empty())
                return false;
            stream_.next_in = const_cast<Bytef*>(in.data());
            stream_.avail_in = static_cast<uInt>(std::min(in.size(), LargestPiece));
            stream_.next_out = out.data();
            stream_.avail_out = static_cast<uInt>(std::min(out.size(), LargestPiece));
            const int status = inflate(&stream_, Z_NO_FLUSH);
            const std::size_t inLeft = in.size() - (std::min(in.size(), LargestPiece) - stream_.avail_in);
            const std::size_t outLeft = out.size() - (std::min(out.size(), LargestPiece) - stream_.avail_out);
            in = in.last(inLeft);
            out = out.last(outLeft);
            if (status == Z_STREAM_END) {
                memberEnded_ = true;
                continue;
            }
            if (status == Z_BUF_ERROR && in.empty()) {
                if (inputEnded)
                    throw UnpackError("the gzip data ends before its end");
                return false;
            }
            if (status != Z_OK && status != Z_BUF_ERROR)
                throw UnpackError("the gzip data is damaged");
            if (in.empty() && !inputEnded)
                return false;
        }
    }

private:
    z_stream stream_{};
    bool memberEnded_ = false;
};

}  // namespace

std::unique_ptr<Unpacker> MakeGzipUnpacker() { return std::make_unique<GzipUnpacker>(); }
