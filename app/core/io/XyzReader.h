#ifndef PELMORA_APP_CORE_XYZREADER_H
#define PELMORA_APP_CORE_XYZREADER_H

// Reading a frame of an XYZ file's text into the atom list. Line 0 holds the atom count N, line 1
// a comment, lines 2 to N+1 one atom each (XyzAtomLine.h says how a line is read). After the
// first frame may come a blank tail or further frames (XyzFrames.h, which indexes them); a file
// opens at its first frame, and each frame reads alone (XyzDocument.h holds a file as it is
// opened).
//
// The field delimiter is the third character of line 3 (the second atom line; characters, not
// bytes, so "Ål;0.757;..." gives ';'), which catches a tab after a two-letter symbol as well as
// blanks, commas and semicolons. A character that can
// belong to a label or a number (letter, digit, '_', '+', '-', '.'; "Si_1 0 0 0") is no
// delimiter: a blank is used instead, as it is when line 3 is missing or shorter than three
// characters. One delimiter
// serves every frame of the file.
//
// A large frame is read on every processor: its lines are split at line ends into runs read at
// once, and the runs are joined in file order, so the atoms, the message and the line number
// are those of a reading from the top.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "ElementMap.h"
#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"
#include "SymbolElements.h"

#include "ExtendedXyzComment.h"
#include "XyzFrames.h"

class TextLines;

// The element-table entry that symbols the lookup cannot place fall back to.
inline constexpr const char* FallbackElementName = "-";

enum class XyzReadOutcome {
    Read,            // every atom line read
    CountMismatch,   // the lines do not form frames; nothing changed
    BadAtomLine,     // an atom line that cannot be read; the atoms before it were read
    UnknownElement,  // a symbol the table does not know, and the table has no "-" entry
};

struct XyzReadResult {
    XyzReadOutcome outcome = XyzReadOutcome::Read;
    std::string message;  // for the user, empty when everything was read
    int line = -1;        // 0-based index of the offending line
    // For the user whatever the outcome: the declarations of the frame's comment that were not
    // followed (IgnoredDeclarationNote), one a line; empty when there is none.
    std::string note;
    // The cell the frame's comment declares, when it is one the repeat can use
    // (PlaneLatticeDeclaredBy); a cell it cannot use is told in note.
    std::optional<XyzPlaneLattice> lattice;
    // The distinct symbols of the atoms read, in the order they first appear, with the element
    // each was given, its rule and its atoms.
    std::vector<SymbolElement> symbols;
    std::int64_t symbolAtomsNotListed = 0;  // atoms of symbols beyond SymbolTally::MostRows

    // Whether the atoms were read (all, or those before a bad line) and the scene is rebuilt.
    bool Rebuild() const { return outcome != XyzReadOutcome::CountMismatch; }
};

// The delimiter of a text's atom lines, for every frame: decided by its line 3 (see above), a
// space for a text without one.
char XyzDelimiterOfText(const TextLines& text);

// The result of lines that do not form frames, with the error posts of a count mismatch made.
XyzReadResult XyzCountMismatch(const XyzFrameIndex& index);

// Reads frame `frame` (0-based) of an indexed text into atoms, sorted by ascending z, each with
// the index of its element (ElementLookup.h; unknown symbols take the entry named "-"); the
// delimiter is that of the file's line 3, for every frame. Throws std::out_of_range for a frame
// the index does not have and MConvertError for a coordinate that does not convert; the atoms
// list then holds the atoms before the bad line, unsorted. (An empty file and a first count that
// does not convert are refused by the indexer.) The elements chosen for symbols come before the
// lookup's rules.
XyzReadResult ReadXyzFrame(const TextLines& text, const XyzFrameIndex& index, std::size_t frame, char delimiter,
                           const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms,
                           const ElementMap& chosen = {});

// ReadXyzFrame with the atom lines split into `runs` runs read at once, however many lines and
// processors there are: any split reads the same.
XyzReadResult ReadXyzFrameInRuns(const TextLines& text, const XyzFrameIndex& index, std::size_t frame, char delimiter,
                                 const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms, int runs,
                                 const ElementMap& chosen = {});

#endif
