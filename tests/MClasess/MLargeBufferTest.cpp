#include "MLargeBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// The buffer starts on a 2 MB boundary, holds at least what was asked in whole 2 MB pages, reads
// as zeros, and keeps what is written through a move.
TEST(MLargeBuffer, WholeAlignedPagesThatReadAsZerosAndMoveWithTheirBytes)
{
    const struct {
        std::size_t asked;
        std::size_t size;
    } cases[] = {
        {1, MLargeBuffer::PageSize},
        {MLargeBuffer::PageSize, MLargeBuffer::PageSize},
        {3001 * 3000, 5 * MLargeBuffer::PageSize},
        {3000 * 3000 * 4, 18 * MLargeBuffer::PageSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        MLargeBuffer buffer(c.asked);
        ASSERT_NE(buffer.Data(), nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % MLargeBuffer::PageSize, 0u);
        EXPECT_EQ(buffer.Size(), c.size);
        buffer.PrepareForWriting();
        EXPECT_EQ(buffer.Data()[0], 0);
        EXPECT_EQ(buffer.Data()[c.asked - 1], 0);
        std::memset(buffer.Data(), 0x5A, c.asked);
        MLargeBuffer moved(std::move(buffer));
        EXPECT_EQ(buffer.Data(), nullptr);
        EXPECT_EQ(moved.Data()[c.asked - 1], 0x5A);
        buffer = std::move(moved);
        EXPECT_EQ(buffer.Data()[0], 0x5A);
    }
}

TEST(MLargeBuffer, NothingOrTooMuchGivesNoBuffer)
{
    for (const std::size_t asked : {std::size_t{0}, SIZE_MAX, SIZE_MAX / 2}) {
        SCOPED_TRACE(asked);
        const MLargeBuffer buffer(asked);
        EXPECT_EQ(buffer.Data(), nullptr);
        EXPECT_EQ(buffer.Size(), 0u);
        buffer.PrepareForWriting();  // does nothing
    }
}

}  // namespace
