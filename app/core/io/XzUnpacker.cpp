#include <string>

#include <lzma.h>

#include "Unpacker.h"

namespace {

class XzUnpacker final : public Unpacker {
public:
    XzUnpacker()
    {
        // Streams joined one after the other unpack as one.
        if (lzma_stream_decoder(&stream_, XzMemoryLimit, LZMA_CONCATENATED) != LZMA_OK)
            throw UnpackError("the xz decoder cannot start");
    }
    XzUnpacker(const XzUnpacker&) = delete;
    XzUnpacker& operator=(const XzUnpacker&) = delete;
    ~XzUnpacker() override { lzma_end(&stream_); }

    bool Unpack(std::span<const std::uint8_t>& in, std::span<std::uint8_t>& out, bool inputEnded) override
    {
        for (;;) {
            if (ended_)
                return true;
            if (out.empty())
                return false;
            if (in.empty() && !inputEnded)
                return false;
            stream_.next_in = in.data();
            stream_.avail_in = in.size();
            stream_.next_out = out.data();
            stream_.avail_out = out.size();
            const lzma_ret status = lzma_code(&stream_, inputEnded ? LZMA_FINISH : LZMA_RUN);
            in = in.last(stream_.avail_in);
            out = out.last(stream_.avail_out);
            switch (status) {
            case LZMA_OK:
                break;
            case LZMA_STREAM_END:
                ended_ = true;
                break;
            case LZMA_MEMLIMIT_ERROR:
                throw UnpackError("the xz data asks for more than " + std::to_string(XzMemoryLimit >> 20)
                                  + " MiB to unpack");
            case LZMA_BUF_ERROR:
                throw UnpackError("the xz data ends before its end");
            default:
                throw UnpackError("the xz data is damaged");
            }
        }
    }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<Unpacker> MakeXzUnpacker() { return std::make_unique<XzUnpacker>(); }
