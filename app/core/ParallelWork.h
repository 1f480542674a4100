#ifndef PELMORA_APP_CORE_PARALLELWORK_H
#define PELMORA_APP_CORE_PARALLELWORK_H

// Work split into parts that run at once on the processors this process may use.

#include <functional>

// The processors this process may run on (its CPU affinity), at least 1.
int AvailableProcessors();

// Runs work(part) for every part in [0, parts): part 0 on the calling thread, each other part on
// a thread of its own (or on the calling thread when no thread can be started). Returns when all
// parts are done. work must not throw.
void RunInParallel(int parts, const std::function<void(int)>& work);

#endif
