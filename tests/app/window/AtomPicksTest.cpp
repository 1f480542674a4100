// The atoms picked for measuring: at most four, the oldest dropped, none twice.

#include "AtomPicks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int64_t> SceneAtoms(const TAtomPicks& picks)
{
    std::vector<std::int64_t> atoms;
    for (const PickedAtom& atom : picks.Atoms())
        atoms.push_back(atom.SceneAtom);
    return atoms;
}

PickedAtom Atom(std::int64_t sceneAtom)
{
    PickedAtom atom;
    atom.SceneAtom = sceneAtom;
    return atom;
}

}  // namespace

TEST(AtomPicks, FourAreKeptTheOldestDroppedAndNoneTwice)
{
    struct Case {
        const char* name;
        std::vector<std::int64_t> picked;
        std::vector<std::int64_t> kept;
    };
    const Case cases[] = {
        {"two", {7, 3}, {7, 3}},
        {"four", {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"a fifth drops the first", {1, 2, 3, 4, 5}, {2, 3, 4, 5}},
        {"six", {1, 2, 3, 4, 5, 6}, {3, 4, 5, 6}},
        {"the same atom again", {1, 2, 1}, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAtomPicks picks;
        for (std::int64_t atom : c.picked)
            picks.Pick(Atom(atom));
        EXPECT_EQ(SceneAtoms(picks), c.kept);
    }
    TAtomPicks picks;
    EXPECT_TRUE(picks.Pick(Atom(1)));
    EXPECT_FALSE(picks.Pick(Atom(1)));
    EXPECT_TRUE(picks.Clear());
    EXPECT_FALSE(picks.Clear());
    EXPECT_TRUE(picks.Empty());
}
