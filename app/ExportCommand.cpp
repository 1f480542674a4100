#include "ExportCommand.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <exception>
#include <new>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>

#include "ElementTable.h"
#include "ElementTableLocation.h"
#include "MBmpSaveLoad.h"
#include "MFileName.h"
#include "MFunction.h"
#include "ForEachFrame.h"
#include "MMessageText.h"
#include "ProgressLine.h"
#include "ScenePipeline.h"
#include "SvgFile.h"
#include "TextBuffer.h"
#include "XyzReader.h"
#include "XyzTextFile.h"

namespace {

constexpr const char* MessagePrefix = "pelmora: ";
// What the viewer frame's save button says when a picture could not be written.
constexpr const char* NotSavedMessage = "Не сохранено";
// The range of the Translate panel's two spin edits.
constexpr int MaxCopies = 10;
// What --frame takes besides a frame number.
constexpr const char* EveryFrame = "all";

// An option standing for a scroll bar or a spin edit: a whole number within the control's range.
struct WholeNumberOption {
    const char* name;
    const char* valueName;
    int minimum;
    int maximum;
    int designValue;
    const char* description;
    void (*set)(ExportOptions&, int);
};

const WholeNumberOption WholeNumberOptions[] = {
    {"stick-length", "P", 0, StickBarMaximum, 0, "Position of the \"K Min stick length\" bar",
     [](ExportOptions& o, int v) { o.Sticks.StickPosition = v; }},
    {"atom-radius", "P", 1, AtomRadiusBarMaximum, 500, "Position of the \"K atom radius\" bar",
     [](ExportOptions& o, int v) { o.Sticks.AtomRadiusPosition = v; }},
    {"stick-radius", "P", 1, StickRadiusBarMaximum, 500, "Position of the \"Stick radius\" bar",
     [](ExportOptions& o, int v) { o.StickRadiusPosition = v; }},
    {"angle-x", "P", 0, AngleBarMaximum, 0, "Angle about x in tenths of a degree",
     [](ExportOptions& o, int v) { o.Angles.Ax = v; }},
    {"angle-y", "P", 0, AngleBarMaximum, 0, "Angle about y in tenths of a degree",
     [](ExportOptions& o, int v) { o.Angles.Ay = v; }},
    {"angle-z", "P", 0, AngleBarMaximum, 0, "Angle about z in tenths of a degree",
     [](ExportOptions& o, int v) { o.Angles.Az = v; }},
    {"nx", "N", 1, MaxCopies, 1, "Copies along the first lattice vector (ax, dy)",
     [](ExportOptions& o, int v) { o.Cell.Nx = v; }},
    {"ny", "N", 1, MaxCopies, 1, "Copies along the second lattice vector (dx, ay)",
     [](ExportOptions& o, int v) { o.Cell.Ny = v; }},
};

// An option standing for one of the Translate panel's edits, read as the window reads them.
struct DecimalOption {
    const char* name;
    const char* description;
    void (*set)(ExportOptions&, double);
};

const DecimalOption DecimalOptions[] = {
    {"ax", "x step between copies along the first vector (default 10, or a1 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Ax = v;
         o.StepsGiven.Ax = true;
     }},
    {"ay", "y step between copies along the second vector (default 10, or b2 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Ay = v;
         o.StepsGiven.Ay = true;
     }},
    {"dx", "x shift per step along the second vector (default 0, or b1 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Dx = v;
         o.StepsGiven.Dx = true;
     }},
    {"dy", "y shift per step along the first vector (default 0, or a2 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Dy = v;
         o.StepsGiven.Dy = true;
     }},
};

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

// The arguments hold names as FileNameFromBytes made them, so every byte comes back.
std::string LocalFileName(const QString& fileName) { return FileNameToBytes(fileName); }

