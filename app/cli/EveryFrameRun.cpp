#include "EveryFrameRun.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <sstream>

#include "ExitCode.h"
#include "ForEachFrame.h"
#include "FrameExport.h"
#include "RunMessages.h"
#include "ScenePipeline.h"

namespace {

// What one frame printed, kept until every frame before it has printed.
struct FrameReport {
    std::string out;
    std::string err;
    int status = ExitFailure;
};

}  // namespace

QString FrameOutFile(const QString& outFile, int frame)
{
    const qsizetype nameStart = outFile.lastIndexOf('/') + 1;
    const qsizetype dot = outFile.lastIndexOf('.');
    const qsizetype at = dot >= nameStart ? dot : outFile.size();
    return outFile.left(at) + QString("-%1").arg(frame, 4, 10, QChar('0')) + outFile.mid(at);
}

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
