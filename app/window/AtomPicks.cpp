#include "AtomPicks.h"

#include <algorithm>

bool TAtomPicks::Pick(const PickedAtom& atom)
{
    const bool picked = std::any_of(atoms_.begin(), atoms_.end(),
                                    [&](const PickedAtom& other) { return other.SceneAtom == atom.SceneAtom; });
    if (picked)
        return false;
    if (atoms_.size() == MostPicked)
        atoms_.erase(atoms_.begin());
    atoms_.push_back(atom);
    return true;
}

bool TAtomPicks::Clear()
{
    if (atoms_.empty())
        return false;
    atoms_.clear();
    return true;
}
