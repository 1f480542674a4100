#ifndef PELMORA_MCLASESS_MTRACEBLOCK_H
#define PELMORA_MCLASESS_MTRACEBLOCK_H

// The shared block of the trace channel, as both sides see it: the traced program (MTrace.cpp)
// writes one record at a time into it, and the trace viewer (tools/pelmora-trace) takes each
// record out again. The byte layout is fixed, so that programs built at different times can
// share one block; every integer is little-endian.
//
// Handshake over Busy and Writing, one record at a time:
//   writer: Busy 0 -> its claim, Writing 0 -> 1, write the record, Busy claim -> 2 (posted),
//           wake the futex on Busy, then wait until Busy is 0 again;
//   viewer: sleeps on the futex of Busy; on 2 it copies the record, then Writing -> 0 and
//           Busy -> 0.
// Busy stays greater than 0 while a record is pending, so a writer of any build that only
// waits for 0 keeps working; the value 2 tells the viewer that the record is complete. A claim
// carries the claiming thread's id (TraceClaimOf), 1 being the claim of a writer that names
// none. A writer killed between claiming and posting would hold the block for ever, so the
// viewer frees a claim whose thread is gone, or that nobody completes within
// TraceClaimLimit; a writer whose claim was freed finds Busy changed and drops its post.
//
// Receiver holds the viewer's process id, 0 while no viewer is registered. A live viewer also
// holds the viewer lock (an open-file-description lock on the block), which the kernel drops
// when the viewer's process ends, however it ends: a Receiver without the lock is stale, even
// when its process number has been given to another program since.
//
// Opening and mapping the block, and the viewer lock, are in MTraceBlockMapping.h.

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static_assert(std::endian::native == std::endian::little, "the trace block is little-endian");

inline constexpr std::int32_t TraceBlockVersion = 140505;
inline constexpr std::size_t TraceBlockSize = 80'044;
inline constexpr std::size_t TraceSlotSize = 10'000;
inline constexpr const char* TraceDefaultBlockName = "/MyTraceFileV2";

// Byte offsets.
inline constexpr std::size_t TraceOffsetVersion = 0;
inline constexpr std::size_t TraceOffsetReceiver = 4;
inline constexpr std::size_t TraceOffsetReserved = 8;
inline constexpr std::size_t TraceOffsetBusy = 12;
inline constexpr std::size_t TraceOffsetWriting = 16;
inline constexpr std::size_t TraceOffsetLine = 20;
inline constexpr std::size_t TraceOffsetKind = 24;
inline constexpr std::size_t TraceOffsetThreadId = 28;
inline constexpr std::size_t TraceOffsetFlag = 40;
inline constexpr std::size_t TraceOffsetExpression = 41;
inline constexpr std::size_t TraceOffsetSourceFile = TraceOffsetExpression + 1 * TraceSlotSize;
inline constexpr std::size_t TraceOffsetObjectName = TraceOffsetExpression + 2 * TraceSlotSize;
inline constexpr std::size_t TraceOffsetComponentName = TraceOffsetExpression + 3 * TraceSlotSize;
inline constexpr std::size_t TraceOffsetExtra1 = TraceOffsetExpression + 4 * TraceSlotSize;
inline constexpr std::size_t TraceOffsetExtra2 = TraceOffsetExpression + 5 * TraceSlotSize;
inline constexpr std::size_t TraceOffsetMethod = TraceOffsetExpression + 6 * TraceSlotSize;
inline constexpr std::size_t TraceOffsetTail = TraceOffsetExpression + 7 * TraceSlotSize;
static_assert(TraceOffsetMethod == 60'041 && TraceOffsetTail + 10'003 == TraceBlockSize);

// Values of Busy.
inline constexpr std::int32_t TraceBusyFree = 0;
inline constexpr std::int32_t TraceBusyClaimed = 1;  // a claim that names no thread
inline constexpr std::int32_t TraceBusyPosted = 2;

// A claim naming its thread: bit 30 set, the thread id in the bits below (thread ids stay
// below 2^22 on Linux), so it is never 1 or 2.
inline constexpr std::int32_t TraceClaimNamed = 0x4000'0000;
inline constexpr std::int32_t TraceClaimThreadMask = TraceClaimNamed - 1;

inline constexpr std::int32_t TraceClaimOf(std::int32_t threadId)
{
    return TraceClaimNamed | (threadId & TraceClaimThreadMask);
}

// The thread named by a claim, or 0 when the value names none.
inline constexpr std::int32_t TraceClaimThread(std::int32_t busy)
{
    return busy > 0 && (busy & TraceClaimNamed) != 0 ? busy & TraceClaimThreadMask : 0;
}

// How long the viewer lets a claim stand before it frees it. Copying a record takes
// microseconds; a claim this old belongs to a writer that was stopped or killed halfway.
inline constexpr std::chrono::milliseconds TraceClaimLimit{500};

// A view of a mapped block; it does not own the mapping.
struct TraceBlock {
    std::byte* bytes = nullptr;

    std::atomic_ref<std::int32_t> Version() const { return std::atomic_ref(Int32At(TraceOffsetVersion)); }
    std::atomic_ref<std::int32_t> Receiver() const { return std::atomic_ref(Int32At(TraceOffsetReceiver)); }
    std::atomic_ref<std::int32_t> Busy() const { return std::atomic_ref(Int32At(TraceOffsetBusy)); }
    std::atomic_ref<std::uint8_t> Writing() const
    {
        return std::atomic_ref(*reinterpret_cast<std::uint8_t*>(bytes + TraceOffsetWriting));
    }

    // Plain fields of the record; the handshake orders them.
    std::int32_t ReadInt32(std::size_t offset) const
    {
        std::int32_t value = 0;
        std::memcpy(&value, bytes + offset, sizeof value);
        return value;
    }
    void WriteInt32(std::size_t offset, std::int32_t value) const { std::memcpy(bytes + offset, &value, sizeof value); }
    std::uint8_t ReadFlag() const { return static_cast<std::uint8_t>(bytes[TraceOffsetFlag]); }
    void WriteFlag(std::uint8_t flag) const { bytes[TraceOffsetFlag] = static_cast<std::byte>(flag); }

    // A text longer than a slot keeps its first 9,999 bytes, so the zero always fits and the
    // next field is never overwritten.
    void WriteText(std::size_t offset, std::string_view text) const
    {
        const std::size_t length = std::min(text.size(), TraceSlotSize - 1);
        std::memcpy(bytes + offset, text.data(), length);
        bytes[offset + length] = std::byte{0};
    }
    // Stops at the slot's end even when another program left no zero in it.
    std::string ReadText(std::size_t offset) const
    {
        const char* start = reinterpret_cast<const char*>(bytes + offset);
        return std::string(start, strnlen(start, TraceSlotSize));
    }

    // Sleeps while Busy still holds `expected`, at most `limit`; returns early when a writer
    // wakes the word, on any signal, or at once when Busy has already changed.
    void WaitWhileBusyIs(std::int32_t expected, std::chrono::nanoseconds limit) const
    {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit);
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(seconds.count());
        timeout.tv_nsec = static_cast<long>((limit - seconds).count());
        // Not FUTEX_PRIVATE: writer and viewer are different processes.
        syscall(SYS_futex, &Int32At(TraceOffsetBusy), FUTEX_WAIT, expected, &timeout, nullptr, 0);
    }
    void WakeBusyWaiters() const
    {
        syscall(SYS_futex, &Int32At(TraceOffsetBusy), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
    }

private:
    std::int32_t& Int32At(std::size_t offset) const { return *reinterpret_cast<std::int32_t*>(bytes + offset); }
};

#endif
