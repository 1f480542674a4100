#ifndef PELMORA_APP_CORE_SYMBOLELEMENTS_H
#define PELMORA_APP_CORE_SYMBOLELEMENTS_H

// The elements the symbols of a frame were given, and by which rule: one row per distinct symbol,
// so that a wrong element never goes unseen. The rules are those of ElementLookup.h; a symbol the
// user gave an element of their own (ElementMap.h) is "chosen".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MListAdr.h"
#include "SceneRecords.h"

enum class ElementRule { AsWritten, Chosen, AtomicNumber, Case, Label, Unknown };

// "as written", "chosen", "atomic number", "case", "label", "unknown".
std::string_view ElementRuleName(ElementRule rule);

// The element one symbol was given.
struct ElementFound {
    int element = -1;  // index in the element table
    ElementRule rule = ElementRule::Unknown;
};

// One distinct symbol of a frame, with its element and the atoms that carry it.
struct SymbolElement {
    std::string symbol;
    int element = -1;
    ElementRule rule = ElementRule::Unknown;
    std::int64_t atoms = 0;
};

// One line for the user naming the symbols whose element was guessed from an atomic number or a
// label (the rules most likely to be wrong), grouped by rule: "Elements guessed by atomic number:
// 1 -> H, 2 -> He; by label: SOD -> S"; empty when there are none. The caller adds how to choose
// another element. Long lists are cut, saying how many more there are.
std::string GuessedElementsNote(const std::vector<SymbolElement>& symbols, const MListAdr<MAtom*>& elements);

#endif
