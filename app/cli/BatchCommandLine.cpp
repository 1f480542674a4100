#include "BatchCommandLine.h"

#include <charconv>
#include <string>
#include <variant>

#include "MFileName.h"
#include "MMessageText.h"

namespace {

// Takes the parsed value, or gives the parser's error text to wrong.
template <typename Value>
bool Take(std::variant<Value, std::string> parsed, Value& value, QString& wrong)
{
    if (auto* error = std::get_if<std::string>(&parsed)) {
        wrong = QString::fromStdString(*error);
        return false;
    }
    value = std::get<Value>(std::move(parsed));
    return true;
}

QString ReadFramesPerSecond(const QString& text, int& value)
{
    const std::string digits = text.trimmed().toStdString();
    int rate = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), rate);
    if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() || rate < MinFramesPerSecond
        || rate > MaxFramesPerSecond)
        return QString("--fps takes a whole number from %1 to %2, not '%3'")
            .arg(MinFramesPerSecond)
            .arg(MaxFramesPerSecond)
            .arg(QString::fromStdString(MessageExcerpt(FileNameToBytes(text))));
    value = rate;
    return {};
}

}  // namespace

void AddBatchOptions(QCommandLineParser& parser)
{
    parser.addOption({"frame",
                      "The frames of a trajectory to draw, from 1: K (default 1) into OUT; A-B, A-B:S (every S-th "
                      "from A), 'all' or 'all:S' each into OUT with its frame number before the extension "
                      "(out-0101.png), or where OUT has {frame}; or all of them into one movie (.gif, .mp4, .webm).",
                      "K"});
    parser.addOption({"shard",
                      "Draw only the frames (and files) whose position in the whole selection is K modulo N, "
                      "0 <= K < N: N runs of one command, K = 0..N-1, write together what one run writes.",
                      "K/N"});
    parser.addOption({"size",
                      "Reduce every picture to W x W or W x H pixels (area average; a scene that is not square "
                      "for W x H is centred on white). SVG drawings ignore it.",
                      "W[xH]"});
    parser.addOption({"fps",
                      QString("Frames per second of a movie, %1..%2 (default %3).")
                          .arg(MinFramesPerSecond)
                          .arg(MaxFramesPerSecond)
                          .arg(BatchOptions{}.FramesPerSecond),
                      "R"});
}

QString ReadBatchOptions(const QCommandLineParser& parser, BatchOptions& options)
{
    QString wrong;
    if (parser.isSet("frame") && !Take(ParseFrameSelection(parser.value("frame")), options.Frames, wrong))
        return wrong;
    if (parser.isSet("shard")) {
        if (!Take(ParseShard(parser.value("shard")), options.Part, wrong))
            return wrong;
        options.Sharded = true;
    }
    if (parser.isSet("size") && !Take(ParsePictureSize(parser.value("size")), options.Size, wrong))
        return wrong;
    if (parser.isSet("fps"))
        return ReadFramesPerSecond(parser.value("fps"), options.FramesPerSecond);
    return {};
}
