#include "MList.h"
#include "MPoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "ListRecords.h"

namespace {

struct Event {
    char when;  // 'B' before, 'A' after
    int begin, end, kind;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << e.when << '(' << e.begin << ',' << e.end << ',' << e.kind << ')';
}

Event B(int begin, int end, int kind) { return {'B', begin, end, kind}; }

Event A(int begin, int end, int kind) { return {'A', begin, end, kind}; }

struct Listener {
    std::vector<Event> events;
    void Before(int begin, int end, int kind) { events.push_back(B(begin, end, kind)); }
    void After(int begin, int end, int kind) { events.push_back(A(begin, end, kind)); }

    template <class T>
    void Listen(MList<T>& list)
    {
        list.SetOnBeforeChange(MList<T>::ChangeHandler::template Of<&Listener::Before>(this));
        list.SetOnAfterChange(MList<T>::ChangeHandler::template Of<&Listener::After>(this));
    }
};

template <class T>
void Fill(MList<T>& list, const std::vector<T>& values)
{
    const bool lock = std::exchange(list.bLockEvent, true);
    list.Clear();
    for (const T& v : values)
        list.MListSimple<T>::Add(v);
    list.bLockEvent = lock;
}

template <class T>
std::vector<T> Items(const MList<T>& list)
{
    return std::vector<T>(list.Data, list.Data + list.FCount);
}

TEST(MListTest, OperationsAnnounceTheirChangesInOrder)
{
    struct Case {
        const char* name;
        std::vector<int> start;
        std::function<bool(MList<int>&)> operation;
        std::vector<Event> events;
        std::optional<std::vector<int>> after;  // none: content indeterminate, count only
        int count;
    };
    const Case kCases[] = {
        {"grow", {}, [](MList<int>& l) { return l.SetCount(3); }, {B(-1, -1, 0), A(0, 2, 0)}, std::nullopt, 3},
        {"shrink", {1, 2, 3}, [](MList<int>& l) { return l.SetCount(1); }, {B(1, 2, 1), A(-1, -1, 1)}, {{1}}, 1},
        {"same count", {1, 2, 3}, [](MList<int>& l) { return l.SetCount(3); }, {}, {{1, 2, 3}}, 3},
        // Refused before anything is announced: an owning list would delete its objects.
        {"negative count", {1, 2}, [](MList<int>& l) { return !l.SetCount(-1); }, {}, {{1, 2}}, 2},
        {"add to empty", {}, [](MList<int>& l) { return l.Add(7) == 0; }, {B(-1, -1, 0), A(0, 0, 0)}, {{7}}, 1},
        {"add to one", {7}, [](MList<int>& l) { return l.Add(8) == 1; }, {B(0, 0, 0), A(1, 1, 0)}, {{7, 8}}, 2},
        {"add empty slot",
         {7},
         [](MList<int>& l) { return l.Add() == 1; },
         {B(-1, -1, 0), A(1, 1, 0)},
         std::nullopt,
         2},
        {"insert slot",
         {1, 2},
         [](MList<int>& l) { return l.Insert(1); },
         {B(1, 1, 0), B(-1, -1, 0), A(2, 2, 0), A(1, 1, 0)},
         {{1, 0, 2}},
         3},
        {"insert value",
         {1, 2},
         [](MList<int>& l) { return l.Insert(1, 5); },
         {B(1, 1, 0), B(1, 1, 0), B(-1, -1, 0), A(2, 2, 0), A(1, 1, 0), A(1, 1, 0)},
         {{1, 5, 2}},
         3},
        {"exchange",
         {1, 2, 3},
         [](MList<int>& l) { return l.Exchange(0, 2); },
         {B(0, 2, 2), A(0, 2, 2)},
         {{3, 2, 1}},
         3},
        {"fill",
         {1, 2, 3},
         [](MList<int>& l) {
             l.Fill(9);
             return true;
         },
         {B(0, 2, 2), A(0, 2, 2)},
         {{9, 9, 9}},
         3},
        {"delete one",
         {1, 2, 3},
         [](MList<int>& l) { return l.DeleteIndex(1); },
         {B(1, 1, 1), A(-1, -1, 1)},
         {{1, 3}},
         2},
        {"delete block",
         {1, 2, 3, 4},
         [](MList<int>& l) { return l.DeleteIndex(1, 2); },
         {B(1, 2, 1), A(-1, -1, 1)},
         {{1, 4}},
         2},
        {"delete nothing", {1, 2}, [](MList<int>& l) { return l.DeleteIndex(1, 0); }, {}, {{1, 2}}, 2},
        {"sort",
         {3, 1, 2},
         [](MList<int>& l) {
             l.Sort();
             return true;
         },
         {B(0, 2, 3), A(0, 2, 3)},
         {{1, 2, 3}},
         3},
        {"clear", {1, 2}, [](MList<int>& l) { return l.Clear(); }, {B(0, 1, 1), A(-1, -1, 1)}, std::vector<int>{}, 0},
        // The whole list is reported as added, not only the appended part.
        {"add a list",
         {1},
         [](MList<int>& l) {
             MList<int> other;
             Fill(other, {5, 6});
             return l.Add(other);
         },
         {B(-1, -1, 0), A(0, 2, 0)},
         {{1, 5, 6}},
         3},
        {"move is silent", {1, 2, 3}, [](MList<int>& l) { return l.Move(0, 2); }, {}, {{2, 3, 1}}, 3},
    };
    for (const bool locked : {false, true}) {
        for (const Case& c : kCases) {
            SCOPED_TRACE(std::string(c.name) + (locked ? ", events locked" : ""));
            Listener listener;  // outlives the list, which announces its removal when destroyed
            MList<int> list;
            Fill(list, c.start);
            listener.Listen(list);
            list.bLockEvent = locked;
            EXPECT_TRUE(c.operation(list));
            EXPECT_EQ(locked ? std::vector<Event>{} : c.events, listener.events);
            EXPECT_EQ(c.count, list.FCount);
            if (c.after) {
                EXPECT_EQ(*c.after, Items(list));
            }
        }
    }
}

TEST(MListTest, WithoutRepeatsEqualNeighboursAreRefusedOrRemoved)
{
    MList<int> list;
    list.bRepeat = false;
    EXPECT_EQ(0, list.Add(1));
    EXPECT_EQ(-1, list.Add(1));
    EXPECT_EQ(1, list.Add(2));
    EXPECT_EQ(2, list.Add(1));  // only the last element is compared
    EXPECT_EQ((std::vector<int>{1, 2, 1}), Items(list));
    ASSERT_TRUE(list.DeleteIndex(1));
    EXPECT_EQ((std::vector<int>{1}), Items(list));

    // An exchange that makes equal neighbours tidies them too.
    Fill(list, {1, 2, 3, 2});
    ASSERT_TRUE(list.Exchange(0, 3));
    EXPECT_EQ((std::vector<int>{2, 3, 1}), Items(list));
}

TEST(MListTest, DelRepetKeepsTheFirstOfEachRun)
{
    // Equal when the tens are equal: the units show which element of a run stayed.
    MList<int> list;
    list.FCompareEqual = [](const int* a, const int* b) { return *a / 10 == *b / 10; };
    Fill(list, {10, 11, 20, 21, 22, 12});
    EXPECT_EQ(3, list.DelRepet());
    EXPECT_EQ((std::vector<int>{10, 20, 12}), Items(list));

    Fill(list, {10, 11, 12});
    EXPECT_EQ(2, list.DelRepet());
    EXPECT_EQ((std::vector<int>{10}), Items(list));
}

TEST(MListTest, DelRepetOnAListWithoutRepeatsRemovesEveryRunInOnePass)
{
    // Its deletes would each start another pass over the list; one pass must do it all and
    // count every removal.
    MList<int> source;
    Fill(source, {1, 1, 2, 2, 3, 3});
    MList<int> list;
    list.bRepeat = false;
    ASSERT_TRUE(list.CopyFrom(&source));
    EXPECT_EQ(3, list.DelRepet());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Items(list));
}

