#include "XyzTextFile.h"

#include <optional>
#include <string_view>

#include "MFunction.h"

namespace {

bool ConvertsToCount(std::string_view text)
{
    try {
        (void)StrToInt(text);
        return true;
    } catch (const MConvertError&) {
        return false;
    }
}

}  // namespace

bool CouldBeCountLine(const TextFirstLine& line)
{
    if (ConvertsToCount(line.text))
        return true;
    // Whatever a count starts with (blanks, a sign, a base prefix, digits) takes a digit next,
    // and a digit more multiplies the value of the digits before it by at least the base: when
    // a '0' after the start does not make a count, no longer line does.
    return line.cut && ConvertsToCount(std::string(line.text) + '0');
}

std::string LoadXyzTextFile(const std::string& fileName, std::size_t largestUnpackedSize)
{
    std::string firstLineAlone;
    std::optional<std::string> text = LoadTextFileIfFirstLineFits(
        fileName,
        [&](const TextFirstLine& line) {
            if (CouldBeCountLine(line))
                return true;
            // With its line end: an empty first line is a line that does not convert, where an
            // empty text would be a file without lines.
            firstLineAlone = std::string(line.text) + '\n';
            return false;
        },
        largestUnpackedSize);
    return text ? std::move(*text) : firstLineAlone;
}
