#ifndef PELMORA_APP_CORE_XYZFRAMES_H
#define PELMORA_APP_CORE_XYZFRAMES_H

// Where the frames of an XYZ file are. A frame is a count line N, a comment line and N atom
// lines. The file's lines after its first frame must be
//  - nothing, or only lines of blanks (a blank tail, which is ignored), or
//  - whole frames (counts may differ between frames, and lines of blanks between two frames are
//    skipped), again followed by nothing or a blank tail;
// a file of more than one frame is a trajectory. A trajectory whose last frame runs past the end
// of the file (a run stopped, or still writing) keeps its whole frames, and the index names the
// line where the cut frame starts. Anything else after the first frame, and a first frame cut
// short, means the lines do not form frames ("Error count of lines in file"), and the index says
// why.
//
// Indexing walks the count lines only; the atom lines are read when their frame is.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class TextLines;

// A line the indexer needs does not exist (an empty file has no count line).
class XyzIndexError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

struct XyzFrame {
    std::size_t Start = 0;  // the offset in the text where the count line starts
    std::int64_t Line = 0;  // the count line's 0-based index in the file
};

// The frames found, kept in blocks of a fixed size: a trajectory of a million tiny frames never
// needs room for twice its frames, as a regrowing vector would.
class XyzFrameList {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const XyzFrame& operator[](std::size_t i) const { return blocks_[i / BlockSize][i % BlockSize]; }
    // Throws std::out_of_range beyond the last frame.
    const XyzFrame& at(std::size_t i) const;
    const XyzFrame& front() const { return (*this)[0]; }
    void push_back(const XyzFrame& frame);
    void pop_back();
    void clear();

private:
    static constexpr std::size_t BlockSize = 4096;
    std::vector<std::vector<XyzFrame>> blocks_;
    std::size_t size_ = 0;
};

struct XyzFrameIndex {
    XyzFrameList Frames;          // empty when the lines do not form frames
    std::size_t End = 0;          // where the last frame ends (the blank tail, if any, starts)
    std::int32_t FirstCount = 0;  // the first frame's count N
    std::int64_t LineCount = 0;   // the file's lines; counted only when they do not form frames
    // Why the lines do not form frames ("the count line says 3 atoms, 2 atom lines follow").
    std::string Mismatch;
    // The count line of a last frame cut short, which is left out; -1 when there is none.
    std::int64_t CutFrameLine = -1;

    bool FormFrames() const { return !Frames.empty(); }
};

// Where the lines of frame (0-based) of an indexed text end, its atom lines starting at
// atomsStart: the next frame's start, or the lines of blanks before it, or End for the last
// frame. (The index keeps nothing for the blank lines between frames: a file of a million
// tiny frames with blank lines between them takes no more memory to index than one without.)
std::size_t XyzFrameEnd(const TextLines& text, const XyzFrameIndex& index, std::size_t frame, std::size_t atomsStart,
                        std::int64_t count);

// Indexes the lines of a text. Throws XyzIndexError for a text without lines and
// MConvertError for a first count line that does not convert (StrToInt's message, followed by
// what the first line should be).
XyzFrameIndex IndexXyzFrames(const TextLines& text);

// What the user reads about a last frame cut short: "Line 7: the last frame is cut short ...".
std::string CutFrameNote(const XyzFrameIndex& index);

#endif
