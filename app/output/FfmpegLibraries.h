#ifndef PELMORA_APP_OUTPUT_FFMPEGLIBRARIES_H
#define PELMORA_APP_OUTPUT_FFMPEGLIBRARIES_H

// FFmpeg's libraries, loaded when the first video is written rather than when the program
// starts: with their encoders they bring a hundred shared libraries, whose loading would more
// than double the start-up time of every run, videos or not. The functions the video writer
// calls are found by name in the libraries of the major versions it was built against, and
// called with the types of the headers it was built with.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <string>

// Every function of FFmpeg's libraries the video writer calls: (library, function).
#define PELMORA_FFMPEG_FUNCTIONS(X)              \
    X(avutil, av_frame_alloc)                    \
    X(avutil, av_frame_free)                     \
    X(avutil, av_frame_get_buffer)               \
    X(avutil, av_frame_make_writable)            \
    X(avutil, av_opt_set)                        \
    X(avutil, av_strerror)                       \
    X(avcodec, av_packet_alloc)                  \
    X(avcodec, av_packet_free)                   \
    X(avcodec, av_packet_rescale_ts)             \
    X(avcodec, avcodec_find_encoder_by_name)     \
    X(avcodec, avcodec_alloc_context3)           \
    X(avcodec, avcodec_free_context)             \
    X(avcodec, avcodec_open2)                    \
    X(avcodec, avcodec_parameters_from_context)  \
    X(avcodec, avcodec_send_frame)               \
    X(avcodec, avcodec_receive_packet)           \
    X(avformat, avformat_alloc_output_context2)  \
    X(avformat, avformat_new_stream)             \
    X(avformat, avformat_write_header)           \
    X(avformat, avformat_free_context)           \
    X(avformat, av_interleaved_write_frame)      \
    X(avformat, av_write_trailer)                \
    X(avformat, avio_open)                       \
    X(avformat, avio_closep)                     \
    X(swscale, sws_getContext)                   \
    X(swscale, sws_freeContext)                  \
    X(swscale, sws_scale)

struct FfmpegLibraries {
#define PELMORA_FFMPEG_POINTER(library, function) decltype(&::function) function = nullptr;
    PELMORA_FFMPEG_FUNCTIONS(PELMORA_FFMPEG_POINTER)
#undef PELMORA_FFMPEG_POINTER
};

// The libraries, loaded once for the process; nullptr with the reason (which library or
// function is missing) when they cannot be loaded. Any thread may call it.
const FfmpegLibraries* LoadFfmpegLibraries(std::string& reason);

#endif
