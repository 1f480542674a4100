#include "CommandLine.h"

#include <charconv>
#include <optional>

#include <QCommandLineParser>

#include "BatchCommandLine.h"
#include "ControlOptions.h"
#include "ElementOptions.h"
#include "MFileName.h"
#include "MFunction.h"
#include "MMessageText.h"

namespace {

CommandLine UsageError(const QString& text) { return {CommandLine::Action::UsageError, {}, FileNameToBytes(text)}; }

// An argument quoted in a message: its bytes, shortened and escaped like file text.
QString QuotedArgument(const QString& argument)
{
    return QString::fromStdString(MessageExcerpt(FileNameToBytes(argument)));
}

// Without --export and --info the window opens, on the file given or asking for one. The
// drawing options stand for the window's controls, which the window restores itself.
CommandLine WindowCommand(const QCommandLineParser& parser, const QStringList& files, ExportOptions options)
{
    if (const QStringList names = parser.optionNames(); !names.isEmpty())
        return UsageError(QString("--%1 applies to --export and --info only").arg(names.front()));
    if (files.size() > 1)
        return UsageError("give at most one FILE.xyz");
    options.XyzFile = files.isEmpty() ? QString() : files.front();
    return {CommandLine::Action::Window, options, {}};
}

std::optional<int> WholeNumber(const QString& text)
{
    const std::string digits = text.trimmed().toStdString();
    const char* begin = digits.data();
    const char* end = begin + digits.size();
    if (begin != end && *begin == '+')
        ++begin;
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end)
        return std::nullopt;
    return value;
}

// The options in the order --help lists them, with the text before them.
void AddOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Shows a molecular structure from an XYZ file as a ball-and-stick picture in a window\n"
        "(pelmora [FILE.xyz]), or draws it without a window (--export, --info).\n"
        "OUT ending in .svg gets an SVG drawing; .bmp, .png, .jpg, .jpeg and .gif get that picture\n"
        "(3000 x 3000 pixels, or --size); any other name gets a BMP file with .bmp appended. With several\n"
        "frames, .gif, .mp4 and .webm get one movie. Several FILEs are drawn on every processor.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"export", "Write the scene to OUT.", "OUT"});
    parser.addOption({"info", "Print what was read and built as one JSON object."});
    parser.addOption({"sticks", "Check \"Draw sticks\"."});
    for (const WholeNumberOption& option : WholeNumberOptions())
        parser.addOption({option.name,
                          QString("%1, %2..%3 (default %4).")
                              .arg(option.description)
                              .arg(option.minimum)
                              .arg(option.maximum)
                              .arg(option.defaultValue),
                          option.valueName});
    for (const DecimalOption& option : DecimalOptions())
        parser.addOption({option.name, QString(option.description) + " A comma may mark decimals.", "V"});
    parser.addOption({"elements", "The element table (default: Atom.txt beside the program).", "FILE"});
    AddBatchOptions(parser);
    AddElementOptions(parser);
    parser.addPositionalArgument("FILE.xyz", "The XYZ file to show, or the files to draw: OUT may name each by "
                                             "{name}, its name without folder and extension.");
}

// Sets the bars, spin edits and edits that were given; returns what is wrong with one of them,
// or an empty text.
QString ReadControlValues(const QCommandLineParser& parser, ExportOptions& options)
{
    for (const WholeNumberOption& option : WholeNumberOptions()) {
        if (!parser.isSet(option.name))
            continue;
        const QString text = parser.value(option.name);
        const std::optional<int> value = WholeNumber(text);
        if (!value || *value < option.minimum || *value > option.maximum)
            return QString("--%1 takes a whole number from %2 to %3, not '%4'")
                .arg(option.name)
                .arg(option.minimum)
                .arg(option.maximum)
                .arg(QuotedArgument(text));
        option.set(options, *value);
    }
    if (const QString wrong = ReadBatchOptions(parser, options.Batch); !wrong.isEmpty())
        return wrong;
    for (const DecimalOption& option : DecimalOptions()) {
        if (!parser.isSet(option.name))
            continue;
        try {
            option.set(options, StrToDoubleInSingleRange(FileNameToBytes(parser.value(option.name))));
        } catch (const MConvertError& error) {
            return QString("--%1: %2").arg(option.name, QString::fromStdString(error.what()));
        }
    }
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments, const QString& defaultElementFile)
{
    QCommandLineParser parser;
    AddOptions(parser);
    // The parser quotes unknown options whole; escape what it quotes.
    if (!parser.parse(arguments))
        return UsageError(QString::fromStdString(EscapedForMessage(FileNameToBytes(parser.errorText()))));
    if (parser.isSet("help"))
        return {CommandLine::Action::Help, {}, parser.helpText().toStdString()};
    if (parser.isSet("version"))
        return {CommandLine::Action::Version, {}, std::string("pelmora ") + PELMORA_VERSION + "\n"};

    ExportOptions options;
    options.ElementFile = parser.isSet("elements") ? parser.value("elements") : defaultElementFile;
    options.Info = parser.isSet("info");
    options.Sticks.DrawSticks = parser.isSet("sticks");
    if (parser.isSet("export")) {
        options.OutFile = parser.value("export");
        if (options.OutFile.isEmpty())
            return UsageError("--export needs a file name");
    }
    if (const QString wrong = ReadControlValues(parser, options); !wrong.isEmpty())
        return UsageError(wrong);
    if (const QString wrong = ReadElementOptions(parser, options); !wrong.isEmpty())
        return UsageError(wrong);
    const QStringList files = parser.positionalArguments();
    if (options.OutFile.isEmpty() && !options.Info)
        return WindowCommand(parser, files, options);
    if (files.isEmpty())
        return UsageError("no FILE.xyz given");
    options.XyzFile = files.front();
    options.Batch.XyzFiles = files;
    return {CommandLine::Action::Export, options, {}};
}
