#include "MListAdr.h"

#include <gtest/gtest.h>

#include "CountedObject.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// A copyable counted object with a label, which logs the labels of the objects deleted, so a
// test sees which object went, and when.
struct Tracked {
    static inline int alive = 0;
    static inline std::vector<std::string> deleted;
    std::string label;
    Tracked() { ++alive; }
    explicit Tracked(std::string text) : label(std::move(text)) { ++alive; }
    // "uncopyable" stands for a copy that runs out of memory halfway through a list.
    Tracked(const Tracked& other) : label(other.label)
    {
        if (label == "uncopyable")
            throw std::bad_alloc();
        ++alive;
    }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked()
    {
        --alive;
        deleted.push_back(label);
    }
};

class MListAdrTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Counted::alive = 0;
        Tracked::alive = 0;
        Tracked::deleted.clear();
    }
    void TearDown() override
    {
        EXPECT_EQ(0, Counted::alive) << "objects left behind";
        EXPECT_EQ(0, Tracked::alive) << "objects left behind or deleted twice";
    }
};

void Own(MListAdr<Counted*>& list)
{
    list.bAutoDelete = true;
    list.bAutoCreate = true;
}

bool AllDistinctAndSet(const MListAdr<Counted*>& list)
{
    std::set<Counted*> seen(list.Data, list.Data + list.FCount);
    return seen.size() == static_cast<std::size_t>(list.FCount) && !seen.contains(nullptr);
}

TEST_F(MListAdrTest, OwningListCreatesAndDeletesItsObjects)
{
    {
        MListAdr<Counted*> list;
        Own(list);
        ASSERT_TRUE(list.SetCount(3));
        EXPECT_EQ(3, Counted::alive);
        EXPECT_TRUE(AllDistinctAndSet(list));

        Counted* handed = new Counted();
        EXPECT_EQ(3, list.Add(handed));
        EXPECT_EQ(handed, list.Data[3]);
        EXPECT_EQ(4, Counted::alive);

        ASSERT_TRUE(list.DeleteIndex(3));
        EXPECT_EQ(3, Counted::alive);
        ASSERT_TRUE(list.SetCount(1));
        EXPECT_EQ(1, Counted::alive);
        ASSERT_TRUE(list.Clear());
        EXPECT_EQ(0, Counted::alive);

        ASSERT_EQ(0, list.Add());
        EXPECT_NE(nullptr, list.Data[0]);
        ASSERT_TRUE(list.SetCount(4));
        EXPECT_EQ(4, Counted::alive);
    }
    EXPECT_EQ(0, Counted::alive);  // destroying the list deletes what it held
}

TEST_F(MListAdrTest, WithoutAutoDeleteRemovedObjectsStayAlive)
{
    MListAdr<Counted*> list;
    list.bAutoCreate = true;
    ASSERT_TRUE(list.SetCount(2));
    const std::vector<Counted*> objects(list.Data, list.Data + 2);
    ASSERT_TRUE(list.Clear());
    EXPECT_EQ(0, list.FCount);
    EXPECT_EQ(2, Counted::alive);
    for (Counted* object : objects)
        delete object;
}

TEST_F(MListAdrTest, SetCountFailsInsteadOfLoopingForever)
{
    MListAdr<Counted*> list;
    Own(list);
    ASSERT_TRUE(list.SetCount(2));
    EXPECT_FALSE(list.SetCount(-1));
    EXPECT_EQ(2, list.FCount);
    EXPECT_EQ(2, Counted::alive);

    // Without creation, the second empty slot repeats the first and is refused.
    MListAdr<Counted*> empties;
    empties.bRepeat = false;
    EXPECT_FALSE(empties.SetCount(3));
    EXPECT_EQ(1, empties.FCount);
}

TEST_F(MListAdrTest, InsertCreatesOnlyTheObjectOfTheOpenedSlot)
{
    MListAdr<Counted*> list;
    Own(list);
    ASSERT_TRUE(list.SetCount(2));
    Counted* first = list.Data[0];
    Counted* second = list.Data[1];

    ASSERT_TRUE(list.Insert(1));
    EXPECT_EQ(3, Counted::alive);
    EXPECT_EQ(first, list.Data[0]);
    EXPECT_EQ(second, list.Data[2]);
    EXPECT_TRUE(AllDistinctAndSet(list));

    Counted* handed = new Counted();
    ASSERT_TRUE(list.Insert(0, handed));
    EXPECT_EQ(handed, list.Data[0]);
    EXPECT_EQ(4, Counted::alive);
    ASSERT_TRUE(list.Insert(4, new Counted()));
    EXPECT_EQ(5, Counted::alive);
    EXPECT_TRUE(AllDistinctAndSet(list));
}

