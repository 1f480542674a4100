#include "ParallelWork.h"

#include <sched.h>

#include <algorithm>

#include <system_error>
#include <thread>
#include <vector>

int AvailableProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunInParallel(int parts, const std::function<void(int)>& work)
{
    std::vector<std::jthread> threads;
    threads.reserve(static_cast<std::size_t>(std::max(parts - 1, 0)));
    for (int part = 1; part < parts; ++part) {
        try {
            threads.emplace_back(work, part);
        } catch (const std::system_error&) {
            work(part);
        }
    }
    if (parts > 0)
        work(0);
}
