#ifndef PELMORA_APP_CORE_RUNTIME_LARGEBUFFERS_H
#define PELMORA_APP_CORE_RUNTIME_LARGEBUFFERS_H

// Large buffers backed by large pages.
//
// The first write to fresh memory costs the kernel a page fault for every 4 KB page, which for
// the hundreds of megabytes of a million-atom scene takes longer than the work that writes it.
// Asking for transparent huge pages makes that one fault per 2 MB. It is only advice: where the
// system has none, or the buffer is small, nothing changes but the time.

#include <cstddef>

// Advises the kernel to back the whole 2 MB pages inside [data, data + bytes) with huge pages.
void AdviseHugePages(void* data, std::size_t bytes) noexcept;

#endif