TEST(MListTest, FindAndFindNextSorting)
{
    MList<KeyedEntry> entries;
    EXPECT_EQ(-1, entries.Find(KeyedEntry{}));
    entries.Add({5, 1, -1});
    entries.Add({6, 2, -1});
    EXPECT_EQ(0, entries.Find(KeyedEntry{9, 7, 7}));  // every two keyed entries are equal

    MList<int> sorted;
    sorted.bSorting = true;
    EXPECT_EQ(-2, sorted.Find(1));
    for (int v : {30, 20, 10, 20})
        sorted.Add(v);
    ASSERT_EQ((std::vector<int>{10, 20, 20, 30}), Items(sorted));

    struct Case {
        const char* name;
        int value, begin, end;
        int result, index;
    };
    static constexpr Case kCases[] = {
        {"in front of all", 5, 0, 3, -1, -1},    {"the first", 10, 0, 3, 0, -1},
        {"the first of a run", 20, 0, 3, 1, 0},  {"between", 25, 0, 3, -1, 2},
        {"behind all", 35, 0, 3, -1, 3},         {"inside a part", 20, 2, 3, 2, 1},
        {"in front of a part", 15, 2, 3, -1, 1}, {"range past the end", 20, 0, 4, -2, 99},
        {"reversed range", 20, 2, 1, -2, 99},    {"negative begin", 20, -1, 2, -2, 99},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        int index = 99;
        EXPECT_EQ(c.result, sorted.FindNextSorting(c.value, c.begin, c.end, index));
        EXPECT_EQ(c.index, index);
    }

    // Two points at one distance from the origin have the same order without being equal.
    MList<MPoint<float>> marks;
    marks.bSorting = true;
    marks.Add({1, 0});
    marks.Add({0, 1});
    EXPECT_EQ(1, marks.Find({1, 0}));
    EXPECT_EQ(0, marks.Find({0, 1}));
    EXPECT_EQ(-1, marks.Find({-1, 0}));
}

