#ifndef PELMORA_APP_CORE_TEXTLINES_H
#define PELMORA_APP_CORE_TEXTLINES_H

// The lines of a text held whole, found where they are needed instead of copied out one by one:
// a trajectory of a million lines is indexed and read without a string per line. The line rules
// are the text buffer's: a line ends at CR LF, at LF or at CR; a line end after the last line
// adds no empty line; an empty text has no lines. Lines are named by the offset of their first
// character; the text's size stands for "after the last line".

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class TextLines {
public:
    explicit TextLines(std::string_view text);

    std::string_view Text() const { return text_; }
    std::size_t Size() const { return text_.size(); }

    // The line that starts at start, without its line end.
    std::string_view LineAt(std::size_t start) const { return text_.substr(start, EndOfLine(start) - start); }
    // Where the line that holds position ends: its CR or LF, or the text's size.
    std::size_t EndOfLine(std::size_t position) const;
    // The start of the line after the one that holds position (the text's size after the last).
    std::size_t NextLine(std::size_t position) const;
    // Steps start over count lines. False when the text ends before all of them were there.
    bool Skip(std::size_t& start, std::int64_t count) const;
    // The first line start at or after position.
    std::size_t LineStartFrom(std::size_t position) const;
    // The lines that start in [from, to); from is a line start.
    std::int64_t CountLines(std::size_t from, std::size_t to) const;
    // Whether everything from position on is blanks and line ends (codes 0 to 32).
    bool BlankFrom(std::size_t position) const;
    // Whether the line before the one that starts at start holds only blanks (false at the
    // first line).
    bool LineBeforeIsBlank(std::size_t start) const;

    // Splits the lines in [from, to) (both line starts, or to the text's size) into at most
    // parts runs of whole lines of about equal size; returns the parts + 1 boundaries.
    std::vector<std::size_t> SplitAtLineEnds(std::size_t from, std::size_t to, int parts) const;

private:
    std::string_view text_;
    // Most files end their lines with LF alone: a search for LF is all it takes then.
    bool hasCarriageReturn_ = false;
};

#endif
