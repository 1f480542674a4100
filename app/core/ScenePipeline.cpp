#include "ScenePipeline.h"

#include "SceneDrawing.h"

ScenePipeline::ScenePipeline() : bitmap_(MakeSceneBitmap()) {}

ElementTableResult ScenePipeline::LoadElementTable(const std::vector<std::string>& lines)
{
    pictureStale_ = true;
    return LoadAtom(lines, scene_.LAtom);
}

XyzReadResult ScenePipeline::ReadXyz(const std::vector<std::string>& lines)
{
    return ::ReadXyz(lines, scene_.LAtom, scene_.LXyz);
}

StickFactors ScenePipeline::ChangeSticks(const StickControls& sticks, const ViewAngles& angles)
{
    const float kMin = scene_.UpdateSticks(sticks);
    ChangeView(angles);
    return {scene_.KRPoint, kMin};
}

void ScenePipeline::ChangeView(const ViewAngles& angles)
{
    scene_.Rotate(angles);
    pictureStale_ = true;
}

void ScenePipeline::BuildGroups() { scene_.BuildGroups(); }

void ScenePipeline::Translate(const TranslationCell& cell)
{
    scene_.RepeatCenterAndScale(cell);
    pictureStale_ = true;
}

const QImage& ScenePipeline::Picture(int stickRadiusPosition)
{
    if (pictureStale_ || stickRadiusPosition != drawnStickRadius_)
        Draw(stickRadiusPosition, nullptr);
    return bitmap_;
}

void ScenePipeline::DrawWithSvg(int stickRadiusPosition, TextBuffer& svg) { Draw(stickRadiusPosition, &svg); }

void ScenePipeline::Draw(int stickRadiusPosition, TextBuffer* svg)
{
    DrawScene(scene_, bitmap_, stickRadiusPosition, svg);
    pictureStale_ = false;
    drawnStickRadius_ = stickRadiusPosition;
    ++drawCount_;
}
