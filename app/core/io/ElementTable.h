#ifndef PELMORA_APP_CORE_ELEMENTTABLE_H
#define PELMORA_APP_CORE_ELEMENTTABLE_H

// The element table: one element per line after a header line, tab-separated (blanks separate
// fields as well): symbol, radius, colour as 0x00BBGGRR, a fourth field that must be present,
// anything after it ignored. The radius serves both as the ball radius and as the bond radius.

#include <cstddef>
#include <string>
#include <vector>

#include "MListAdr.h"
#include "SceneRecords.h"

// The table's file name, beside the executable.
inline constexpr const char* ElementTableFileName = "Atom.txt";

// The largest file read as an element table: hundreds of times a table of every element, so a
// file that is no table at all is refused before it is read.
inline constexpr std::size_t ElementTableLargestSize = std::size_t{1} << 20;

struct ElementTableResult {
    bool complete = true;  // false: no element lines, or reading stopped at one with fewer than four fields
    std::string message;   // for the user when not complete
    int line = -1;         // 0-based index of that line; -1 for a table without element lines
};

// Empties elements and appends one MAtom per line. A table of a header alone, or of nothing,
// is not complete: every symbol would be unknown. Stops at the first line with fewer than four
// fields (the entries before stay). A radius or colour that does not convert throws
// MConvertError; the entry of that line then stays with the fields set before the failing one.
ElementTableResult LoadAtom(const std::vector<std::string>& lines, MListAdr<MAtom*>& elements);

#endif
