#ifndef PELMORA_APP_CORE_SCENEPIPELINE_H
#define PELMORA_APP_CORE_SCENEPIPELINE_H

// The steps behind the window's controls, from plain control values: reading the element table
// and an XYZ file, the stick handler, the periodic rebuild, the rotation, and the drawing of the
// scene bitmap with or without its SVG document. The window reads its controls and calls these
// steps in the order its handlers run them; the export command calls the same steps in the same
// order, so the same file and values give the same picture and the same SVG bytes.
//
// Drawing is deferred: a step that changes what is shown only marks the picture stale, and
// Picture() paints it once, when it is asked for. Every picture the window shows or the export
// writes is painted from the lists as they stand, so it equals the picture of a redraw after each
// step, and the redraws nobody sees cost nothing.

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ElementMap.h"
#include "ElementTable.h"
#include "FileAtoms.h"
#include "PeriodicTranslation.h"
#include "PickedAtom.h"
#include "PixelOwners.h"
#include "Projection.h"
#include "Scene.h"
#include "SvgWriter.h"
#include "TextBuffer.h"
#include "ViewTurn.h"
#include "XyzDocument.h"
#include "XyzReader.h"
#include "XyzTextFile.h"

// The two factors of the Atoms panel, as the stick handler writes them into its labels, and why
// no sticks were made although they were asked for (empty when they were, or were not asked for).
struct StickFactors {
    float KAtomRadius = 0;
    float KMinStickLength = 0;
    std::string SticksRefused;
};

class ScenePipeline {
public:
    ScenePipeline();
    ScenePipeline(const ScenePipeline&) = delete;
    ScenePipeline& operator=(const ScenePipeline&) = delete;

    // ---- The element table ----------------------------------------------------------------------

    // Reads the element table file as the program reads it at start (a file of more than
    // ElementTableLargestSize bytes is refused unread) and keeps its lines for the pipelines of
    // other threads (ElementLines). Throws TextFileError for a file that cannot be read and
    // MConvertError for a radius or colour that does not convert.
    ElementTableResult LoadElementTableFile(const std::string& fileName);
    // The same from the table's lines (the header first).
    ElementTableResult LoadElementTable(const std::vector<std::string>& lines);
    // The lines of the table last loaded.
    const std::vector<std::string>& ElementLines() const { return elementLines_; }

    // ---- The open file and its frames -----------------------------------------------------------

    // Opens an XYZ file as the window and the command line open one: reads its text (its first
    // line before the rest, XyzTextFile.h) and indexes its frames; a frame is read when it is
    // shown (ReadFrame, frame 1 for an opening; the rebuild follows). On a count mismatch the
    // file open before stays open. The result's note tells of a last frame cut short, which is
    // left out (CutFrameNote). Throws TextFileError for a file that cannot be read,
    // MConvertError for a first count that does not convert and XyzIndexError for a file
    // without lines; the file open before then stays open too.
    XyzReadResult OpenFile(const std::string& fileName);
    // The same from a file's text (UTF-8, as the text buffer decodes files).
    XyzReadResult OpenText(std::string text);
    // OpenText, then ReadFrame(1): the text opened at its first frame. After an exception while
    // reading the frame the file open before stays open (LXyz as the reader leaves it).
    XyzReadResult OpenXyz(std::string text);
    // Makes a document that other pipelines read as well the open file (they only read it).
    void ShareXyz(std::shared_ptr<const XyzDocument> document);
    // Reads frame (1-based) of the open file into LXyz as opening the file at that frame would:
    // after a bad atom line the atoms before it stay and the rebuild follows.
    XyzReadResult ReadFrame(int frame);
    // Shows another frame of the open file: LXyz takes the frame only when all of it was read.
    // After any other result, or an exception, everything stays as it was, the picture too.
    XyzReadResult StepToFrame(int frame);
    // The open file's frames (0 without one) and the frame last read into LXyz.
    int FrameCount() const { return document_ ? document_->FrameCount() : 0; }
    int Frame() const { return frame_; }
    const std::shared_ptr<const XyzDocument>& Document() const { return document_; }

    // ---- The elements of the symbols ------------------------------------------------------------

    // The elements chosen for symbols (ElementMap.h), taken before the lookup's rules by every
    // frame read after this one; they stay when another file is opened. Refused, with nothing
    // changed, when the map names an element the table lacks: returns the message then, else "".
    std::string SetElementMap(ElementMap map);
    const ElementMap& ElementChoices() const { return elementMap_; }
    // Reads the frame shown once more, with the elements as chosen now: ReadFrame(Frame()); the
    // Rebuild follows. A result with nothing read when no frame has been read.
    XyzReadResult RereadFrame();
    // The distinct symbols of the frame last read into LXyz, each with its element, rule and
    // atoms (XyzReadResult::symbols), and the atoms of symbols beyond the rows' bound.
    const std::vector<SymbolElement>& Symbols() const { return symbols_; }
    std::int64_t SymbolAtomsNotListed() const { return symbolAtomsNotListed_; }

