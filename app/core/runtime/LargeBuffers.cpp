#include "LargeBuffers.h"

#include <cstdint>

#include <sys/mman.h>

namespace {

constexpr std::uintptr_t HugePageSize = std::uintptr_t{2} << 20;

}  // namespace

void AdviseHugePages(void* data, std::size_t bytes) noexcept
{
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + HugePageSize - 1) & ~(HugePageSize - 1);
    const std::uintptr_t last = (begin + bytes) & ~(HugePageSize - 1);
    if (data == nullptr || last <= first)
        return;
    // Advice that the kernel refuses changes nothing but the speed.
    (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}
