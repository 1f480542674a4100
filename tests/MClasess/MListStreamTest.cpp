#include "MColor.h"
#include "MList.h"
#include "MListAdr.h"
#include "MListSimple.h"
#include "MListSimpleFind.h"
#include "MPoint.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include "CountedObject.h"
#include "ListRecords.h"
#include "ListStreams.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

Bytes Int32Bytes(std::uint32_t value)
{
    return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
}

struct Target {
    void Handle(int) {}
};

TEST(MListStreamTest, ExactBytes)
{
    MListSimple<int> emptySimple;

    MListSimple<TColor> colours;
    colours.Add(0x00112233);
    colours.FIndexCurrent = 2;

    MList<int> emptyList;

    MList<int> sortedOnce;
    sortedOnce.bSorting = true;
    sortedOnce.bRepeat = false;
    sortedOnce.Add(5);

    MList<IndexedPoint> points;
    points.Add({1, 2, 3, 4, -1});
    points.Add({0, 0, 0, 0, 0});

    MList<MPoint<float>> marks;
    marks.Add({1, 2});

    MList<MPoint<double>> cursors;
    cursors.Add({1, -2});

    MList<PointPair> pairs;
    pairs.Add({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, 11, 12});

    MList<KeyedEntry> entries;
    entries.Add({0.5f, -1, 3});

    MList<Unreachable*> pointers;  // the addresses are never followed
    pointers.Add(reinterpret_cast<Unreachable*>(std::uintptr_t{0x1122334455667788}));

    using Handler = MMethod<void(int)>;
    Target target;
    const Handler handler = Handler::Of<&Target::Handle>(&target);
    MListSimpleFind<Handler> handlers;
    handlers.Add(handler);

    const Bytes zeros4(4, 0);
    struct Case {
        const char* name;
        std::function<Bytes()> save;
        Bytes expected;
    };
    const Case kCases[] = {
        {"empty base list", [&] { return Saved(emptySimple, true); }, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"base list with its current index",
         [&] { return Saved(colours, true); },
         {1, 0, 0, 0, 2, 0, 0, 0, 0x33, 0x22, 0x11, 0x00}},
        {"empty list", [&] { return Saved(emptyList, true); }, {0, 1, 0, 0, 0, 0}},
        {"sorted without repeats", [&] { return Saved(sortedOnce, true); }, {1, 0, 1, 0, 0, 0, 5, 0, 0, 0}},
        {"two points, 6 + 40 bytes", [&] { return Saved(points, true); },
         Concat({{0, 1, 2, 0, 0, 0},
                 {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40},
                 {4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
                 Bytes(20, 0)})},
        {"two points, header only", [&] { return Saved(points, false); }, {0, 1, 2, 0, 0, 0}},
        {"a point mark: zero filler, x, y", [&] { return Saved(marks, true); },
         Concat({{0, 1, 1, 0, 0, 0}, zeros4, ImageOf(1.0f), ImageOf(2.0f)})},
        {"a double point: 8 filler bytes", [&] { return Saved(cursors, true); },
         Concat({{0, 1, 1, 0, 0, 0}, Bytes(8, 0), ImageOf(1.0), ImageOf(-2.0)})},
        {"a pair of points, 48 bytes", [&] { return Saved(pairs, true); },
         Concat({{0, 1, 1, 0, 0, 0}, ImageOf(pairs.Data[0])})},
        {"a keyed entry, 12 bytes", [&] { return Saved(entries, true); },
         Concat({{0, 1, 1, 0, 0, 0}, ImageOf(0.5f), {0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}})},
        {"a pointer: its low 32 bits",
         [&] { return Saved(pointers, true); },
         {0, 1, 1, 0, 0, 0, 0x88, 0x77, 0x66, 0x55}},
        {"a handler: method, then object", [&] { return Saved(handlers, true); },
         Concat({{1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
                 Int32Bytes(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handler.thunk))),
                 Int32Bytes(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&target)))})},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, c.save());
    }
}

