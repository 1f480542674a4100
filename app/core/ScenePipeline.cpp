#include "ScenePipeline.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "MFunction.h"
#include "MLargeBuffer.h"
#include "MMessageText.h"
#include "SceneDrawing.h"
#include "SceneGeometry.h"

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
    PictureNoLongerPickable();
    RepeatNoLongerMatchesFile();
    elementLines_ = lines;
    return LoadAtom(lines, scene_.LAtom);
}

XyzReadResult ScenePipeline::OpenFile(const std::string& fileName) { return OpenText(LoadXyzTextFile(fileName)); }

XyzReadResult ScenePipeline::OpenText(std::string text)
{
    auto document = std::make_shared<const XyzDocument>(std::move(text));
    if (!document->FormsFrames())
        return document->CountMismatch();
    XyzReadResult opened;
    opened.note = CutFrameNote(document->Index());
    ShareXyz(std::move(document));
    return opened;
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
    fileAtoms_ = document_ ? std::make_unique<FileAtoms>(document_) : nullptr;
    RepeatNoLongerMatchesFile();
}

XyzReadResult ScenePipeline::ReadFrame(int frame)
{
    RepeatNoLongerMatchesFile();
    XyzReadResult read = document_->ReadFrame(frame, scene_.LAtom, scene_.LXyz, elementMap_);
    frame_ = frame;
    symbols_ = read.symbols;
    symbolAtomsNotListed_ = read.symbolAtomsNotListed;
    return read;
}

XyzReadResult ScenePipeline::StepToFrame(int frame)
{
    MList<MPoint3DN<float>> atoms;
    XyzReadResult read = document_->ReadFrame(frame, scene_.LAtom, atoms, elementMap_);
    if (read.outcome != XyzReadOutcome::Read)
        return read;
    RepeatNoLongerMatchesFile();
    scene_.LXyz.Clear();
    for (int i = 0; i < atoms.FCount; ++i)
        scene_.LXyz.Add(atoms.Data[i]);
    frame_ = frame;
    symbols_ = read.symbols;
    symbolAtomsNotListed_ = read.symbolAtomsNotListed;
    return read;
}

std::string ScenePipeline::SetElementMap(ElementMap map)
{
    if (const std::optional<std::string> missing = ElementMissingFrom(map, scene_.LAtom))
        return "No element \"" + MessageExcerpt(*missing) + "\" in the element table";
    elementMap_ = std::move(map);
    return {};
}

XyzReadResult ScenePipeline::RereadFrame()
{
    if (!document_ || frame_ < 1)
        return {};
    return ReadFrame(frame_);
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
    PictureNoLongerPickable();
    RepeatNoLongerMatchesFile();
    scene_.RebuildTranslation(cell);
    repeatMatchesFile_ = true;
    repeatedFrame_ = frame_;
    pictureStale_ = true;
    return ChangeSticks(sticks, angles);
}

StickFactors ScenePipeline::ChangeSticks(const StickControls& sticks, const ViewAngles& angles)
{
    Report("sticks");
    // Marked first: the sticks are gone even when making the new ones fails.
    ChangeView(angles);
    PictureNoLongerPickable();
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
    PictureNoLongerPickable();
    if (firstWrite)
        PrepareForFirstWrite(bitmap_);
    DrawScene(scene_, bitmap_, stickRadiusPosition, svg);
    pickable_ = true;
    bitmapWritten_ = true;
    pictureStale_ = false;
    drawnStickRadius_ = stickRadiusPosition;
    ++drawCount_;
}

void ScenePipeline::PictureNoLongerPickable()
{
    pickable_ = false;
    owners_.reset();
}

void ScenePipeline::RepeatNoLongerMatchesFile()
{
    repeatMatchesFile_ = false;
    if (fileAtoms_)
        fileAtoms_->Forget();
}

std::optional<PickedAtom> ScenePipeline::AtomAt(int bitmapX, int bitmapY)
{
    if (!pickable_)
        return std::nullopt;
    if (!owners_)
        owners_ = std::make_unique<PixelOwners>(scene_, bitmap_.width(), bitmap_.height(), drawnStickRadius_);
    const std::optional<int> ball = owners_->BallAt(bitmapX, bitmapY);
    if (!ball)
        return std::nullopt;
    return PickedAtomOf(*ball);
}

PickedAtom ScenePipeline::PickedAtomOf(int sceneAtom)
{
    PickedAtom picked;
    picked.SceneAtom = sceneAtom;
    const MPoint3DN<float>& shown = scene_.LXyzView.Data[sceneAtom];
    if (shown.N >= 0 && shown.N < scene_.LAtom.FCount)
        picked.Element = scene_.LAtom.Data[shown.N]->Name;
    picked.Symbol = picked.Element;
    const std::vector<std::int32_t>& origin = scene_.TransOrigin;
    const int cellAtoms = scene_.RepeatedAtoms;
    if (!repeatMatchesFile_ || cellAtoms <= 0 || static_cast<std::size_t>(sceneAtom) >= origin.size())
        return picked;
    const std::int32_t place = origin[static_cast<std::size_t>(sceneAtom)];
    const int atom = place % cellAtoms;
    const int copy = place / cellAtoms;
    const TranslationCell& cell = scene_.RepeatedCell;
    const int ny = std::max(cell.Ny, 1);
    picked.CopyI = copy / ny;
    picked.CopyJ = copy % ny;
    if (atom >= scene_.LXyz.FCount)
        return picked;
    const MPoint3DN<float>& read = scene_.LXyz.Data[atom];
    picked.X = read.x;
    picked.Y = read.y;
    picked.Z = read.z;
    picked.RepeatedX = picked.X + picked.CopyI * cell.Ax + picked.CopyJ * cell.Dx;
    picked.RepeatedY = picked.Y + picked.CopyJ * cell.Ay + picked.CopyI * cell.Dy;
    picked.RepeatedZ = picked.Z;
    if (fileAtoms_)
        if (const std::optional<FileAtom> inFile = fileAtoms_->Of(repeatedFrame_, scene_.LAtom, elementMap_, scene_.LXyz, atom)) {
            picked.FileAtom = inFile->Number;
            picked.FileLine = inFile->Line;
            if (!inFile->Symbol.empty())
                picked.Symbol = inFile->Symbol;
        }
    return picked;
}

std::optional<ScenePipeline::BallOnPicture> ScenePipeline::BallOf(std::int64_t sceneAtom) const
{
    if (!pickable_ || sceneAtom < 0 || sceneAtom >= scene_.LXyzView.FCount)
        return std::nullopt;
    const SceneGeometry geometry(scene_, bitmap_.width(), bitmap_.height(), drawnStickRadius_);
    const std::optional<BallShape> ball = geometry.Ball(static_cast<int>(sceneAtom));
    if (!ball)
        return std::nullopt;
    const double left = static_cast<double>(std::min(ball->left, ball->right));
    const double right = static_cast<double>(std::max(ball->left, ball->right));
    const double top = static_cast<double>(std::min(ball->top, ball->bottom));
    const double bottom = static_cast<double>(std::max(ball->top, ball->bottom));
    return BallOnPicture{(left + right) / 2, (top + bottom) / 2, (right - left) / 2};
}
