#ifndef PELMORA_APP_OUTPUT_MOVIEWRITER_H
#define PELMORA_APP_OUTPUT_MOVIEWRITER_H

// A movie written frame by frame: each frame is encoded and written as it comes, so a movie of
// any length needs the memory of a few frames. The file replaces its target only when Finish
// succeeds (MFileSaveStream in MFileSave.h); a writer destroyed before that leaves the target as it was.

#include <memory>
#include <string>

#include <QImage>
#include <QSize>

class MovieWriter {
public:
    virtual ~MovieWriter() = default;

    // Appends a frame of the movie's size (any QImage format; RGB32 costs no conversion). False
    // with the reason when it cannot be encoded or written; the movie is then lost.
    [[nodiscard]] virtual bool AddFrame(const QImage& frame) = 0;
    // Ends the movie and puts it in place of the target; false with the reason.
    [[nodiscard]] virtual bool Finish() = 0;

    // Why the movie could not be written, naming its file.
    const std::string& Reason() const { return reason_; }
    // A remark for the user that is no failure ("no H.264 encoder: MPEG-4 Part 2 instead").
    const std::string& Note() const { return note_; }

protected:
    bool Fail(std::string reason)
    {
        if (reason_.empty())
            reason_ = std::move(reason);
        return false;
    }
    std::string reason_;
    std::string note_;
};

// The movie kinds, by the file name's extension (matched without regard to case).
enum class MovieKind { None, Gif, Mp4, WebM };
MovieKind MovieKindOfFileName(const std::string& fileName);

// The frame size a movie of this kind takes for pictures of size: videos need even sides, and get
// them by one more row or column (MovieFrameSize(33 x 20) is 34 x 20 for MP4).
QSize MovieFrameSize(MovieKind kind, QSize size);

// A writer for fileName (bytes) of frames of size (MovieFrameSize) at framesPerSecond, looping
// when the kind loops (GIF). Returns nothing with the reason in reason when the file cannot be
// made.
std::unique_ptr<MovieWriter> OpenMovie(const std::string& fileName, MovieKind kind, QSize size, int framesPerSecond,
                                       std::string& reason);

#endif
