#ifndef PELMORA_APP_CORE_ELEMENTMAP_H
#define PELMORA_APP_CORE_ELEMENTMAP_H

// The elements the user chose for symbols of a file: SYMBOL -> the name of an element table
// entry, taken before every rule of the lookup (ElementLookup.h). Symbols match as the reader
// trims them, with regard to case. Written as text "SYMBOL=ELEMENT,SYMBOL=ELEMENT" (the --map
// option, the settings file), so neither may hold ',' or '=' or blanks.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "MListAdr.h"
#include "SceneRecords.h"

using ElementMap = std::map<std::string, std::string, std::less<>>;

// The longest text a map is read from, and the most entries it may hold: far beyond any file's
// symbols, and a bound on hostile text.
inline constexpr std::size_t ElementMapLongestText = 64 * 1024;

struct ElementMapParse {
    std::optional<ElementMap> map;
    std::string error;  // what is wrong with the text, for the user, when there is no map
};

// Reads "SYMBOL=ELEMENT[,SYMBOL=ELEMENT...]"; an empty text is an empty map. A later entry of the
// same symbol replaces an earlier one. Refuses an entry without '=' or with an empty side, and a
// text longer than ElementMapLongestText.
ElementMapParse ParseElementMap(std::string_view text);

// The text ParseElementMap reads back into the same map.
std::string ElementMapText(const ElementMap& map);

// The first element the map names that the table has no entry of, or nothing.
std::optional<std::string> ElementMissingFrom(const ElementMap& map, const MListAdr<MAtom*>& elements);

#endif
