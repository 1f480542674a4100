#ifndef PELMORA_APP_WINDOW_ATOMPICKS_H
#define PELMORA_APP_WINDOW_ATOMPICKS_H

// The atoms picked for measuring (Ctrl+click), oldest first: at most four, the oldest dropped
// when a fifth comes; an atom picked already is not picked again.

#include <cstddef>
#include <vector>

#include "PickedAtom.h"

class TAtomPicks {
public:
    static constexpr std::size_t MostPicked = 4;

    // False when the atom was picked already (nothing changes).
    bool Pick(const PickedAtom& atom);
    // False when there was nothing to clear.
    bool Clear();
    [[nodiscard]] const std::vector<PickedAtom>& Atoms() const { return atoms_; }
    [[nodiscard]] bool Empty() const { return atoms_.empty(); }

private:
    std::vector<PickedAtom> atoms_;
};

#endif
