#ifndef PELMORA_APP_CLI_FOREACHSCENE_H
#define PELMORA_APP_CLI_FOREACHSCENE_H

// Items of work that each need a scene (a frame of a file to draw) on every core: one scene per
// thread, each item done on one thread. A scene of a few thousand atoms gains little from being
// split across cores, many frames or files gain nearly all of them.

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <vector>

class ScenePipeline;

// Calls work(pipeline, item) once for every item 0..items-1, on the threads of the shared pool
// (WorkerPool.h): each thread makes one pipeline with the element table of these lines and takes
// the next item not yet taken, so the items are started in order and end in any order. The
// steps work runs (reading, sticks, drawing) then run on that thread alone; work gives the
// pipeline the document it needs (ShareXyz).
//
// An item whose work throws (out of memory, most likely), or for which no pipeline could be
// made, is handed to failed(item, error) on the same thread; the thread drops its pipeline,
// with whatever the failed item left in it, and goes on with the next item on a new one. So
// every item is tried whatever fails and however many threads there are. Returns when every
// item is done.
void ForEachScene(std::size_t items, const std::vector<std::string>& elementLines,
                  const std::function<void(ScenePipeline& pipeline, std::size_t item)>& work,
                  const std::function<void(std::size_t item, std::exception_ptr error)>& failed);

#endif
