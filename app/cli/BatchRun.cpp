#include "BatchRun.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "ElementOptions.h"
#include "ExitCode.h"
#include "ForEachScene.h"
#include "FrameExport.h"
#include "InputOpening.h"
#include "MBmpSaveLoad.h"
#include "MFileName.h"
#include "MMessageText.h"
#include "MovieRun.h"
#include "OrderedReports.h"
#include "OutputNames.h"
#include "RunMessages.h"
#include "ScenePipeline.h"

namespace {

// A file that was read and is to be drawn.
struct Input {
    ExportOptions options;  // XyzFile is this file
    std::shared_ptr<const XyzDocument> document;
    TranslationCell cell;
    std::vector<int> frames;
};

// One frame to draw into a picture of its own.
struct PictureJob {
    std::size_t input;
    int frame;
    QString outFile;  // empty: nothing is written (--info alone)
};

// All the frames of an input into one movie.
struct MovieJob {
    std::size_t input;
    QString outFile;
};

struct Plan {
    std::vector<PictureJob> pictures;
    std::vector<MovieJob> movies;
};

// Opens every file in order with the window's messages; a file that cannot be read or is
// rejected makes status a failure and is left out. Returns nothing (after the message) when a
// file does not have the frames the selection asks for.
std::optional<std::vector<Input>> OpenInputs(const ExportOptions& options, ScenePipeline& pipeline, std::ostream& err,
                                             int& status)
{
    std::vector<Input> inputs;
    for (const QString& file : options.Batch.XyzFiles) {
        const std::optional<XyzReadResult> opened = OpenXyzFile(file, pipeline, err);
        if (!opened) {
            status = ExitFailure;
            continue;
        }
        if (!opened->Rebuild()) {
            Report(err, opened->message);
            status = ExitFailure;
            continue;
        }
        for (const std::string& note : pipeline.Document()->Notes())
            Report(err, note);
        auto frames = options.Batch.Frames.FramesOf(pipeline.FrameCount());
        if (const auto* wrong = std::get_if<std::string>(&frames)) {
            Report(err, options.Batch.XyzFiles.size() > 1 ? MessageExcerpt(FileNameToBytes(file)) + ": " + *wrong
                                                          : *wrong);
            return std::nullopt;
        }
        Input input{options, pipeline.Document(), CellOf(options, pipeline.Document()->Lattice()),
                    std::get<std::vector<int>>(std::move(frames))};
        input.options.XyzFile = file;
        inputs.push_back(std::move(input));
    }
    return inputs;
}

// The frames of each input into pictures, or into one movie per input when OUT is one.
Plan PlanJobs(const ExportOptions& options, const std::vector<Input>& inputs)
{
    Plan plan;
    const bool movie = IsMovieOutput(options.OutFile, options.Batch.Frames);
    for (std::size_t index = 0; index < inputs.size(); ++index) {
        const Input& input = inputs[index];
        if (movie) {
            plan.movies.push_back({index, OutFileFor(options.OutFile, input.options.XyzFile, 1, false)});
            continue;
        }
        for (const int frame : input.frames) {
            const QString outFile = options.OutFile.isEmpty()
                ? QString()
                : OutFileFor(options.OutFile, input.options.XyzFile, frame, !options.Batch.Frames.single);
            plan.pictures.push_back({index, frame, outFile});
        }
    }
    return plan;
}

// The name a picture is really written to: an unknown extension gets ".bmp".
QString WrittenName(const QString& outFile)
{
    return outFile.endsWith(".svg", Qt::CaseInsensitive) ? outFile : PictureTargetForFileName(outFile).fileName;
}

// The first name two jobs would both write, if any: the second would replace the first.
std::optional<QString> SharedOutputName(const Plan& plan)
{
    std::set<QString> names;
    const auto clash = [&](const QString& outFile) {
        return !outFile.isEmpty() && !names.insert(WrittenName(outFile)).second;
    };
    for (const PictureJob& job : plan.pictures)
        if (clash(job.outFile))
            return WrittenName(job.outFile);
    for (const MovieJob& job : plan.movies)
        if (!names.insert(job.outFile).second)
            return job.outFile;
    return std::nullopt;
}

// Keeps this run's share of the pictures: those whose position is K modulo N.
void KeepShare(const Shard& part, std::vector<PictureJob>& jobs)
{
    std::vector<PictureJob> kept;
    for (std::size_t position = 0; position < jobs.size(); ++position)
        if (part.Keeps(position))
            kept.push_back(std::move(jobs[position]));
    jobs = std::move(kept);
}

// The pictures on every core, told in their order.
int DrawPictures(const std::vector<Input>& inputs, const std::vector<PictureJob>& jobs,
                 const std::vector<std::string>& elementLines, ProgressLine& progress, std::ostream& out,
                 std::ostream& err)
{
    OrderedReports reports(jobs.size(), out, err);
    const bool manyFiles = inputs.size() > 1;
    progress.Count(manyFiles ? "drawing files" : "drawing frames", jobs.size());
    ForEachScene(
        jobs.size(), elementLines,
        [&](ScenePipeline& pipeline, std::size_t item) {
            const PictureJob& job = jobs[item];
            const Input& input = inputs[job.input];
            if (pipeline.Document() != input.document)
                pipeline.ShareXyz(input.document);
            std::ostringstream jobOut, jobErr;
            const int status =
                ExportFrame(input.options, input.cell, pipeline, job.frame, job.outFile, jobOut, jobErr);
            reports.Done(item, jobOut.str(), jobErr.str(), status);
            progress.CountOne();
        },
        [&](std::size_t item, std::exception_ptr error) {
            const PictureJob& job = jobs[item];
            const std::string where = manyFiles ? MessageExcerpt(FileNameToBytes(inputs[job.input].options.XyzFile))
                    + (inputs[job.input].frames.size() > 1 ? ", frame " + std::to_string(job.frame) : "")
                                                : "frame " + std::to_string(job.frame);
            reports.Done(item, {}, MessagePrefix + (where + ": " + FailureSentence(error)) + '\n', ExitFailure);
            progress.CountOne();
        });
    return reports.Status();
}

}  // namespace