TEST(MListTest, SortedAddPutsAValueInFrontOfEqualOnes)
{
    MList<KeyedEntry> list;
    list.bSorting = true;
    for (const KeyedEntry& entry :
         {KeyedEntry{2, 0, -1}, KeyedEntry{1, 1, -1}, KeyedEntry{2, 2, -1}, KeyedEntry{3, 3, -1}})
        list.Add(entry);
    std::vector<int> order;
    for (const KeyedEntry& entry : Items(list))
        order.push_back(entry.Id);
    EXPECT_EQ((std::vector<int>{1, 2, 0, 3}), order);

    list.bRepeat = false;
    EXPECT_EQ(-1, list.Add({2, 9, -1}));
    EXPECT_EQ(4, list.Add({4, 9, -1}));

    // A sorted list does not exchange.
    EXPECT_FALSE(list.Exchange(0, 1));
}

std::vector<int> SortedIds(const std::vector<float>& depths)
{
    MList<KeyedEntry> list;
    for (std::size_t i = 0; i < depths.size(); ++i)
        list.Add({depths[i], static_cast<int>(i), -1});
    list.Sort();
    std::vector<int> ids;
    for (const KeyedEntry& entry : Items(list))
        ids.push_back(entry.Id);
    return ids;
}

TEST(MListTest, SortPlacesEqualKeysAsTheHeapLeavesThem)
{
    // Worked by hand through the heap with children 2a and 2a + 1; a stable sort would give
    // 1 3 0 2 and the textbook heap yet another order.
    EXPECT_EQ((std::vector<int>{3, 1, 2, 0}), SortedIds({2, 1, 2, 1}));
    EXPECT_EQ((std::vector<int>{1, 2, 0}), SortedIds({1, 1, 1}));
    EXPECT_EQ((std::vector<int>{0}), SortedIds({1}));
    EXPECT_EQ((std::vector<int>{1, 0}), SortedIds({2, 1}));
}