// The extension the savers choose by: from the last dot of the last path component, lower case.
QString LowerExtension(const QString& fileName)
{
    const qsizetype nameStart = fileName.lastIndexOf('/') + 1;
    const qsizetype dot = fileName.lastIndexOf('.');
    return dot >= nameStart ? fileName.mid(dot).toLower() : QString();
}

void Report(std::ostream& err, const std::string& message)
{
    ProgressLine::Write(err, MessagePrefix + message + '\n');
}

// What went wrong, as a sentence for the user: out of memory is told as such, not by the name
// of its exception.
std::string FailureSentence(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "unknown error";
    }
}

// Control characters, invisible characters that reorder a line, and surrogates (escaped when
// they stand alone).
bool NeedsJsonEscape(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x200E || unit == 0x200F
        || (unit >= 0x2028 && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069) || QChar::isSurrogate(unit);
}

bool IsPairedSurrogate(const QString& text, qsizetype i)
{
    const auto unitAt = [&](qsizetype k) { return text[k].unicode(); };
    return (QChar::isHighSurrogate(unitAt(i)) && i + 1 < text.size() && QChar::isLowSurrogate(unitAt(i + 1)))
        || (QChar::isLowSurrogate(unitAt(i)) && i > 0 && QChar::isHighSurrogate(unitAt(i - 1)));
}

// A name as a JSON string. Nothing in it reaches a terminal unescaped; a byte that is not
// UTF-8 appears as the escape of its stand-in ("\udcff", see MFileName.h), which a reader
// that keeps lone surrogates turns back into the same bytes.
std::string JsonString(const QString& text)
{
    QString quoted = "\"";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'"' || unit == u'\\')
            quoted += QChar(u'\\');
        if (NeedsJsonEscape(unit) && !IsPairedSurrogate(text, i))
            quoted += QString("\\u%1").arg(static_cast<unsigned>(unit), 4, 16, QChar(u'0'));
        else
            quoted += QChar(unit);
    }
    // Every lone surrogate is escaped by now, so the UTF-8 conversion keeps everything.
    return (quoted + '"').toStdString();
}

std::string JsonNumber(float value) { return std::isfinite(value) ? FloatToSvg(value) : "null"; }

void PrintInfo(std::ostream& out, const ExportOptions& options, int atomsRead, const Scene& scene,
               const StickFactors& factors, int frame, int frames)
{
    std::ostringstream json;
    json << "{\"file\":" << JsonString(options.XyzFile)
         << ",\"atomsRead\":" << std::to_string(atomsRead)
         << ",\"atomsAfterRepetition\":" << std::to_string(scene.LXyzTrans.FCount)
         << ",\"sticks\":" << std::to_string(scene.LStick.FCount)
         << ",\"ScaleXyz\":" << JsonNumber(scene.ScaleXyz)
         << ",\"KRPoint\":" << JsonNumber(factors.KAtomRadius)
         << ",\"stickFactor\":" << JsonNumber(factors.KMinStickLength)
         << ",\"frame\":" << std::to_string(frame) << ",\"frames\":" << std::to_string(frames) << "}\n";
    // The JSON may go to the terminal the progress line is on.
    ProgressLine::Write(out, json.str());
}

// The element table, read once as the window reads it at start, into the pipeline and lines.
// A table the window would complain about stops the export: it would draw with a part of it.
bool LoadElementTable(const QString& fileName, ScenePipeline& pipeline, std::vector<std::string>& lines,
                      std::ostream& err)
{
    try {
        TextBuffer table;
        table.LoadFromFile(LocalFileName(fileName), ElementTableLargestSize);
        lines = table.Lines();
        const ElementTableResult result = pipeline.LoadElementTable(lines);
        if (!result.complete) {
            Report(err, result.message);
            return false;
        }
        return true;
    } catch (const TextFileError& error) {
        Report(err, error.what());
    } catch (const MConvertError& error) {
        Report(err, error.what());
    }
    return false;
}

