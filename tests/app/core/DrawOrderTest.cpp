#include "DrawOrder.h"

#include "DepthKey.h"
#include "MHeapSort.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// A scene whose balls and stick ends have the given depths; nothing else is read.
void SetDepths(Scene& scene, const std::vector<float>& ballDepths, const std::vector<std::pair<float, float>>& stickEnds)
{
    for (const float z : ballDepths)
        scene.LXyzView.Add(MPoint3DN<float>{0, 0, z, 0, -1});
    for (const auto& [z1, z2] : stickEnds) {
        scene.LStick.Add(MStickAtoms{0, 0});
        scene.LStickView.Add(MStickEnds{{0, 0, z1}, {0, 0, z2}});
    }
}

// The draw list as the design lays it out, sorted by the list's own heap sort.
std::vector<MObj> ListSortedByTheList(const Scene& scene)
{
    MList<MObj> list;
    for (int i = 0; i < scene.LXyzView.FCount; ++i)
        list.Add(MObj{scene.LXyzView.Data[i].z, i, -1});
    for (int i = 0; i < scene.LStickView.FCount; ++i)
        list.Add(MObj{scene.LStickView.Data[i].Depth(), -1, i});
    list.Sort();
    return std::vector<MObj>(list.Data, list.Data + list.FCount);
}

void ExpectSameBytes(const Scene& scene, const std::vector<MObj>& expected)
{
    ASSERT_EQ(scene.LObj.FCount, static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(std::memcmp(&scene.LObj.Data[i], &expected[i], sizeof(MObj)), 0)
            << "entry " << i << ": Z " << scene.LObj.Data[i].Z << " ball " << scene.LObj.Data[i].iAtom << " stick "
            << scene.LObj.Data[i].iStick << ", expected Z " << expected[i].Z << " ball " << expected[i].iAtom
            << " stick " << expected[i].iStick;
    }
}

TEST(DrawOrder, KeysOrderLikeTheFloatsAndBothZerosAreOne)
{
    const float values[] = {-std::numeric_limits<float>::infinity(), -3e38f, -1.5f, -1e-45f, -0.0f, 0.0f,
                            1e-45f, 1e-38f, 0.5f, 1.5f, 3e38f, std::numeric_limits<float>::infinity()};
    for (const float a : values) {
        for (const float b : values) {
            SCOPED_TRACE(testing::Message() << a << " vs " << b);
            EXPECT_EQ(DepthKey(a) > DepthKey(b), a > b);
            EXPECT_EQ(DepthKey(a) == DepthKey(b), a == b);
        }
    }
}

TEST(DrawOrder, EqualsTheListsHeapSortEntryForEntry)
{
    // Few distinct depths make long runs of equal keys, where only the heap sort's own steps
    // decide the order; -0 and +0 must count as one depth and keep their own bits.
    struct Case {
        const char* name;
        int balls, sticks, distinctDepths;
    };
    const Case cases[] = {
        {"empty", 0, 0, 1},           {"one ball", 1, 0, 1},          {"two equal balls", 2, 0, 1},
        {"all equally deep", 300, 500, 1}, {"three depths", 257, 300, 3}, {"many ties", 2000, 3000, 40},
        {"nearly all different", 4000, 1000, 1 << 30},
    };
    std::mt19937 random(1207);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uniform_int_distribution<int> depth(0, c.distinctDepths - 1);
        const auto pick = [&] {
            const int d = depth(random);
            if (c.distinctDepths == 3)
                return d == 0 ? -0.0f : d == 1 ? 0.0f : -2.5f;
            return static_cast<float>(d - c.distinctDepths / 2) * 0.25f;
        };
        std::vector<float> balls;
        std::vector<std::pair<float, float>> sticks;
        for (int i = 0; i < c.balls; ++i)
            balls.push_back(pick());
        for (int i = 0; i < c.sticks; ++i)
            sticks.emplace_back(pick(), pick());
        Scene scene;
        SetDepths(scene, balls, sticks);
        BuildSortedDrawList(scene);
        ExpectSameBytes(scene, ListSortedByTheList(scene));
    }
}

TEST(DrawOrder, EveryShortListSortsAsTheListDoes)
{
    // The heap is built in two halves under nodes 2 and 3 and finished from nodes 1 and 0: every
    // count up to a few hundred gives that split each of its shapes.
    std::mt19937 random(99);
    for (int count = 0; count <= 300; ++count) {
        SCOPED_TRACE(count);
        std::vector<float> balls;
        for (int i = 0; i < count; ++i)
            balls.push_back(static_cast<float>(random() % 5));
        Scene scene;
        SetDepths(scene, balls, {});
        BuildSortedDrawList(scene);
        ExpectSameBytes(scene, ListSortedByTheList(scene));
    }
}

TEST(DrawOrder, ADepthThatIsNoNumberLeavesTheSortToTheList)
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    Scene scene;
    SetDepths(scene, {2, nan, 1, 1, -1, nan, 0}, {{nan, nan}, {3, nan}, {1, 0.5f}});
    BuildSortedDrawList(scene);
    ExpectSameBytes(scene, ListSortedByTheList(scene));
}

TEST(DrawOrder, TheKeyedHeapSortComparesTheUpperHalvesOnly)
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
        MList<MObj> list;
        for (int i = 0; i < c.count; ++i) {
            const std::uint32_t upper = random() % c.distinct;
            keys.push_back(std::uint64_t{upper} << 32 | static_cast<std::uint32_t>(random()));
            list.Add(MObj{static_cast<float>(upper), static_cast<std::int32_t>(keys.back() & 0x7FFFFFFF), -1});
        }
        // The heap built in its two halves and its top, then sorted: the steps DrawScene runs.
        const int n = static_cast<int>(keys.size());
        mheap::MoreByUpperHalf more;
        mheap::BuildHeapHalf(keys.data(), n, 1, more);
        mheap::BuildHeapHalf(keys.data(), n, 0, more);
        mheap::BuildHeapTop(keys.data(), n, more);
        mheap::SortHeap(keys.data(), n, more);
        list.Sort();
        for (int i = 0; i < list.FCount; ++i)
            ASSERT_EQ(static_cast<std::int32_t>(keys[static_cast<std::size_t>(i)] & 0x7FFFFFFF), list.Data[i].iAtom) << i;
    }
}

}  // namespace
