#include "StickBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "KFactor.h"
#include "ReferenceLoops.h"
#include "SmallElements.h"

namespace {

class StickBuilderTest : public ::testing::Test {
protected:
    StickBuilderTest() { LoadSmallElements(elements); }

    void Add(float x, float y, float z, int element = CarbonIndex)
    {
        points.Add(MPoint3DN<float>{x, y, z, element, -1});
    }

    // Builds the sticks both ways and checks that they agree entry for entry.
    void ExpectSameAsPairLoop(float kMin)
    {
        MList<MStick<float>> expected;
        MList<MStickAtoms> actual;
        BuildSticksPairLoop(points, elements, kMin, expected);
        BuildSticks(std::span<const MPoint3DN<float>>(points.Data, std::size_t(points.FCount)),
                    std::span<MAtom* const>(elements.Data, std::size_t(elements.FCount)), kMin, actual);
        ASSERT_EQ(actual.FCount, expected.FCount);
        for (int s = 0; s < expected.FCount; ++s) {
            ASSERT_EQ(actual.Data[s].I1, expected.Data[s].I1) << "stick " << s;
            ASSERT_EQ(actual.Data[s].I2, expected.Data[s].I2) << "stick " << s;
            // The point copies of the full record come back from the points, byte for byte.
            const MStick<float> full = StickWithPoints(
                std::span<const MPoint3DN<float>>(points.Data, std::size_t(points.FCount)), actual.Data[s]);
            EXPECT_EQ(std::memcmp(&full, &expected.Data[s], sizeof full), 0) << "stick " << s;
        }
        sticksFound = actual.FCount;
    }

