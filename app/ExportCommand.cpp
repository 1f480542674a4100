#include "ExportCommand.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include "ElementTable.h"
#include "MBmpSaveLoad.h"
#include "MFunction.h"
#include "ScenePipeline.h"
#include "SvgWriter.h"
#include "TextBuffer.h"
#include "XyzReader.h"

namespace {

constexpr const char* MessagePrefix = "pelmora: ";
// What the viewer frame's save button says when a picture could not be written.
constexpr const char* NotSavedMessage = "Не сохранено";
// The range of the Translate panel's two spin edits.
constexpr int MaxCopies = 10;

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
    {"ax", "x step between copies along the first vector (default 10).",
     [](ExportOptions& o, double v) { o.Cell.Ax = v; }},
    {"ay", "y step between copies along the second vector (default 10).",
     [](ExportOptions& o, double v) { o.Cell.Ay = v; }},
    {"dx", "x shift per step along the second vector (default 0).",
     [](ExportOptions& o, double v) { o.Cell.Dx = v; }},
    {"dy", "y shift per step along the first vector (default 0).",
     [](ExportOptions& o, double v) { o.Cell.Dy = v; }},
};

CommandLine UsageError(const QString& text) { return {CommandLine::Action::UsageError, {}, text.toStdString()}; }

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

std::string LocalFileName(const QString& fileName) { return QFile::encodeName(fileName).toStdString(); }

// The extension the savers choose by: from the last dot of the last path component, lower case.
QString LowerExtension(const QString& fileName)
{
    const qsizetype nameStart = fileName.lastIndexOf('/') + 1;
    const qsizetype dot = fileName.lastIndexOf('.');
    return dot >= nameStart ? fileName.mid(dot).toLower() : QString();
}

void Report(std::ostream& err, const std::string& message) { err << MessagePrefix << message << '\n'; }

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char hex[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += hex[(c >> 4) & 0xF];
            quoted += hex[c & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string JsonNumber(float value) { return std::isfinite(value) ? FloatToSvg(value) : "null"; }

void PrintInfo(std::ostream& out, const ExportOptions& options, int atomsRead, const Scene& scene,
               const StickFactors& factors)
{
    out << "{\"file\":" << JsonString(options.XyzFile.toStdString())
        << ",\"atomsRead\":" << std::to_string(atomsRead)
        << ",\"atomsAfterRepetition\":" << std::to_string(scene.LXyzTrans.FCount)
        << ",\"sticks\":" << std::to_string(scene.LStick.FCount)
        << ",\"ScaleXyz\":" << JsonNumber(scene.ScaleXyz)
        << ",\"KRPoint\":" << JsonNumber(factors.KAtomRadius)
        << ",\"stickFactor\":" << JsonNumber(factors.KMinStickLength) << "}\n";
}

// The element table, read once as the window reads it at start. A table the window would
// complain about stops the export: it would draw with a part of the table.
bool LoadElementTable(const QString& fileName, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        TextBuffer table;
        table.LoadFromFile(LocalFileName(fileName));
        const ElementTableResult result = pipeline.LoadElementTable(table.Lines());
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

// Reads the XYZ file into scene.LXyz. Returns the reader's result, or nothing when the file
// could not be read at all (the window then keeps its old scene, so nothing is drawn).
std::optional<XyzReadResult> ReadXyzFile(const QString& fileName, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        TextBuffer memo;
        memo.LoadFromFile(LocalFileName(fileName));
        return pipeline.ReadXyz(memo.Lines());
    } catch (const TextFileError& error) {
        Report(err, error.what());
    } catch (const MConvertError& error) {
        Report(err, error.what());
    } catch (const XyzIndexError& error) {
        Report(err, error.what());
    }
    return std::nullopt;
}

// The steps the window takes after reading a file: the stick handler (it sets KRPoint, which
// the scale depends on), then BuildTranslation, which rebuilds everything from the new atoms.
StickFactors BuildScene(const ExportOptions& options, ScenePipeline& pipeline)
{
    pipeline.ChangeSticks(options.Sticks, options.Angles);
    pipeline.BuildGroups();
    pipeline.Translate(options.Cell);
    const StickFactors factors = pipeline.ChangeSticks(options.Sticks, options.Angles);
    pipeline.ChangeView(options.Angles);
    return factors;
}

// Draws the scene and writes it: an SVG drawing as the window's save button writes it, any
// other name as the viewer frame's save button writes a picture.
bool WriteOut(const ExportOptions& options, ScenePipeline& pipeline, std::ostream& err)
{
    if (LowerExtension(options.OutFile) == ".svg") {
        TextBuffer svg;
        pipeline.DrawWithSvg(options.StickRadiusPosition, svg);
        try {
            (void)SaveSvg(svg, LocalFileName(options.OutFile));
            return true;
        } catch (const TextFileError& error) {
            Report(err, error.what());
            return false;
        }
    }
    const QImage& bitmap = pipeline.Picture(options.StickRadiusPosition);
    if (BmpSaveToFile(&bitmap, options.OutFile))
        return true;
    Report(err, std::string(NotSavedMessage) + " (not saved): " + options.OutFile.toStdString());
    return false;
}

void AddOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Draws a molecular structure from an XYZ file as a ball-and-stick picture, without a window.\n"
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
    parser.addPositionalArgument("FILE.xyz", "The XYZ file to draw.");
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
                .arg(text);
        option.set(options, *value);
    }
    for (const DecimalOption& option : DecimalOptions) {
        if (!parser.isSet(option.name))
            continue;
        try {
            option.set(options, StrToDoubleInSingleRange(parser.value(option.name).toStdString()));
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
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
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
    if (options.OutFile.isEmpty() && !options.Info)
        return UsageError("the window is not available yet: give --export OUT or --info");
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return UsageError(files.isEmpty() ? "no FILE.xyz given" : "give exactly one FILE.xyz");
    options.XyzFile = files.front();
    return {CommandLine::Action::Export, options, {}};
}

int RunExport(const ExportOptions& options, std::ostream& out, std::ostream& err)
{
    ScenePipeline pipeline;
    if (!LoadElementTable(options.ElementFile, pipeline, err))
        return ExitFailure;
    const std::optional<XyzReadResult> read = ReadXyzFile(options.XyzFile, pipeline, err);
    if (!read)
        return ExitFailure;
    if (!read->message.empty())
        Report(err, read->message);
    if (!read->Rebuild())
        return ExitFailure;
    // A file rejected at an atom line still shows the atoms before that line.
    int status = read->outcome == XyzReadOutcome::Read ? ExitSuccess : ExitFailure;

    const int atomsRead = pipeline.Model().LXyz.FCount;
    const StickFactors factors = BuildScene(options, pipeline);
    if (options.Info)
        PrintInfo(out, options, atomsRead, pipeline.Model(), factors);
    if (!options.OutFile.isEmpty() && !WriteOut(options, pipeline, err))
        status = ExitFailure;
    return status;
}

int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err)
{
    const QString defaultElementFile = QCoreApplication::applicationDirPath() + '/' + ElementTableFileName;
    const CommandLine command = ParseCommandLine(arguments, defaultElementFile);
    switch (command.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        out << command.text;
        return ExitSuccess;
    case CommandLine::Action::Export:
        return RunExport(command.options, out, err);
    case CommandLine::Action::UsageError:
        break;
    }
    err << MessagePrefix << command.text << "\nTry 'pelmora --help' for more information.\n";
    return ExitUsage;
}
