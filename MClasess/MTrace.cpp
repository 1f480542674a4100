#include "MTrace.h"

#include "MTraceBlockName.h"

#include <QString>

#include <charconv>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>

#include <unistd.h>

namespace trace_detail {
std::atomic<bool> channelOpen{false};
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kPollInterval{1};

struct ChannelState {
    std::mutex lock;
    std::string blockName = TraceDefaultBlockName;  // the base name; MTraceBlockName.h resolves it
    std::optional<TraceBlockMapping> mapping;       // empty while the channel is closed
    std::mutex handlerLock;
    TraceMessageHandler messageHandler;
};

// Never destroyed: units may still post from their static destructors at exit.
ChannelState& State()
{
    static ChannelState* const state = new ChannelState;
    return *state;
}

// --- opening and closing (callers hold the lock) -------------------------------------------

bool OpenChannel(ChannelState& state, TraceBlockMapping::Mode mode)
{
    state.mapping = TraceOpenBlockForThisUser(state.blockName, mode).mapping;
    trace_detail::channelOpen.store(state.mapping.has_value(), std::memory_order_relaxed);
    return state.mapping.has_value();
}

void CloseChannel(ChannelState& state)
{
    state.mapping.reset();
    trace_detail::channelOpen.store(false, std::memory_order_relaxed);
}

// --- the viewer ------------------------------------------------------------------------------

// A registered viewer is alive while it holds the viewer lock; its process number alone could
// belong to another program by now.
bool ViewerAlive(const TraceBlockMapping& mapping) { return mapping.ViewerLockHeld(); }

// Leaves a newer viewer that registered meanwhile alone.
void ForgetViewer(const TraceBlock& block, std::int32_t pid)
{
    std::int32_t expected = pid;
    if (!block.Receiver().compare_exchange_strong(expected, 0))
        return;
    block.Writing().store(0);
    block.Busy().store(TraceBusyFree, std::memory_order_release);
}

// --- folding ----------------------------------------------------------------------------------

void FoldTexts(TraceRecord& record)
{
    switch (record.Kind) {
    case TraceKindWatch:
    case TraceKindElementWatch:
        record.Expression += '=';
        record.Expression += record.Value;
        break;
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:  // method marks
        if (record.Expression.empty() && record.Method != nullptr)
            record.Expression = record.Method;
        break;
    case TraceKindTypedTrace:
        record.Expression = "_TT(" + record.Expression + ")=" + record.Value;
        record.Kind = TraceKindTyped;
        break;
    default:
        if (!record.Value.empty()) {
            record.Expression += '=';
            record.Expression += record.Value;
        }
        break;
    }
    record.Value.clear();
}

std::string_view TextOrEmpty(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

// Paths inside the project are posted relative to its root, the same on every machine. A compiler
// cache may hand the compiler paths relative to the build folder instead ("../../MClasess/MList.h");
// from a build folder inside the project they climb back to its root, so the climb is dropped.
std::string_view RelativeSourceFile(const char* sourceFile)
{
    constexpr std::string_view root = PELMORA_SOURCE_DIR;
    std::string_view path = TextOrEmpty(sourceFile);
    if (path.starts_with(root)) {
        path.remove_prefix(root.size());
        return path;
    }
    for (;;) {
        if (path.starts_with("../"))
            path.remove_prefix(3);
        else if (path.starts_with("./"))
            path.remove_prefix(2);
        else
            return path;
    }
}

// --- handshake with the viewer ------------------------------------------------------------------

// Compare-and-swap rather than a look followed by a store: writers in two processes must never
// both take the block.
template <class Field, class Value>
bool ClaimBefore(Field field, Value value, Clock::time_point deadline)
{
    for (;;) {
        Value expected = 0;
        if (field.compare_exchange_strong(expected, value, std::memory_order_acquire))
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool WaitUntilTaken(const TraceBlock& block, Clock::time_point deadline)
{
    while (block.Busy().load(std::memory_order_acquire) > 0) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void WriteRecord(const TraceBlock& block, const TraceRecord& record)
{
    block.WriteText(TraceOffsetSourceFile, RelativeSourceFile(record.SourceFile));
    block.WriteText(TraceOffsetExpression, record.Expression);
    block.Version().store(TraceBlockVersion, std::memory_order_relaxed);
    block.WriteFlag(static_cast<std::uint8_t>(record.Flag & 0xFF));
    block.WriteInt32(TraceOffsetLine, record.Line);
    block.WriteInt32(TraceOffsetKind, record.Kind);
    block.WriteInt32(TraceOffsetThreadId,
                     record.ThreadId == -1 ? static_cast<std::int32_t>(gettid()) : record.ThreadId);
    block.WriteText(TraceOffsetObjectName, record.ObjectName);
    // No post of this system names a component.
    block.WriteText(TraceOffsetComponentName, TraceUnitText);
    block.WriteText(TraceOffsetExtra1, record.Extra1);
    block.WriteText(TraceOffsetExtra2, record.Extra2);
    block.WriteText(TraceOffsetMethod, TextOrEmpty(record.Method));
}

enum class Delivery { Delivered, Dropped, VersionMismatch, ViewerGone, TimedOut };

// Changes Busy from this writer's claim only: a claim the viewer freed (because this writer
// held it too long) may belong to another writer by now.
bool ReplaceClaim(const TraceBlock& block, std::int32_t claim, std::int32_t value)
{
    return block.Busy().compare_exchange_strong(claim, value, std::memory_order_acq_rel);
}

Delivery HandOver(const TraceBlock& block, const TraceRecord& record)
{
    const Clock::time_point deadline = Clock::now() + TraceWaitLimit;
    const std::int32_t claim = TraceClaimOf(static_cast<std::int32_t>(gettid()));
    if (!ClaimBefore(block.Busy(), claim, deadline))
        return Delivery::TimedOut;
    if (!ClaimBefore(block.Writing(), std::uint8_t{1}, deadline)) {
        // Give back the claim, or every later writer would wait on it as well.
        ReplaceClaim(block, claim, TraceBusyFree);
        return Delivery::TimedOut;
    }
    WriteRecord(block, record);
    if (!ReplaceClaim(block, claim, TraceBusyPosted))
        return Delivery::TimedOut;
    block.WakeBusyWaiters();
    if (!WaitUntilTaken(block, deadline))
        return Delivery::TimedOut;
    return Delivery::Delivered;
}

Delivery Deliver(const TraceBlockMapping& mapping, TraceRecord& record)
{
    const TraceBlock& block = mapping.Block();
    if (block.Version().load(std::memory_order_acquire) != TraceBlockVersion)
        return Delivery::VersionMismatch;
    const std::int32_t receiver = block.Receiver().load(std::memory_order_acquire);
    if (receiver <= 0)
        return Delivery::Dropped;
    if (!ViewerAlive(mapping)) {
        ForgetViewer(block, receiver);
        return Delivery::ViewerGone;
    }
    FoldTexts(record);
    const Delivery delivery = HandOver(block, record);
    if (delivery == Delivery::TimedOut && !ViewerAlive(mapping))
        ForgetViewer(block, receiver);
    return delivery;
}

std::string VersionMessage(std::int32_t foundVersion)
{
    return "Error Trace. Need version ps->Version=" + std::to_string(TraceBlockVersion)
        + ", ps->Version=" + std::to_string(foundVersion);
}

void ShowMessage(const std::string& message)
{
    ChannelState& state = State();
    TraceMessageHandler handler;
    {
        std::lock_guard guard(state.handlerLock);
        handler = state.messageHandler;
    }
    if (handler) {
        handler(message);
        return;
    }
    std::fputs((message + '\n').c_str(), stderr);
}

// Returns the version message to show, if any; the caller shows it after leaving the lock.
std::optional<std::string> PostLocked(ChannelState& state, TraceRecord& record)
{
    if (!state.mapping) {
        if (record.Kind != TraceKindStart || !OpenChannel(state, TraceBlockMapping::Mode::CreateOrOpen))
            return std::nullopt;
    }
    // A block cut short under the mapping would raise SIGBUS at the first touch.
    if (!state.mapping->Whole()) {
        CloseChannel(state);
        return std::nullopt;
    }
    const Delivery delivery = Deliver(*state.mapping, record);
    std::optional<std::string> message;
    if (delivery == Delivery::VersionMismatch)
        message = VersionMessage(state.mapping->Block().Version().load(std::memory_order_relaxed));
    const bool endDelivered = record.Kind == TraceKindEnd && delivery == Delivery::Delivered;
    if (endDelivered || delivery == Delivery::ViewerGone || delivery == Delivery::TimedOut)
        CloseChannel(state);
    return message;
}

}  // namespace

void TracePost(TraceRecord record) noexcept
{
    if (record.Kind != TraceKindStart && !TraceChannelOpen())
        return;
    try {
        ChannelState& state = State();
        std::optional<std::string> message;
        {
            std::lock_guard guard(state.lock);
            message = PostLocked(state, record);
        }
        if (message)
            ShowMessage(*message);
    } catch (...) {
        // A report must never disturb the reporting code.
    }
}

bool TraceStartIfViewerRunning() noexcept
{
    try {
        ChannelState& state = State();
        {
            std::lock_guard guard(state.lock);
            if (state.mapping)
                return true;
            if (!OpenChannel(state, TraceBlockMapping::Mode::OpenExisting))
                return false;
            const TraceBlock& block = state.mapping->Block();
            const std::int32_t receiver = block.Receiver().load(std::memory_order_acquire);
            if (receiver <= 0 || !ViewerAlive(*state.mapping)) {
                if (receiver > 0)
                    ForgetViewer(block, receiver);
                CloseChannel(state);
                return false;
            }
        }
        TraceRecord start;
        start.SourceFile = __FILE__;
        start.Line = __LINE__;
        start.Expression = "Start";
        start.Kind = TraceKindStart;
        start.Method = "TraceStartIfViewerRunning";
        TracePost(std::move(start));
        return TraceChannelOpen();
    } catch (...) {
        return false;
    }
}

void TraceCloseChannel() noexcept
{
    ChannelState& state = State();
    std::lock_guard guard(state.lock);
    CloseChannel(state);
}

void TraceSetMessageHandler(TraceMessageHandler handler)
{
    ChannelState& state = State();
    std::lock_guard guard(state.handlerLock);
    state.messageHandler = std::move(handler);
}

void TraceSetBlockName(std::string name)
{
    ChannelState& state = State();
    std::lock_guard guard(state.lock);
    state.blockName = std::move(name);
}

std::string TraceBlockName()
{
    ChannelState& state = State();
    std::lock_guard guard(state.lock);
    return state.blockName;
}

std::string TraceValueText(double number)
{
    char text[64];
    const std::to_chars_result result =
        std::to_chars(std::begin(text), std::end(text), number, std::chars_format::general, 15);
    return std::string(text, result.ptr) + "-Float";
}

std::string TraceValueText(const void* pointer)
{
    char digits[2 * sizeof(std::uintptr_t)];
    const std::to_chars_result result =
        std::to_chars(std::begin(digits), std::end(digits), reinterpret_cast<std::uintptr_t>(pointer), 16);
    std::string text = "0x";
    const auto length = static_cast<std::size_t>(result.ptr - digits);
    if (length < 8)
        text.append(8 - length, '0');
    for (const char* digit = digits; digit != result.ptr; ++digit)
        text += (*digit >= 'a' && *digit <= 'f') ? static_cast<char>(*digit - 'a' + 'A') : *digit;
    return text + "-Void*";
}

std::string TraceValueText(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 10);
    result += '\'';
    result += text;
    result += "' -String";
    return result;
}

std::string TraceValueText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return TraceValueText(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void TracePostFields(std::int32_t kind, std::string_view objectName, std::string_view expression, std::string value,
                     const char* method, std::int32_t flag, TraceLocation where) noexcept
{
    try {
        TraceRecord record;
        record.SourceFile = where.file_name();
        record.Line = static_cast<std::int32_t>(where.line());
        record.Value = std::move(value);
        record.Expression = expression;
        record.Kind = kind;
        record.ObjectName = objectName;
        record.Method = method;
        record.Flag = flag;
        TracePost(std::move(record));
    } catch (...) {
        // A report must never disturb the reporting code.
    }
}
