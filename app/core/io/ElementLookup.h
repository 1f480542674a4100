#ifndef PELMORA_APP_CORE_ELEMENTLOOKUP_H
#define PELMORA_APP_CORE_ELEMENTLOOKUP_H

// Finds the element table entry of an atom's symbol. Files name their atoms in many ways, so a
// symbol that is not in the table as written is tried, in this order, as
//   1. an atomic number: an integer 1..118 names the element of the built-in periodic table, and
//      that symbol is looked up ("26" is "Fe");
//   2. the symbol without regard to case ("c", "mg", "CL");
//   3. a label that starts with a symbol of the table: the longest such leading symbol ("Cu1",
//      "C12", "ClZ", "HW1").
// A symbol that is in the table as written means that entry, unless the user chose another
// element for it (ElementMap.h): a chosen element comes before every rule. Of entries with the
// same name, the first in table order wins, as a search through the table finds it.
//
// Finding is const and keeps no state, so readers on several threads may share one lookup.

#include <string>
#include <string_view>
#include <unordered_map>

#include "ElementMap.h"
#include "MListAdr.h"
#include "SceneRecords.h"
#include "SymbolElements.h"

class ElementLookup {
public:
    // chosen: elements the user chose for symbols; an element the table lacks is passed over.
    explicit ElementLookup(const MListAdr<MAtom*>& elements, const ElementMap& chosen = {});

    // The symbol's entry and the rule that gave it, or notFound with the rule Unknown.
    ElementFound Resolve(std::string_view symbol, int notFound) const;
    // The index of the symbol's entry by the rules above, or notFound.
    int Find(std::string_view symbol, int notFound) const { return Resolve(symbol, notFound).element; }
    // The index of the entry named exactly so, or notFound.
    int FindAsWritten(std::string_view symbol, int notFound) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using NameIndex = std::unordered_map<std::string, int, Hash, std::equal_to<>>;

    int FindByAtomicNumber(std::string_view symbol, int notFound) const;
    int FindIgnoringCase(std::string_view symbol, int notFound) const;
    int FindByLeadingSymbol(std::string_view symbol, int notFound) const;

    NameIndex chosen_;  // symbol -> the entry of the element chosen for it
    NameIndex asWritten_;
    NameIndex lowerCase_;  // names with ASCII letters in lower case
    std::size_t longestName_ = 0;
};

#endif