TEST_F(MListAdrTest, InsertWithoutCreationLeavesAnEmptySlotNotACopy)
{
    // A copy of the shifted pointer would be deleted twice.
    MListAdr<Counted*> list;
    list.bAutoDelete = true;
    list.Add(new Counted());
    list.Add(new Counted());
    ASSERT_TRUE(list.Insert(1));
    EXPECT_EQ(nullptr, list.Data[1]);
    EXPECT_TRUE(list.Clear());
}

struct UserListener {
    std::vector<int> kinds;
    void Before(int, int, int kind) { kinds.push_back(kind); }
    void After(int, int, int kind) { kinds.push_back(10 + kind); }
};

TEST_F(MListAdrTest, UserHandlersHearTheChangesWhileOwnershipStillApplies)
{
    UserListener listener;
    MListAdr<Counted*> list;
    Own(list);
    using Handler = MListAdr<Counted*>::ChangeHandler;
    list.SetOnBeforeChange(Handler::Of<&UserListener::Before>(&listener));
    list.SetOnAfterChange(Handler::Of<&UserListener::After>(&listener));
    EXPECT_EQ(Handler::Of<&UserListener::Before>(&listener), list.GetOnBeforeChange());
    EXPECT_EQ(Handler::Of<&UserListener::After>(&listener), list.GetOnAfterChange());

    ASSERT_TRUE(list.SetCount(1));
    ASSERT_TRUE(list.DeleteIndex(0));
    EXPECT_EQ((std::vector<int>{0, 10, 1, 11}), listener.kinds);
    EXPECT_EQ(0, Counted::alive);

    // Locked events also lock creation and deletion.
    list.bLockEvent = true;
    ASSERT_TRUE(list.SetCount(2));
    EXPECT_EQ(nullptr, list.Data[0]);
    EXPECT_EQ(0, Counted::alive);
    EXPECT_EQ(4u, listener.kinds.size());
}

TEST_F(MListAdrTest, LoadingReplacesOwnedObjectsWithoutLosingThem)
{
    MListAdr<Counted*> saved;
    Own(saved);
    ASSERT_TRUE(saved.SetCount(2));
    MMemoryStream full;
    ASSERT_TRUE(saved.SaveToStream(&full, true));
    MMemoryStream header;
    ASSERT_TRUE(saved.SaveToStream(&header, false));

    MListAdr<Counted*> list;
    Own(list);
    ASSERT_TRUE(list.SetCount(3));

    // A failed load keeps the list and its objects.
    MMemoryStream truncated(std::vector<std::uint8_t>(full.Bytes().begin(), full.Bytes().end() - 1));
    EXPECT_FALSE(list.LoadFromStream(&truncated, true));
    EXPECT_EQ(3, list.FCount);
    EXPECT_TRUE(AllDistinctAndSet(list));

    // Loaded addresses mean nothing here: the slots come back empty, their old objects deleted.
    full.Seek(0);
    ASSERT_TRUE(list.LoadFromStream(&full, true));
    EXPECT_EQ(2, list.FCount);
    EXPECT_EQ(nullptr, list.Data[0]);
    EXPECT_EQ(nullptr, list.Data[1]);
    EXPECT_EQ(2, Counted::alive);  // only the saved list's

    // A header alone keeps the slots it does not drop.
    ASSERT_TRUE(list.SetCount(0));
    ASSERT_TRUE(list.SetCount(3));
    Counted* kept = list.Data[0];
    header.Seek(0);
    ASSERT_TRUE(list.LoadFromStream(&header, false));
    EXPECT_EQ(2, list.FCount);
    EXPECT_EQ(kept, list.Data[0]);
    EXPECT_EQ(4, Counted::alive);  // the dropped slot's object is gone
}

// An owning list (both flags set) of new objects with these labels.
void OwnLabelled(MListAdr<Tracked*>& list, std::initializer_list<const char*> labels)
{
    list.bAutoDelete = true;
    list.bAutoCreate = true;
    for (const char* label : labels)
        list.Add(new Tracked(label));
}

