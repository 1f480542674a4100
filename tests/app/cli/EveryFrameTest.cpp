// The frames of a trajectory drawn on the pool's threads, one scene per thread (ForEachFrame), as
// --frame all draws them.

#include "ForEachFrame.h"

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include <QImage>

#include "ElementFixture.h"
#include "MFunction.h"
#include "ScenePipeline.h"
#include "WorkerPool.h"

namespace {

// Frame 3 has a line of three fields, frame 4 a coordinate that is no number.
const std::string kTrajectory = "3\nframe 1\nC 0 0 0\nC 1.4 0 0\nH 2 0.9 0\n"
                                "2\nframe 2\nC 0 0 0\nCl 1.7 0 0\n"
                                "2\nframe 3\nC 0 0 0\nC 1 0\n"
                                "1\nframe 4\nC x 0 0\n"
                                "2\nframe 5\nC 0 0 0\nH 1 0 0\n";

const StickControls kSticks{true, 50, 500};
const ViewAngles kAngles{300, 1200, 2100};
const TranslationCell kCell{2, 1, 3.5, 10, 0, 0};

// A frame that fails is handed back by its number, and the frames after it are drawn all the
// same, on one thread as on several.
TEST(ForEachFrame, EveryFrameDrawnOnAThreadOfItsOwnIsTheFrameReadAlone)
{
    ScenePipeline pipeline;
    ASSERT_TRUE(pipeline.LoadElementTable(SmallElementLines()).complete);
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
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
        EXPECT_EQ(errors,
                  (std::vector<std::string>{
                      "", "", "", "Error in *.xyz file in line 15: 'x' is not a valid floating point value", ""}));
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