// The heap sort exactly as its steps are written down, on a plain vector: the reference for
// where equal keys end up.
template <class T, class More>
void ReferenceHeapSort(std::vector<T>& A, More more)
{
    const int n = static_cast<int>(A.size());
    if (n < 2)
        return;
    const auto siftDown = [&A, &more](int a, int b) {
        const T t = A[a];
        while (a <= b / 2) {
            int c = 2 * a;
            if (c < b && more(A[c + 1], A[c]))
                c = c + 1;
            if (!more(A[c], t))
                break;
            A[a] = A[c];
            a = c;
        }
        A[a] = t;
    };
    for (int k = n / 2; k >= 0; --k)
        siftDown(k, n - 1);
    for (int i = n - 1; i >= 1; --i) {
        std::swap(A[i], A[0]);
        siftDown(0, i - 1);
    }
}

TEST(MListTest, SortLeavesEqualKeysExactlyWhereTheHeapSortPutsThem)
{
    // Few distinct keys, so most keys have many equals; entries are told apart by Id.
    std::mt19937 random(5113u);  // fixed start value: the same inputs every run
    const auto byDepth = [](const KeyedEntry& a, const KeyedEntry& b) { return a.Key > b.Key; };
    const auto byHeight = [](const KeyedEntry& a, const KeyedEntry& b) { return a.Key < b.Key; };
    for (int round = 0; round < 400; ++round) {
        const int n = round < 300 ? round % 70 : std::uniform_int_distribution<int>(70, 5000)(random);
        const int depths = 1 + round % 5;
        std::uniform_int_distribution<int> depth(0, depths - 1);
        std::vector<KeyedEntry> entries;
        for (int i = 0; i < n; ++i)
            entries.push_back({static_cast<float>(depth(random)), i, -1});
        const bool descending = round % 2 == 1;
        SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(n) + " entries"
                     + (descending ? ", the list's own order" : ""));

        MList<KeyedEntry> list;
        for (const KeyedEntry& entry : entries)
            list.Add(entry);
        if (descending) {
            list.FCompareMore = [](const KeyedEntry* a, const KeyedEntry* b) { return a->Key < b->Key; };
            ReferenceHeapSort(entries, byHeight);
        } else {
            ReferenceHeapSort(entries, byDepth);
        }
        list.Sort();

        ASSERT_EQ(n, list.FCount);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(entries[static_cast<std::size_t>(i)].Id, list.Data[i].Id) << "at " << i;
    }
}

TEST(MListTest, SortOrdersAnyInputAscendingByTheListsOrder)
{
    std::mt19937 random(20240611u);  // fixed start value: the same input every run
    std::uniform_int_distribution<int> depth(0, 40);
    for (int n : {2, 3, 17, 64, 1000}) {
        SCOPED_TRACE(n);
        MList<KeyedEntry> list;
        for (int i = 0; i < n; ++i)
            list.Add({static_cast<float>(depth(random)), i, -1});
        list.Sort();
        std::vector<int> ids;
        for (int i = 0; i < n; ++i) {
            ids.push_back(list.Data[i].Id);
            if (i > 0) {
                ASSERT_LE(list.Data[i - 1].Key, list.Data[i].Key);
            }
        }
        std::sort(ids.begin(), ids.end());
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(i, ids[i]);

        list.FCompareMore = [](const KeyedEntry* a, const KeyedEntry* b) { return a->Key < b->Key; };
        list.Sort();
        for (int i = 1; i < n; ++i)
            ASSERT_GE(list.Data[i - 1].Key, list.Data[i].Key);
    }
}

