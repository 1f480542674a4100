#ifndef PELMORA_APP_CORE_DRAWORDER_H
#define PELMORA_APP_CORE_DRAWORDER_H

// The draw list of the painter's drawing: one entry per ball of LXyzView, then one per stick of
// LStickView (a stick as deep as its nearer end), sorted far to near with the list's heap sort.
// The heap sort's exact steps decide the order of equally deep entries, and with it which of two
// equally deep objects ends up on top, so no other sort may take its place.
//
// The sort here is that heap sort, step for step, run on 8-byte keys laid into the list's own
// buffer: the depth as a 32-bit number that orders like the float (with -0 and +0 one value)
// beside the entry's position and a mark for -0, from which the entry is made again. Every comparison sees what the list's own sort sees, so every
// entry ends where LObj.Sort() puts it, and half the bytes move. A depth that is not a number
// compares with nothing and has no such key: then LObj.Sort() sorts the list itself.

#include <atomic>
#include <cstdint>

#include "Scene.h"

// Rebuilds scene.LObj and sorts it. Throws std::bad_alloc when the list cannot grow and
// std::length_error when it would have more entries than a list holds.
void BuildSortedDrawList(Scene& scene);

// The three steps of BuildSortedDrawList, so that other work can run beside the sort.
enum class DrawListState {
    Keys,    // the keys are laid into the list's buffer: sort them, then turn them into entries
    Sorted,  // the list holds its entries, sorted by the list's own sort
};
DrawListState LayDrawListKeys(Scene& scene);
void SortDrawListKeys(Scene& scene);
void TurnDrawListKeysIntoEntries(Scene& scene);
// SortDrawListKeys in its steps: the two halves of the heap, which may be built at once, then
// the rest of the sort.
void BuildDrawListHeap(Scene& scene, int half);
// The rest of the sort. The sort settles the list from its end (the nearest entries) down: when
// settledFrom is given, it is lowered now and then to the first position whose key, and every
// one after it, is final, and ends at 0, so another thread may read those keys meanwhile.
void FinishDrawListSort(Scene& scene, std::atomic<int>* settledFrom = nullptr);
// The entry a key of the list stands for, while the list holds keys (after LayDrawListKeys
// gave Keys and before TurnDrawListKeysIntoEntries).
MObj DrawListKeyEntry(const Scene& scene, int position);

#endif
