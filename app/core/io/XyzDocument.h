#ifndef PELMORA_APP_CORE_XYZDOCUMENT_H
#define PELMORA_APP_CORE_XYZDOCUMENT_H

// An XYZ file as it is opened: its whole text, where its frames are, the delimiter of its atom
// lines and the cell its first frame declares. Opening indexes the frames only; a frame's atom
// lines are read when the frame is. A document never changes once made, so the frames of one
// document may be read on several threads at once.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ExtendedXyzComment.h"
#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"
#include "TextLines.h"
#include "XyzFrames.h"
#include "XyzReader.h"

class XyzDocument {
public:
    // Takes the text (UTF-8, as the text buffer decodes files) and indexes its frames. Throws
    // XyzIndexError for a text without lines and MConvertError for a first count line that does
    // not convert.
    explicit XyzDocument(std::string text);
    XyzDocument(const XyzDocument&) = delete;
    XyzDocument& operator=(const XyzDocument&) = delete;

    // Whether the lines form frames; when they do not, no frame can be read.
    bool FormsFrames() const { return index_.FormFrames(); }
    // The count mismatch of lines that do not form frames, with its error posts made.
    XyzReadResult CountMismatch() const { return XyzCountMismatch(index_); }
    // How many frames; more than one for a trajectory, none when the lines do not form frames.
    int FrameCount() const { return static_cast<int>(index_.Frames.size()); }
    // Where the frames are, the lines they are read from and the delimiter of their atom lines.
    const XyzFrameIndex& Index() const { return index_; }
    const TextLines& Lines() const { return lines_; }
    char Delimiter() const { return delimiter_; }
    // The cell of the first frame's comment, when it lies in the x-y plane.
    const std::optional<XyzPlaneLattice>& Lattice() const { return lattice_; }
    // What the user should know of the opening: a last frame cut short (CutFrameNote). (A cell
    // a frame's comment declares that is not taken is told when the frame is read.)
    const std::vector<std::string>& Notes() const { return notes_; }

    // Reads frame (1-based, 1..FrameCount) into atoms as ReadXyz reads a file's first frame, the
    // elements chosen for symbols before the lookup's rules; the result has the frame's own cell.
    XyzReadResult ReadFrame(int frame, const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms,
                            const ElementMap& chosen = {}) const;

private:
    std::string text_;
    TextLines lines_;
    XyzFrameIndex index_;
    char delimiter_ = ' ';
    std::optional<XyzPlaneLattice> lattice_;
    std::vector<std::string> notes_;
};

#endif
