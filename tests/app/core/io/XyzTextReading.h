#ifndef PELMORA_TESTS_APP_CORE_IO_XYZTEXTREADING_H
#define PELMORA_TESTS_APP_CORE_IO_XYZTEXTREADING_H

// XYZ text read in tests as the program reads a file: decoded as files are decoded, opened as a
// document and read at its first frame; or indexed by hand and its first frame read in a given
// number of runs.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"
#include "TextBuffer.h"
#include "TextLines.h"
#include "XyzDocument.h"
#include "XyzFrames.h"
#include "XyzReader.h"

// The text of a file of these bytes, decoded as the program decodes files.
inline std::string DecodedText(std::string_view bytes)
{
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return DecodeToUtf8(data, DetectTextEncoding(data));
}

// Opens the text as the program opens a file and reads its first frame into atoms. Throws what
// opening and reading throw; the atoms are then as the failure leaves them.
inline XyzReadResult ReadFirstFrame(std::string text, const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms)
{
    const XyzDocument document(std::move(text));
    return document.FormsFrames() ? document.ReadFrame(1, elements, atoms) : document.CountMismatch();
}

// ReadFirstFrame with the atom lines read in `runs` runs at once (0: as many as the lines and
// processors call for).
inline XyzReadResult ReadFirstFrameInRuns(const std::string& text, const MListAdr<MAtom*>& elements,
                                          MList<MPoint3DN<float>>& atoms, int runs)
{
    const TextLines lines(text);
    const XyzFrameIndex index = IndexXyzFrames(lines);
    if (!index.FormFrames())
        return XyzCountMismatch(index);
    return ReadXyzFrameInRuns(lines, index, 0, XyzDelimiterOfText(lines), elements, atoms, runs);
}

#endif
