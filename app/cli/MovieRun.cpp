#include "MovieRun.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <sstream>

#include "ExitCode.h"
#include "ForEachScene.h"
#include "FrameExport.h"
#include "LocalFileName.h"
#include "MovieWriter.h"
#include "OrderedReports.h"
#include "PictureScaling.h"
#include "RunMessages.h"
#include "ScenePipeline.h"
#include "WorkerPool.h"

namespace {

// Frames drawn ahead of the encoder, per thread: enough that no thread waits for the encoder
// while it works through a frame, few enough to bound the memory.
constexpr std::size_t FramesAheadPerThread = 2;

// The drawn frames waiting for their turn, and the turn: frames go to the writer in order,
// from whichever thread finished the next one.
class FrameQueue {
public:
    FrameQueue(MovieWriter& writer, std::size_t ahead) : writer_(writer), ahead_(ahead) {}

    // Blocks until position is within the frames that may be drawn ahead of the encoder.
    void WaitForTurn(std::size_t position)
    {
        std::unique_lock lock(mutex_);
        moved_.wait(lock, [&] { return position < nextToEncode_ + ahead_; });
    }

    // Hands over a drawn frame (null: the frame failed and is left out) and encodes every frame
    // whose turn has come.
    void Put(std::size_t position, QImage frame)
    {
        std::unique_lock lock(mutex_);
        waiting_.emplace(position, std::move(frame));
        if (encoding_)
            return;  // the thread encoding takes it in its turn
        encoding_ = true;
        for (auto next = waiting_.find(nextToEncode_); next != waiting_.end(); next = waiting_.find(nextToEncode_)) {
            const QImage picture = std::move(next->second);
            waiting_.erase(next);
            lock.unlock();
            if (!picture.isNull() && ok_)
                ok_ = AddFrame(picture);
            lock.lock();
            ++nextToEncode_;
            moved_.notify_all();
        }
        encoding_ = false;
    }

    // Whether every frame handed over was encoded, and why not when the writer itself gave no
    // reason (out of memory); read after the drawing has ended.
    bool Ok() const { return ok_; }
    const std::string& Failure() const { return failure_; }

private:
    // Nothing may leave the encoding turn: the threads waiting for it would wait for ever.
    bool AddFrame(const QImage& picture) noexcept
    {
        try {
            return writer_.AddFrame(picture);
        } catch (...) {
            failure_ = FailureSentence(std::current_exception());
            return false;
        }
    }

    MovieWriter& writer_;
    const std::size_t ahead_;
    std::mutex mutex_;
    std::condition_variable moved_;
    std::map<std::size_t, QImage> waiting_;
    std::size_t nextToEncode_ = 0;
    bool encoding_ = false;
    bool ok_ = true;  // written by the encoding thread only
    std::string failure_;
};

QSize PictureSizeOf(const ExportOptions& options)
{
    const PictureSize size = options.Batch.Size;
    return size.IsSet() ? QSize(size.width, size.height) : QSize(SceneBitmapSize, SceneBitmapSize);
}

}  // namespace

bool IsMovieOutput(const QString& outFile, const FrameSelection& frames)
{
    const MovieKind kind = MovieKindOfFileName(LocalFileName(outFile));
    if (kind == MovieKind::Gif)
        return !frames.single && !outFile.contains("{frame}");
    return kind != MovieKind::None;
}

int ExportMovie(const ExportOptions& options, const TranslationCell& cell,
                const std::shared_ptr<const XyzDocument>& document, const std::vector<int>& frames,
                const std::vector<std::string>& elementLines, const QString& outFile, ProgressLine& progress,
                std::ostream& out, std::ostream& err)
{
    const std::string fileName = LocalFileName(outFile);
    const MovieKind kind = MovieKindOfFileName(fileName);
    const QSize frameSize = MovieFrameSize(kind, PictureSizeOf(options));
    std::string reason;
    const std::unique_ptr<MovieWriter> writer =
        OpenMovie(fileName, kind, frameSize, options.Batch.FramesPerSecond, reason);
    if (!writer) {
        Report(err, reason);
        return ExitFailure;
    }
    if (!writer->Note().empty())
        Report(err, writer->Note());

    OrderedReports reports(frames.size(), out, err);
    FrameQueue queue(*writer, FramesAheadPerThread * static_cast<std::size_t>(WorkerPool::Shared().Threads()));
    progress.Count("drawing frames of " + fileName, frames.size());
    ForEachScene(
        frames.size(), elementLines,
        [&](ScenePipeline& pipeline, std::size_t position) {
            queue.WaitForTurn(position);
            if (pipeline.Document() != document)
                pipeline.ShareXyz(document);
            std::ostringstream frameOut, frameErr;
            const int status = ExportFrame(options, cell, pipeline, frames[position], {}, frameOut, frameErr);
            const QImage& scene = pipeline.Picture(options.StickRadiusPosition);
            QImage frame = ScaledPicture(scene, frameSize.width(), frameSize.height());
            // The scene bitmap is drawn over by the next frame: the queue keeps a copy of its own.
            if (frame.constBits() == scene.constBits())
                frame = frame.copy();
            queue.Put(position, std::move(frame));
            reports.Done(position, frameOut.str(), frameErr.str(), status);
            progress.CountOne();
        },
        [&](std::size_t position, std::exception_ptr error) {
            queue.Put(position, QImage());
            reports.Done(position, {},
                         MessagePrefix + ("frame " + std::to_string(frames[position]) + ": " + FailureSentence(error))
                             + '\n',
                         ExitFailure);
            progress.CountOne();
        });
    progress.Step("writing " + fileName);
    if (!queue.Ok() || !writer->Finish()) {
        Report(err, writer->Reason().empty() ? queue.Failure() : writer->Reason());
        return ExitFailure;
    }
    return reports.Status();
}
