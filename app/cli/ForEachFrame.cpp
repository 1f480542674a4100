#include "ForEachFrame.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "ScenePipeline.h"
#include "WorkerPool.h"

void ForEachFrame(const std::shared_ptr<const XyzDocument>& document, const std::vector<std::string>& elementLines,
                  const std::function<void(ScenePipeline& pipeline, int frame)>& work,
                  const std::function<void(int frame, std::exception_ptr error)>& failed)
{
    const int frames = document->FrameCount();
    WorkerPool& pool = WorkerPool::Shared();
    std::atomic<int> nextFrame{1};
    pool.Run(std::min(pool.Threads(), frames), [&](std::int64_t) {
        std::unique_ptr<ScenePipeline> pipeline;
        for (int frame = nextFrame++; frame <= frames; frame = nextFrame++) {
            try {
                if (!pipeline) {
                    pipeline = std::make_unique<ScenePipeline>();
                    (void)pipeline->LoadElementTable(elementLines);
                    pipeline->ShareXyz(document);
                }
                work(*pipeline, frame);
            } catch (...) {
                pipeline.reset();
                failed(frame, std::current_exception());
            }
        }
    });
}
