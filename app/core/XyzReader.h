#ifndef PELMORA_APP_CORE_XYZREADER_H
#define PELMORA_APP_CORE_XYZREADER_H

// Reading the lines of an XYZ file into the atom list. Line 0 holds the atom count N, line 1 a
// comment that is never looked at, lines 2 to N+1 one atom each: symbol, x, y, z.
//
// The field delimiter is the third character of line 3 (the second atom line; characters, not
// bytes, so "Ål;0.757;..." gives ';'), which catches a tab after a two-letter symbol as well as
// blanks, commas and semicolons. A character that can
// belong to a symbol or a number (letter, digit, '+', '-', '.') is no delimiter: a blank is used
// instead, as it is when line 3 is missing or shorter than three characters.

#include <stdexcept>
#include <string>
#include <vector>

#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"

// A line the reader needs does not exist (an empty file has no count line).
class XyzIndexError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

enum class XyzReadOutcome {
    Read,            // every atom line read
    CountMismatch,   // the line count is not N + 2; nothing changed
    BadAtomLine,     // an atom line without exactly four fields; the atoms before it were read
    UnknownElement,  // a symbol the table does not know, and the table has no "-" entry
};

struct XyzReadResult {
    XyzReadOutcome outcome = XyzReadOutcome::Read;
    std::string message;  // for the user, empty when everything was read
    int line = -1;        // 0-based index of the offending line

    // Whether the atoms were read (all, or those before a bad line) and the scene is rebuilt.
    bool Rebuild() const { return outcome != XyzReadOutcome::CountMismatch; }
};

// The delimiter the reader uses for these lines.
char XyzDelimiter(const std::vector<std::string>& lines);

// Reads the lines into atoms, sorted by ascending z, each with the index of its element (the
// first entry of that symbol, case-sensitive; unknown symbols take the entry named "-").
// Throws XyzIndexError for an empty file and MConvertError for a count or coordinate that does
// not convert; the atoms list is then as the failure leaves it (unchanged for the count; the
// atoms before the bad line, unsorted, for a coordinate).
XyzReadResult ReadXyz(const std::vector<std::string>& lines, const MListAdr<MAtom*>& elements,
                      MList<MPoint3DN<float>>& atoms);

#endif
