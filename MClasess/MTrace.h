#ifndef PELMORA_MCLASESS_MTRACE_H
#define PELMORA_MCLASESS_MTRACE_H

// The trace channel: every unit reports failed checks, caught exceptions, watched values and
// marks through TracePost. While no trace viewer has opened the channel a post is discarded
// after one relaxed atomic load; the helpers below (TraceError, TraceWatch, TraceMark) make
// that test before they build any text, so they may sit in hot loops.

#include <atomic>
#include <cstdint>
#include <functional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

// Kinds of post.
inline constexpr std::int32_t TraceKindStart = 0;   // opens the channel
inline constexpr std::int32_t TraceKindEnd = 1;     // closes the channel after delivery
inline constexpr std::int32_t TraceKindWatch = 4;
inline constexpr std::int32_t TraceKindError = 13;
inline constexpr std::int32_t TraceKindTyped = 14;  // what kind 22 is posted as
inline constexpr std::int32_t TraceKindMark = 17;
inline constexpr std::int32_t TraceKindElementWatch = 19;
inline constexpr std::int32_t TraceKindTypedTrace = 22;

// Every posting unit's two trace texts; code without a named object posts this as ObjectName.
inline constexpr const char* TraceUnitText = "???";

struct TraceRecord {
    const char* SourceFile = "";
    std::int32_t Line = 0;
    std::string Value;
    std::string Expression;
    std::int32_t Kind = 0;
    const void* Component = nullptr;  // no post of this system names a component
    std::string ObjectName = TraceUnitText;
    std::string Extra1 = TraceUnitText;
    std::string Extra2 = TraceUnitText;
    const char* Method = "";
    std::int32_t Flag = 0;      // only the low byte is posted
    std::int32_t ThreadId = -1; // -1: the posting thread
};

namespace trace_detail {
extern std::atomic<bool> channelOpen;
}

// True while a start post has opened the channel. One relaxed load.
inline bool TraceChannelOpen() noexcept
{
    return trace_detail::channelOpen.load(std::memory_order_relaxed);
}

// Folds the record's texts, and writes it to the shared block when the channel is open and a
// viewer is registered. Never throws, never blocks longer than the wait limit of the block.
void TracePost(TraceRecord record) noexcept;

// Opens the channel with a start post only when the block already exists and a live viewer is
// registered in it; otherwise creates nothing. Returns whether the channel is open afterwards.
bool TraceStartIfViewerRunning() noexcept;

// Where the version message goes ("Error Trace. Need version ..."); the default writes it to
// standard error. The window installs a message box.
using TraceMessageHandler = std::function<void(const std::string& message)>;
void TraceSetMessageHandler(TraceMessageHandler handler);

// The shared block's name, "/MyTraceFileV2" unless changed. Tests use a block of their own;
// change it only while the channel is closed.
void TraceSetBlockName(std::string name);
const std::string& TraceBlockName();

// Value texts of the three forms: 5-Float, 0x0000ABCD-Void*, 'C' -String.
std::string TraceValueText(double number);
std::string TraceValueText(const void* pointer);
std::string TraceValueText(std::string_view text);
inline std::string TraceValueText(const char* text) { return TraceValueText(std::string_view(text)); }
inline std::string TraceValueText(const std::string& text) { return TraceValueText(std::string_view(text)); }

// Kind 13, empty value: "return error", "Unknown error", "!Stream", "Error stream", or a count.
inline void TraceError(std::string_view objectName, std::string_view expression, const char* method,
                       std::source_location where = std::source_location::current()) noexcept
{
    if (!TraceChannelOpen())
        return;
    try {
        TraceRecord record;
        record.SourceFile = where.file_name();
        record.Line = static_cast<std::int32_t>(where.line());
        record.Expression = expression;
        record.Kind = TraceKindError;
        record.ObjectName = objectName;
        record.Method = method;
        TracePost(std::move(record));
    } catch (...) {
        // A report must never disturb the reporting code.
    }
}

// Kind 4: the expression's text and the watched value's text. The value is formatted only while
// the channel is open.
template <class Value>
void TraceWatch(std::string_view objectName, std::string_view expression, const Value& value,
                const char* method, std::source_location where = std::source_location::current()) noexcept
{
    if (!TraceChannelOpen())
        return;
    try {
        TraceRecord record;
        record.SourceFile = where.file_name();
        record.Line = static_cast<std::int32_t>(where.line());
        if constexpr (std::is_arithmetic_v<Value>)
            record.Value = TraceValueText(static_cast<double>(value));
        else
            record.Value = TraceValueText(value);
        record.Expression = expression;
        record.Kind = TraceKindWatch;
        record.ObjectName = objectName;
        record.Method = method;
        TracePost(std::move(record));
    } catch (...) {
    }
}

// Kind 17 with a short label such as "1".
inline void TraceMark(std::string_view objectName, std::string_view label, const char* method,
                      std::source_location where = std::source_location::current()) noexcept
{
    if (!TraceChannelOpen())
        return;
    try {
        TraceRecord record;
        record.SourceFile = where.file_name();
        record.Line = static_cast<std::int32_t>(where.line());
        record.Expression = label;
        record.Kind = TraceKindMark;
        record.ObjectName = objectName;
        record.Method = method;
        TracePost(std::move(record));
    } catch (...) {
    }
}

#endif
