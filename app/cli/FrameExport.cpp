#include "FrameExport.h"

#include <algorithm>
#include <optional>
#include <string>

#include "ElementOptions.h"
#include "ExitCode.h"
#include "JsonText.h"
#include "LocalFileName.h"
#include "MBmpSaveLoad.h"
#include "MFunction.h"
#include "PictureScaling.h"
#include "ProgressLine.h"
#include "RunMessages.h"
#include "SvgFile.h"
#include "TextBuffer.h"

namespace {

// What the viewer frame's save button says when a picture could not be written.
constexpr const char* NotSavedMessage = "Не сохранено";

// The extension the savers choose by: from the last dot of the last path component, lower case.
QString LowerExtension(const QString& fileName)
{
    const qsizetype nameStart = fileName.lastIndexOf('/') + 1;
    const qsizetype dot = fileName.lastIndexOf('.');
    return dot >= nameStart ? fileName.mid(dot).toLower() : QString();
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

// Draws the scene and writes it: an SVG drawing as the window's save button writes it, any
// other name as the viewer frame's save button writes a picture, reduced to --size if given.
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
    const PictureSize size = options.Batch.Size;
    const QImage sized = size.IsSet() ? ScaledPicture(bitmap, size.width, size.height) : QImage();
    std::string reason;
    if (BmpSaveToFile(size.IsSet() ? &sized : &bitmap, outFile, reason))
        return true;
    Report(err, std::string(NotSavedMessage) + " (not saved): " + reason);
    return false;
}

// Every line of text as a message of its own.
void ReportLines(std::ostream& err, const std::string& text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        Report(err, text.substr(at, end - at));
        at = end + 1;
    }
}

}  // namespace

TranslationCell CellOfFile(const ExportOptions& options, const TranslationCell& cell,
                           const std::optional<XyzPlaneLattice>& lattice)
{
    TranslationCell taken = cell;
    if (lattice) {
        taken.Ax = options.StepsGiven.Ax ? options.Cell.Ax : lattice->Ax;
        taken.Ay = options.StepsGiven.Ay ? options.Cell.Ay : lattice->Ay;
        taken.Dx = options.StepsGiven.Dx ? options.Cell.Dx : lattice->Dx;
        taken.Dy = options.StepsGiven.Dy ? options.Cell.Dy : lattice->Dy;
    }
    return taken;
}

int ExportFrame(const ExportOptions& options, const TranslationCell& cell, ScenePipeline& pipeline, int frame,
                const QString& outFile, std::ostream& out, std::ostream& err)
{
    // Checked against the table before the first frame: the pipelines of other threads take it too.
    (void)pipeline.SetElementMap(options.ElementChoices);
    const std::optional<XyzReadResult> read = ReadFrame(frame, pipeline, err);
    if (!read)
        return ExitFailure;
    ReportLines(err, read->note);
    // Told for the first frame of the selection only: the symbols rarely change.
    if (frame == options.Batch.Frames.first)
        TellGuessedElements(pipeline, err);
    if (!read->message.empty())
        Report(err, read->message);
    // A file rejected at an atom line still shows the atoms before that line.
    int status = read->outcome == XyzReadOutcome::Read ? ExitSuccess : ExitFailure;

    const int atomsRead = pipeline.Model().LXyz.FCount;
    const StickFactors factors =
        pipeline.Rebuild(options.Sticks, CellOfFile(options, cell, read->lattice), options.Angles);
    // Sticks beyond the bound are not made: the atoms are drawn alone, and the run says why.
    for (const std::string& problem : {factors.SticksRefused, pipeline.DrawingProblem()})
        if (!problem.empty()) {
            Report(err, problem);
            status = ExitFailure;
        }
    // The JSON may go to the terminal the progress line is on.
    if (options.Info)
        ProgressLine::Write(
            out, InfoObject(options.XyzFile, atomsRead, pipeline.Model(), factors, frame, pipeline.FrameCount(),
                                 SymbolsJson(pipeline), pipeline.SymbolAtomsNotListed()));
    if (!outFile.isEmpty() && !WriteOut(options, outFile, pipeline, err))
        status = ExitFailure;
    return status;
}
