#ifndef PELMORA_MCLASESS_MLARGEBUFFER_H
#define PELMORA_MCLASESS_MLARGEBUFFER_H

// A large buffer on whole 2 MB pages of its own (a picture's pixels, a picture's rows for the
// compressor), which a short run writes once.
//
// Fresh memory from malloc costs the kernel a page fault for every 4 KB page at its first write:
// for the 36 MB of a scene bitmap that is more time than a small scene takes to draw. This buffer
// is a mapping of its own aligned to 2 MB and advised to use huge pages; PrepareForWriting then
// has the kernel put all its pages in place in one call. Where the system has no huge pages, or
// refuses either advice, nothing changes but the time.

#include <cstddef>
#include <cstdint>
#include <utility>

#include <sys/mman.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it, which costs nothing
#endif

class MLargeBuffer {
public:
    static constexpr std::size_t PageSize = std::size_t{2} << 20;

    MLargeBuffer() = default;
    // At least bytes, zeroed; Data() is nullptr when the system has not the memory.
    explicit MLargeBuffer(std::size_t bytes)
    {
        if (bytes == 0 || bytes > SIZE_MAX - 2 * PageSize)
            return;
        const std::size_t size = (bytes + PageSize - 1) / PageSize * PageSize;
        // One page more, so that a 2 MB boundary lies where the buffer starts; the rest is given back.
        void* mapped = ::mmap(nullptr, size + PageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return;
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + PageSize - 1) & ~std::uintptr_t{PageSize - 1};
        if (aligned > start)
            ::munmap(mapped, aligned - start);
        if (const std::size_t after = start + PageSize - aligned; after > 0)
            ::munmap(reinterpret_cast<void*>(aligned + size), after);
        data_ = reinterpret_cast<unsigned char*>(aligned);
        size_ = size;
        (void)::madvise(data_, size_, MADV_HUGEPAGE);
    }
    ~MLargeBuffer()
    {
        if (data_ != nullptr)
            ::munmap(data_, size_);
    }
    MLargeBuffer(MLargeBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
    {
    }
    MLargeBuffer& operator=(MLargeBuffer&& other) noexcept
    {
        MLargeBuffer gone(std::move(*this));
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }
    MLargeBuffer(const MLargeBuffer&) = delete;
    MLargeBuffer& operator=(const MLargeBuffer&) = delete;

    unsigned char* Data() const { return data_; }
    std::size_t Size() const { return size_; }

    // Puts every page in place before the first write: one call instead of a fault per page.
    void PrepareForWriting() const { PrepareForWriting(data_, size_); }
    // The same for the whole 4 KB pages of any memory that is about to be written for the first time.
    static void PrepareForWriting(void* data, std::size_t bytes)
    {
        constexpr std::uintptr_t SmallPage = 4096;
        const auto begin = reinterpret_cast<std::uintptr_t>(data);
        const std::uintptr_t first = (begin + SmallPage - 1) & ~(SmallPage - 1);
        const std::uintptr_t last = (begin + bytes) & ~(SmallPage - 1);
        if (data != nullptr && last > first)
            (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

#endif