TEST(MListTest, DeleteTRemovesAValueOrTheCommonValuesOfTwoSortedLists)
{
    MList<int> list;
    Fill(list, {1, 2, 3, 2});
    EXPECT_TRUE(list.DeleteT(2));
    EXPECT_EQ((std::vector<int>{1, 3, 2}), Items(list));
    EXPECT_FALSE(list.DeleteT(9));

    struct Case {
        const char* name;
        std::vector<int> mine, other;
        int begin, count;
        bool deleteInOther;
        int result;
        std::vector<int> mineAfter, otherAfter;
    };
    const Case kCases[] = {
        {"common values", {1, 2, 2, 3, 5}, {2, 3, 4}, 0, 3, false, 2, {1, 2, 5}, {2, 3, 4}},
        {"also from the other", {1, 2, 2, 3, 5}, {2, 3, 4}, 0, 3, true, 2, {1, 2, 5}, {4}},
        {"each value as often as both hold it", {2, 2, 2}, {2, 2}, 0, 2, false, 2, {2}, {2, 2}},
        {"a range of the other", {1, 2, 3}, {1, 2, 3}, 1, 1, true, 1, {1, 3}, {1, 3}},
        {"nothing in common", {1, 3}, {2, 4}, 0, 2, false, 0, {1, 3}, {2, 4}},
        {"begin outside the other", {1, 2}, {1, 2}, 2, 1, false, 0, {1, 2}, {1, 2}},
        {"range past the other's end", {1, 2}, {1, 2}, 1, 2, false, 0, {1, 2}, {1, 2}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MList<int> mine;
        MList<int> other;
        Fill(mine, c.mine);
        Fill(other, c.other);
        mine.bSorting = true;
        other.bSorting = true;
        EXPECT_EQ(c.result, mine.DeleteT(other, c.begin, c.count, c.deleteInOther));
        EXPECT_EQ(c.mineAfter, Items(mine));
        EXPECT_EQ(c.otherAfter, Items(other));
    }

    MList<int> sorted;
    MList<int> unsorted;
    Fill(sorted, {1, 2});
    Fill(unsorted, {1, 2});
    sorted.bSorting = true;
    EXPECT_EQ(-1, sorted.DeleteT(unsorted, false));
    EXPECT_EQ(-1, unsorted.DeleteT(sorted, false));
    // With itself, the common values are the range.
    EXPECT_EQ(1, sorted.DeleteT(sorted, 0, 1, true));
    EXPECT_EQ((std::vector<int>{2}), Items(sorted));
}

TEST(MListTest, ComparisonOfWholeLists)
{
    struct Case {
        const char* name;
        std::vector<int> left, right;
        bool equal, greater, less;
    };
    const Case kCases[] = {
        {"same", {1, 2, 3}, {1, 2, 3}, true, false, false},
        {"both empty", {}, {}, true, false, false},
        {"a prefix is less", {1, 2}, {1, 2, 3}, false, false, true},
        {"longer is greater", {1, 2, 3}, {1, 2}, false, true, false},
        {"first difference decides", {1, 3}, {1, 2, 9}, false, true, false},
        {"first difference decides, less", {0, 9, 9}, {1}, false, false, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        MList<int> left;
        MList<int> right;
        Fill(left, c.left);
        Fill(right, c.right);
        EXPECT_EQ(c.equal, left == right);
        EXPECT_EQ(!c.equal, left != right);
        EXPECT_EQ(c.greater, left > right);
        EXPECT_EQ(c.less, left < right);
    }
}

TEST(MListTest, ElementsAddedWithoutGrowingAreNeverUsedAsScratch)
{
    // The second Add fits without growing; a move must still keep its element.
    MList<char> list;
    list.Add('a');
    list.Add('b');
    ASSERT_TRUE(list.Move(0, 1));
    EXPECT_EQ((std::vector<char>{'b', 'a'}), Items(list));
    list.Add('c');
    ASSERT_TRUE(list.Exchange(0, 2));
    EXPECT_EQ((std::vector<char>{'c', 'a', 'b'}), Items(list));
}

TEST(MListTest, AddRefusesAValueWhileElementsAreKept)
{
    MList<int> list;
    list.bKeepItems = true;
    EXPECT_EQ(-1, list.Add(1));
    EXPECT_EQ(0, list.FCount);
}

}  // namespace