// Opens the XYZ file: reads its text and indexes its frames. Returns the reader's result, or
// nothing when the file could not be read at all (the window then keeps its old scene).
std::optional<XyzReadResult> OpenXyzFile(const QString& fileName, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        return pipeline.IndexXyz(LoadXyzTextFile(LocalFileName(fileName)));
    } catch (const TextFileError& error) {
        Report(err, error.what());
    } catch (const MConvertError& error) {
        Report(err, error.what());
    } catch (const XyzIndexError& error) {
        Report(err, error.what());
    }
    return std::nullopt;
}

// Reads a frame of the open file into scene.LXyz; nothing when a coordinate did not convert.
std::optional<XyzReadResult> ReadFrame(int frame, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        return pipeline.ReadFrame(frame);
    } catch (const MConvertError& error) {
        Report(err, error.what());
    }
    return std::nullopt;
}

// The cell of the Translate panel: the steps the command line gave, the others from the file's
// cell when it declares one, as the window fills its edits when it opens the file.
TranslationCell CellOf(const ExportOptions& options, const std::optional<XyzPlaneLattice>& lattice)
{
    TranslationCell cell = options.Cell;
    if (lattice) {
        cell.Ax = options.StepsGiven.Ax ? cell.Ax : lattice->Ax;
        cell.Ay = options.StepsGiven.Ay ? cell.Ay : lattice->Ay;
        cell.Dx = options.StepsGiven.Dx ? cell.Dx : lattice->Dx;
        cell.Dy = options.StepsGiven.Dy ? cell.Dy : lattice->Dy;
    }
    return cell;
}

// Draws the scene and writes it: an SVG drawing as the window's save button writes it, any
// other name as the viewer frame's save button writes a picture.
bool WriteOut(const ExportOptions& options, const QString& outFile, ScenePipeline& pipeline, std::ostream& err)
{
    if (LowerExtension(outFile) == ".svg") {
        TextBuffer svg;
        pipeline.DrawWithSvg(options.StickRadiusPosition, svg);
        try {
            (void)SaveSvg(svg, LocalFileName(outFile));
            return true;
        } catch (const TextFileError& error) {
            Report(err, error.what());
            return false;
        }
    }
    const QImage& bitmap = pipeline.Picture(options.StickRadiusPosition);
    std::string reason;
    if (BmpSaveToFile(&bitmap, outFile, reason))
        return true;
    Report(err, std::string(NotSavedMessage) + " (not saved): " + reason);
    return false;
}

void AddOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Shows a molecular structure from an XYZ file as a ball-and-stick picture in a window\n"
        "(pelmora [FILE.xyz]), or draws it without a window (--export, --info).\n"
        "OUT ending in .svg gets an SVG drawing; .bmp, .png, .jpg, .jpeg and .gif get that picture\n"
        "(3000 x 3000 pixels); any other name gets a BMP file with .bmp appended.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"export", "Write the scene to OUT.", "OUT"});
    parser.addOption({"info", "Print what was read and built as one JSON object."});
    parser.addOption({"sticks", "Check \"Draw sticks\"."});
    for (const WholeNumberOption& option : WholeNumberOptions)
        parser.addOption({option.name,
                          QString("%1, %2..%3 (default %4).")
                              .arg(option.description)
                              .arg(option.minimum)
                              .arg(option.maximum)
                              .arg(option.designValue),
                          option.valueName});
    for (const DecimalOption& option : DecimalOptions)
        parser.addOption({option.name, QString(option.description) + " A comma may mark decimals.", "V"});
    parser.addOption({"elements", "The element table (default: Atom.txt beside the program).", "FILE"});
    parser.addOption({"frame",
                      "The frame of a trajectory to draw, from 1 (default 1), or 'all': every frame, each into "
                      "OUT with its number before the extension (out-0001.png), on every processor.",
                      "K"});
    parser.addPositionalArgument("FILE.xyz", "The XYZ file to show or draw.");
}

