// The elements of the open file's symbols in the pipeline: told for the frame shown, chosen at
// any time, and the scene rebuilt with them.

#include "ScenePipeline.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ElementFixture.h"

namespace {

// Type numbers of a dump: 1 is meant as chlorine, 2 as hydrogen, read by the rules as H and He
// ("He" is not in the small table: it takes the "-" entry).
const std::string kTypeNumbers = "3\ndump\n1 0 0 0\n2 1.2 0 0\n2 0 1.2 0\n";

class ScenePipelineElementsTest : public ::testing::Test {
protected:
    ScenePipelineElementsTest() { EXPECT_TRUE(pipeline.LoadElementTable(SmallElementLines()).complete); }

    // The elements of LXyz's atoms, in ascending order.
    std::vector<int> ElementsOfAtoms() const
    {
        std::vector<int> elements;
        for (int i = 0; i < pipeline.Model().LXyz.FCount; ++i)
            elements.push_back(pipeline.Model().LXyz.Data[i].N);
        std::sort(elements.begin(), elements.end());
        return elements;
    }

    ScenePipeline pipeline;
};

TEST_F(ScenePipelineElementsTest, AChosenElementRereadsTheFrameAndTheRebuildShowsIt)
{
    ASSERT_EQ(pipeline.OpenXyz(kTypeNumbers).outcome, XyzReadOutcome::Read);
    ASSERT_EQ(pipeline.Symbols().size(), 2u);
    EXPECT_EQ(pipeline.Symbols()[0].element, HydrogenIndex);
    EXPECT_EQ(pipeline.Symbols()[0].rule, ElementRule::AtomicNumber);
    EXPECT_EQ(pipeline.Symbols()[1].element, FallbackIndex);
    EXPECT_EQ(pipeline.Symbols()[1].rule, ElementRule::Unknown);
    const StickControls sticks{true, 50, 500};
    pipeline.Rebuild(sticks, {}, {});
    const QImage before = pipeline.Picture(500).copy();

    ASSERT_EQ(pipeline.SetElementMap({{"1", "Cl"}, {"2", "H"}}), "");
    ASSERT_EQ(pipeline.RereadFrame().outcome, XyzReadOutcome::Read);
    EXPECT_EQ(ElementsOfAtoms(), (std::vector<int>{HydrogenIndex, HydrogenIndex, ChlorineIndex}));
    EXPECT_EQ(pipeline.Symbols()[0].rule, ElementRule::Chosen);
    EXPECT_EQ(pipeline.Symbols()[1].element, HydrogenIndex);
    pipeline.Rebuild(sticks, {}, {});
    EXPECT_NE(pipeline.Picture(500), before);

    // Back to the rules: the same picture as at the start.
    ASSERT_EQ(pipeline.SetElementMap({}), "");
    ASSERT_EQ(pipeline.RereadFrame().outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(sticks, {}, {});
    EXPECT_EQ(pipeline.Picture(500), before);
}

TEST_F(ScenePipelineElementsTest, AMapNamingAnElementTheTableLacksIsRefusedAndChangesNothing)
{
    ASSERT_EQ(pipeline.SetElementMap({{"1", "Cl"}}), "");
    EXPECT_EQ(pipeline.SetElementMap({{"1", "O"}, {"2", "H"}}), "No element \"O\" in the element table");
    EXPECT_EQ(pipeline.ElementChoices(), (ElementMap{{"1", "Cl"}}));
    // The map stays for the next file opened.
    ASSERT_EQ(pipeline.OpenXyz(kTypeNumbers).outcome, XyzReadOutcome::Read);
    EXPECT_EQ(ElementsOfAtoms(), (std::vector<int>{ChlorineIndex, FallbackIndex, FallbackIndex}));
}

TEST_F(ScenePipelineElementsTest, AnotherFrameTellsItsOwnSymbols)
{
    const std::string trajectory = kTypeNumbers + "2\nsecond\nC 0 0 0\nCl 1 0 0\n";
    ASSERT_EQ(pipeline.OpenXyz(trajectory).outcome, XyzReadOutcome::Read);
    ASSERT_EQ(pipeline.SetElementMap({{"1", "Cl"}}), "");
    ASSERT_EQ(pipeline.StepToFrame(2).outcome, XyzReadOutcome::Read);
    ASSERT_EQ(pipeline.Symbols().size(), 2u);
    EXPECT_EQ(pipeline.Symbols()[1].symbol, "Cl");
    EXPECT_EQ(pipeline.Symbols()[1].rule, ElementRule::AsWritten);
    // The frame shown is the one read again.
    ASSERT_EQ(pipeline.RereadFrame().outcome, XyzReadOutcome::Read);
    EXPECT_EQ(pipeline.Frame(), 2);
    EXPECT_EQ(pipeline.Model().LXyz.FCount, 2);
}

TEST_F(ScenePipelineElementsTest, RereadingWithoutAFileReadsNothing)
{
    EXPECT_EQ(pipeline.RereadFrame().outcome, XyzReadOutcome::Read);
    EXPECT_EQ(pipeline.Model().LXyz.FCount, 0);
    EXPECT_TRUE(pipeline.Symbols().empty());
}

}  // namespace
