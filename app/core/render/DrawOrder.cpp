#include "DrawOrder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "DepthKey.h"
#include "LargeLists.h"
#include "MFunction.h"
#include "MHeapSort.h"

namespace {

constexpr int KeyShift = 32;
// Positions take 31 bits of a key's lower half; the last one marks a depth of -0.
constexpr std::uint32_t NegativeZero = 0x80000000u;
constexpr long long MostEntries = std::numeric_limits<std::int32_t>::max();

// The float a key's upper half stands for (+0 for both zeros).
float DepthOfKey(std::uint32_t key)
{
    return std::bit_cast<float>((key & 0x80000000u) != 0 ? key & 0x7FFFFFFFu : ~key);
}

// The entry at a position of the draw list as DrawScene lays it out: balls first, then sticks.
MObj EntryAt(const Scene& scene, std::uint32_t position)
{
    const auto atoms = static_cast<std::uint32_t>(scene.LXyzView.FCount);
    if (position < atoms)
        return MObj{scene.LXyzView.Data[position].z, static_cast<std::int32_t>(position), -1};
    const std::uint32_t stick = position - atoms;
    return MObj{scene.LStickView.Data[stick].Depth(), -1, static_cast<std::int32_t>(stick)};
}

// The entry a key stands for.
MObj EntryOfKey(const Scene& scene, std::uint64_t key)
{
    const auto atoms = static_cast<std::uint32_t>(scene.LXyzView.FCount);
    const auto payload = static_cast<std::uint32_t>(key);
    const std::uint32_t position = payload & ~NegativeZero;
    float depth = DepthOfKey(static_cast<std::uint32_t>(key >> KeyShift));
    if ((payload & NegativeZero) != 0)
        depth = -0.0f;
    return position < atoms ? MObj{depth, static_cast<std::int32_t>(position), -1}
                            : MObj{depth, -1, static_cast<std::int32_t>(position - atoms)};
}

// The list's own sort: for depths that are not numbers, and for a list someone listens to.
void SortEntries(Scene& scene)
{
    for (int i = 0; i < scene.LObj.FCount; ++i)
        scene.LObj.Data[i] = EntryAt(scene, static_cast<std::uint32_t>(i));
    scene.LObj.Sort();
}

}  // namespace

DrawListState LayDrawListKeys(Scene& scene)
{
    const long long count = static_cast<long long>(scene.LXyzView.FCount) + scene.LStickView.FCount;
    if (count > MostEntries)
        throw std::length_error(GroupedDigits(count) + " balls and sticks are more than one picture draws ("
                                + GroupedDigits(MostEntries) + ")");
    SetCountForWriting(scene.LObj, static_cast<int>(count));
    const int n = static_cast<int>(count);
    if (n < 2 || !scene.LObj.SortIsPlain()) {
        SortEntries(scene);
        return DrawListState::Sorted;
    }
    // Key i takes bytes 8i .. 8i + 7 of the buffer, entry i bytes 12i .. 12i + 11: going up, a key
    // only ever covers entries already read, and going down an entry only keys already used.
    auto* bytes = reinterpret_cast<unsigned char*>(scene.LObj.Data);
    for (int i = 0; i < n; ++i) {
        const float depth = EntryAt(scene, static_cast<std::uint32_t>(i)).Z;
        if (std::isnan(depth)) {
            SortEntries(scene);
            return DrawListState::Sorted;
        }
        const std::uint32_t payload =
            static_cast<std::uint32_t>(i) | (std::signbit(depth) && depth == 0 ? NegativeZero : 0);
        const std::uint64_t key = std::uint64_t{DepthKey(depth)} << KeyShift | payload;
        std::memcpy(bytes + 8 * static_cast<std::size_t>(i), &key, sizeof key);
    }
    return DrawListState::Keys;
}

void BuildDrawListHeap(Scene& scene, int half)
{
    mheap::MoreByUpperHalf more;
    mheap::BuildHeapHalf(reinterpret_cast<std::uint64_t*>(scene.LObj.Data), scene.LObj.FCount, half, more);
}

void FinishDrawListSort(Scene& scene, std::atomic<int>* settledFrom)
{
    // Told every so many keys: often enough for a reader to keep close behind, seldom enough
    // to cost nothing.
    constexpr int SettledStep = 512;
    auto* keys = reinterpret_cast<std::uint64_t*>(scene.LObj.Data);
    const int count = scene.LObj.FCount;
    mheap::MoreByUpperHalf more;
    mheap::BuildHeapTop(keys, count, more);
    if (settledFrom == nullptr)
        return mheap::SortHeap(keys, count, more);
    mheap::SortHeap(keys, count, more, SettledStep,
                    [settledFrom](int settled) { settledFrom->store(settled, std::memory_order_release); });
}

MObj DrawListKeyEntry(const Scene& scene, int position)
{
    std::uint64_t key = 0;
    std::memcpy(&key, reinterpret_cast<const unsigned char*>(scene.LObj.Data) + 8 * static_cast<std::size_t>(position),
                sizeof key);
    return EntryOfKey(scene, key);
}

void SortDrawListKeys(Scene& scene)
{
    mheap::HeapSort(reinterpret_cast<std::uint64_t*>(scene.LObj.Data), scene.LObj.FCount, mheap::MoreByUpperHalf{});
}

void TurnDrawListKeysIntoEntries(Scene& scene)
{
    auto* bytes = reinterpret_cast<unsigned char*>(scene.LObj.Data);
    for (int i = scene.LObj.FCount - 1; i >= 0; --i) {
        std::uint64_t key = 0;
        std::memcpy(&key, bytes + 8 * static_cast<std::size_t>(i), sizeof key);
        const MObj entry = EntryOfKey(scene, key);
        std::memcpy(bytes + 12 * static_cast<std::size_t>(i), &entry, sizeof entry);
    }
}

void BuildSortedDrawList(Scene& scene)
{
    const DrawListState state = LayDrawListKeys(scene);
    if (state == DrawListState::Keys) {
        SortDrawListKeys(scene);
        TurnDrawListKeysIntoEntries(scene);
    }
}
