#include "FieldSplitter.h"

namespace {

constexpr char Quote = '"';

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::size_t SkipBlanks(std::string_view line, std::size_t i)
{
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

// Reads the quoted field that starts at line[i] (the opening quote) into field; returns the
// index after the closing quote, or the line's end when the quote is never closed.
std::size_t ReadQuotedField(std::string_view line, std::size_t i, std::string& field)
{
    ++i;
    while (i < line.size()) {
        if (line[i] == Quote) {
            if (i + 1 < line.size() && line[i + 1] == Quote) {
                field.push_back(Quote);
                i += 2;
                continue;
            }
            return i + 1;
        }
        field.push_back(line[i]);
        ++i;
    }
    return i;
}

}  // namespace

const std::vector<std::string>& FieldSplitter::Split(std::string_view line, char delimiter, std::size_t keep)
{
    fields_.clear();
    count_ = 0;
    auto nextField = [&]() -> std::string& {
        ++count_;
        if (fields_.size() < keep)
            return fields_.emplace_back();
        skipped_.clear();
        return skipped_;
    };
    std::size_t i = SkipBlanks(line, 0);
    while (i < line.size()) {
        std::string& field = nextField();
        if (line[i] == Quote) {
            i = ReadQuotedField(line, i, field);
        } else {
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i]) && line[i] != delimiter)
                ++i;
            field.assign(line.substr(start, i - start));
        }
        i = SkipBlanks(line, i);
        if (i < line.size() && line[i] == delimiter) {
            if (i + 1 == line.size())
                (void)nextField();
            i = SkipBlanks(line, i + 1);
        }
    }
    return fields_;
}
