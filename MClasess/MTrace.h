#ifndef PELMORA_MCLASESS_MTRACE_H
#define PELMORA_MCLASESS_MTRACE_H

// The trace channel: every unit reports failed checks, caught exceptions, watched values and
// marks through TracePost. While the channel is closed (no start post has opened it) a post is
// discarded after one relaxed atomic load; the helpers below (TraceError, TraceWatch,
// TraceMark) make that test before they build any text, so they may sit in hot loops.
//
// A post to an open channel waits for the viewer (tools/pelmora-trace) to take the record, at
// most TraceWaitLimit in all. A viewer that died or stopped answering must not hang the
// program, so:
//   - a registered viewer that no longer holds the viewer lock (its process has ended) is
//     unregistered at the next post (Receiver, Busy and Writing cleared), that post is
//     dropped and this process closes its channel;
//   - when the limit runs out, the post is dropped and this process closes its channel, so
//     later posts cost nothing again; Busy and Writing are cleared only if the viewer has
//     gone, since a slow viewer will still take and release the record;
//   - a block that was cut short under the mapping closes the channel without being touched.
// A new start post (or TraceStartIfViewerRunning) opens the channel again. The channel opens
// the block the viewer of this user opens too (MTraceBlockName.h), and only one this user may
// trust (MTraceBlockMapping.h); the block's layout and the handshake with the viewer are in
// MTraceBlock.h.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

// Kinds of post.
inline constexpr std::int32_t TraceKindStart = 0;  // opens the channel
inline constexpr std::int32_t TraceKindEnd = 1;    // closes the channel after the post
inline constexpr std::int32_t TraceKindWatch = 4;
inline constexpr std::int32_t TraceKindError = 13;
inline constexpr std::int32_t TraceKindTyped = 14;  // what kind 22 is posted as
inline constexpr std::int32_t TraceKindMark = 17;
inline constexpr std::int32_t TraceKindElementWatch = 19;
inline constexpr std::int32_t TraceKindTypedTrace = 22;

// Every posting unit's two trace texts; code without a named object posts this as ObjectName.
inline constexpr const char* TraceUnitText = "???";

// The longest a post waits for the block and the viewer, all waits of one post together.
inline constexpr std::chrono::milliseconds TraceWaitLimit{1000};

class QString;

// Where a post is made. The compiler fills it in at the call site; unlike std::source_location it
// also works with the clang of Debian 12, which builds the fuzzing harnesses.
struct TraceLocation {
    const char* file = "";
    std::uint_least32_t lineNumber = 0;

    static constexpr TraceLocation current(const char* file = __builtin_FILE(),
                                           std::uint_least32_t lineNumber = __builtin_LINE()) noexcept
    {
        return TraceLocation{file, lineNumber};
    }
    constexpr const char* file_name() const noexcept { return file; }
    constexpr std::uint_least32_t line() const noexcept { return lineNumber; }
};

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
    std::int32_t Flag = 0;       // only the low byte is posted
    std::int32_t ThreadId = -1;  // -1: the posting thread
};

namespace trace_detail {
extern std::atomic<bool> channelOpen;
}

// True while a start post has opened the channel. One relaxed load.
inline bool TraceChannelOpen() noexcept { return trace_detail::channelOpen.load(std::memory_order_relaxed); }

// Folds the record's texts, and writes it to the shared block when the channel is open and a
// viewer is registered. A start post (kind 0) opens the channel first, creating the block if
// there is none; an end post (kind 1) closes it once the viewer has taken it, and leaves it
// open when there was no viewer or the block has another version. Never throws, never
// blocks longer than TraceWaitLimit.
void TracePost(TraceRecord record) noexcept;

// Closes the channel at once, without a post; later posts are discarded until a start post.
// For a program that stops tracing while no viewer could take an end post.
void TraceCloseChannel() noexcept;

// Opens the channel with a start post only when the block already exists and a live viewer is
// registered in it; otherwise creates nothing. Returns whether the channel is open afterwards.
bool TraceStartIfViewerRunning() noexcept;

// Where the version message goes ("Error Trace. Need version ..."); the default writes it to
// standard error. The window installs a message box. The handler runs outside the channel's
// lock, so it may post itself (a message box's event loop will).
using TraceMessageHandler = std::function<void(const std::string& message)>;
void TraceSetMessageHandler(TraceMessageHandler handler);

// The base name of the shared block, "/MyTraceFileV2" unless changed; the channel opens the block
// TraceBlockNameForThisUser gives for it, which is "BASE-UID" while another user holds the base
// name. Tests use a base name of their own; change it only while the channel is closed.
void TraceSetBlockName(std::string name);
std::string TraceBlockName();

// Value texts of the three forms: 5-Float, 0x0000ABCD-Void*, 'C' -String.
std::string TraceValueText(double number);
std::string TraceValueText(const void* pointer);
std::string TraceValueText(std::string_view text);
inline std::string TraceValueText(const char* text) { return TraceValueText(std::string_view(text)); }
inline std::string TraceValueText(const std::string& text) { return TraceValueText(std::string_view(text)); }
// UTF-16 texts (names, list box lines) are posted as UTF-8, the 8-bit text of the system.
std::string TraceValueText(const QString& text);

// Builds a record of these fields and posts it; the helpers below call it once they know the
// channel is open. Never throws.
void TracePostFields(std::int32_t kind, std::string_view objectName, std::string_view expression, std::string value,
                     const char* method, std::int32_t flag, TraceLocation where) noexcept;

// Kind 13, empty value: "return error", "Unknown error", "!Stream", "Error stream", or a count.
inline void TraceError(std::string_view objectName, std::string_view expression, const char* method,
                       TraceLocation where = TraceLocation::current()) noexcept
{
    if (TraceChannelOpen())
        TracePostFields(TraceKindError, objectName, expression, {}, method, 0, where);
}

// Kind 13 with a count as its value and the flag 1: the range report of a list that was handed
// an index outside another list ("ML.Count").
inline void TraceRangeError(std::string_view objectName, std::string_view expression, double count, const char* method,
                            TraceLocation where = TraceLocation::current()) noexcept
{
    if (!TraceChannelOpen())
        return;
    try {
        TracePostFields(TraceKindError, objectName, expression, TraceValueText(count), method, 1, where);
    } catch (...) {
        // A report must never disturb the reporting code.
    }
}

// Kind 4: the expression's text and the watched value's text. The value is formatted only while
// the channel is open.
template <class Value>
void TraceWatch(std::string_view objectName, std::string_view expression, const Value& value, const char* method,
                TraceLocation where = TraceLocation::current()) noexcept
{
    if (!TraceChannelOpen())
        return;
    try {
        if constexpr (std::is_arithmetic_v<Value>)
            TracePostFields(TraceKindWatch, objectName, expression, TraceValueText(static_cast<double>(value)), method,
                            0, where);
        else
            TracePostFields(TraceKindWatch, objectName, expression, TraceValueText(value), method, 0, where);
    } catch (...) {
    }
}

// Kind 17 with a short label such as "1".
inline void TraceMark(std::string_view objectName, std::string_view label, const char* method,
                      TraceLocation where = TraceLocation::current()) noexcept
{
    if (TraceChannelOpen())
        TracePostFields(TraceKindMark, objectName, label, {}, method, 0, where);
}

#endif
