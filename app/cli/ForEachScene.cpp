#include "ForEachScene.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "ScenePipeline.h"
#include "WorkerPool.h"

void ForEachScene(std::size_t items, const std::vector<std::string>& elementLines,
                  const std::function<void(ScenePipeline& pipeline, std::size_t item)>& work,
                  const std::function<void(std::size_t item, std::exception_ptr error)>& failed)
{
    if (items == 0)
        return;
    WorkerPool& pool = WorkerPool::Shared();
    std::atomic<std::size_t> nextItem{0};
    const auto threads = static_cast<std::int64_t>(std::min<std::size_t>(static_cast<std::size_t>(pool.Threads()), items));
    pool.Run(threads, [&](std::int64_t) {
        std::unique_ptr<ScenePipeline> pipeline;
        for (std::size_t item = nextItem++; item < items; item = nextItem++) {
            try {
                if (!pipeline) {
                    pipeline = std::make_unique<ScenePipeline>();
                    (void)pipeline->LoadElementTable(elementLines);
                }
                work(*pipeline, item);
            } catch (...) {
                pipeline.reset();
                failed(item, std::current_exception());
            }
        }
    });
}
