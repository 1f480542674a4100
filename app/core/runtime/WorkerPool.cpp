#include "WorkerPool.h"

#include <algorithm>
#include <utility>

namespace {

// Set while a thread runs a part, so that a nested Run does not wait for itself.
thread_local bool insidePart = false;

// Parts per thread: enough that a slow part does not leave the other threads idle for long.
constexpr std::int64_t PartsPerThread = 4;

}  // namespace

WorkerPool& WorkerPool::Shared()
{
    static WorkerPool pool(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    return pool;
}

WorkerPool::WorkerPool(int threads) : limit_(std::max(1, threads))
{
    for (int helper = 1; helper < limit_; ++helper)
        helpers_.emplace_back([this, helper] { HelperLoop(helper); });
}

WorkerPool::~WorkerPool()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void WorkerPool::SetThreadLimit(int threads) { limit_ = std::clamp(threads, 1, static_cast<int>(helpers_.size()) + 1); }

void WorkerPool::Run(std::int64_t parts, const std::function<void(std::int64_t)>& part)
{
    if (parts <= 0)
        return;
    if (insidePart || limit_ == 1 || parts == 1) {
        RunOnCallingThread(parts, part);
        return;
    }
    std::unique_lock lock(mutex_);
    if (job_ != nullptr) {
        // The helpers work for another caller. Waiting for them could wait forever, when that
        // caller's job waits for this thread; so this job runs on this thread alone.
        lock.unlock();
        RunOnCallingThread(parts, part);
        return;
    }
    job_ = &part;
    parts_ = parts;
    nextPart_ = 0;
    failure_ = nullptr;
    helpersAsked_ = static_cast<int>(std::min<std::int64_t>(limit_ - 1, parts - 1));
    helpersBusy_ = helpersAsked_;
    ++generation_;
    lock.unlock();
    wake_.notify_all();

    RunParts();

    lock.lock();
    done_.wait(lock, [this] { return helpersBusy_ == 0; });
    job_ = nullptr;
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

void WorkerPool::RunOnCallingThread(std::int64_t parts, const std::function<void(std::int64_t)>& part)
{
    for (std::int64_t index = 0; index < parts; ++index)
        part(index);
}

void WorkerPool::RunParts()
{
    insidePart = true;
    for (;;) {
        std::int64_t index = 0;
        {
            const std::lock_guard lock(mutex_);
            if (nextPart_ >= parts_)
                break;
            index = nextPart_++;
        }
        try {
            (*job_)(index);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!failure_)
                failure_ = std::current_exception();
        }
    }
    insidePart = false;
}

void WorkerPool::HelperLoop(int helper)
{
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
        if (stopping_)
            return;
        seen = generation_;
        if (helper > helpersAsked_)
            continue;
        lock.unlock();
        RunParts();
        lock.lock();
        if (--helpersBusy_ == 0)
            done_.notify_one();
    }
}

void ParallelRanges(std::int64_t count, std::int64_t minimumPart,
                    const std::function<void(std::int64_t begin, std::int64_t end)>& range)
{
    if (count <= 0)
        return;
    WorkerPool& pool = WorkerPool::Shared();
    const std::int64_t wanted = static_cast<std::int64_t>(pool.Threads()) * PartsPerThread;
    const std::int64_t parts = std::clamp<std::int64_t>(count / std::max<std::int64_t>(1, minimumPart), 1, wanted);
    pool.Run(parts, [&](std::int64_t part) { range(count * part / parts, count * (part + 1) / parts); });
}