TEST(MListStreamTest, SavedListsLoadBack)
{
    MList<IndexedPoint> points;
    points.bSorting = true;
    points.Add({1, 2, 3, 4, 5});
    points.Add({6, 7, 8, 9, 10});
    MMemoryStream stream;
    ASSERT_TRUE(points.SaveToStream(&stream, true));
    stream.Seek(0);
    MList<IndexedPoint> loaded;
    ASSERT_TRUE(loaded.LoadFromStream(&stream, true));
    EXPECT_TRUE(loaded == points);
    EXPECT_EQ(10, loaded.Data[1].B);
    EXPECT_TRUE(loaded.bSorting);
    EXPECT_EQ(loaded.FCount, loaded.FCountInit);

    // The header alone gives the count; the slots hold zeros.
    MMemoryStream header;
    ASSERT_TRUE(points.SaveToStream(&header, false));
    header.Seek(0);
    MList<IndexedPoint> counted;
    ASSERT_TRUE(counted.LoadFromStream(&header, false));
    EXPECT_EQ(2, counted.FCount);

    MListSimple<MPoint<float>> marks;
    marks.Add({1, 2});
    marks.FIndexCurrent = 0;
    MMemoryStream markStream;
    ASSERT_TRUE(marks.SaveToStream(&markStream, true));
    markStream.Seek(0);
    MListSimple<MPoint<float>> loadedMarks;
    ASSERT_TRUE(loadedMarks.LoadFromStream(&markStream, true));
    ASSERT_EQ(1, loadedMarks.FCount);
    EXPECT_EQ((MPoint<float>{1, 2}), loadedMarks.Data[0]);
    EXPECT_EQ(0, loadedMarks.FIndexCurrent);

    // Handlers come back unset: the addresses belonged to the writing process.
    Target target;
    MListSimpleFind<MMethod<void(int)>> handlers;
    handlers.Add(MMethod<void(int)>::Of<&Target::Handle>(&target));
    MMemoryStream handlerStream;
    ASSERT_TRUE(handlers.SaveToStream(&handlerStream, true));
    handlerStream.Seek(0);
    ASSERT_TRUE(handlers.LoadFromStream(&handlerStream, true));
    ASSERT_EQ(1, handlers.FCount);
    EXPECT_FALSE(handlers.Data[0]);
}

