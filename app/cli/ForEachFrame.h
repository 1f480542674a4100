#ifndef PELMORA_APP_CLI_FOREACHFRAME_H
#define PELMORA_APP_CLI_FOREACHFRAME_H

// The frames of a trajectory on every core: one scene per thread, each frame drawn on one thread.
// A frame of a few thousand atoms gains little from being split across cores, a trajectory of
// many frames gains nearly all of them.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ScenePipeline;
class XyzDocument;

// Calls work(pipeline, frame) once for every frame 1..FrameCount of the document, on the threads
// of the shared pool (WorkerPool.h): each thread makes one pipeline with the element table of
// these lines, sharing the document, and takes the next frame not yet taken, so the frames end
// in any order. The steps work runs (reading, sticks, drawing) then run on that thread alone.
//
// A frame whose work throws (out of memory, most likely), or for which no pipeline could be
// made, is handed to failed(frame, error) on the same thread; the thread drops its pipeline,
// with whatever the failed frame left in it, and goes on with the next frame on a new one. So
// every frame is tried whatever fails and however many threads there are. Returns when every
// frame is done.
void ForEachFrame(const std::shared_ptr<const XyzDocument>& document, const std::vector<std::string>& elementLines,
                  const std::function<void(ScenePipeline& pipeline, int frame)>& work,
                  const std::function<void(int frame, std::exception_ptr error)>& failed);

#endif
