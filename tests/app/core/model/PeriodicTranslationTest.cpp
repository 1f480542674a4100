#include "PeriodicTranslation.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>

#include "ReferenceLoops.h"

namespace {

MPoint3DN<float> Atom(float x, float y, float z, int element = 0) { return {x, y, z, element, -1}; }

std::vector<std::array<float, 3>> Coordinates(const MList<MPoint3DN<float>>& points)
{
    std::vector<std::array<float, 3>> coordinates;
    for (int i = 0; i < points.FCount; ++i)
        coordinates.push_back({points.Data[i].x, points.Data[i].y, points.Data[i].z});
    return coordinates;
}

TEST(RepeatCell, ShearPlacesCopiesCopyByCopy)
{
    MList<MPoint3DN<float>> cell, repeated;
    cell.Add(MPoint3DN<float>{0, 0, 1, 4, 7});
    RepeatCell(cell, TranslationCell{2, 2, 10, 10, 5, 0}, repeated);
    EXPECT_EQ(Coordinates(repeated),
              (std::vector<std::array<float, 3>>{{0, 0, 1}, {5, 10, 1}, {10, 0, 1}, {15, 10, 1}}));
    EXPECT_EQ(repeated.Data[3].N, 4);
    EXPECT_EQ(repeated.Data[3].Group, 7);
}

TEST(RepeatCell, SumsInDoublePrecisionAndRoundsOnce)
{
    MList<MPoint3DN<float>> cell, repeated;
    cell.Add(Atom(0.1f, 0.0f, 0.0f));
    RepeatCell(cell, TranslationCell{2, 1, 0.2, 10, 0, 0.3}, repeated);
    ASSERT_EQ(repeated.FCount, 2);
    EXPECT_EQ(repeated.Data[1].x, static_cast<float>(double(0.1f) + 0.2));
    EXPECT_EQ(repeated.Data[1].y, static_cast<float>(0.3));
}

// A step that carries an atom past the largest float leaves that copy out; the others keep their
// order, and an atom that was infinite in the cell already is copied as it is.
TEST(RepeatCell, CopiesCarriedBeyondTheSingleRangeAreLeftOut)
{
    const float inf = std::numeric_limits<float>::infinity();
    MList<MPoint3DN<float>> cell, repeated;
    cell.Add(Atom(0, 0, 0));
    cell.Add(Atom(3e38f, 0, 1));
    cell.Add(Atom(inf, 0, 2));
    EXPECT_EQ(RepeatCell(cell, TranslationCell{2, 2, 1e38, 3e38, 0, 0}, repeated), 2);
    EXPECT_EQ(Coordinates(repeated),
              (std::vector<std::array<float, 3>>{{0, 0, 0},
                                                 {3e38f, 0, 1},
                                                 {inf, 0, 2},  // copy (0, 0)
                                                 {0, 3e38f, 0},
                                                 {3e38f, 3e38f, 1},
                                                 {inf, 3e38f, 2},  // (0, 1)
                                                 {1e38f, 0, 0},
                                                 {inf, 0, 2},  // (1, 0)
                                                 {1e38f, 3e38f, 0},
                                                 {inf, 3e38f, 2}}));  // (1, 1)
    EXPECT_EQ(RepeatCell(cell, TranslationCell{2, 2, 10, 10, 0, 0}, repeated), 0);
    EXPECT_EQ(repeated.FCount, 12);
}

TEST(RemoveNearDuplicates, KeepsTheFirstCopyOfCoincidingAtoms)
{
    struct Case {
        const char* name;
        std::vector<MPoint3DN<float>> atoms;
        std::vector<std::array<float, 3>> kept;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"closer than 0.01 merge into the first",
         {Atom(0, 0, 0), Atom(0.005f, 0, 0), Atom(1, 0, 0)},
         {{0, 0, 0}, {1, 0, 0}}},
        {"0.01f lies just under 0.01 and merges", {Atom(0, 0, 0), Atom(0, 0.01f, 0)}, {{0, 0, 0}}},
        {"the next float above 0.01 stays",
         {Atom(0, 0, 0), Atom(0, 0.0100000007f, 0)},
         {{0, 0, 0}, {0, 0.0100000007f, 0}}},
        {"a chain merges greedily, not transitively",
         {Atom(0, 0, 0), Atom(0.006f, 0, 0), Atom(0.012f, 0, 0)},
         {{0, 0, 0}, {0.012f, 0, 0}}},
        {"a later atom removes nothing before it",
         {Atom(5, 5, 5), Atom(0, 0, 0), Atom(5.001f, 5, 5)},
         {{5, 5, 5}, {0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MList<MPoint3DN<float>> points;
        for (const auto& atom : c.atoms)
            points.Add(atom);
        RemoveNearDuplicates(points);
        EXPECT_EQ(Coordinates(points), c.kept);
    }
}

TEST(RemoveNearDuplicates, EqualsThePairLoopOnRepeatedCells)
{
    std::mt19937 random(42);
    std::uniform_real_distribution<float> coordinate(0, 3);
    struct Case {
        const char* name;
        TranslationCell lattice;
    };
    const Case cases[] = {
        {"all copies coincide", {3, 3, 0, 0, 0, 0}},
        {"cell edges touch the next cell", {4, 3, 3, 3, 0, 0}},
        {"shear with overlaps", {3, 4, 2.5, 3, 0.5, 0}},
        {"steps just under 0.01 apart", {5, 1, 0.0099, 10, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MList<MPoint3DN<float>> cell, grid, reference;
        for (int i = 0; i < 60; ++i)
            cell.Add(Atom(coordinate(random), coordinate(random), coordinate(random)));
        cell.Add(Atom(0, 0, 0));
        cell.Add(Atom(3, 3, 0));  // lands on the next cell's corner atom
        cell.Add(Atom(0.004f, 0, 0));
        RepeatCell(cell, c.lattice, grid);
        RepeatCell(cell, c.lattice, reference);
        RemoveNearDuplicates(grid);
        RemoveNearDuplicatesPairLoop(reference);
        EXPECT_EQ(Coordinates(grid), Coordinates(reference));
    }
}

TEST(RemoveNearDuplicates, CrowdedCloudsKeepWhatThePairLoopKeeps)
{
    // Points piled on one spot, or packed closer than the duplicate distance, crowd one cell of
    // the grid; the points kept must still be the pair loop's, in its order.
    std::mt19937 random(77);
    std::uniform_real_distribution<float> jitter(-0.005f, 0.005f);
    std::uniform_real_distribution<float> wide(-50, 50);
    struct Case {
        const char* name;
        std::function<MPoint3DN<float>(int)> atom;
        int count;
    };
    const Case cases[] = {
        {"all on one spot", [](int) { return Atom(1.25f, -3, 7); }, 1500},
        {"within 0.005 of one spot", [&](int) { return Atom(jitter(random), jitter(random), jitter(random)); }, 1500},
        {"two spots 0.015 apart, one after the other", [](int i) { return Atom(i < 700 ? 0.0f : 0.015f, 0, 0); }, 1400},
        {"two spots 0.015 apart, taking turns", [](int i) { return Atom(i % 2 ? 0.0f : 0.015f, 0, 0); }, 1400},
        {"a chain 0.004 apart", [](int i) { return Atom(0.004f * float(i), 0, 0); }, 1200},
        {"a pile and far points",
         [&](int i) { return i % 3 ? Atom(0.001f, 0.002f, 0) : Atom(wide(random), wide(random), 1e6f * float(i % 2)); },
         1500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MList<MPoint3DN<float>> grid, reference;
        for (int i = 0; i < c.count; ++i) {
            const MPoint3DN<float> atom = c.atom(i);
            grid.Add(atom);
            reference.Add(atom);
        }
        RemoveNearDuplicates(grid);
        RemoveNearDuplicatesPairLoop(reference);
        EXPECT_EQ(Coordinates(grid), Coordinates(reference));
    }
}

}  // namespace

namespace {

TEST(RepeatCell, EveryPointKnowsItsCopyAndAtomThroughDuplicatesAndLeftOutCopies)
{
    // A cell of three atoms (x of the second given by the case) and repeats that keep every
    // copy, remove one as a near duplicate, or leave one out beyond the single-precision range.
    struct Case {
        const char* name;
        float secondX;
        TranslationCell lattice;
        std::vector<std::int32_t> origin;  // copy * 3 + atom, copy = i * Ny + j
    };
    const Case cases[] = {
        {"nothing removed", 5, {2, 2, 100, 100, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        // Copy (0, 1) moves the first atom 0.005 from the third atom of copy (0, 0): it goes.
        {"the later of two near atoms goes", 5, {1, 2, 10, 3.005, 0, 0}, {0, 1, 2, 4, 5}},
        {"a copy carried beyond the range", 3e38f, {2, 1, 3e38, 10, 0, 0}, {0, 1, 2, 3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MList<MPoint3DN<float>> cell, repeated;
        cell.Add(Atom(0, 0, 0));
        cell.Add(Atom(c.secondX, 1, 0));
        cell.Add(Atom(0, 3, 0));
        std::vector<std::int32_t> origin;
        RepeatCell(cell, c.lattice, repeated, &origin);
        RemoveNearDuplicates(repeated, &origin);
        EXPECT_EQ(origin, c.origin);
        ASSERT_EQ(origin.size(), static_cast<std::size_t>(repeated.FCount));
        for (std::size_t n = 0; n < origin.size(); ++n) {
            // The point is its atom of the cell moved by its copy's step.
            const int copy = origin[n] / 3, atom = origin[n] % 3;
            const int i = copy / c.lattice.Ny, j = copy % c.lattice.Ny;
            const MPoint3DN<float>& read = cell.Data[atom];
            EXPECT_EQ(repeated.Data[n].x, static_cast<float>(double(read.x) + i * c.lattice.Ax + j * c.lattice.Dx));
            EXPECT_EQ(repeated.Data[n].y, static_cast<float>(double(read.y) + j * c.lattice.Ay + i * c.lattice.Dy));
        }
    }
}

}  // namespace
