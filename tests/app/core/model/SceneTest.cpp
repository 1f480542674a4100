#include "Scene.h"

#include <gtest/gtest.h>

#include "Groups.h"
#include "KFactor.h"
#include "SmallElements.h"

namespace {

TEST(KFactor, MapsBarPositionsToFactorsBetweenAQuarterAndFour)
{
    struct Case {
        int position, maximum;
        float factor;
    };
    const Case cases[] = {
        {0, 100, 0.25f}, {50, 100, 1.0f}, {100, 100, 4.0f}, {54, 100, 1.24f}, {500, 1000, 1.0f}, {1000, 1000, 4.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_FLOAT_EQ(KFactor(c.position, c.maximum), c.factor);
    }
    EXPECT_NEAR(KFactor(1, 1000), 1 / 3.994, 1e-6);
}

TEST(BuildGroups, RunsOfOneElementWithoutWideDepthGaps)
{
    MListAdr<MAtom*> elements;
    LoadSmallElements(elements);
    MListAdr<MGroup*> groups;
    groups.bAutoDelete = groups.bAutoCreate = true;
    MList<MPoint3DN<float>> atoms;
    for (const auto& [z, element] : std::vector<std::pair<float, int>>{
             {0, CarbonIndex}, {1, CarbonIndex}, {1.5f, HydrogenIndex}, {5, HydrogenIndex}, {6, CarbonIndex}})
        atoms.Add(MPoint3DN<float>{0, 0, z, element, -1});
    BuildGroups(atoms, elements, groups);
    std::vector<int> groupOf;
    for (int i = 0; i < atoms.FCount; ++i)
        groupOf.push_back(atoms.Data[i].Group);
    EXPECT_EQ(groupOf, (std::vector<int>{0, 0, 1, 2, 3}));  // 5 - 1.5 exceeds 0.31 + 0.31
    ASSERT_EQ(groups.FCount, 4);
    EXPECT_EQ(groups.Data[3]->Name, "C");
    BuildGroups(atoms, elements, groups);  // rebuilding replaces, it does not append
    EXPECT_EQ(groups.FCount, 4);
}

TEST(Scene, TheAtomsReadRebuildEverythingDownstream)
{
    Scene scene;
    LoadSmallElements(scene.LAtom);
    // Water as a reading of its file leaves it: sorted by depth, the two hydrogens first. The
    // fixture has no oxygen: it draws with the "-" entry (radius 0.70).
    for (const MPoint3DN<float>& atom : {MPoint3DN<float>{0, 0.7572f, -0.4692f, HydrogenIndex, -1},
                                         MPoint3DN<float>{0, -0.7572f, -0.4692f, HydrogenIndex, -1},
                                         MPoint3DN<float>{0, 0, 0.1173f, FallbackIndex, -1}})
        scene.LXyz.Add(atom);
    const StickControls sticks{true, 54, 500};
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(TranslationCell{2, 1, 10, 10, 0, 0});
    const float kMin = scene.UpdateSticks(sticks);
    scene.Rotate(ViewAngles{900, 0, 0});

    EXPECT_FLOAT_EQ(kMin, 1.24f);
    EXPECT_EQ(scene.KRPoint, 1.0f);
    EXPECT_EQ(scene.LGroup.FCount, 2);  // the two hydrogens share a depth, then the oxygen
    EXPECT_EQ(scene.LXyzTrans.FCount, 6);
    EXPECT_EQ(scene.LXyzView.FCount, 6);
    EXPECT_EQ(scene.LStick.FCount, 8);  // two O-H bonds per copy, each both ways
    EXPECT_EQ(scene.LStickView.FCount, 8);
    EXPECT_GT(scene.ScaleXyz, 0);
    // Centred: the two copies sit symmetrically about the origin.
    EXPECT_FLOAT_EQ(scene.LXyzTrans.Data[0].x, -scene.LXyzTrans.Data[3].x);

    scene.UpdateSticks(StickControls{false, 54, 500});
    EXPECT_EQ(scene.LStick.FCount, 0);
}

}  // namespace
