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

bool IsBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

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

// The lines of a text, walked from line start to line start.
class TextCursor {
public:
    explicit TextCursor(const TextLines& text) : text_(text) {}
    bool AtEnd() const { return start_ >= text_.Size(); }
    std::string_view Line() const { return text_.LineAt(start_); }
    bool Skip(std::int64_t count) { return text_.Skip(start_, count); }
    bool RestIsBlank() const { return text_.BlankFrom(start_); }
    std::size_t Start() const { return start_; }
    std::int64_t CountAll() const { return text_.CountLines(0, text_.Size()); }

private:
    const TextLines& text_;
    std::size_t start_ = 0;
};

XyzFrameIndex Index(TextCursor cursor)
{
    if (cursor.AtEnd())
        throw XyzIndexError("The file is empty: it has no atom count line");
    XyzFrameIndex index;
    index.FirstCount = StrToInt(cursor.Line());
    const auto notFrames = [&] {
        index.Frames.clear();
        index.LineCount = cursor.CountAll();
        return index;
    };
    std::int64_t line = 0;
    std::int64_t count = index.FirstCount;
    for (;;) {
        if (count < 0)
            return notFrames();
        index.Frames.push_back(XyzFrame{cursor.Start(), line});
        if (!cursor.Skip(count + HeaderLines))
            return notFrames();
        line += count + HeaderLines;
        index.End = cursor.Start();
        if (cursor.AtEnd())
            return index;
        if (IsBlankLine(cursor.Line()))
            return cursor.RestIsBlank() ? index : notFrames();
        count = LaterCount(cursor.Line()).value_or(-1);
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

void XyzFrameList::clear()
{
    blocks_.clear();
    size_ = 0;
}

XyzFrameIndex IndexXyzFrames(const TextLines& text) { return Index(TextCursor(text)); }
