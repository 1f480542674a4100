#ifndef PELMORA_APP_CORE_SYMBOLTALLY_H
#define PELMORA_APP_CORE_SYMBOLTALLY_H

// The distinct symbols of the atom lines read so far, in the order they first appear, each with
// the element the lookup gave it and how many atoms carry it. A symbol is looked up once: the
// atom lines after its first take the element found then, so a file of a few symbols costs one
// hash look-up per line (none for a run of atoms of one symbol). The rows are bounded (MostRows):
// the atoms of symbols beyond them are looked up one by one and only counted, so a hostile file
// of a distinct symbol per line costs no more memory than a plain one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ElementLookup.h"
#include "SymbolElements.h"

class SymbolTally {
public:
    static constexpr std::size_t MostRows = 4096;

    // The row of the symbol, made with the lookup's element (or notFound) when it is new. The
    // row lasts until the next call; its atoms are counted by the caller.
    SymbolElement& RowOf(std::string_view symbol, const ElementLookup& lookup, int notFound);

    // Adds the rows of a tally of later lines: their atoms join the rows of the same symbol,
    // new symbols follow in their order.
    void Join(const SymbolTally& later);

    // The rows with at least one atom, in the order their symbols first appear.
    std::vector<SymbolElement> Rows() const;
    // The atoms of symbols beyond the bound of rows.
    std::int64_t AtomsNotListed() const { return beyond_.atoms; }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    SymbolElement& Append(const SymbolElement& row);

    std::vector<SymbolElement> rows_;
    std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> places_;
    std::size_t last_ = 0;  // the row found last, tried first
    SymbolElement beyond_;  // the row handed out for symbols beyond the bound
};

#endif
