#include "ForEachFrame.h"

#include "ForEachScene.h"
#include "ScenePipeline.h"
#include "XyzDocument.h"

void ForEachFrame(const std::shared_ptr<const XyzDocument>& document, const std::vector<std::string>& elementLines,
                  const std::function<void(ScenePipeline& pipeline, int frame)>& work,
                  const std::function<void(int frame, std::exception_ptr error)>& failed)
{
    const auto frames = static_cast<std::size_t>(document->FrameCount());
    const auto frameOf = [](std::size_t item) { return static_cast<int>(item) + 1; };
    ForEachScene(
        frames, elementLines,
        [&](ScenePipeline& pipeline, std::size_t item) {
            if (pipeline.Document() != document)
                pipeline.ShareXyz(document);
            work(pipeline, frameOf(item));
        },
        [&](std::size_t item, std::exception_ptr error) { failed(frameOf(item), std::move(error)); });
}
