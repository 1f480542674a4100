#include "ForEachFrame.h"

#include <algorithm>
#include <atomic>

#include "ScenePipeline.h"
#include "WorkerPool.h"

void ForEachFrame(const std::shared_ptr<const XyzDocument>& document, const std::vector<std::string>& elementLines,
                  const std::function<void(ScenePipeline& pipeline, int frame)>& work)
{
    const int frames = document->FrameCount();
    WorkerPool& pool = WorkerPool::Shared();
    std::atomic<int> nextFrame{1};
    pool.Run(std::min(pool.Threads(), frames), [&](std::int64_t) {
        ScenePipeline pipeline;
        (void)pipeline.LoadElementTable(elementLines);
        pipeline.ShareXyz(document);
        for (int frame = nextFrame++; frame <= frames; frame = nextFrame++)
            work(pipeline, frame);
    });
}
