#include "ExportRun.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "ElementOptions.h"
#include "ElementTable.h"
#include "EveryFrameRun.h"
#include "ExitCode.h"
#include "FrameExport.h"
#include "LocalFileName.h"
#include "MFunction.h"
#include "ProgressLine.h"
#include "RunMessages.h"
#include "ScenePipeline.h"
#include "TextBuffer.h"

namespace {

// The element table, read once as the window reads it at start. A table the window would
// complain about stops the export: it would draw with a part of it.
bool LoadElementTable(const QString& fileName, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        const ElementTableResult result = pipeline.LoadElementTableFile(LocalFileName(fileName));
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
        return pipeline.OpenFile(LocalFileName(fileName));
    } catch (const TextFileError& error) {
        Report(err, error.what());
    } catch (const MConvertError& error) {
        Report(err, error.what());
    } catch (const XyzIndexError& error) {
        Report(err, error.what());
    }
    return std::nullopt;
}

int ReadBuildAndWrite(const ExportOptions& options, ProgressLine& progress, std::ostream& out, std::ostream& err)
{
    progress.Step("reading");
    ScenePipeline pipeline;
    pipeline.SetProgress(progress.Reporter());
    if (!LoadElementTable(options.ElementFile, pipeline, err))
        return ExitFailure;
    if (!ChooseElements(options, pipeline, err))
        return ExitUsage;
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
        Report(err,
               "--frame " + std::to_string(options.Frame) + ": the file has " + std::to_string(frames)
                   + (frames == 1 ? " frame" : " frames"));
        return ExitUsage;
    }
    const TranslationCell cell = CellOfFile(options, options.Cell, pipeline.Document()->Lattice());
    if (options.AllFrames)
        return ExportEveryFrame(options, cell, pipeline.ElementLines(), pipeline.Document(), progress, out, err);
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