    // ---- The rebuild ----------------------------------------------------------------------------

    // The rebuild after a file or frame was read, from the control values: the ball-size factor
    // (the scale depends on it), then Retranslate.
    StickFactors Rebuild(const StickControls& sticks, const TranslationCell& cell, const ViewAngles& angles);

    // The periodic rebuild (the Translate button): the groups of the atoms as read, the Nx x Ny
    // repeat, near-duplicate removal, centring and scale, then the sticks and the rotation.
    StickFactors Retranslate(const TranslationCell& cell, const StickControls& sticks, const ViewAngles& angles);

    // The stick handler: the ball-size factor, the sticks over the repeated atoms, the rotation.
    // Sticks that would pass the stick bound (StickBuilder.h) are not made: the atoms are drawn
    // alone and SticksRefused says why.
    StickFactors ChangeSticks(const StickControls& sticks, const ViewAngles& angles);

    // The angle handler: the rotation of the repeated atoms and their sticks. Like the drawing,
    // the rotation waits until a picture is asked for (LXyzView and LStickView are up to date
    // after Picture and DrawWithSvg), so a run that only reads the model never rotates.
    void ChangeView(const ViewAngles& angles);

    // Why atoms of the scene are not drawn, or an empty text when all are: the repeat left out
    // copies it would have placed beyond the largest coordinate (a step of the cell far too
    // large), or the atoms lie so far apart that the scale comes out as zero.
    std::string DrawingProblem() const;

    // ---- Drawing --------------------------------------------------------------------------------

    // The scene bitmap with everything drawn; painted here when a step changed the scene or the
    // stick radius differs from the last painting.
    const QImage& Picture(int stickRadiusPosition);

    // One drawing pass that also writes the SVG document into svg (cleared first); the bitmap is
    // repainted with it.
    void DrawWithSvg(int stickRadiusPosition, TextBuffer& svg);

    // The bitmap the viewer frame shows (white until the first painting); its address never changes.
    const QImage& Bitmap() const;

    // Called with the name of each long step as it starts ("repeating", "sticks", "rotating",
    // "drawing"), on the calling thread, so that a caller can show that work goes on.
    void SetProgress(std::function<void(const char* step)> progress);

    // The model, for read-outs and tests.
    const Scene& Model() const { return scene_; }

    // How many times the bitmap has been painted, for tests and benchmarks.
    std::int64_t DrawCount() const { return drawCount_; }

    // ---- Atoms on the picture -------------------------------------------------------------------

    // The atom whose ball painted pixel (x, y) of the picture last painted (Picture/DrawWithSvg),
    // exactly as painted (a ball hidden by a nearer ball or by a stick at that pixel is not it);
    // nothing for the background, a stick, a pixel outside the bitmap, or before any picture.
    // Nothing either once a step changed the scene (another frame, a rebuild, new sticks, another
    // table) until the next painting; a view change alone keeps the answers of the last picture.
    // The first question after a painting files the painted objects by tiles of the bitmap.
    std::optional<PickedAtom> AtomAt(int bitmapX, int bitmapY);

    // Where a scene atom's ball lies on the picture last painted, in bitmap pixels where pixel
    // (i, j) spans [i, i + 1) x [j, j + 1): the centre and the horizontal radius of the ellipse's
    // box. Nothing for an atom not in the scene, one not drawn, or when AtomAt answers nothing.
    struct BallOnPicture {
        double X = 0, Y = 0, Radius = 0;
    };
    std::optional<BallOnPicture> BallOf(std::int64_t sceneAtom) const;

private:
    void Draw(int stickRadiusPosition, SvgLines* svg);
    // The scene no longer matches the picture last painted (until the next painting).
    void PictureNoLongerPickable();
    // LXyz or the element table no longer match the atoms the last repeat was made from.
    void RepeatNoLongerMatchesFile();
    PickedAtom PickedAtomOf(int sceneAtom);
    void RotateIfStale();
    void Report(const char* step) const;

    Scene scene_;
    std::vector<std::string> elementLines_;
    std::shared_ptr<const XyzDocument> document_;
    int frame_ = 0;
    ElementMap elementMap_;
    std::vector<SymbolElement> symbols_;
    std::int64_t symbolAtomsNotListed_ = 0;
    mutable QImage bitmap_;
    mutable bool bitmapWritten_ = false;
    ViewAngles viewAngles_;
    bool viewStale_ = false;
    std::function<void(const char* step)> progress_;
    bool pictureStale_ = true;
    int drawnStickRadius_ = -1;
    std::int64_t drawCount_ = 0;

    bool pickable_ = false;           // the scene is the one last painted
    bool repeatMatchesFile_ = false;  // LXyzTrans was repeated from LXyz of frame repeatedFrame_
    int repeatedFrame_ = 0;
    std::unique_ptr<PixelOwners> owners_;  // of the picture last painted, filed at the first question
    std::unique_ptr<FileAtoms> fileAtoms_;  // where the open file's atoms stand in its text
};

#endif
