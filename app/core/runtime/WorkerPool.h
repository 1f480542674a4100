#ifndef PELMORA_APP_CORE_WORKERPOOL_H
#define PELMORA_APP_CORE_WORKERPOOL_H

// Runs the parts of one job on every core: the calling thread and helper threads that are
// started once and then wait for work. The helpers work for one job at a time; a job that comes
// from another thread meanwhile runs on that thread alone.
//
// The thread that owns the model calls Run and is blocked until every part is done, so the model
// never has a second owner: a part reads what the job shares and writes only what is its own
// (its band of rows, its range of a list). Parts are handed out in ascending order to whichever
// thread is free, so a result must never depend on which thread ran a part or in what order the
// parts finished.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
public:
    // The pool of the process, with one thread per core (the caller's among them).
    static WorkerPool& Shared();

    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // How many threads a job runs on, the calling thread included.
    int Threads() const { return limit_; }
    // Uses at most this many threads (at least one, at most the pool's size): tests and
    // benchmarks compare one core with all of them.
    void SetThreadLimit(int threads);

    // Calls part(index) for index = 0 .. parts - 1 and returns when all have returned. A part
    // that throws has the first exception rethrown here, after the other parts ended. A Run from
    // inside a part runs its parts on the calling thread, and so does a Run from another thread
    // while the helpers work for a job: any thread may call Run, and none waits for another's job.
    void Run(std::int64_t parts, const std::function<void(std::int64_t)>& part);

private:
    static void RunOnCallingThread(std::int64_t parts, const std::function<void(std::int64_t)>& part);
    void HelperLoop(int helper);
    void RunParts();

    std::vector<std::thread> helpers_;
    int limit_ = 1;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
    int helpersAsked_ = 0;  // helpers taking part in the current job
    int helpersBusy_ = 0;
    const std::function<void(std::int64_t)>* job_ = nullptr;
    std::int64_t parts_ = 0;
    std::int64_t nextPart_ = 0;  // guarded by mutex_
    std::exception_ptr failure_;
};

// Splits count items into parts of at least minimumPart items, a few per thread so that
// uneven parts even out, and calls range(begin, end) for each on the shared pool.
void ParallelRanges(std::int64_t count, std::int64_t minimumPart,
                    const std::function<void(std::int64_t begin, std::int64_t end)>& range);

#endif
