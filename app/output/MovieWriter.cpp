#include "MovieWriter.h"

#include <algorithm>
#include <cctype>

#include "AnimatedGifWriter.h"
#include "MMessageText.h"
#include "VideoWriter.h"

MovieKind MovieKindOfFileName(const std::string& fileName)
{
    const std::size_t nameStart = fileName.rfind('/') == std::string::npos ? 0 : fileName.rfind('/') + 1;
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return MovieKind::None;
    std::string extension = fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gif")
        return MovieKind::Gif;
    if (extension == ".mp4")
        return MovieKind::Mp4;
    if (extension == ".webm")
        return MovieKind::WebM;
    return MovieKind::None;
}

QSize MovieFrameSize(MovieKind kind, QSize size)
{
    if (kind == MovieKind::Gif)
        return size;
    return {size.width() + size.width() % 2, size.height() + size.height() % 2};
}

std::unique_ptr<MovieWriter> OpenMovie(const std::string& fileName, MovieKind kind, QSize size, int framesPerSecond,
                                       std::string& reason)
{
    switch (kind) {
    case MovieKind::Gif:
        return OpenAnimatedGif(fileName, size, framesPerSecond, reason);
    case MovieKind::Mp4:
    case MovieKind::WebM:
        return OpenVideo(fileName, kind, size, framesPerSecond, reason);
    case MovieKind::None:
        break;
    }
    reason = "Cannot write file \"" + EscapedForMessage(fileName) + "\". It is no movie (.gif, .mp4, .webm)";
    return nullptr;
}
