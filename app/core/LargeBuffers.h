#ifndef PELMORA_APP_CORE_LARGEBUFFERS_H
#define PELMORA_APP_CORE_LARGEBUFFERS_H

// Room for the model lists of a large structure, taken in one step and backed by large pages.
//
// The first write to fresh memory costs the kernel a page fault for every 4 KB page, which for
// the hundreds of megabytes of a million-atom scene takes longer than the work that writes it.
// Asking for transparent huge pages makes that one fault per 2 MB. It is only advice: where the
// system has none, or the buffer is small, nothing changes but the time.

#include <cstddef>
#include <new>

#include "MListSimple.h"

// Advises the kernel to back the whole 2 MB pages inside [data, data + bytes) with huge pages.
void AdviseHugePages(void* data, std::size_t bytes) noexcept;

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
