#ifndef PELMORA_TESTS_SUPPORT_PRIVATETRACECHANNEL_H
#define PELMORA_TESTS_SUPPORT_PRIVATETRACECHANNEL_H

// The trace channel of a test: it posts to a block under a name of the test's own, never to the
// block of a trace viewer that runs on the machine, optionally with a viewer thread on that
// block. When the fixture ends the channel is closed and every block made under the test's names
// is removed (TraceBlockNames.h). The base name stays set afterwards: a later post finds a test's
// name, never the real block.

#include "InProcessTraceViewer.h"
#include "MTrace.h"
#include "TraceBlockNames.h"

#include <optional>
#include <string>
#include <utility>

class PrivateTraceChannel {
public:
    explicit PrivateTraceChannel(std::string prefix) : names_(std::move(prefix)), blockName_(names_.New())
    {
        TraceSetBlockName(blockName_);
    }
    ~PrivateTraceChannel()
    {
        TraceCloseChannel();
        viewer_.reset();
        block_.reset();
    }
    PrivateTraceChannel(const PrivateTraceChannel&) = delete;
    PrivateTraceChannel& operator=(const PrivateTraceChannel&) = delete;

    // The base name the channel resolves (MTraceBlockName.h).
    const std::string& BlockName() const { return blockName_; }
    // Another name of this test, cleaned up as the channel's; TraceSetBlockName moves the channel
    // to it.
    std::string NewBlockName() { return names_.New(); }
    // Also for a test that checks what it leaves behind.
    const TraceTestBlockNames& Names() const { return names_; }

    // The block under the channel's name, made at the first call.
    const TestBlock& Block()
    {
        if (!block_)
            block_.emplace(blockName_);
        return *block_;
    }
    // A viewer thread registered in that block, started at the first call; the channel stays
    // closed.
    InProcessViewer& Viewer()
    {
        if (!viewer_)
            viewer_.emplace(Block());
        return *viewer_;
    }
    // Opens the channel with a start post, which the viewer thread takes as its first record.
    InProcessViewer& OpenWithViewer()
    {
        InProcessViewer& viewer = Viewer();
        TraceRecord start;
        start.Kind = TraceKindStart;
        start.Expression = "Start";
        TracePost(std::move(start));
        return viewer;
    }

private:
    TraceTestBlockNames names_;  // first made, last gone: it removes what the members below left
    std::string blockName_;
    std::optional<TestBlock> block_;
    std::optional<InProcessViewer> viewer_;
};

#endif
