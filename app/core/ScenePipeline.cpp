#include "ScenePipeline.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "MFunction.h"
#include "MLargeBuffer.h"
#include "SceneDrawing.h"

namespace {

// The scene bitmap on huge pages of its own (MLargeBuffer.h), its pixels not yet written: a run
// that never draws (--info) never touches its 36 MB, and the first write puts all its pages in
// place at once. A null picture when the system has not the memory.
QImage MakeBitmapOnLargePages()
{
    constexpr int BytesPerLine = SceneBitmapSize * 4;
    auto pages = std::make_unique<MLargeBuffer>(static_cast<std::size_t>(BytesPerLine) * SceneBitmapSize);
    if (pages->Data() == nullptr)
        return {};
    const QImage bitmap(
        pages->Data(), SceneBitmapSize, SceneBitmapSize, BytesPerLine, QImage::Format_RGB32,
        [](void* info) { delete static_cast<MLargeBuffer*>(info); }, pages.get());
    if (!bitmap.isNull())
        (void)pages.release();
    return bitmap;
}

void PrepareForFirstWrite(QImage& bitmap)
{
    MLargeBuffer::PrepareForWriting(bitmap.bits(), static_cast<std::size_t>(bitmap.sizeInBytes()));
}

}  // namespace

// The bitmap is made without its pixels being written. It is cleared when it is first shown or
// painted.
ScenePipeline::ScenePipeline() : bitmap_(MakeBitmapOnLargePages()) {}

ElementTableResult ScenePipeline::LoadElementTableFile(const std::string& fileName)
{
    TextBuffer table;
    table.LoadFromFile(fileName, ElementTableLargestSize);
    return LoadElementTable(table.Lines());
}

ElementTableResult ScenePipeline::LoadElementTable(const std::vector<std::string>& lines)
{
    RotateIfStale();  // the stick ends depend on the radii
    pictureStale_ = true;
    elementLines_ = lines;
    return LoadAtom(lines, scene_.LAtom);
}

XyzReadResult ScenePipeline::OpenFile(const std::string& fileName) { return OpenText(LoadXyzTextFile(fileName)); }

XyzReadResult ScenePipeline::OpenText(std::string text)
{
    auto document = std::make_shared<const XyzDocument>(std::move(text));
    if (!document->FormsFrames())
        return document->CountMismatch();
    ShareXyz(std::move(document));
    return {};
}

XyzReadResult ScenePipeline::OpenXyz(std::string text)
{
    std::shared_ptr<const XyzDocument> before = document_;
    const int frameBefore = frame_;
    XyzReadResult opened = OpenText(std::move(text));
    if (!opened.Rebuild())
        return opened;
    try {
        return ReadFrame(1);
    } catch (...) {
        document_ = std::move(before);
        frame_ = frameBefore;
        throw;
    }
}

void ScenePipeline::ShareXyz(std::shared_ptr<const XyzDocument> document)
{
    document_ = std::move(document);
    frame_ = 0;
}

XyzReadResult ScenePipeline::ReadFrame(int frame)
{
    XyzReadResult read = document_->ReadFrame(frame, scene_.LAtom, scene_.LXyz);
    frame_ = frame;
    return read;
}

XyzReadResult ScenePipeline::StepToFrame(int frame)
{
    MList<MPoint3DN<float>> atoms;
    XyzReadResult read = document_->ReadFrame(frame, scene_.LAtom, atoms);
    if (read.outcome != XyzReadOutcome::Read)
        return read;
    scene_.LXyz.Clear();
    for (int i = 0; i < atoms.FCount; ++i)
        scene_.LXyz.Add(atoms.Data[i]);
    frame_ = frame;
    return read;
}

StickFactors ScenePipeline::Rebuild(const StickControls& sticks, const TranslationCell& cell, const ViewAngles& angles)
{
    // The stick handler comes first for KRPoint, which the scale depends on. Its sticks would
    // join the atoms of the repeat before this one and are made anew below: none are made here.
    StickControls ballsOnly = sticks;
    ballsOnly.DrawSticks = false;
    ChangeSticks(ballsOnly, angles);
    return Retranslate(cell, sticks, angles);
}

StickFactors ScenePipeline::Retranslate(const TranslationCell& cell, const StickControls& sticks,
                                        const ViewAngles& angles)
{
    Report("repeating");
    scene_.RebuildTranslation(cell);
    pictureStale_ = true;
    return ChangeSticks(sticks, angles);
}

StickFactors ScenePipeline::ChangeSticks(const StickControls& sticks, const ViewAngles& angles)
{
    Report("sticks");
    // Marked first: the sticks are gone even when making the new ones fails.
    ChangeView(angles);
    const float kMin = scene_.UpdateSticks(sticks);
    return {scene_.KRPoint, kMin, scene_.StickSearch.Refusal()};
}

void ScenePipeline::ChangeView(const ViewAngles& angles)
{
    viewAngles_ = angles;
    viewStale_ = true;
    pictureStale_ = true;
}

void ScenePipeline::RotateIfStale()
{
    if (!viewStale_)
        return;
    Report("rotating");
    scene_.Rotate(viewAngles_);
    viewStale_ = false;
}

void ScenePipeline::SetProgress(std::function<void(const char* step)> progress) { progress_ = std::move(progress); }

void ScenePipeline::Report(const char* step) const
{
    if (progress_)
        progress_(step);
}

const QImage& ScenePipeline::Bitmap() const
{
    if (!bitmapWritten_) {
        PrepareForFirstWrite(bitmap_);
        bitmap_.fill(Qt::white);
        bitmapWritten_ = true;
    }
    return bitmap_;
}

std::string ScenePipeline::DrawingProblem() const
{
    if (scene_.CopiesLeftOut > 0)
        return "The repeat would place " + GroupedDigits(scene_.CopiesLeftOut)
            + " atoms beyond the largest coordinate (3.4E38): they are left out";
    if (scene_.LXyzTrans.FCount > 0 && !(scene_.ScaleXyz > 0 && std::isfinite(scene_.ScaleXyz)))
        return "Nothing is drawn: the atoms lie too far apart to fit the picture";
    return {};
}

const QImage& ScenePipeline::Picture(int stickRadiusPosition)
{
    if (pictureStale_ || stickRadiusPosition != drawnStickRadius_)
        Draw(stickRadiusPosition, nullptr);
    return bitmap_;
}

void ScenePipeline::DrawWithSvg(int stickRadiusPosition, TextBuffer& svg)
{
    SvgLines lines;
    Draw(stickRadiusPosition, &lines);
    svg.SetLines(std::move(lines));
}

void ScenePipeline::Draw(int stickRadiusPosition, SvgLines* svg)
{
    RotateIfStale();
    Report("drawing");
    // The pipeline paints only pixels it owns alone. A copy of the bitmap still held elsewhere
    // (by a picture writer that failed halfway) keeps its pixels, and the new picture gets
    // pixels of its own rather than a copy of the old ones.
    const bool firstWrite = !bitmapWritten_ || !bitmap_.isDetached();
    if (!bitmap_.isDetached())
        bitmap_ = MakeBitmapOnLargePages();
    if (bitmap_.isNull())
        throw std::bad_alloc();
    if (firstWrite)
        PrepareForFirstWrite(bitmap_);
    DrawScene(scene_, bitmap_, stickRadiusPosition, svg);
    bitmapWritten_ = true;
    pictureStale_ = false;
    drawnStickRadius_ = stickRadiusPosition;
    ++drawCount_;
}
