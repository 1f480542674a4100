#ifndef PELMORA_APP_CORE_FILEATOMS_H
#define PELMORA_APP_CORE_FILEATOMS_H

// Where the atoms of a frame stand in their file. The reader hands the frame's atoms over sorted
// by depth; this reads the frame's atom lines once more in file order, with the reader's own line
// reading, and pairs them with the atoms as the reader left them, so an atom of the scene can
// name its line and its symbol as written.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"
#include "ElementMap.h"
#include "XyzDocument.h"

struct FileAtom {
    std::int64_t Number = 0;  // 1-based within its frame
    std::int64_t Line = 0;    // 1-based in the file
    std::string Symbol;       // trimmed, as written
};

class FileAtoms {
public:
    // Reads the lines of the document's text, which it shares.
    explicit FileAtoms(std::shared_ptr<const XyzDocument> document);
    FileAtoms(const FileAtoms&) = delete;
    FileAtoms& operator=(const FileAtoms&) = delete;

    // Where atom `index` of atoms (the list the reader filled from frame `frame`, 1-based, with
    // these elements and these chosen for symbols) stands in the file; nothing when the frame or
    // the atom is not in the file.
    // The first question about a frame reads its lines (linear in the frame's size); the
    // pairing is kept until Forget or a question about another list.
    std::optional<FileAtom> Of(int frame, const MListAdr<MAtom*>& elements, const ElementMap& chosen,
                               const MList<MPoint3DN<float>>& atoms, int index);

    // Drops the pairing: the atoms list changed.
    void Forget() { pairedFrame_ = 0; }

private:
    void Pair(int frame, const MListAdr<MAtom*>& elements, const ElementMap& chosen,
              const MList<MPoint3DN<float>>& atoms);

    std::shared_ptr<const XyzDocument> document_;
    const TextLines& lines_;
    const XyzFrameIndex& index_;
    int pairedFrame_ = 0;                  // 0: nothing paired
    std::vector<std::int32_t> fileIndex_;  // by index in the atoms list: the atom's place in the frame (-1: none)
    std::vector<std::size_t> lineStart_;   // by place in the frame: where its line starts in the text
    std::int64_t firstAtomLine_ = 0;       // 1-based line of the frame's first atom
    std::string comment_;                  // the paired frame's comment line
};

#endif
