#ifndef PELMORA_TESTS_MCLASESS_TRACETESTBLOCKS_H
#define PELMORA_TESTS_MCLASESS_TRACETESTBLOCKS_H

// Trace blocks made by tests, good ones and ones another program could have left under a
// block's name, and a trace viewer inside the test process, so a test sees every record the
// code under test posts, field by field, through the real channel.

#include "MTrace.h"
#include "MTraceBlockMapping.h"

#include <atomic>
#include <cstddef>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A block made by the test itself, as a viewer of another build would leave it.
class TestBlock {
public:
    explicit TestBlock(const std::string& name)
        : name_(name), mapping_(TraceBlockMapping::Open(name, TraceBlockMapping::Mode::CreateOrOpen))
    {
    }
    ~TestBlock() { shm_unlink(name_.c_str()); }
    TestBlock(const TestBlock&) = delete;
    TestBlock& operator=(const TestBlock&) = delete;

    const TraceBlock& Block() const { return mapping_->Block(); }
    const TraceBlockMapping& Mapping() const { return *mapping_; }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    std::optional<TraceBlockMapping> mapping_;
};

struct TakenRecord {
    std::int32_t kind = 0;
    int flag = 0;
    std::int32_t threadId = 0;
    std::int32_t line = 0;
    std::string expression, sourceFile, objectName, componentName, extra1, extra2, method;
    std::vector<std::byte> image; // the whole block as it was when the record was taken
};

// Where the system keeps the named blocks; tests put other kinds of files under a block's name.
inline std::string ShmPath(const std::string& name)
{
    return "/dev/shm" + name;
}

// A block made as another program could have left it; false when it cannot be made.
inline bool MakeBlock(const std::string& name, mode_t mode, off_t size)
{
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    const bool made = ftruncate(fd, size) == 0 && fchmod(fd, mode) == 0;
    close(fd);
    return made;
}

// Plays the trace viewer on its own thread, with the same handshake as pelmora-trace: it maps
// the block for itself, holds the viewer lock and registers this process.
class InProcessViewer {
public:
    explicit InProcessViewer(const TestBlock& block)
        : mapping_(TraceBlockMapping::Open(block.Name(), TraceBlockMapping::Mode::OpenExisting)),
          block_(mapping_->Block())
    {
        mapping_->LockAsViewer();
        block_.Receiver().store(static_cast<std::int32_t>(getpid()));
        thread_ = std::thread([this] { Listen(); });
    }
    ~InProcessViewer()
    {
        stop_ = true;
        thread_.join();
        block_.Receiver().store(0);
    }
    InProcessViewer(const InProcessViewer&) = delete;
    InProcessViewer& operator=(const InProcessViewer&) = delete;

    std::vector<TakenRecord> Records()
    {
        std::lock_guard guard(lock_);
        return records_;
    }

private:
    void Listen()
    {
        while (!stop_) {
            const std::int32_t busy = block_.Busy().load(std::memory_order_acquire);
            if (busy != TraceBusyPosted) {
                block_.WaitWhileBusyIs(busy, std::chrono::milliseconds(20));
                continue;
            }
            Take();
            block_.Writing().store(0);
            block_.Busy().store(TraceBusyFree, std::memory_order_release);
        }
    }
    void Take()
    {
        TakenRecord record;
        record.kind = block_.ReadInt32(TraceOffsetKind);
        record.flag = block_.ReadFlag();
        record.threadId = block_.ReadInt32(TraceOffsetThreadId);
        record.line = block_.ReadInt32(TraceOffsetLine);
        record.expression = block_.ReadText(TraceOffsetExpression);
        record.sourceFile = block_.ReadText(TraceOffsetSourceFile);
        record.objectName = block_.ReadText(TraceOffsetObjectName);
        record.componentName = block_.ReadText(TraceOffsetComponentName);
        record.extra1 = block_.ReadText(TraceOffsetExtra1);
        record.extra2 = block_.ReadText(TraceOffsetExtra2);
        record.method = block_.ReadText(TraceOffsetMethod);
        record.image.assign(block_.bytes, block_.bytes + TraceBlockSize);
        std::lock_guard guard(lock_);
        records_.push_back(std::move(record));
    }

    std::optional<TraceBlockMapping> mapping_;
    const TraceBlock& block_;
    std::atomic<bool> stop_ = false;
    std::mutex lock_;
    std::vector<TakenRecord> records_;
    std::thread thread_;
};

#endif
