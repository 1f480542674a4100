#include "VideoWriter.h"

#include "FfmpegLibraries.h"
#include "MFileSave.h"
#include "MMessageText.h"

namespace {

// The encoders each container asks for, then the one it falls back to.
struct Encoders {
    const char* format;  // libavformat's name of the container
    const char* preferred;
    const char* preferredName;
    const char* fallback;
    const char* fallbackName;
};

const Encoders& EncodersOf(MovieKind kind)
{
    static const Encoders mp4{"mp4", "libx264", "H.264", "mpeg4", "MPEG-4 Part 2"};
    static const Encoders webm{"webm", "libvpx-vp9", "VP9", "libvpx", "VP8"};
    return kind == MovieKind::WebM ? webm : mp4;
}

// H.264 at this constant rate factor keeps the flat colours and sharp edges of a scene clean;
// VP9 takes the same number on its own scale.
constexpr const char* QualityFactor = "20";
// A preset that encodes a 1080 x 1080 frame in a fraction of the time the scene takes to draw.
constexpr const char* X264Preset = "veryfast";
// VP9 speed: 0 slowest and best, 8 fastest; 6 is the real-time range.
constexpr const char* Vp9Speed = "6";
// Bit rate of the fallback encoders, which have no constant-quality mode of the same kind.
constexpr std::int64_t FallbackBitsPerPixelSecond = 4;

class VideoWriter : public MovieWriter {
public:
    VideoWriter(const std::string& fileName, MovieKind kind, QSize size, int framesPerSecond)
        : fileName_(fileName), save_(fileName), size_(size)
    {
        if (!save_.Ok()) {
            Fail(save_.Reason());
            return;
        }
        std::string reason;
        av_ = LoadFfmpegLibraries(reason);
        if (av_ == nullptr) {
            Fail(Cannot(reason));
            return;
        }
        (void)Open(EncodersOf(kind), framesPerSecond);
    }

    ~VideoWriter() override
    {
        if (av_ == nullptr)
            return;
        av_->sws_freeContext(scaler_);
        av_->av_frame_free(&frame_);
        av_->av_packet_free(&packet_);
        av_->avcodec_free_context(&codec_);
        if (format_ != nullptr) {
            if (format_->pb != nullptr)
                av_->avio_closep(&format_->pb);
            av_->avformat_free_context(format_);
        }
    }

    bool AddFrame(const QImage& picture) override
    {
        if (!reason_.empty())
            return false;
        if (picture.size() != size_)
            return Fail(Cannot("a frame is not of the movie's size"));
        const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture
                                                                    : picture.convertToFormat(QImage::Format_RGB32);
        const int made = av_->av_frame_make_writable(frame_);
        if (made < 0)
            return Fail(Cannot(AvError(made)));
        const std::uint8_t* planes[1] = {rgb.constBits()};
        const int strides[1] = {static_cast<int>(rgb.bytesPerLine())};
        av_->sws_scale(scaler_, planes, strides, 0, size_.height(), frame_->data, frame_->linesize);
        frame_->pts = nextPts_++;
        return Encode(frame_);
    }

    bool Finish() override
    {
        if (!reason_.empty() || !Encode(nullptr))
            return false;
        const int trailer = av_->av_write_trailer(format_);
        if (trailer < 0)
            return Fail(Cannot(AvError(trailer)));
        const int closed = av_->avio_closep(&format_->pb);
        if (closed < 0)
            return Fail(Cannot(AvError(closed)));
        return save_.Commit() || Fail(save_.Reason());
    }

private:
    std::string Cannot(const std::string& why) const
    {
        return "Cannot write file \"" + EscapedForMessage(fileName_) + "\". " + why;
    }

    std::string AvError(int error) const
    {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_->av_strerror(error, text, sizeof text);
        return text;
    }

    // The container's encoder, or its fallback with a note.
    const AVCodec* ChooseEncoder(const Encoders& encoders)
    {
        if (const AVCodec* preferred = av_->avcodec_find_encoder_by_name(encoders.preferred))
            return preferred;
        const AVCodec* fallback = av_->avcodec_find_encoder_by_name(encoders.fallback);
        if (fallback != nullptr)
            note_ = std::string("no ") + encoders.preferredName + " encoder (" + encoders.preferred
                + ") in this system's FFmpeg libraries: " + EscapedForMessage(fileName_) + " is encoded as "
                + encoders.fallbackName + " instead";
        return fallback;
    }

