// The pipeline's open file and its frames: opening a text, reading a frame as an open does,
// stepping to a frame without losing the picture when the frame is bad, and the rebuild that
// follows both.

#include "ScenePipeline.h"

#include <gtest/gtest.h>


#include "ElementFixture.h"
#include "ForEachFrame.h"
#include "MFunction.h"
#include "WorkerPool.h"

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

// A frame that fails is handed back by its number, and the frames after it are drawn all the
// same, on one thread as on several.
TEST_F(ScenePipelineFramesTest, EveryFrameDrawnOnAThreadOfItsOwnIsTheFrameReadAlone)
{
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory + "2\nframe 5\nC 0 0 0\nH 1 0 0\n").outcome, XyzReadOutcome::Read);
    WorkerPool& pool = WorkerPool::Shared();
    const int threads = pool.Threads();
    for (const int limit : {1, 2}) {
        SCOPED_TRACE(limit);
        pool.SetThreadLimit(limit);
        std::vector<QImage> pictures(5);
        std::vector<std::string> errors(5);
        ForEachFrame(
            pipeline.Document(), SmallElementLines(),
            [&](ScenePipeline& scene, int frame) {
                (void)scene.ReadFrame(frame);
                scene.Rebuild(kSticks, kCell, kAngles);
                pictures[std::size_t(frame - 1)] = scene.Picture(500).copy();
            },
            [&](int frame, std::exception_ptr error) {
                try {
                    std::rethrow_exception(error);
                } catch (const MConvertError& failure) {
                    errors[std::size_t(frame - 1)] = failure.what();
                }
            });
        EXPECT_EQ(errors, (std::vector<std::string>{"", "", "", "'x' is not a valid floating point value", ""}));
        for (const int frame : {1, 2, 3, 5}) {
            SCOPED_TRACE(frame);
            (void)pipeline.ReadFrame(frame);
            pipeline.Rebuild(kSticks, kCell, kAngles);
            EXPECT_TRUE(pictures[std::size_t(frame - 1)] == pipeline.Picture(500));
        }
    }
    pool.SetThreadLimit(threads);
}

}  // namespace
