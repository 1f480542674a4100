#include "MHeapSort.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ListRecords.h"
#include "MList.h"

namespace {

// The keyed sorts move 8-byte keys, a value in the upper half and a place in the lower, and
// must leave equal values where the list's own sort leaves equal elements.
TEST(MHeapSortTest, TheKeyedHeapSortComparesTheUpperHalvesOnly)
{
    // Equal upper halves with lower halves in every order: the lower halves must end where the
    // list's heap sort leaves elements that compare equal, for heaps of every shape up to a few
    // hundred and for large ones with few or many distinct values.
    struct Case {
        int count;
        std::uint32_t distinct;
    };
    std::vector<Case> cases = {{5000, 7}, {100000, 3}, {100000, 50000}};
    for (int count = 0; count <= 300; ++count)
        cases.push_back({count, 4});
    std::mt19937 random(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " keys, " << c.distinct << " values");
        std::vector<std::uint64_t> keys;
        MList<KeyedEntry> list;
        for (int i = 0; i < c.count; ++i) {
            const std::uint32_t upper = random() % c.distinct;
            keys.push_back(std::uint64_t{upper} << 32 | static_cast<std::uint32_t>(random()));
            list.Add(KeyedEntry{static_cast<float>(upper), static_cast<std::int32_t>(keys.back() & 0x7FFFFFFF), -1});
        }
        std::vector<std::uint64_t> whole = keys;
        // The heap built in its two halves (which may run on two threads at once) and its top,
        // then sorted; and the same sort in one call.
        const int n = static_cast<int>(keys.size());
        mheap::MoreByUpperHalf more;
        mheap::BuildHeapHalf(keys.data(), n, 1, more);
        mheap::BuildHeapHalf(keys.data(), n, 0, more);
        mheap::BuildHeapTop(keys.data(), n, more);
        mheap::SortHeap(keys.data(), n, more);
        mheap::HeapSort(whole.data(), n, more);
        list.Sort();
        for (int i = 0; i < list.FCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            ASSERT_EQ(static_cast<std::int32_t>(keys[at] & 0x7FFFFFFF), list.Data[i].Id) << i;
            ASSERT_EQ(whole[at], keys[at]) << i;
        }
    }
}

}  // namespace