    bool Open(const Encoders& encoders, int framesPerSecond)
    {
        const AVCodec* encoder = ChooseEncoder(encoders);
        if (encoder == nullptr)
            return Fail(Cannot(std::string("This system's FFmpeg libraries have neither a ") + encoders.preferredName
                               + " nor a " + encoders.fallbackName + " encoder"));
        int result = av_->avformat_alloc_output_context2(&format_, nullptr, encoders.format, nullptr);
        if (result < 0 || format_ == nullptr)
            return Fail(Cannot(AvError(result)));
        codec_ = av_->avcodec_alloc_context3(encoder);
        frame_ = av_->av_frame_alloc();
        packet_ = av_->av_packet_alloc();
        if (codec_ == nullptr || frame_ == nullptr || packet_ == nullptr)
            return Fail(Cannot("out of memory"));
        codec_->width = size_.width();
        codec_->height = size_.height();
        codec_->pix_fmt = AV_PIX_FMT_YUV420P;
        codec_->time_base = AVRational{1, framesPerSecond};
        codec_->framerate = AVRational{framesPerSecond, 1};
        codec_->gop_size = framesPerSecond * 10;
        if (format_->oformat->flags & AVFMT_GLOBALHEADER)
            codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        SetQuality(encoder);
        if ((result = av_->avcodec_open2(codec_, encoder, nullptr)) < 0)
            return Fail(Cannot(AvError(result)));
        stream_ = av_->avformat_new_stream(format_, nullptr);
        if (stream_ == nullptr)
            return Fail(Cannot("out of memory"));
        stream_->time_base = codec_->time_base;
        stream_->avg_frame_rate = codec_->framerate;
        if ((result = av_->avcodec_parameters_from_context(stream_->codecpar, codec_)) < 0)
            return Fail(Cannot(AvError(result)));
        frame_->format = codec_->pix_fmt;
        frame_->width = codec_->width;
        frame_->height = codec_->height;
        if ((result = av_->av_frame_get_buffer(frame_, 0)) < 0)
            return Fail(Cannot(AvError(result)));
        scaler_ = av_->sws_getContext(size_.width(), size_.height(), AV_PIX_FMT_RGB32, size_.width(), size_.height(),
                                 AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (scaler_ == nullptr)
            return Fail(Cannot("no conversion to YUV 4:2:0"));
        // The temporary file exists already (made safely beside the target); the library opens
        // it again by name and writes it from the start.
        if ((result = av_->avio_open(&format_->pb, save_.TemporaryName().c_str(), AVIO_FLAG_WRITE)) < 0)
            return Fail(Cannot(AvError(result)));
        if ((result = av_->avformat_write_header(format_, nullptr)) < 0)
            return Fail(Cannot(AvError(result)));
        return true;
    }

    void SetQuality(const AVCodec* encoder)
    {
        const std::string name = encoder->name;
        if (name == "libx264") {
            av_->av_opt_set(codec_->priv_data, "preset", X264Preset, 0);
            av_->av_opt_set(codec_->priv_data, "crf", QualityFactor, 0);
        } else if (name == "libvpx-vp9") {
            av_->av_opt_set(codec_->priv_data, "crf", QualityFactor, 0);
            av_->av_opt_set(codec_->priv_data, "speed", Vp9Speed, 0);
            av_->av_opt_set(codec_->priv_data, "row-mt", "1", 0);
            codec_->bit_rate = 0;
        } else {
            codec_->bit_rate = FallbackBitsPerPixelSecond * size_.width() * size_.height();
        }
    }

    // Sends a frame (nullptr: the end) and writes every packet the encoder has ready.
    bool Encode(const AVFrame* frame)
    {
        int result = av_->avcodec_send_frame(codec_, frame);
        if (result < 0)
            return Fail(Cannot(AvError(result)));
        for (;;) {
            result = av_->avcodec_receive_packet(codec_, packet_);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
                return Fail(Cannot(AvError(result)));
            av_->av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            result = av_->av_interleaved_write_frame(format_, packet_);
            if (result < 0)
                return Fail(Cannot(AvError(result)));
        }
    }

    std::string fileName_;
    MFileSaveStream save_;
    QSize size_;
    const FfmpegLibraries* av_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scaler_ = nullptr;
    std::int64_t nextPts_ = 0;
};

}  // namespace

std::unique_ptr<MovieWriter> OpenVideo(const std::string& fileName, MovieKind kind, QSize size, int framesPerSecond,
                                       std::string& reason)
{
    if (size.width() < 2 || size.height() < 2 || size.width() % 2 != 0 || size.height() % 2 != 0
        || framesPerSecond < 1) {
        reason = "Cannot write file \"" + EscapedForMessage(fileName) + "\". No video of that size or rate";
        return nullptr;
    }
    auto writer = std::make_unique<VideoWriter>(fileName, kind, size, framesPerSecond);
    if (!writer->Reason().empty()) {
        reason = writer->Reason();
        return nullptr;
    }
    return writer;
}
