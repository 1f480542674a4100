// What the reader allocates for hostile files: never more than a small multiple of the file's
// size, whatever its counts, frames, lines or declarations claim. Every allocation of this test
// program is counted, the threads of the pool's included.

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#include "MFunction.h"
#include "SmallElements.h"
#include "XyzDocument.h"

namespace {

std::atomic<std::int64_t> liveBytes{0};
std::atomic<std::int64_t> peakBytes{0};

void* Counted(void* block)
{
    if (block == nullptr)
        throw std::bad_alloc();
    const std::int64_t live = liveBytes += std::int64_t(malloc_usable_size(block));
    std::int64_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {}
    return block;
}

void Uncounted(void* block)
{
    if (block != nullptr)
        liveBytes -= std::int64_t(malloc_usable_size(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Counted(std::malloc(std::max<std::size_t>(size, 1))); }
void* operator new[](std::size_t size) { return Counted(std::malloc(std::max<std::size_t>(size, 1))); }
void operator delete(void* block) noexcept { Uncounted(block); }
void operator delete[](void* block) noexcept { Uncounted(block); }
void operator delete(void* block, std::size_t) noexcept { Uncounted(block); }
void operator delete[](void* block, std::size_t) noexcept { Uncounted(block); }

namespace {

std::string Repeated(std::string_view piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The most the reader took beyond the text it was given, while indexing the file and reading
// its first and last frames.
std::int64_t PeakWhileReading(std::string text, const MListAdr<MAtom*>& elements)
{
    MList<MPoint3DN<float>> atoms;
    const std::int64_t before = liveBytes;
    peakBytes = before;
    try {
        const XyzDocument document(std::move(text));
        if (document.FormsFrames()) {
            (void)document.ReadFrame(1, elements, atoms);
            (void)document.ReadFrame(document.FrameCount(), elements, atoms);
        }
    } catch (const MConvertError&) {
    }
    return peakBytes - before;
}

TEST(XyzReaderMemoryTest, NoFileMakesTheReaderTakeMoreThanAFewTimesItsSize)
{
    MListAdr<MAtom*> elements;
    LoadSmallElements(elements);
    constexpr std::size_t Lines = 1 << 18;
    struct Case {
        const char* name;
        std::string text;
    };
    const std::string longFrame = "1\n" + std::string(4000, 'c') + "\nC 0 0 0\n";
    const Case cases[] = {
        {"frames of nothing", Repeated("0\n\n", Lines)},
        {"a long first frame, then frames of nothing", longFrame + Repeated("0\n\n", Lines)},
        {"a count as large as the lines, all empty", std::to_string(Lines) + "\n\n" + Repeated("\n", Lines)},
        {"the shortest atom lines", std::to_string(Lines) + "\n\n" + Repeated("C 0 0 0\n", Lines)},
        {"the shortest atom lines without line ends but CR",
         std::to_string(Lines) + "\r\r" + Repeated("C 0 0 0\r", Lines)},
        {"the largest count", "2147483647\n\n" + Repeated("C 0 0 0\n", Lines)},
        {"a declaration of a million columns",
         "1\nProperties=" + Repeated("a:R:1:", Lines) + "species:S:1:pos:R:3\nC 0 0 0\n"},
        {"a declaration of colons", "1\nProperties=" + Repeated(":", Lines) + "\nC 0 0 0\n"},
        {"a cell of many numbers", "1\nLattice=\"" + Repeated("1 ", Lines) + "\"\nC 0 0 0\n"},
        {"every frame declares its columns",
         Repeated("1\nProperties=species:S:1:pos:R:3:q:R:1\nC 0 0 0 1\n", Lines / 8)},
        {"a line of a million fields", "2\n\nC 0 0 0\nC" + Repeated(" 0", Lines) + "\n"},
        {"a blank tail of a million blanks", "1\n\nC 0 0 0\n" + Repeated(" \t\n", Lines)},
    };
    for (const Case& c : cases) {
        const std::int64_t size = std::int64_t(c.text.size());
        const std::int64_t taken = PeakWhileReading(c.text, elements);
        EXPECT_LE(taken, 8 * size + (1 << 18)) << c.name << ": " << taken << " bytes for a file of " << size;
    }
}

}  // namespace
