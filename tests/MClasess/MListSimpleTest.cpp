#include "MListSimple.h"
#include "MList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Lists of letters read and compare as text.
void SetText(MListSimple<char>& list, std::string_view text)
{
    ASSERT_TRUE(list.SetCount(static_cast<int>(text.size())));
    if (!text.empty())
        std::memcpy(list.Data, text.data(), text.size());
}

std::string Text(const MListSimple<char>& list)
{
    return list.FCount == 0 ? std::string() : std::string(list.Data, static_cast<std::size_t>(list.FCount));
}

TEST(MListSimpleTest, NewListIsEmptyAndSetCountZeroAllocatesNothing)
{
    MListSimple<int> list;
    EXPECT_EQ(0, list.FCount);
    EXPECT_EQ(0, list.FCountMax);
    EXPECT_EQ(nullptr, list.Data);
    EXPECT_EQ(-1, list.FIndexCurrent);
    EXPECT_TRUE(list.SetCount(0));
    EXPECT_EQ(nullptr, list.Data);
}

// Both append paths share the growth step: the base's SetCount and MList's inline Add.
template <class List>
void ExpectGrowthLaw()
{
    struct Step {
        int count;
        int capacity;
    };
    static constexpr Step kSteps[] = {{1, 5},     {6, 10},    {11, 27},   {28, 44},   {45, 61},
                                      {62, 78},   {79, 98},   {99, 123},  {124, 155}, {156, 195},
                                      {196, 245}, {246, 307}, {308, 385}, {386, 482}};
    List list;
    std::size_t next = 0;
    int capacity = 0;
    for (int count = 1; count <= 386; ++count) {
        ASSERT_EQ(count - 1, list.Add(count));
        if (next < std::size(kSteps) && kSteps[next].count == count)
            capacity = kSteps[next++].capacity;
        ASSERT_EQ(capacity, list.FCountMax) << "after adding element " << count;
    }
    for (int i = 0; i < list.FCount; ++i)
        ASSERT_EQ(i + 1, list.Data[i]);
}

TEST(MListSimpleTest, AddingOneAtATimeFollowsTheGrowthLaw)
{
    ExpectGrowthLaw<MListSimple<int>>();
    ExpectGrowthLaw<MList<int>>();
}

TEST(MListSimpleTest, SetCountRefusesNegativeAndShrinkingKeepsTheCapacity)
{
    MListSimple<int> list;
    ASSERT_TRUE(list.SetCount(7));
    EXPECT_EQ(11, list.FCountMax);
    EXPECT_FALSE(list.SetCount(-1));
    EXPECT_EQ(7, list.FCount);
    EXPECT_TRUE(list.SetCount(2));
    EXPECT_EQ(2, list.FCount);
    EXPECT_EQ(11, list.FCountMax);
    EXPECT_TRUE(list.Clear());
    EXPECT_EQ(11, list.FCountMax);
    EXPECT_TRUE(list.Free());
    EXPECT_EQ(0, list.FCountMax);
    EXPECT_EQ(nullptr, list.Data);
}

