// The model's records in the lists' stream form: each record is its memory image, and a list of
// them loaded from a random or cut stream comes out sound.

#include "SceneRecords.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ListStreams.h"
#include "MList.h"

namespace {

TEST(ModelListStreamTest, ExactBytes)
{
    MList<MPoint3DN<float>> atoms;
    atoms.Add({1, 2, 3, 4, -1});
    atoms.Add({0, 0, 0, 0, 0});

    MList<MStick<float>> sticks;
    sticks.Add({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, 11, 12});

    MList<MStickAtoms> stickAtoms;
    stickAtoms.Add({3, 0x01020304});

    MList<MStickEnds> stickEnds;
    stickEnds.Add({{1, 2, 3}, {4, 5, 6}});

    MList<MObj> draws;
    draws.Add({0.5f, -1, 3});

    MList<MGroup*> groups;  // the addresses are never followed
    groups.Add(reinterpret_cast<MGroup*>(std::uintptr_t{0x1122334455667788}));

    struct Case {
        const char* name;
        std::function<Bytes()> save;
        Bytes expected;
    };
    const Case cases[] = {
        {"two atoms, 6 + 40 bytes", [&] { return Saved(atoms, true); },
         Concat({{0, 1, 2, 0, 0, 0},
                 {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40},
                 {4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
                 Bytes(20, 0)})},
        {"two atoms, header only", [&] { return Saved(atoms, false); }, {0, 1, 2, 0, 0, 0}},
        {"a stick, 48 bytes", [&] { return Saved(sticks, true); },
         Concat({{0, 1, 1, 0, 0, 0}, ImageOf(sticks.Data[0])})},
        {"a stick's atoms, 8 bytes",
         [&] { return Saved(stickAtoms, true); },
         {0, 1, 1, 0, 0, 0, 3, 0, 0, 0, 4, 3, 2, 1}},
        {"a stick's ends, 24 bytes", [&] { return Saved(stickEnds, true); },
         Concat({{0, 1, 1, 0, 0, 0},
                 ImageOf(1.0f),
                 ImageOf(2.0f),
                 ImageOf(3.0f),
                 ImageOf(4.0f),
                 ImageOf(5.0f),
                 ImageOf(6.0f)})},
        {"a draw entry, 12 bytes", [&] { return Saved(draws, true); },
         Concat({{0, 1, 1, 0, 0, 0}, ImageOf(0.5f), {0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}})},
        {"a group's pointer: its low 32 bits",
         [&] { return Saved(groups, true); },
         {0, 1, 1, 0, 0, 0, 0x88, 0x77, 0x66, 0x55}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, c.save());
    }
}

TEST(ModelListStreamTest, SavedAtomsLoadBack)
{
    MList<MPoint3DN<float>> atoms;
    atoms.bSorting = true;
    atoms.Add({1, 2, 3, 4, 5});
    atoms.Add({6, 7, 8, 9, 10});
    MMemoryStream stream;
    ASSERT_TRUE(atoms.SaveToStream(&stream, true));
    stream.Seek(0);
    MList<MPoint3DN<float>> loaded;
    ASSERT_TRUE(loaded.LoadFromStream(&stream, true));
    EXPECT_TRUE(loaded == atoms);
    EXPECT_EQ(9, loaded.Data[1].N);
    EXPECT_EQ(10, loaded.Data[1].Group);
    EXPECT_TRUE(loaded.bSorting);
    EXPECT_EQ(loaded.FCount, loaded.FCountInit);

    // The header alone gives the count; the slots hold zeros.
    MMemoryStream header;
    ASSERT_TRUE(atoms.SaveToStream(&header, false));
    header.Seek(0);
    MList<MPoint3DN<float>> counted;
    ASSERT_TRUE(counted.LoadFromStream(&header, false));
    EXPECT_EQ(2, counted.FCount);
}

// Every list of model records, each holding something before the load.
const std::vector<std::function<void(const Bytes&, bool)>>& ModelLoaders()
{
    static const std::vector<std::function<void(const Bytes&, bool)>> loaders = {
        [](const Bytes& b, bool d) {
            MList<MPoint3DN<float>> l;
            Preload(l, 2);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<MStick<float>> l;
            Preload(l, 1);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<MStickAtoms> l;
            Preload(l, 3);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<MStickEnds> l;
            Preload(l, 2);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<MObj> l;
            Preload(l, 4);
            LoadListForm(l, b, d);
        },
    };
    return loaders;
}

TEST(ModelListStreamTest, RandomAndTruncatedStreamsNeverHarmAList)
{
    std::mt19937 random(77031u);  // fixed start value: the same inputs every run
    for (int round = 0; round < 3000; ++round) {
        const Bytes bytes = round % 3 == 0 ? TruncatedStream<MStick<float>>(random) : RandomStream(random);
        for (const bool bData : {true, false}) {
            const Bytes& input = bData ? bytes : WithModestCounts(bytes);
            for (std::size_t loader = 0; loader < ModelLoaders().size(); ++loader) {
                SCOPED_TRACE("round " + std::to_string(round) + ", loader " + std::to_string(loader)
                             + (bData ? ", with data" : ", header only"));
                ASSERT_NO_FATAL_FAILURE(ModelLoaders()[loader](input, bData));
            }
        }
    }
}

}  // namespace
