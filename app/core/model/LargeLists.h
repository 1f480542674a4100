#ifndef PELMORA_APP_CORE_MODEL_LARGELISTS_H
#define PELMORA_APP_CORE_MODEL_LARGELISTS_H

// Room for the model lists of a large structure, taken in one step and backed by large pages
// (LargeBuffers.h): a million-atom scene writes hundreds of megabytes of fresh memory.

#include <new>

#include "LargeBuffers.h"
#include "MListSimple.h"

// Sets the list's count to count, growing its buffer to exactly that size first (when it must
// grow) and advising huge pages for it. The new elements are left for the caller to write.
// Throws std::bad_alloc (after the list posted why) when the list cannot grow: a model list
// that silently stayed short would give an empty or a wrong picture.
template <class T>
void SetCountForWriting(MListSimple<T>& list, int count)
{
    if (count > list.FCountMax && !list.SetCapacity(count))
        throw std::bad_alloc();
    AdviseHugePages(list.Data, static_cast<std::size_t>(list.FCountMax) * sizeof(T));
    if (!list.SetCount(count))
        throw std::bad_alloc();
}

#endif
