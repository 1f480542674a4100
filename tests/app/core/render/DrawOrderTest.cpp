#include "DrawOrder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// A scene whose balls and stick ends have the given depths; nothing else is read.
void SetDepths(Scene& scene, const std::vector<float>& ballDepths,
               const std::vector<std::pair<float, float>>& stickEnds)
{
    for (const float z : ballDepths)
        scene.LXyzView.Add(MPoint3DN<float>{0, 0, z, 0, -1});
    for (const auto& [z1, z2] : stickEnds) {
        scene.LStick.Add(MStickAtoms{0, 0});
        scene.LStickView.Add(MStickEnds{{0, 0, z1}, {0, 0, z2}});
    }
}

// The draw list built plainly, every ball and then every stick, and sorted by the list's own heap
// sort: the order the keyed sort of the draw order must give, entry for entry.
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

TEST(DrawOrder, EqualsTheListsHeapSortEntryForEntry)
{
    // Few distinct depths make long runs of equal keys, where only the heap sort's own steps
    // decide the order; -0 and +0 must count as one depth and keep their own bits.
    struct Case {
        const char* name;
        int balls, sticks, distinctDepths;
    };
    const Case cases[] = {
        {"empty", 0, 0, 1},
        {"one ball", 1, 0, 1},
        {"two equal balls", 2, 0, 1},
        {"all equally deep", 300, 500, 1},
        {"three depths", 257, 300, 3},
        {"many ties", 2000, 3000, 40},
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

}  // namespace
