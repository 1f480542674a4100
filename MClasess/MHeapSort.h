#ifndef PELMORA_MCLASESS_MHEAPSORT_H
#define PELMORA_MCLASESS_MHEAPSORT_H

// The one heap sort of the class library. MList<T>::Sort runs it on a list's elements; the keyed
// sorts of the scene (the atoms read, sorted by depth, and the draw list) run it on packed keys.
// Its exact steps decide where equal keys end up, so every sort that must leave equal keys where
// the list's own sort leaves them runs these functions, never a copy of them.
//
// The heap is not the textbook one: the children of position a are 2a and 2a + 1, so position
// 0's only real child is 1. The result is still ascending.
//
// `more(x, y)` says whether x sorts after y. An order that calls an element greater than itself
// still ends.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace mheap {

// Asks the memory for `count` elements from first on.
template <class T>
inline void PrefetchElements(const T* first, int count)
{
    constexpr std::size_t cacheLine = 64;
    const char* bytes = reinterpret_cast<const char*>(first);
    const std::size_t size = static_cast<std::size_t>(count) * sizeof(T);
    for (std::size_t offset = 0; offset < size; offset += cacheLine)
        __builtin_prefetch(bytes + offset);
    if (size % cacheLine != 0)
        __builtin_prefetch(bytes + size - 1);
}

// Moves A[a] down the heap A[0 .. b] to where it belongs.
template <class T, class More>
void SiftDown(T* A, int a, int b, More& more)
{
    const T t = A[a];
    while (a <= b / 2) {
        int c = 2 * a;
        // The walk down a large heap waits on memory at every level; asking three levels
        // ahead for the great-grandchildren 8a .. 8a + 7 hides most of that wait.
        if (8LL * a + 7 <= b)
            PrefetchElements(A + 8 * a, 8);
        // The greater child, chosen by arithmetic rather than a jump: which child wins is as good
        // as random, and a mispredicted jump costs more than the sum.
        if (c < b)
            c += static_cast<int>(more(A[c + 1], A[c]));
        // c == a only at the root, whose slot still holds t: stop there even for an order
        // that calls an element greater than itself, which would otherwise never end.
        if (c == a || !more(A[c], t))
            break;
        A[a] = A[c];
        a = c;
    }
    A[a] = t;
}

// Builds the heap over A[0 .. count): positions count / 2 down to 0.
template <class T, class More>
void BuildHeap(T* A, int count, More& more)
{
    for (int k = count / 2; k >= 0; --k)
        SiftDown(A, k, count - 1, more);
}

// BuildHeap in three steps, the first two of which share no element and may run at once:
// positions 2 and 3 head two subtrees, each built alone (half 0: the one under 2, half 1: the
// one under 3), its deeper positions first; BuildHeapTop then sifts positions 1 and 0. The heap
// is the one BuildHeap builds: a position is sifted after all below it, and sifts in subtrees
// that share nothing do not touch each other.
template <class T, class More>
void BuildHeapHalf(T* A, int count, int half, More& more)
{
    const long long last = count / 2;
    const long long root = 2 + half;
    if (root > last)
        return;
    long long width = 1;
    while (root * width * 2 <= last)
        width *= 2;
    for (; width >= 1; width /= 2)
        for (long long k = std::min(root * width + width - 1, last); k >= root * width; --k)
            SiftDown(A, static_cast<int>(k), count - 1, more);
}

template <class T, class More>
void BuildHeapTop(T* A, int count, More& more)
{
    if (count < 2)
        return;
    for (int k = std::min(1, count / 2); k >= 0; --k)
        SiftDown(A, k, count - 1, more);
}

// No report of the settled part: SortHeap then costs nothing for it.
struct NoSettledReport {
    void operator()(int) const {}
};

// Sorts a built heap. Each step puts the greatest element left at position i for good, so the
// array settles from its end: settled(i) is called now and then (every settledStep positions)
// with the first position whose element, and every one after it, is final, and at the end with
// 0, so that another thread may read the settled part meanwhile.
template <class T, class More, class Settled = NoSettledReport>
void SortHeap(T* A, int count, More& more, int settledStep = 1, Settled&& settled = {})
{
    for (int i = count - 1; i >= 1; --i) {
        std::swap(A[i], A[0]);
        SiftDown(A, 0, i - 1, more);
        if constexpr (!std::is_same_v<std::decay_t<Settled>, NoSettledReport>)
            if (i % settledStep == 0)
                settled(i);
    }
    if constexpr (!std::is_same_v<std::decay_t<Settled>, NoSettledReport>)
        settled(0);
}

// The whole sort, ascending.
template <class T, class More>
void HeapSort(T* A, int count, More more)
{
    if (count < 2)
        return;
    BuildHeap(A, count, more);
    SortHeap(A, count, more);
}

// The order of packed keys whose upper 32 bits alone are compared, as unsigned numbers; the
// lower 32 bits ride along (an element's place, say).
struct MoreByUpperHalf {
    bool operator()(std::uint64_t a, std::uint64_t b) const { return (a >> 32) > (b >> 32); }
};

}  // namespace mheap

#endif
