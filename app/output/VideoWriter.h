#ifndef PELMORA_APP_OUTPUT_VIDEOWRITER_H
#define PELMORA_APP_OUTPUT_VIDEOWRITER_H

// Videos through FFmpeg's libraries: MP4 with H.264 (libx264), WebM with VP9 (libvpx), pixels
// as YUV 4:2:0 (what players take everywhere), one frame per 1/fps of a second. When the
// container's usual encoder is not built into the libraries, the run falls back to MPEG-4 Part 2
// in MP4 or VP8 in WebM and says so (MovieWriter::Note). Frames are converted and encoded as they
// come; the encoder holds at most its own look-ahead.

#include <memory>
#include <string>

#include <QSize>

#include "MovieWriter.h"

// size must have even sides (4:2:0 halves both for colour).
std::unique_ptr<MovieWriter> OpenVideo(const std::string& fileName, MovieKind kind, QSize size, int framesPerSecond,
                                       std::string& reason);

#endif
