#include "WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace {

TEST(WorkerPool, RunsEveryPartOnceWhateverTheThreads)
{
    for (const int threads : {1, 2, 5}) {
        SCOPED_TRACE(threads);
        WorkerPool pool(threads);
        for (const std::int64_t parts : {0, 1, 2, 7, 1000}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(parts));
            pool.Run(parts, [&](std::int64_t part) { ++runs[static_cast<std::size_t>(part)]; });
            for (std::int64_t part = 0; part < parts; ++part)
                ASSERT_EQ(runs[static_cast<std::size_t>(part)], 1) << "part " << part << " of " << parts;
        }
    }
}

TEST(WorkerPool, APartThatThrowsEndsTheRunWithItsErrorAfterTheOthers)
{
    WorkerPool pool(3);
    std::atomic<int> finished = 0;
    EXPECT_THROW(pool.Run(50,
                          [&](std::int64_t part) {
                              if (part == 17)
                                  throw std::runtime_error("part 17");
                              ++finished;
                          }),
                 std::runtime_error);
    EXPECT_EQ(finished, 49);
    // The pool is still usable.
    pool.Run(4, [&](std::int64_t) { ++finished; });
    EXPECT_EQ(finished, 53);
}

TEST(WorkerPool, ARunInsideAPartRunsOnItsThread)
{
    WorkerPool pool(2);
    std::atomic<int> inner = 0;
    pool.Run(6, [&](std::int64_t) { pool.Run(3, [&](std::int64_t) { ++inner; }); });
    EXPECT_EQ(inner, 18);
}

TEST(ParallelRanges, CoverEveryItemOnceInAscendingParts)
{
    for (const std::int64_t count : {0, 1, 5, 100000}) {
        SCOPED_TRACE(count);
        std::vector<int> seen(static_cast<std::size_t>(count));
        ParallelRanges(count, 1000, [&](std::int64_t begin, std::int64_t end) {
            ASSERT_LE(begin, end);
            for (std::int64_t i = begin; i < end; ++i)
                ++seen[static_cast<std::size_t>(i)];
        });
        for (const int s : seen)
            ASSERT_EQ(s, 1);
    }
}

}  // namespace
