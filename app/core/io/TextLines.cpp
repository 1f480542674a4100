#include "TextLines.h"

#include <algorithm>
#include <cstring>

TextLines::TextLines(std::string_view text)
    : text_(text), hasCarriageReturn_(std::memchr(text.data(), '\r', text.size()) != nullptr)
{
}

std::size_t TextLines::EndOfLine(std::size_t position) const
{
    if (position >= text_.size())
        return text_.size();
    if (!hasCarriageReturn_) {
        const void* found = std::memchr(text_.data() + position, '\n', text_.size() - position);
        return found == nullptr ? text_.size()
                                : static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
    }
    for (std::size_t at = position; at < text_.size(); ++at)
        if (text_[at] == '\n' || text_[at] == '\r')
            return at;
    return text_.size();
}

std::size_t TextLines::NextLine(std::size_t position) const
{
    std::size_t end = EndOfLine(position);
    if (end >= text_.size())
        return text_.size();
    if (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n')
        ++end;
    return end + 1;
}

bool TextLines::Skip(std::size_t& start, std::int64_t count) const
{
    for (; count > 0; --count) {
        if (start >= text_.size())
            return false;
        start = NextLine(start);
    }
    return true;
}

std::size_t TextLines::LineStartFrom(std::size_t position) const
{
    if (position == 0 || position >= text_.size())
        return std::min(position, text_.size());
    const char before = text_[position - 1];
    if (before == '\n')
        return position;
    if (before == '\r')
        return text_[position] == '\n' ? position + 1 : position;
    return NextLine(position);
}

std::int64_t TextLines::CountLines(std::size_t from, std::size_t to) const
{
    to = std::min(to, text_.size());
    if (!hasCarriageReturn_ && from < to) {
        // Every LF ends a line; a last line without one counts as well.
        const auto begin = text_.begin() + static_cast<std::ptrdiff_t>(from);
        const auto end = text_.begin() + static_cast<std::ptrdiff_t>(to);
        return std::count(begin, end, '\n') + (text_[to - 1] != '\n' ? 1 : 0);
    }
    std::int64_t count = 0;
    for (std::size_t start = from; start < std::min(to, text_.size()); start = NextLine(start))
        ++count;
    return count;
}

bool TextLines::BlankFrom(std::size_t position) const
{
    return std::all_of(text_.begin() + static_cast<std::ptrdiff_t>(std::min(position, text_.size())), text_.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

bool TextLines::LineBeforeIsBlank(std::size_t start) const
{
    if (start == 0 || start > text_.size())
        return false;
    std::size_t at = start;
    // Back over the line end of the line before: CR LF, LF or CR.
    if (text_[at - 1] == '\n')
        --at;
    if (at > 0 && text_[at - 1] == '\r' && (at == start || text_[at] == '\n'))
        --at;
    for (; at > 0 && text_[at - 1] != '\n' && text_[at - 1] != '\r'; --at)
        if (static_cast<unsigned char>(text_[at - 1]) > 32)
            return false;
    return true;
}

std::vector<std::size_t> TextLines::SplitAtLineEnds(std::size_t from, std::size_t to, int parts) const
{
    std::vector<std::size_t> boundaries{from};
    const std::size_t length = to - from;
    for (int part = 1; part < parts; ++part) {
        const std::size_t near = from + length / static_cast<std::size_t>(parts) * static_cast<std::size_t>(part);
        const std::size_t boundary = std::clamp(LineStartFrom(near), boundaries.back(), to);
        if (boundary > boundaries.back() && boundary < to)
            boundaries.push_back(boundary);
    }
    boundaries.push_back(to);
    return boundaries;
}