TEST(MListSimpleTest, DeleteIndex)
{
    struct Case {
        const char* name;
        int index, count;
        bool fast;
        bool ok;
        std::string_view after;
    };
    static constexpr Case kCases[] = {
        {"one, order kept", 1, 1, false, true, "acde"},
        {"one, fast: the last fills the gap", 1, 1, true, true, "aecd"},
        {"two, fast", 1, 2, true, true, "ade"},
        {"the last, fast", 4, 1, true, true, "abcd"},
        // The gap reaches into the slots the tail is taken from: only e is left to keep.
        {"fast, gap overlapping the tail", 2, 2, true, true, "abe"},
        {"fast, longer gap overlapping the tail", 1, 3, true, true, "ae"},
        {"all, fast", 0, 5, true, true, ""},
        {"zero count", 2, 0, false, true, "abcde"},
        {"zero count at the end", 5, 0, false, true, "abcde"},
        {"negative count", 2, -2, false, true, "abcde"},
        {"past the end", 4, 2, false, false, "abcde"},
        {"negative index", -1, 1, false, false, "abcde"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MListSimple<char> list;
        SetText(list, "abcde");
        EXPECT_EQ(c.ok, list.DeleteIndex(c.index, c.count, c.fast));
        EXPECT_EQ(c.after, Text(list));
        EXPECT_EQ(list.FCount, list.FCountInit);
    }
}

TEST(MListSimpleTest, InsertMoveAndExchange)
{
    struct Case {
        const char* name;
        bool (*operation)(MListSimple<char>&);
        bool ok;
        std::string_view after;
    };
    static const Case kCases[] = {
        {"insert at the count appends", [](MListSimple<char>& l) { return l.Insert(5, 'x'); }, true, "abcdex"},
        {"insert at the front", [](MListSimple<char>& l) { return l.Insert(0, 'x'); }, true, "xabcde"},
        {"insert inside", [](MListSimple<char>& l) { return l.Insert(2, 'x'); }, true, "abxcde"},
        {"insert past the count", [](MListSimple<char>& l) { return l.Insert(6, 'x'); }, false, "abcde"},
        {"insert before the front", [](MListSimple<char>& l) { return l.Insert(-1, 'x'); }, false, "abcde"},
        // No copy of the shifted element may stay in the opened slot.
        {"opened slot is zero", [](MListSimple<char>& l) { return l.Insert(1); }, true, std::string_view("a\0bcde", 6)},
        {"move forward", [](MListSimple<char>& l) { return l.Move(0, 3); }, true, "bcdae"},
        {"move backward", [](MListSimple<char>& l) { return l.Move(3, 0); }, true, "dabce"},
        {"move onto itself", [](MListSimple<char>& l) { return l.Move(2, 2); }, true, "abcde"},
        {"move past the end", [](MListSimple<char>& l) { return l.Move(1, 5); }, false, "abcde"},
        {"move block forward", [](MListSimple<char>& l) { return l.Move(1, 2, 3); }, true, "adebc"},
        {"move block backward", [](MListSimple<char>& l) { return l.Move(3, 2, 0); }, true, "deabc"},
        {"move block ending past the end", [](MListSimple<char>& l) { return l.Move(1, 2, 4); }, false, "abcde"},
        {"move empty block", [](MListSimple<char>& l) { return l.Move(1, 0, 2); }, false, "abcde"},
        {"move block from past the end", [](MListSimple<char>& l) { return l.Move(4, 2, 0); }, false, "abcde"},
        {"exchange", [](MListSimple<char>& l) { return l.Exchange(0, 4); }, true, "ebcda"},
        {"exchange with itself", [](MListSimple<char>& l) { return l.Exchange(2, 2); }, true, "abcde"},
        {"exchange with the count", [](MListSimple<char>& l) { return l.Exchange(1, 5); }, false, "abcde"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MListSimple<char> list;
        SetText(list, "abcde");
        EXPECT_EQ(c.ok, c.operation(list));
        EXPECT_EQ(c.after, Text(list));
        // Moves keep elements in transit behind the list: nothing inside it may be touched.
        EXPECT_EQ(list.FCount, list.FCountInit);
    }
}

TEST(MListSimpleTest, AddingAnElementOfTheListItselfSurvivesTheGrowth)
{
    // A full list moves its buffer to grow; the value must be taken before that.
    MListSimple<char> list;
    for (char c : std::string_view("abcde"))
        list.Add(c);
    ASSERT_EQ(list.FCount, list.FCountMax);
    EXPECT_EQ(5, list.Add(list.Data[0]));
    for (char c : std::string_view("fghi"))
        list.Add(c);
    ASSERT_EQ(list.FCount, list.FCountMax);
    EXPECT_TRUE(list.Insert(0, list.Data[9]));
    EXPECT_EQ("iabcdeafghi", Text(list));
}

TEST(MListSimpleTest, AddOfAnotherList)
{
    MListSimple<char> source;
    SetText(source, "vwxyz");
    MListSimple<char> empty;
    struct Case {
        const char* name;
        const MListSimple<char>* other;
        int indexBegin, count;
        bool ok;
        std::string_view after;
    };
    MListSimple<char> list;
    const Case kCases[] = {
        {"a range", &source, 1, 2, true, "abwx"},
        {"the whole list", &source, 0, 5, true, "abvwxyz"},
        {"nothing, even from an empty list", &empty, 0, 0, true, "ab"},
        {"begin at the count", &source, 5, 1, false, "ab"},
        {"range past the end", &source, 3, 3, false, "ab"},
        {"negative count", &source, 1, -1, false, "ab"},
        {"itself", &list, 0, 2, false, "ab"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        SetText(list, "ab");
        EXPECT_EQ(c.ok, list.Add(*c.other, c.indexBegin, c.count));
        EXPECT_EQ(c.after, Text(list));
    }
}

TEST(MListSimpleTest, AddNullAndSetNullZeroOnlyTheirElements)
{
    struct Pair {
        int a, b;
    };
    MListSimple<Pair> pairs;
    pairs.Add({7, 8});
    pairs.SetCount(0);  // the slot keeps its old bytes
    EXPECT_EQ(0, pairs.AddNULL());
    EXPECT_EQ(0, pairs.Data[0].a);
    EXPECT_EQ(0, pairs.Data[0].b);

    // Ranges reaching outside the list are cut to it.
    struct Case {
        const char* name;
        int index, count;
        std::string_view after;
    };
    static constexpr Case kCases[] = {
        {"inside", 1, 2, std::string_view("a\0\0de", 5)},
        {"past the end", 3, 10, std::string_view("abc\0\0", 5)},
        {"before the front", -2, 3, std::string_view("\0bcde", 5)},
        {"outside", 7, 1, "abcde"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MListSimple<char> list;
        SetText(list, "abcde");
        list.SetNULL(c.index, c.count);
        EXPECT_EQ(c.after, Text(list));
    }
}

TEST(MListSimpleTest, CopyFrom)
{
    MListSimple<char> source;
    SetText(source, "xyz");
    MListSimple<char> empty;
    struct Case {
        const char* name;
        const MListSimple<char>* source;
        std::optional<int> indexEnd;  // none: the default, the source's last element
        bool ok;
        std::string_view after;
    };
    const Case kCases[] = {
        {"all of a shorter list", &source, std::nullopt, true, "xyz"},
        {"up to the last element", &source, 2, true, "xyz"},
        {"a leading part", &source, 1, true, "xy"},
        {"an empty list leaves the target", &empty, std::nullopt, true, "abcdefg"},
        {"an empty list, whatever the end", &empty, -1, true, "abcdefg"},
        {"no list", nullptr, std::nullopt, false, "abcdefg"},
        {"end past the source", &source, 3, false, "abcdefg"},
        // Given explicitly, -1 is a negative end like any other, not the default.
        {"end -1", &source, -1, false, "abcdefg"},
        {"end -2", &source, -2, false, "abcdefg"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MListSimple<char> list;
        SetText(list, "abcdefg");
        EXPECT_EQ(c.ok, c.indexEnd ? list.CopyFrom(c.source, *c.indexEnd) : list.CopyFrom(c.source));
        EXPECT_EQ(c.after, Text(list));
    }
}

struct SlotInitialiser {
    std::vector<std::pair<int, int>> calls;
    void Init(MListSimple<int>* list, int indexBegin, int indexEnd)
    {
        calls.emplace_back(indexBegin, indexEnd);
        for (int i = indexBegin; i <= indexEnd; ++i)
            list->Data[i] = 100 + i;
    }
};

TEST(MListSimpleTest, KeptElementsAreParkedAndTakenBackNeverOverwritten)
{
    SlotInitialiser initialiser;
    MListSimple<int> list;
    list.bKeepItems = true;
    list.OnInitItems = MListSimple<int>::InitItemsHandler::Of<&SlotInitialiser::Init>(&initialiser);

    EXPECT_EQ(-1, list.Add(1));
    EXPECT_FALSE(list.Insert(0, 1));
    EXPECT_EQ(0, list.FCount);

    ASSERT_TRUE(list.SetCount(5));
    ASSERT_TRUE(list.SetCount(2));
    ASSERT_TRUE(list.SetCount(4));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 4}}), initialiser.calls);
    EXPECT_EQ((std::vector<int>{100, 101, 102, 103}), std::vector<int>(list.Data, list.Data + list.FCount));
    EXPECT_EQ(5, list.FCountInit);

    // A deleted element is parked behind the list; an insert takes the slot back into place.
    ASSERT_TRUE(list.DeleteIndex(1));
    EXPECT_EQ((std::vector<int>{100, 102, 103, 101, 104}), std::vector<int>(list.Data, list.Data + 5));
    ASSERT_TRUE(list.Insert(1));
    EXPECT_EQ((std::vector<int>{100, 101, 102, 103, 104}), std::vector<int>(list.Data, list.Data + 5));
    EXPECT_EQ(4, list.FCount);
    EXPECT_EQ(5, list.FCountInit);
    EXPECT_EQ(1u, initialiser.calls.size());
}

}  // namespace
