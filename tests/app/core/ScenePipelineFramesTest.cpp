// The pipeline's open file and its frames: opening a text, reading a frame as an open does,
// stepping to a frame without losing the picture when the frame is bad, and the rebuild that
// follows both.

#include "ScenePipeline.h"

#include <gtest/gtest.h>

#include "ElementFixture.h"
#include "MFunction.h"

namespace {

// Frame 3 has a line of three fields (line 12), frame 4 a coordinate that is no number.
const std::string kTrajectory = "3\nframe 1\nC 0 0 0\nC 1.4 0 0\nH 2 0.9 0\n"
                                "2\nframe 2\nC 0 0 0\nCl 1.7 0 0\n"
                                "2\nframe 3\nC 0 0 0\nC 1 0\n"
                                "1\nframe 4\nC x 0 0\n";

const StickControls kSticks{true, 50, 500};
const ViewAngles kAngles{300, 1200, 2100};
const TranslationCell kCell{2, 1, 3.5, 10, 0, 0};

class ScenePipelineFramesTest : public ::testing::Test {
protected:
    ScenePipelineFramesTest() { EXPECT_TRUE(pipeline.LoadElementTable(SmallElementLines()).complete); }
    std::vector<float> Xs() const
    {
        std::vector<float> xs;
        for (int i = 0; i < pipeline.Model().LXyz.FCount; ++i)
            xs.push_back(pipeline.Model().LXyz.Data[i].x);
        return xs;
    }
    ScenePipeline pipeline;
};

TEST_F(ScenePipelineFramesTest, SteppingReadsTheFrameAndTheRebuildShowsIt)
{
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    EXPECT_EQ(pipeline.FrameCount(), 4);
    EXPECT_EQ(pipeline.Frame(), 1);
    pipeline.Rebuild(kSticks, kCell, kAngles);
    const QImage first = pipeline.Picture(500).copy();

    ASSERT_EQ(pipeline.StepToFrame(2).outcome, XyzReadOutcome::Read);
    EXPECT_EQ(pipeline.Frame(), 2);
    EXPECT_EQ(Xs(), (std::vector<float>{1.7f, 0}));
    pipeline.Rebuild(kSticks, kCell, kAngles);
    EXPECT_EQ(pipeline.Model().LXyzTrans.FCount, 4);
    EXPECT_FALSE(pipeline.Picture(500) == first);

    // The same frame opened on its own draws the same picture.
    ScenePipeline alone;
    ASSERT_TRUE(alone.LoadElementTable(SmallElementLines()).complete);
    ASSERT_EQ(alone.OpenXyz("2\nframe 2\nC 0 0 0\nCl 1.7 0 0\n").outcome, XyzReadOutcome::Read);
    alone.Rebuild(kSticks, kCell, kAngles);
    EXPECT_TRUE(alone.Picture(500) == pipeline.Picture(500));
}

TEST_F(ScenePipelineFramesTest, ABadFrameIsToldAndEverythingShownStays)
{
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    ASSERT_EQ(pipeline.StepToFrame(2).outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(kSticks, kCell, kAngles);
    const QImage second = pipeline.Picture(500).copy();
    const std::vector<float> xs = Xs();

    const XyzReadResult bad = pipeline.StepToFrame(3);
    EXPECT_EQ(bad.outcome, XyzReadOutcome::BadAtomLine);
    EXPECT_EQ(bad.message, "Error in *.xyz file in line 12");
    EXPECT_THROW(pipeline.StepToFrame(4), MConvertError);
    EXPECT_EQ(pipeline.Frame(), 2);
    EXPECT_EQ(Xs(), xs);
    EXPECT_TRUE(pipeline.Picture(500) == second);

    // Reading the frame as an open does keeps the atoms before the bad line, to be shown.
    EXPECT_EQ(pipeline.ReadFrame(3).outcome, XyzReadOutcome::BadAtomLine);
    EXPECT_EQ(Xs(), std::vector<float>{0});
}

TEST_F(ScenePipelineFramesTest, AFileThatCannotOpenLeavesTheOpenOne)
{
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    const auto document = pipeline.Document();
    EXPECT_EQ(pipeline.OpenXyz("2\nc\nC 0 0 0\n").outcome, XyzReadOutcome::CountMismatch);
    EXPECT_THROW(pipeline.OpenXyz("x\nc\n"), MConvertError);
    EXPECT_THROW(pipeline.OpenXyz(""), XyzIndexError);
    EXPECT_EQ(pipeline.Document(), document);
    EXPECT_EQ(pipeline.FrameCount(), 4);
    EXPECT_EQ(Xs(), (std::vector<float>{1.4f, 2, 0}));
    ASSERT_EQ(pipeline.StepToFrame(2).outcome, XyzReadOutcome::Read);
}

}  // namespace
