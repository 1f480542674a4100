#include "DrawOrder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "LargeBuffers.h"
#include "MFunction.h"

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

bool Greater(std::uint64_t a, std::uint64_t b) { return (a >> KeyShift) > (b >> KeyShift); }

// MList<T>::SiftDown on keys: the children of a are 2a and 2a + 1, and the root's only child is 1.
void SiftDown(std::uint64_t* keys, int a, int b)
{
    const std::uint64_t t = keys[a];
    while (a <= b / 2) {
        int c = 2 * a;
        // A large heap waits on memory at every level; ask three levels ahead.
        if (8LL * a + 7 <= b)
            __builtin_prefetch(keys + 8 * a);
        if (c < b && Greater(keys[c + 1], keys[c]))
            ++c;
        if (c == a || !Greater(keys[c], t))
            break;
        keys[a] = keys[c];
        a = c;
    }
    keys[a] = t;
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

bool ListenedTo(const MList<MObj>& list)
{
    return list.FCompareMore != nullptr || (!list.bLockEvent && (list.OnBeforeChange || list.OnAfterChange));
}

}  // namespace

std::uint32_t DepthKey(float value)
{
    if (value == 0)
        value = 0;  // -0 compares equal to +0, so it gets its key
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

void HeapSortByUpperHalf(std::uint64_t* keys, int count)
{
    BuildHeapByUpperHalf(keys, count, 0);
    BuildHeapByUpperHalf(keys, count, 1);
    FinishHeapSortByUpperHalf(keys, count);
}

void BuildHeapByUpperHalf(std::uint64_t* keys, int count, int half)
{
    // The heap's nodes 2 and 3 head two subtrees that share nothing: each is built on its own,
    // its deeper nodes first, as the sort's descending walk builds them. Nodes 1 and 0 come
    // when both are done.
    const long long last = count / 2;
    const long long root = 2 + half;
    if (root <= last) {
        long long width = 1;
        while (root * width * 2 <= last)
            width *= 2;
        for (; width >= 1; width /= 2)
            for (long long k = std::min(root * width + width - 1, last); k >= root * width; --k)
                SiftDown(keys, static_cast<int>(k), count - 1);
    }
}

void FinishHeapSortByUpperHalf(std::uint64_t* keys, int count, std::atomic<int>* settledFrom)
{
    // Told every so many keys: often enough for a reader to keep close behind, seldom enough
    // to cost nothing.
    constexpr int SettledStep = 512;
    if (count >= 2) {
        for (int k = std::min(1, count / 2); k >= 0; --k)
            SiftDown(keys, k, count - 1);
        // Each step puts the greatest key left at i for good; the sift touches only 0 .. i-1.
        for (int i = count - 1; i >= 1; --i) {
            std::swap(keys[i], keys[0]);
            SiftDown(keys, 0, i - 1);
            if (settledFrom != nullptr && i % SettledStep == 0)
                settledFrom->store(i, std::memory_order_release);
        }
    }
    if (settledFrom != nullptr)
        settledFrom->store(0, std::memory_order_release);
}

DrawListState LayDrawListKeys(Scene& scene)
{
    const long long count = static_cast<long long>(scene.LXyzView.FCount) + scene.LStickView.FCount;
    if (count > MostEntries)
        throw std::length_error(GroupedDigits(count) + " balls and sticks are more than one picture draws ("
                                + GroupedDigits(MostEntries) + ")");
    SetCountForWriting(scene.LObj, static_cast<int>(count));
    const int n = static_cast<int>(count);
    if (n < 2 || ListenedTo(scene.LObj)) {
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
        const std::uint32_t payload = static_cast<std::uint32_t>(i) | (std::signbit(depth) && depth == 0 ? NegativeZero : 0);
        const std::uint64_t key = std::uint64_t{DepthKey(depth)} << KeyShift | payload;
        std::memcpy(bytes + 8 * static_cast<std::size_t>(i), &key, sizeof key);
    }
    return DrawListState::Keys;
}

void BuildDrawListHeap(Scene& scene, int half)
{
    BuildHeapByUpperHalf(reinterpret_cast<std::uint64_t*>(scene.LObj.Data), scene.LObj.FCount, half);
}

void FinishDrawListSort(Scene& scene, std::atomic<int>* settledFrom)
{
    FinishHeapSortByUpperHalf(reinterpret_cast<std::uint64_t*>(scene.LObj.Data), scene.LObj.FCount, settledFrom);
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
    HeapSortByUpperHalf(reinterpret_cast<std::uint64_t*>(scene.LObj.Data), scene.LObj.FCount);
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
