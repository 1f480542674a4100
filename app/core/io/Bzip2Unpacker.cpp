#include <limits>

#include <bzlib.h>

#include "Unpacker.h"

namespace {

// libbz2 counts in 32-bit units: pieces larger than this are given in turns.
constexpr std::size_t LargestPiece = std::numeric_limits<unsigned int>::max();

class Bzip2Unpacker final : public Unpacker {
public:
    Bzip2Unpacker() { Start(); }
    Bzip2Unpacker(const Bzip2Unpacker&) = delete;
    Bzip2Unpacker& operator=(const Bzip2Unpacker&) = delete;
    ~Bzip2Unpacker() override { BZ2_bzDecompressEnd(&stream_); }

    bool Unpack(std::span<const std::uint8_t>& in, std::span<std::uint8_t>& out, bool inputEnded) override
    {
        for (;;) {
            if (streamEnded_) {
                if (in.empty())
                    return inputEnded;
                // Another stream follows.
                BZ2_bzDecompressEnd(&stream_);
                Start();
            }
            if (out.empty())
                return false;
            if (in.empty() && !inputEnded)
                return false;
            stream_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
            stream_.avail_in = static_cast<unsigned int>(std::min(in.size(), LargestPiece));
            stream_.next_out = reinterpret_cast<char*>(out.data());
            stream_.avail_out = static_cast<unsigned int>(std::min(out.size(), LargestPiece));
            const int status = BZ2_bzDecompress(&stream_);
            const std::size_t inLeft = in.size() - (std::min(in.size(), LargestPiece) - stream_.avail_in);
            const std::size_t outLeft = out.size() - (std::min(out.size(), LargestPiece) - stream_.avail_out);
            const bool progressed = inLeft != in.size() || outLeft != out.size();
            in = in.last(inLeft);
            out = out.last(outLeft);
            if (status == BZ_STREAM_END) {
                streamEnded_ = true;
                continue;
            }
            if (status != BZ_OK)
                throw UnpackError("the bzip2 data is damaged");
            if (in.empty() && inputEnded && !progressed)
                throw UnpackError("the bzip2 data ends before its end");
        }
    }

private:
    void Start()
    {
        stream_ = bz_stream{};
        if (BZ2_bzDecompressInit(&stream_, 0, 0) != BZ_OK)
            throw UnpackError("the bzip2 decoder cannot start");
        streamEnded_ = false;
    }

    bz_stream stream_{};
    bool streamEnded_ = false;
};

}  // namespace

std::unique_ptr<Unpacker> MakeBzip2Unpacker() { return std::make_unique<Bzip2Unpacker>(); }
