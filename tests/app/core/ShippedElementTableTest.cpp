// The element table shipped beside the program: complete, readable, and giving chemical bonds at
// a stick factor a little above 1.
#include <gtest/gtest.h>

#include <set>

#include "Corpus.h"
#include "ElementTable.h"
#include "KFactor.h"
#include "Scene.h"
#include "TextBuffer.h"
#include "XyzReader.h"

namespace {

class ShippedElementTableTest : public ::testing::Test {
protected:
    ShippedElementTableTest()
    {
        TextBuffer table;
        table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
        result = LoadAtom(table.Lines(), scene.LAtom);
    }

    // Sticks found at the "K Min stick length" bar position 54 (factor 1.24), each bond once.
    int BondsOf(const std::vector<std::string>& xyz)
    {
        EXPECT_EQ(ReadXyz(xyz, scene.LAtom, scene.LXyz).outcome, XyzReadOutcome::Read);
        scene.RebuildTranslation(TranslationCell{});
        scene.UpdateSticks(StickControls{true, 54, 500});
        return scene.LStick.FCount / 2;
    }

    Scene scene;
    ElementTableResult result;
};

TEST_F(ShippedElementTableTest, ListsEveryElementAndTheFallback)
{
    EXPECT_TRUE(result.complete) << result.message;
    ASSERT_EQ(scene.LAtom.FCount, 119);
    EXPECT_EQ(scene.LAtom.Data[0]->Name, "H");
    EXPECT_EQ(scene.LAtom.Data[117]->Name, "Og");
    const MAtom& fallback = *scene.LAtom.Data[118];
    EXPECT_EQ(fallback.Name, "-");
    EXPECT_EQ(fallback.Color, 0x00FF00FF);  // magenta stands out among element colours
    std::set<std::string> names;
    for (int e = 0; e < scene.LAtom.FCount; ++e) {
        const MAtom& element = *scene.LAtom.Data[e];
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
    const std::vector<std::string> ethanol = {
        "9", "ethanol",
        "C -0.748 -0.015 0.024", "C 0.558 0.420 -0.663", "O 1.613 -0.385 -0.159",
        "H -1.565 0.429 -0.546", "H -0.871 -1.105 0.018", "H -0.803 0.334 1.059",
        "H 0.669 1.505 -0.574", "H 0.507 0.184 -1.731", "H 2.430 -0.040 -0.573",
    };
    EXPECT_EQ(BondsOf(ethanol), 8);
}

TEST_F(ShippedElementTableTest, CaffeineFromTheCorpusHasItsTwentyFiveBonds)
{
    const auto dir = CorpusDir();
    if (dir.empty() || !std::filesystem::exists(dir / "org_caffeine.xyz"))
        GTEST_SKIP() << "no corpus of XYZ files beside the project (PELMORA_CORPUS_DIR)";
    TextBuffer caffeine;
    caffeine.LoadFromFile((dir / "org_caffeine.xyz").string());
    EXPECT_EQ(BondsOf(caffeine.Lines()), 25);
}

}  // namespace
