#include "PictureSize.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "MFileName.h"
#include "MMessageText.h"

namespace {

std::optional<int> Side(std::string_view text)
{
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    int value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || stop != text.data() + text.size() || value < 1 || value > MaxPictureSide)
        return std::nullopt;
    return value;
}

}  // namespace

std::variant<PictureSize, std::string> ParsePictureSize(const QString& text)
{
    const std::string bytes = text.trimmed().toStdString();
    const std::string_view whole = bytes;
    const std::size_t cross = whole.find('x');
    const std::optional<int> width = Side(whole.substr(0, cross));
    const std::optional<int> height = cross == std::string_view::npos ? width : Side(whole.substr(cross + 1));
    if (!width || !height)
        return "--size takes W or WxH, each from 1 to " + std::to_string(MaxPictureSide) + ", not '"
            + MessageExcerpt(FileNameToBytes(text)) + "'";
    return PictureSize{*width, *height};
}