std::vector<std::string> Labels(const MList<Tracked*>& list)
{
    std::vector<std::string> labels;
    for (int i = 0; i < list.FCount; ++i)
        labels.push_back(list.Data[i] == nullptr ? "null" : list.Data[i]->label);
    return labels;
}

bool SharesAnObject(const MList<Tracked*>& list, const MList<Tracked*>& other)
{
    const std::set<Tracked*> mine(list.Data, list.Data + list.FCount);
    for (int i = 0; i < other.FCount; ++i)
        if (other.Data[i] != nullptr && mine.contains(other.Data[i]))
            return true;
    return false;
}

struct EventLog {
    std::vector<std::string> events;
    void Before(int begin, int end, int kind) { Log('B', begin, end, kind); }
    void After(int begin, int end, int kind) { Log('A', begin, end, kind); }
    void Log(char when, int begin, int end, int kind)
    {
        events.push_back(when + ("(" + std::to_string(begin) + "," + std::to_string(end) + "," + std::to_string(kind))
                         + ")");
    }
    template <class T>
    void Listen(MListAdr<T>& list)
    {
        using Handler = typename MListAdr<T>::ChangeHandler;
        list.SetOnBeforeChange(Handler::template Of<&EventLog::Before>(this));
        list.SetOnAfterChange(Handler::template Of<&EventLog::After>(this));
    }
};

TEST_F(MListAdrTest, DestroyingAnOwningListAnnouncesOneRemovalAndDeletesFirstToLast)
{
    EventLog log;  // outlives the list, which tells it of its end
    {
        MListAdr<Tracked*> list;
        OwnLabelled(list, {"a", "b", "c"});
        log.Listen(list);
    }
    EXPECT_EQ((std::vector<std::string>{"B(0,2,1)", "A(-1,-1,1)"}), log.events);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Tracked::deleted);

    // Clearing, unlike destroying, goes one element at a time from the last.
    log.events.clear();
    Tracked::deleted.clear();
    MListAdr<Tracked*> list;
    OwnLabelled(list, {"a", "b"});
    log.Listen(list);
    ASSERT_TRUE(list.Clear());
    EXPECT_EQ((std::vector<std::string>{"B(1,1,1)", "A(-1,-1,1)", "B(0,0,1)", "A(-1,-1,1)"}), log.events);
    EXPECT_EQ((std::vector<std::string>{"b", "a"}), Tracked::deleted);
}

TEST_F(MListAdrTest, AnOwningListGivenAnotherListsElementsOwnsCopiesOfTheirObjects)
{
    struct Case {
        const char* name;
        std::initializer_list<const char*> source;
        std::function<bool(MListAdr<Tracked*>&, const MListAdr<Tracked*>&)> operation;
        std::vector<std::string> after;
        std::vector<std::string> events;
    };
    using List = MListAdr<Tracked*>;
    const Case kCases[] = {
        {"a whole list",
         {"y"},
         [](List& l, const List& s) { return l.Add(s); },
         {"x0", "x1", "y"},
         {"B(-1,-1,0)", "A(2,2,0)"}},
        {"the same through AddList",
         {"y", "z"},
         [](List& l, const List& s) { return l.AddList(s); },
         {"x0", "x1", "y", "z"},
         {"B(-1,-1,0)", "A(2,3,0)"}},
        {"a range",
         {"p", "q", "r"},
         [](List& l, const List& s) { return l.Add(s, 1, 2); },
         {"x0", "x1", "q", "r"},
         {"B(-1,-1,0)", "A(2,3,0)"}},
        {"through the base list's form",
         {"p", "q"},
         [](List& l, const List& s) { return l.Add(static_cast<const MListSimple<Tracked*>&>(s), 0, 1); },
         {"x0", "x1", "p"},
         {"B(-1,-1,0)", "A(2,2,0)"}},
        {"a copy of all",
         {"p", "q", "r"},
         [](List& l, const List& s) { return l.CopyFrom(&s); },
         {"p", "q", "r"},
         {"B(1,1,1)", "A(-1,-1,1)", "B(0,0,1)", "A(-1,-1,1)", "B(-1,-1,0)", "A(0,2,0)"}},
        {"a copy of the front",
         {"p", "q", "r"},
         [](List& l, const List& s) { return l.CopyFrom(&s, 0); },
         {"p"},
         {"B(1,1,1)", "A(-1,-1,1)", "B(0,0,1)", "A(-1,-1,1)", "B(-1,-1,0)", "A(0,0,0)"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        {
            MListAdr<Tracked*> source;
            OwnLabelled(source, c.source);
            MListAdr<Tracked*> list;
            OwnLabelled(list, {"x0", "x1"});
            EventLog log;
            log.Listen(list);

            EXPECT_TRUE(c.operation(list, source));
            EXPECT_EQ(c.after, Labels(list));
            EXPECT_FALSE(SharesAnObject(list, source));
            EXPECT_EQ(c.events, log.events);
            EXPECT_EQ(list.FCount + source.FCount, Tracked::alive) << "an object was lost or made in vain";
            list.SetOnBeforeChange({});
            list.SetOnAfterChange({});
        }
        EXPECT_EQ(0, Tracked::alive) << "an object was lost or deleted twice";
    }
}

TEST_F(MListAdrTest, ReceivedNullsStayNullAndAFailedCopyChangesNothing)
{
    // The source only refers to objects the test owns.
    Tracked kept("kept");
    Tracked refused("uncopyable");
    MList<Tracked*> source;
    source.Add(nullptr);
    source.Add(&kept);

    MListAdr<Tracked*> list;
    OwnLabelled(list, {"x"});
    ASSERT_TRUE(list.Add(source));
    EXPECT_EQ((std::vector<std::string>{"x", "null", "kept"}), Labels(list));
    EXPECT_NE(&kept, list.Data[2]);
    EXPECT_EQ(4, Tracked::alive);

    // All or nothing: the copies made before the failing one are deleted again.
    source.Add(&refused);
    Tracked* const before[] = {list.Data[0], list.Data[1], list.Data[2]};
    EXPECT_FALSE(list.Add(source));
    EXPECT_FALSE(list.CopyFrom(&source));
    ASSERT_EQ(3, list.FCount);
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), list.Data));
    EXPECT_EQ(4, Tracked::alive);
}

