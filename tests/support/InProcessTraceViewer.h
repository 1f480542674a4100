#ifndef PELMORA_TESTS_SUPPORT_INPROCESSTRACEVIEWER_H
#define PELMORA_TESTS_SUPPORT_INPROCESSTRACEVIEWER_H

// A trace viewer inside the test process, so a test sees every record the code under test posts,
// field by field, through the real channel; and the blocks it listens on.

#include "MTrace.h"
#include "MTraceBlockMapping.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

// A block made by the test itself, as a viewer of another build would leave it; removed with the
// object.
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
    std::vector<std::byte> image;  // the whole block as it was when the record was taken
};

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
