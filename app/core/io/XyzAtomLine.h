#ifndef PELMORA_APP_CORE_XYZATOMLINE_H
#define PELMORA_APP_CORE_XYZATOMLINE_H

// One atom line of an XYZ frame: its fields, split at the file's delimiter, give the symbol and
// x, y and z.
//  - When the frame's comment declares its columns (Properties=), the symbol and coordinates
//    are taken from where it says; the other fields are ignored. A line without those fields
//    is bad.
//  - Otherwise a line of exactly four fields is symbol, x, y, z; a line of more fields whose
//    second to fourth are numbers is read from its first four (charges, forces or residue
//    names may follow); any other line is bad.
// Coordinates are decimal numbers (StrToSingle); a Fortran exponent with D ("1.0D+00") reads as
// one with E. The symbol, trimmed, names its element through the lookup's rules; a symbol it
// cannot place takes the fallback entry, or is refused when the table has none. The reader tallies the
// symbols of the atoms it read (SymbolTally.h).

#include <optional>
#include <string_view>

#include "ElementLookup.h"
#include "ExtendedXyzComment.h"
#include "FieldSplitter.h"
#include "SceneRecords.h"
#include "SymbolTally.h"

enum class XyzAtomLineOutcome { Atom, BadFields, UnknownElement };

class XyzAtomLineReader {
public:
    // fallback: the entry an unknown symbol takes; elementCount or more means there is none.
    XyzAtomLineReader(const ElementLookup& lookup, int fallback, int elementCount, char delimiter,
                      std::optional<XyzColumns> declared);

    // Reads the line into atom (N set, Group -1). Throws MConvertError for a coordinate that
    // does not convert, as StrToSingle does.
    XyzAtomLineOutcome Read(std::string_view line, MPoint3DN<float>& atom);

    // Of the last line read: how many fields it had, and its trimmed symbol (empty for a line
    // whose fields are bad). The symbol is a view into the splitter's fields: it lasts until the
    // next line is read.
    std::size_t FieldCount() const { return splitter_.Count(); }
    std::string_view Symbol() const { return symbol_; }
    // The symbols of the atoms read so far.
    const SymbolTally& Symbols() const { return symbols_; }

private:
    // Where the four values stand in this line, or nothing when the line is bad.
    std::optional<XyzColumns> ColumnsOfLine() const;

    const ElementLookup& lookup_;
    int fallback_;
    int elementCount_;
    char delimiter_;
    std::optional<XyzColumns> declared_;
    FieldSplitter splitter_;
    std::string_view symbol_;
    SymbolTally symbols_;
};

#endif