TEST_F(MListAdrTest, CopyFromItselfKeepsTheFrontObjects)
{
    MListAdr<Tracked*> list;
    OwnLabelled(list, {"a", "b", "c"});
    Tracked* const front = list.Data[0];
    ASSERT_TRUE(list.CopyFrom(&list, 1));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Labels(list));
    EXPECT_EQ(front, list.Data[0]);
    EXPECT_EQ((std::vector<std::string>{"c"}), Tracked::deleted);
}

TEST_F(MListAdrTest, AListThatOwnsNothingReceivesThePointersThemselves)
{
    MListAdr<Tracked*> owner;
    OwnLabelled(owner, {"p", "q"});
    MListAdr<Tracked*> view;
    view.bAutoCreate = true;  // creates objects for empty slots, yet deletes nothing
    ASSERT_TRUE(view.Add(owner));
    ASSERT_TRUE(view.Add(owner, 1, 1));
    EXPECT_EQ((std::vector<Tracked*>{owner.Data[0], owner.Data[1], owner.Data[1]}),
              std::vector<Tracked*>(view.Data, view.Data + view.FCount));
    ASSERT_TRUE(view.CopyFrom(&owner, 0));
    EXPECT_EQ((std::vector<Tracked*>{owner.Data[0]}), std::vector<Tracked*>(view.Data, view.Data + view.FCount));
    EXPECT_EQ(2, Tracked::alive);
}

TEST_F(MListAdrTest, AnOwningListRefusesObjectsItCannotCopy)
{
    // Counted objects cannot be copied: taking the pointers would make two owners.
    MListAdr<Counted*> source;
    Own(source);
    ASSERT_TRUE(source.SetCount(2));
    MListAdr<Counted*> list;
    Own(list);
    ASSERT_TRUE(list.SetCount(1));
    Counted* const held = list.Data[0];

    EXPECT_FALSE(list.Add(source));
    EXPECT_FALSE(list.CopyFrom(&source));
    ASSERT_EQ(1, list.FCount);
    EXPECT_EQ(held, list.Data[0]);
    EXPECT_EQ(3, Counted::alive);
}

TEST_F(MListAdrTest, AddNullAppendsAnEmptySlotAndCreatesNothing)
{
    MListAdr<Counted*> list;
    Own(list);
    EXPECT_EQ(0, list.AddNULL());
    EXPECT_EQ(nullptr, list.Data[0]);
    EXPECT_EQ(1, list.Add());
    EXPECT_EQ(1, Counted::alive);
}

}  // namespace
