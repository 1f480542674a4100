#include "XyzFrames.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "MFunction.h"
#include "TextLines.h"

namespace {

constexpr std::int64_t HeaderLines = 2;  // the count and the comment

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), IsBlank); }

// A count line after the first frame: a count, or nothing when the line is not one.
std::optional<std::int32_t> LaterCount(std::string_view line)
{
    try {
        const std::int32_t count = StrToInt(line);
        return count >= 0 ? std::optional(count) : std::nullopt;
    } catch (const MConvertError&) {
        return std::nullopt;
    }
}

std::int32_t FirstCount(std::string_view line)
{
    try {
        return StrToInt(line);
    } catch (const MConvertError& error) {
        throw MConvertError(std::string(error.what()) + ": the first line of an XYZ file is its atom count");
    }
}

std::string Counted(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The lines of a text, walked from line start to line start.
class TextCursor {
public:
    explicit TextCursor(const TextLines& text) : text_(text) {}
    bool AtEnd() const { return start_ >= text_.Size(); }
    std::string_view Line() const { return text_.LineAt(start_); }
    bool Skip(std::int64_t count) { return text_.Skip(start_, count); }
    std::size_t Start() const { return start_; }
    std::int64_t CountAll() const { return text_.CountLines(0, text_.Size()); }
    // The lines up to the last one that holds more than blanks.
    std::int64_t CountUpToLastNonBlank() const
    {
        const std::string_view all = text_.Text();
        const auto last = std::find_if_not(all.rbegin(), all.rend(), IsBlank);
        if (last == all.rend())
            return 0;
        return text_.CountLines(0, text_.NextLine(static_cast<std::size_t>(all.rend() - last - 1)));
    }

private:
    const TextLines& text_;
    std::size_t start_ = 0;
};

// Why the frame of count line `line` and the lines after it are no frames: the count set against
// the lines that follow when it is the first frame, else the line that should have been a count.
std::string MismatchAfter(const TextCursor& cursor, std::size_t frames, std::int64_t line, std::int64_t count,
                          std::int64_t badLine)
{
    if (frames <= 1) {
        if (cursor.CountAll() - line < HeaderLines)
            return "the count line is not followed by a comment line";
        const std::int64_t follow = std::max<std::int64_t>(0, cursor.CountUpToLastNonBlank() - line - HeaderLines);
        if (count < 0)
            return "the count line says " + Counted(count, "atom", "atoms");
        return "the count line says " + Counted(count, "atom", "atoms") + ", "
            + Counted(follow, "atom line follows", "atom lines follow");
    }
    return "the frame of line " + std::to_string(line) + " holds " + Counted(count, "atom", "atoms") + ", then line "
        + std::to_string(badLine) + " is neither a count line nor blank";
}

XyzFrameIndex Index(TextCursor cursor)
{
    if (cursor.AtEnd())
        throw XyzIndexError("The file is empty: it has no atom count line");
    XyzFrameIndex index;
    index.FirstCount = FirstCount(cursor.Line());
    const auto notFrames = [&](std::string why) {
        index.Frames.clear();
        index.LineCount = cursor.CountAll();
        index.Mismatch = std::move(why);
        return index;
    };
    std::int64_t line = 0;
    std::int64_t count = index.FirstCount;
    std::int64_t frameLine = 0;
    std::int64_t frameCount = count;
    if (count < 0)
        return notFrames(MismatchAfter(cursor, 0, 0, count, 0));
    for (;;) {
        index.Frames.push_back(XyzFrame{cursor.Start(), line});
        if (!cursor.Skip(count + HeaderLines)) {
            if (index.Frames.size() == 1)
                return notFrames(MismatchAfter(cursor, 1, line, count, 0));
            // The whole frames before it stay readable.
            index.Frames.pop_back();
            index.CutFrameLine = line;
            return index;
        }
        frameLine = line;
        frameCount = count;
        line += count + HeaderLines;
        index.End = cursor.Start();
        std::int64_t blankLines = 0;
        while (!cursor.AtEnd() && IsBlankLine(cursor.Line())) {
            cursor.Skip(1);
            ++blankLines;
        }
        if (cursor.AtEnd())
            return index;
        line += blankLines;
        const std::optional<std::int32_t> next = LaterCount(cursor.Line());
        if (!next)
            return notFrames(MismatchAfter(cursor, index.Frames.size(), frameLine, frameCount, line));
        count = *next;
    }
}

}  // namespace

const XyzFrame& XyzFrameList::at(std::size_t i) const
{
    if (i >= size_)
        throw std::out_of_range("no frame " + std::to_string(i) + " of " + std::to_string(size_));
    return (*this)[i];
}

void XyzFrameList::push_back(const XyzFrame& frame)
{
    if (size_ % BlockSize == 0) {
        blocks_.emplace_back();
        blocks_.back().reserve(BlockSize);
    }
    blocks_.back().push_back(frame);
    ++size_;
}

void XyzFrameList::pop_back()
{
    blocks_.back().pop_back();
    if (blocks_.back().empty())
        blocks_.pop_back();
    --size_;
}

void XyzFrameList::clear()
{
    blocks_.clear();
    size_ = 0;
}

std::size_t XyzFrameEnd(const TextLines& text, const XyzFrameIndex& index, std::size_t frame, std::size_t atomsStart,
                        std::int64_t count)
{
    if (frame + 1 >= index.Frames.size())
        return index.End;
    const std::size_t next = index.Frames[frame + 1].Start;
    // Most frames end where the next starts; only a blank line before it (between the frames,
    // or a blank last atom line) takes the frame's lines to be counted.
    if (!text.LineBeforeIsBlank(next))
        return next;
    std::size_t end = atomsStart;
    text.Skip(end, count);
    return std::min(end, next);
}

XyzFrameIndex IndexXyzFrames(const TextLines& text) { return Index(TextCursor(text)); }

std::string CutFrameNote(const XyzFrameIndex& index)
{
    if (index.CutFrameLine < 0)
        return {};
    return "Line " + std::to_string(index.CutFrameLine)
        + ": the last frame is cut short (fewer lines than its count says) and left out; "
        + Counted(std::int64_t(index.Frames.size()), "whole frame is read", "whole frames are read");
}