TEST(MListStreamTest, BadStreamsEmptyTheBaseListAndLeaveAnMListAsItWas)
{
    struct Case {
        const char* name;
        Bytes bytes;  // in the list's form; the base form's header is two bytes longer
        bool bData;
    };
    const Case kCases[] = {
        {"nothing", {}, true},
        {"flags only", {1, 0}, true},
        {"half a count", {1, 0, 2, 0}, false},
        {"negative count", {1, 0, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        {"one element short", Concat({{1, 0, 2, 0, 0, 0}, Bytes(4, 1)}), true},
        {"one byte short", Concat({{1, 0, 2, 0, 0, 0}, Bytes(7, 1)}), true},
        {"a count no stream could hold", Concat({{1, 0, 0xFF, 0xFF, 0xFF, 0x7F}, Bytes(8, 1)}), true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MList<int> list;
        list.Add(7);
        list.Add(8);
        list.Add(9);
        MMemoryStream listForm(c.bytes);
        EXPECT_FALSE(list.LoadFromStream(&listForm, c.bData));
        EXPECT_EQ((std::vector<int>{7, 8, 9}), std::vector<int>(list.Data, list.Data + list.FCount));
        EXPECT_FALSE(list.bSorting);
        EXPECT_TRUE(list.bRepeat);

        // The same bytes behind an 8-byte base header: count and current index.
        Bytes baseBytes = c.bytes;
        if (baseBytes.size() >= 2)
            baseBytes.erase(baseBytes.begin(), baseBytes.begin() + 2);
        if (baseBytes.size() >= 4)
            baseBytes.insert(baseBytes.begin() + 4, {5, 0, 0, 0});
        MListSimple<int> simple;
        simple.Add(7);
        MMemoryStream baseForm(baseBytes);
        EXPECT_FALSE(simple.LoadFromStream(&baseForm, c.bData));
        EXPECT_EQ(0, simple.FCount);
        EXPECT_EQ(-1, simple.FIndexCurrent);
    }

    MList<int> list;
    list.Add(1);
    EXPECT_FALSE(list.LoadFromStream(nullptr, true));
    EXPECT_EQ(1, list.FCount);
    EXPECT_FALSE(list.SaveToStream(nullptr, true));
    MListSimple<int> simple;
    simple.Add(1);
    EXPECT_FALSE(simple.SaveToStream(nullptr, true));
    EXPECT_FALSE(simple.LoadFromStream(nullptr, true));
    EXPECT_EQ(0, simple.FCount);
}

TEST(MListStreamTest, Files)
{
    TempDir dir;
    const std::string name = dir.File("entries.bin");
    std::ofstream(name) << std::string(100, 'x');  // an older, longer file

    MList<KeyedEntry> entries;
    entries.Add({1, 2, -1});
    ASSERT_TRUE(entries.SaveToFile(name, true));
    EXPECT_EQ(6u + 12u, std::filesystem::file_size(name));

    MList<KeyedEntry> loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name, true));
    ASSERT_EQ(1, loaded.FCount);
    EXPECT_EQ(2, loaded.Data[0].Id);

    EXPECT_FALSE(loaded.LoadFromFile(dir.File("missing.bin"), true));
    EXPECT_EQ(1, loaded.FCount);
    EXPECT_THROW(loaded.SaveToFile(dir.File("no/such/folder.bin"), true), MFileError);

    MListSimple<int> simple;
    simple.Add(42);
    ASSERT_TRUE(simple.SaveToFile(name, true));
    MListSimple<int> loadedSimple;
    ASSERT_TRUE(loadedSimple.LoadFromFile(name, true));
    EXPECT_EQ(42, loadedSimple.Data[0]);
}

// ---- Random and truncated streams fed to every loader ----

using AnyHandler = MMethod<void(int, int, int)>;

// Every loader of every list kind, each list holding something before the load.
const std::vector<std::function<void(const Bytes&, bool)>>& Loaders()
{
    static const std::vector<std::function<void(const Bytes&, bool)>> loaders = {
        [](const Bytes& b, bool d) {
            MListSimple<int> l;
            Preload(l, 3);
            LoadBaseForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MListSimple<MPoint<float>> l;
            Preload(l, 2);
            LoadBaseForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MListSimpleFind<AnyHandler> l;
            Preload(l, 2);
            LoadBaseForm(l, b, d);
            for (int i = 0; i < l.FCount; ++i)
                ASSERT_FALSE(l.Data[i]);
        },
        [](const Bytes& b, bool d) {
            MList<IndexedPoint> l;
            Preload(l, 2);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<PointPair> l;
            Preload(l, 1);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<KeyedEntry> l;
            Preload(l, 4);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<TColor> l;
            Preload(l, 5);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<MPoint<float>> l;
            Preload(l, 1);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MList<MPoint<double>> l;
            Preload(l, 1);
            LoadListForm(l, b, d);
        },
        [](const Bytes& b, bool d) {
            MListAdr<Counted*> l;
            l.bAutoDelete = true;
            l.bAutoCreate = true;
            l.SetCount(3);
            LoadListForm(l, b, d);
            int held = 0;
            for (int i = 0; i < l.FCount; ++i)
                held += l.Data[i] != nullptr;
            ASSERT_EQ(held, Counted::alive) << "an owned object was lost or freed twice";
        },
        [](const Bytes& b, bool) {
            MPoint<float> p{1, 2};
            MMemoryStream stream(b);
            ASSERT_EQ(b.size() >= 8, p.LoadFromStream(&stream));
        },
        [](const Bytes& b, bool) {
            MPoint<double> p{1, 2};
            MMemoryStream stream(b);
            ASSERT_EQ(b.size() >= 16, p.LoadFromStream(&stream));
        },
    };
    return loaders;
}

TEST(MListStreamTest, RandomAndTruncatedStreamsNeverHarmAList)
{
    std::mt19937 random(77031u);  // fixed start value: the same inputs every run
    Counted::alive = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes bytes = round % 3 == 0 ? TruncatedStream<PointPair>(random) : RandomStream(random);
        for (const bool bData : {true, false}) {
            const Bytes& input = bData ? bytes : WithModestCounts(bytes);
            for (std::size_t loader = 0; loader < Loaders().size(); ++loader) {
                SCOPED_TRACE("round " + std::to_string(round) + ", loader " + std::to_string(loader)
                             + (bData ? ", with data" : ", header only"));
                ASSERT_NO_FATAL_FAILURE(Loaders()[loader](input, bData));
                ASSERT_EQ(0, Counted::alive);
            }
        }
    }
}

// A save that fails half way (here a file-size limit) must leave the old list file as it was:
// the new file replaces it only when completely written.
TEST(MListFileTest, AFailedSaveLeavesTheOldFile)
{
    TempDir dir;
    const std::string name = dir.File("marks.bin");
    MListSimple<int> small;
    small.Add(7);
    ASSERT_TRUE(small.SaveToFile(name, true));
    const auto before = std::filesystem::file_size(name);

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        MListSimple<int> big;
        for (int i = 0; i < 100000; ++i)
            big.Add(i);
        _exit(big.SaveToFile(name, true) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
    EXPECT_EQ(std::filesystem::file_size(name), before);
    MListSimple<int> loaded;
    ASSERT_TRUE(loaded.LoadFromFile(name, true));
    ASSERT_EQ(loaded.FCount, 1);
    EXPECT_EQ(loaded.Data[0], 7);
    // Nothing is left behind beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);

    // A FIFO is no list file: reading it is refused at once instead of waiting for a writer.
    const std::string fifo = dir.File("fifo.bin");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW((void)loaded.LoadFromFile(fifo, true), MFileError);
}

}  // namespace
