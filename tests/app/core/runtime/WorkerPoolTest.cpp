#include "WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
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

// Runs jobs of 1 to 9 parts, some of whose parts run jobs of their own, on the pool (variant shifts
// which jobs are which); returns how many parts did not run exactly once.
int RunJobs(WorkerPool& pool, int jobs, int variant)
{
    int wrong = 0;
    for (int job = 0; job < jobs; ++job) {
        const auto parts = static_cast<std::size_t>(1 + (job * 7 + variant) % 9);
        const bool nested = (job + variant) % 5 == 0;
        std::vector<std::atomic<int>> runs(parts);
        pool.Run(static_cast<std::int64_t>(parts), [&](std::int64_t part) {
            if (!nested) {
                ++runs[static_cast<std::size_t>(part)];
                return;
            }
            std::atomic<int> inner = 0;
            pool.Run(3, [&](std::int64_t) { ++inner; });
            runs[static_cast<std::size_t>(part)] += inner == 3 ? 1 : 100;
        });
        for (const std::atomic<int>& run : runs)
            wrong += run != 1;
    }
    return wrong;
}

// Two threads running jobs on one pool at the same time (a window that works off its GUI thread
// beside the GUI thread) each get every part of their own jobs run once. A job lost to the other
// caller leaves its caller waiting forever: a watchdog ends the program rather than the test.
TEST(WorkerPool, TwoCallersAtOnceEachGetTheirOwnPartsRun)
{
    constexpr int Jobs = 3000;
    WorkerPool fourThreads(4);
    for (WorkerPool* pool : {&WorkerPool::Shared(), &fourThreads}) {
        SCOPED_TRACE(pool->Threads());
        auto first = std::async(std::launch::async, [&] { return RunJobs(*pool, Jobs, 0); });
        auto second = std::async(std::launch::async, [&] { return RunJobs(*pool, Jobs, 4); });
        for (auto* caller : {&first, &second}) {
            if (caller->wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
                std::fprintf(stderr, "two callers of a pool of %d threads did not finish\n", pool->Threads());
                std::abort();
            }
        }
        EXPECT_EQ(first.get(), 0);
        EXPECT_EQ(second.get(), 0);
    }
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