// Sets the bars, spin edits and edits that were given; returns what is wrong with one of them,
// or an empty text.
QString ReadControlValues(const QCommandLineParser& parser, ExportOptions& options)
{
    for (const WholeNumberOption& option : WholeNumberOptions) {
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
    if (parser.isSet("frame")) {
        const QString text = parser.value("frame");
        const std::optional<int> frame = WholeNumber(text);
        if (text.trimmed() == EveryFrame)
            options.AllFrames = true;
        else if (frame && *frame >= 1)
            options.Frame = *frame;
        else
            return QString("--frame takes a frame number from 1 or '%1', not '%2'").arg(EveryFrame, QuotedArgument(text));
    }
    for (const DecimalOption& option : DecimalOptions) {
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
    const QStringList files = parser.positionalArguments();
    if (options.OutFile.isEmpty() && !options.Info)
        return WindowCommand(parser, files, options);
    if (files.size() != 1)
        return UsageError(files.isEmpty() ? "no FILE.xyz given" : "give exactly one FILE.xyz");
    options.XyzFile = files.front();
    return {CommandLine::Action::Export, options, {}};
}

namespace {

// Reads one frame of the open file, builds and writes it to outFile, as an export of a file of
// that one frame would. Returns an ExitCode.
int ExportFrame(const ExportOptions& options, const TranslationCell& cell, ScenePipeline& pipeline, int frame,
                const QString& outFile, std::ostream& out, std::ostream& err)
{
    const std::optional<XyzReadResult> read = ReadFrame(frame, pipeline, err);
    if (!read)
        return ExitFailure;
    if (!read->note.empty())
        Report(err, read->note);
    if (!read->message.empty())
        Report(err, read->message);
    // A file rejected at an atom line still shows the atoms before that line.
    int status = read->outcome == XyzReadOutcome::Read ? ExitSuccess : ExitFailure;

    const int atomsRead = pipeline.Model().LXyz.FCount;
    const StickFactors factors = pipeline.Rebuild(options.Sticks, cell, options.Angles);
    // Sticks beyond the bound are not made: the atoms are drawn alone, and the run says why.
    for (const std::string& problem : {factors.SticksRefused, pipeline.DrawingProblem()})
        if (!problem.empty()) {
            Report(err, problem);
            status = ExitFailure;
        }
    if (options.Info)
        PrintInfo(out, options, atomsRead, pipeline.Model(), factors, frame, pipeline.FrameCount());
    if (!outFile.isEmpty() && !WriteOut(options, outFile, pipeline, err))
        status = ExitFailure;
    return status;
}

// What one frame of --frame all printed, kept until every frame before it has printed.
struct FrameReport {
    std::string out;
    std::string err;
    int status = ExitFailure;
};

// Every frame into its own OUT: one scene per core, each taking the next frame not yet taken
// (ForEachFrame). The messages and the JSON come out in frame order, as one scene would print
// them; a frame that failed (out of memory) is told by its number in its place, and the others
// are drawn all the same.
int ExportEveryFrame(const ExportOptions& options, const TranslationCell& cell,
                     const std::vector<std::string>& elementLines, const std::shared_ptr<const XyzDocument>& document,
                     ProgressLine& progress, std::ostream& out, std::ostream& err)
{
    const int frames = document->FrameCount();
    std::vector<FrameReport> reports(static_cast<std::size_t>(frames));
    std::atomic<int> framesDone{0};
    const auto frameDone = [&] {
        progress.Step("drawing frames, " + std::to_string(++framesDone) + " of " + std::to_string(frames) + " done");
    };
    progress.Step("drawing frames, 0 of " + std::to_string(frames) + " done");
    ForEachFrame(
        document, elementLines,
        [&](ScenePipeline& pipeline, int frame) {
            std::ostringstream frameOut, frameErr;
            FrameReport& report = reports[static_cast<std::size_t>(frame - 1)];
            // --info alone writes no file: an empty name stays empty rather than "-0001".
            const QString outFile = options.OutFile.isEmpty() ? QString() : FrameOutFile(options.OutFile, frame);
            report.status = ExportFrame(options, cell, pipeline, frame, outFile, frameOut, frameErr);
            report.out = frameOut.str();
            report.err = frameErr.str();
            frameDone();
        },
        [&](int frame, std::exception_ptr error) {
            FrameReport& report = reports[static_cast<std::size_t>(frame - 1)];
            report.out.clear();
            report.err = MessagePrefix + ("frame " + std::to_string(frame) + ": " + FailureSentence(error)) + '\n';
            report.status = ExitFailure;
            frameDone();
        });
    int status = ExitSuccess;
    for (const FrameReport& report : reports) {
        ProgressLine::Write(out, report.out);
        ProgressLine::Write(err, report.err);
        status = std::max(status, report.status);
    }
    return status;
}

}  // namespace

QString FrameOutFile(const QString& outFile, int frame)
{
    const qsizetype nameStart = outFile.lastIndexOf('/') + 1;
    const qsizetype dot = outFile.lastIndexOf('.');
    const qsizetype at = dot >= nameStart ? dot : outFile.size();
    return outFile.left(at) + QString("-%1").arg(frame, 4, 10, QChar('0')) + outFile.mid(at);
}

namespace {

int ReadBuildAndWrite(const ExportOptions& options, ProgressLine& progress, std::ostream& out, std::ostream& err)
{
    progress.Step("reading");
    ScenePipeline pipeline;
    pipeline.SetProgress(progress.Reporter());
    std::vector<std::string> elementLines;
    if (!LoadElementTable(options.ElementFile, pipeline, elementLines, err))
        return ExitFailure;
    const std::optional<XyzReadResult> opened = OpenXyzFile(options.XyzFile, pipeline, err);
    if (!opened)
        return ExitFailure;
    if (!opened->Rebuild()) {
        Report(err, opened->message);
        return ExitFailure;
    }
    for (const std::string& note : pipeline.Document()->Notes())
        Report(err, note);
    const int frames = pipeline.FrameCount();
    if (options.Frame > frames) {
        Report(err, "--frame " + std::to_string(options.Frame) + ": the file has " + std::to_string(frames)
                        + (frames == 1 ? " frame" : " frames"));
        return ExitUsage;
    }
    const TranslationCell cell = CellOf(options, pipeline.Document()->Lattice());
    if (options.AllFrames)
        return ExportEveryFrame(options, cell, elementLines, pipeline.Document(), progress, out, err);
    return ExportFrame(options, cell, pipeline, options.Frame, options.OutFile, out, err);
}

}  // namespace

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err)
{
    // A run that takes longer than a second says on the terminal what it is doing.
    ProgressLine progress(err, &err == &std::cerr && isatty(STDERR_FILENO) == 1);
    try {
        return ReadBuildAndWrite(options, progress, out, err);
    } catch (...) {
        // Out of memory, or a scene larger than its lists hold: never an empty picture that
        // looks like success.
        Report(err, FailureSentence(std::current_exception()));
        return ExitFailure;
    }
}

int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err)
{
    const QString defaultElementFile = ElementTablePath(ProgramFolder());
    const CommandLine command = ParseCommandLine(arguments, defaultElementFile);
    switch (command.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        out << command.text;
        return ExitSuccess;
    case CommandLine::Action::Export:
        return RunExport(command.options, out, err);
    case CommandLine::Action::Window:
        err << MessagePrefix << "the window is opened by the program itself, not by this command line runner\n";
        return ExitUsage;
    case CommandLine::Action::UsageError:
        break;
    }
    err << MessagePrefix << command.text << "\nTry 'pelmora --help' for more information.\n";
    return ExitUsage;
}
