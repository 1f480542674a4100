// The element table shipped beside the program: complete, readable, and giving chemical bonds at
// a stick factor a little above 1.
#include <gtest/gtest.h>

#include <set>

#include "Corpus.h"
#include "KFactor.h"
#include "ScenePipeline.h"

namespace {

// The table loaded as the program loads it at start, and files opened and rebuilt as it opens
// them.
class ShippedElementTableTest : public ::testing::Test {
protected:
    ShippedElementTableTest() { result = pipeline.LoadElementTableFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt"); }

    // Sticks found at the "K Min stick length" bar position 54 (factor 1.24), each bond once.
    int BondsOf(std::string text)
    {
        EXPECT_EQ(pipeline.OpenXyz(std::move(text)).outcome, XyzReadOutcome::Read);
        pipeline.Rebuild(StickControls{true, 54, 500}, TranslationCell{}, ViewAngles{});
        return pipeline.Model().LStick.FCount / 2;
    }

    ScenePipeline pipeline;
    const MListAdr<MAtom*>& elements = pipeline.Model().LAtom;
    ElementTableResult result;
};

TEST_F(ShippedElementTableTest, ListsEveryElementAndTheFallback)
{
    EXPECT_TRUE(result.complete) << result.message;
    ASSERT_EQ(elements.FCount, 119);
    EXPECT_EQ(elements.Data[0]->Name, "H");
    EXPECT_EQ(elements.Data[117]->Name, "Og");
    const MAtom& fallback = *elements.Data[118];
    EXPECT_EQ(fallback.Name, "-");
    EXPECT_EQ(fallback.Color, 0x00FF00FF);  // magenta stands out among element colours
    std::set<std::string> names;
    for (int e = 0; e < elements.FCount; ++e) {
        const MAtom& element = *elements.Data[e];
        EXPECT_TRUE(names.insert(element.Name).second) << element.Name << " twice";
        EXPECT_GT(element.Radius, 0.2f) << element.Name;
        EXPECT_LT(element.Radius, 2.7f) << element.Name;
        EXPECT_EQ(element.Radius, element.RadiusLink);
    }
}

TEST_F(ShippedElementTableTest, SticksAreTheChemicalBondsAtFactor124)
{
    EXPECT_FLOAT_EQ(KFactor(54, StickBarMaximum), 1.24f);
    // Ethanol: C-C, C-O, O-H and five C-H bonds; no sticks between geminal hydrogens.
    const std::string ethanol = "9\nethanol\n"
                                "C -0.748 -0.015 0.024\nC 0.558 0.420 -0.663\nO 1.613 -0.385 -0.159\n"
                                "H -1.565 0.429 -0.546\nH -0.871 -1.105 0.018\nH -0.803 0.334 1.059\n"
                                "H 0.669 1.505 -0.574\nH 0.507 0.184 -1.731\nH 2.430 -0.040 -0.573\n";
    EXPECT_EQ(BondsOf(ethanol), 8);
}

TEST_F(ShippedElementTableTest, CaffeineFromTheCorpusHasItsTwentyFiveBonds)
{
    const auto dir = CorpusDir();
    if (dir.empty() || !std::filesystem::exists(dir / "org_caffeine.xyz"))
        GTEST_SKIP() << "no corpus of XYZ files beside the project (PELMORA_CORPUS_DIR)";
    EXPECT_EQ(BondsOf(LoadXyzTextFile((dir / "org_caffeine.xyz").string())), 25);
}

}  // namespace