    MListAdr<MAtom*> elements;
    MList<MPoint3DN<float>> points;
    int sticksFound = 0;
};

TEST_F(StickBuilderTest, EqualsThePairLoopOnRandomClouds)
{
    std::mt19937 random(20261210);
    struct Case {
        const char* name;
        int atoms;
        float extent;
        int stickBar;
    };
    const Case cases[] = {
        {"dense, short sticks", 400, 6, 0},
        {"dense, factor 1.24", 400, 8, 54},
        {"sparse, factor 4", 300, 40, 100},
        {"flat sheet", 500, 20, 54},
        {"two atoms", 2, 1, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        points.Clear();
        std::uniform_real_distribution<float> coordinate(-c.extent, c.extent);
        std::uniform_int_distribution<int> element(0, 3);
        const bool flat = std::string_view(c.name) == "flat sheet";
        for (int i = 0; i < c.atoms; ++i)
            Add(coordinate(random), coordinate(random), flat ? 0.0f : coordinate(random), element(random));
        ExpectSameAsPairLoop(KFactor(c.stickBar, 100));
    }
}

TEST_F(StickBuilderTest, JoinsAtomsExactlyAtTheThreshold)
{
    // An element of bond radius 0.75 gives a threshold of exactly 1.5 at factor 1; the lattice
    // puts neighbours at exactly that distance along each axis, and diagonals beyond it.
    MAtom* quarter = new MAtom();
    quarter->Name = "Q";
    quarter->Radius = quarter->RadiusLink = 0.75f;
    const int element = elements.Add(quarter);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 3; ++k)
                Add(1.5f * i, 1.5f * j, 1.5f * k, element);
    ExpectSameAsPairLoop(1.0f);
    // Neighbours along x, y and z, each pair in both directions.
    EXPECT_EQ(sticksFound, 2 * (3 * 4 * 3 + 4 * 3 * 3 + 4 * 4 * 2));
}

TEST_F(StickBuilderTest, EdgeCases)
{
    struct Case {
        const char* name;
        std::vector<MPoint3DN<float>> atoms;
        int sticks;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {"no atoms", {}, 0},
        {"one atom", {{0, 0, 0, CarbonIndex, -1}}, 0},
        {"coincident atoms join both ways", {{1, 1, 1, CarbonIndex, -1}, {1, 1, 1, HydrogenIndex, -1}}, 2},
        {"an infinite coordinate joins nothing",
         {{0, 0, 0, CarbonIndex, -1},
          {inf, 0, 0, CarbonIndex, -1},
          {inf, 0, 0, CarbonIndex, -1},
          {0.5f, 0, 0, CarbonIndex, -1}},
         2},
        {"a far outlier does not hide near pairs",
         {{0, 0, 0, CarbonIndex, -1},
          {1e30f, 0, 0, CarbonIndex, -1},
          {0.5f, 0, 0, CarbonIndex, -1},
          {-3e38f, 1e20f, 0, CarbonIndex, -1},
          {0.25f, 0.25f, 0, HydrogenIndex, -1}},
         6},
        {"neighbours across a power-of-two cell border",
         {{-0.001f, 0, 0, CarbonIndex, -1},
          {0.001f, 0, 0, CarbonIndex, -1},
          {2.0f, 0, 0, CarbonIndex, -1},
          {3.52f, 0, 0, CarbonIndex, -1}},
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        points.Clear();
        for (const auto& atom : c.atoms)
            points.Add(atom);
        ExpectSameAsPairLoop(1.0f);
        EXPECT_EQ(sticksFound, c.sticks);
    }
}

TEST_F(StickBuilderTest, ManyAtomsPastTheGridsDenseLimitStillMatch)
{
    // A compact block with a handful of atoms a long way off makes the dense grid too crowded,
    // so the sparse grid takes over.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(0, 12);
    for (int i = 0; i < 1500; ++i)
        Add(coordinate(random), coordinate(random), coordinate(random), i % 2 ? CarbonIndex : HydrogenIndex);
    for (int i = 0; i < 5; ++i)
        Add(1e6f * float(i + 1), -1e6f, 3e5f);
    ExpectSameAsPairLoop(KFactor(54, 100));
}

TEST_F(StickBuilderTest, DenseClustersMatchThePairLoop)
{
    // Clusters of atoms on one spot or within a hair of it join every atom to every other one:
    // the neighbours of one atom come from several cells and must still come out in order.
    std::mt19937 random(31);
    std::uniform_real_distribution<float> hair(-0.02f, 0.02f);
    std::uniform_int_distribution<int> element(0, 3);
    const struct {
        float x, y, z;
        int atoms;
        bool onOneSpot;
    } clusters[] = {
        {0, 0, 0, 70, true}, {0.99f, 1.01f, 0.98f, 60, false}, {5, 5, 5, 50, false}, {1e4f, 0, 0, 40, true}};
    int joinedPairs = 0;
    for (const auto& cluster : clusters) {
        for (int i = 0; i < cluster.atoms; ++i) {
            const float dx = cluster.onOneSpot ? 0 : hair(random), dy = cluster.onOneSpot ? 0 : hair(random);
            Add(cluster.x + dx, cluster.y + dy, cluster.z, element(random));
        }
        joinedPairs += cluster.atoms * (cluster.atoms - 1);
    }
    ExpectSameAsPairLoop(KFactor(54, 100));
    // The first two clusters lie within reach of each other and join across as well.
    EXPECT_GT(sticksFound, joinedPairs);
}

// Sticks are counted before they are made: one more than the bound and none is made, whether
// the grid searches or (with a radius too large for any grid) every pair is tested.
TEST_F(StickBuilderTest, SticksPastTheBoundAreNotMade)
{
    MAtom* giant = new MAtom();
    giant->Name = "G";
    giant->Radius = giant->RadiusLink = 3e38f;
    const int giantIndex = elements.Add(giant);
    for (const int element : {CarbonIndex, giantIndex}) {
        SCOPED_TRACE(element == CarbonIndex ? "grid" : "every pair");
        points.Clear();
        for (int i = 0; i < 10; ++i)
            for (int j = 0; j < 10; ++j)
                for (int k = 0; k < 10; ++k)
                    Add(0.3f * i, 0.3f * j, 0.3f * k, element);
        const float kMin = KFactor(100, 100);  // every atom reaches every other: 999,000 sticks
        const std::span<const MPoint3DN<float>> all(points.Data, std::size_t(points.FCount));
        const std::span<MAtom* const> table(elements.Data, std::size_t(elements.FCount));
        MList<MStickAtoms> sticks;
        const StickSearchResult made = BuildSticks(all, table, kMin, sticks, 999000);
        EXPECT_TRUE(made.Made);
        EXPECT_EQ(made.Refusal(), "");
        EXPECT_EQ(sticks.FCount, 999000);
        const StickSearchResult refused = BuildSticks(all, table, kMin, sticks, 998999);
        EXPECT_FALSE(refused.Made);
        EXPECT_EQ(sticks.FCount, 0);
        EXPECT_EQ(refused.Refusal(), "More than 998,999 sticks would be drawn: lower the stick length");
    }
    EXPECT_EQ(StickBoundFor(10), 1000000);
    EXPECT_EQ(StickBoundFor(1000000), 64000000);
}

}  // namespace