int RunBatch(const ExportOptions& options, ProgressLine& progress, std::ostream& out, std::ostream& err)
{
    progress.Step("reading");
    ScenePipeline pipeline;
    pipeline.SetProgress(progress.Reporter());
    if (!LoadElementTable(options.ElementFile, pipeline, err))
        return ExitFailure;
    if (!ChooseElements(options, pipeline, err))
        return ExitUsage;
    int status = ExitSuccess;
    const std::optional<std::vector<Input>> inputs = OpenInputs(options, pipeline, err, status);
    if (!inputs)
        return ExitUsage;
    Plan plan = PlanJobs(options, *inputs);
    if (const std::optional<QString> name = SharedOutputName(plan)) {
        Report(err, "two outputs would be written to \"" + MessageExcerpt(FileNameToBytes(*name))
                        + "\"; name each by {name} or {frame} (nothing was written)");
        return ExitUsage;
    }
    if (options.Batch.Sharded) {
        if (!plan.movies.empty()) {
            Report(err, "--shard splits frames among runs, a movie takes all of its own: give each run its own "
                        "--frame A-B and join the pieces");
            return ExitUsage;
        }
        KeepShare(options.Batch.Part, plan.pictures);
    }
    // One picture of the file just opened: drawn here, with the steps told as they go.
    if (plan.pictures.size() == 1 && inputs->size() == 1 && plan.movies.empty()) {
        const PictureJob& job = plan.pictures.front();
        const Input& input = inputs->front();
        return std::max(status,
                        ExportFrame(input.options, input.cell, pipeline, job.frame, job.outFile, out, err));
    }
    status = std::max(status, DrawPictures(*inputs, plan.pictures, pipeline.ElementLines(), progress, out, err));
    for (const MovieJob& movie : plan.movies) {
        const Input& input = (*inputs)[movie.input];
        status = std::max(status, ExportMovie(input.options, input.cell, input.document, input.frames,
                                              pipeline.ElementLines(), movie.outFile, progress, out, err));
    }
    return status;
}
