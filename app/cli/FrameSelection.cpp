#include "FrameSelection.h"

#include <charconv>
#include <limits>

#include "MFileName.h"
#include "MMessageText.h"

namespace {

// The bound on a frame number or a step: larger values are typing mistakes, and sums of them
// stay far from overflow.
constexpr int MaxFrameNumber = 1'000'000'000;

// Digits only (no sign, no spaces): a whole number from 0 to MaxFrameNumber.
std::optional<int> Digits(std::string_view text)
{
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    int value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || stop != text.data() + text.size() || value > MaxFrameNumber)
        return std::nullopt;
    return value;
}

std::string Quoted(const QString& text) { return "'" + MessageExcerpt(FileNameToBytes(text)) + "'"; }

std::string SelectionError(const QString& text)
{
    return "--frame takes a frame number from 1, a range A-B, A-B:S (every S-th), 'all' or 'all:S', not "
        + Quoted(text);
}

// "A-B" or "all", before any ":S".
std::optional<FrameSelection> ParseFrames(std::string_view text)
{
    FrameSelection selection;
    if (text == "all") {
        selection.toEnd = true;
        selection.single = false;
        return selection;
    }
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        const std::optional<int> frame = Digits(text);
        if (!frame || *frame < 1)
            return std::nullopt;
        selection.first = selection.last = *frame;
        return selection;
    }
    const std::optional<int> first = Digits(text.substr(0, dash));
    const std::optional<int> last = Digits(text.substr(dash + 1));
    if (!first || !last || *first < 1 || *last < *first)
        return std::nullopt;
    selection.first = *first;
    selection.last = *last;
    selection.single = false;
    return selection;
}

}  // namespace

std::variant<std::vector<int>, std::string> FrameSelection::FramesOf(int frameCount) const
{
    const int end = toEnd ? frameCount : last;
    if (end > frameCount || first > frameCount) {
        const int past = first > frameCount ? first : end;
        return "--frame " + std::to_string(past) + ": the file has " + std::to_string(frameCount)
            + (frameCount == 1 ? " frame" : " frames");
    }
    std::vector<int> frames;
    frames.reserve(static_cast<std::size_t>((end - first) / step + 1));
    for (int frame = first; frame <= end; frame += step)
        frames.push_back(frame);
    return frames;
}

std::variant<FrameSelection, std::string> ParseFrameSelection(const QString& text)
{
    const std::string bytes = text.trimmed().toStdString();
    const std::string_view whole = bytes;
    const std::size_t colon = whole.find(':');
    std::optional<FrameSelection> selection = ParseFrames(whole.substr(0, colon));
    if (!selection)
        return SelectionError(text);
    if (colon != std::string_view::npos) {
        const std::optional<int> step = Digits(whole.substr(colon + 1));
        // A step belongs to a range; "5:2" would be a range of one frame.
        if (!step || *step < 1 || selection->single)
            return SelectionError(text);
        selection->step = *step;
    }
    return *selection;
}

std::variant<Shard, std::string> ParseShard(const QString& text)
{
    const std::string bytes = text.trimmed().toStdString();
    const std::string_view whole = bytes;
    const std::size_t slash = whole.find('/');
    const std::optional<int> index = slash == std::string_view::npos ? std::nullopt : Digits(whole.substr(0, slash));
    const std::optional<int> count = slash == std::string_view::npos ? std::nullopt : Digits(whole.substr(slash + 1));
    if (!index || !count || *count < 1)
        return "--shard takes K/N with 0 <= K < N, not " + Quoted(text);
    if (*index >= *count)
        return "--shard " + std::to_string(*index) + "/" + std::to_string(*count) + ": K must be below N (0 to "
            + std::to_string(*count - 1) + ")";
    return Shard{*index, *count};
}
