#include "MListAdr.h"

#include <gtest/gtest.h>

#include "CountedObject.h"

#include <set>
#include <vector>

namespace {

class MListAdrTest : public ::testing::Test {
protected:
    void SetUp() override { Counted::alive = 0; }
    void TearDown() override { EXPECT_EQ(0, Counted::alive) << "objects left behind"; }
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
    EXPECT_EQ(0, Counted::alive); // destroying the list deletes what it held
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
    EXPECT_EQ(2, Counted::alive); // only the saved list's

    // A header alone keeps the slots it does not drop.
    ASSERT_TRUE(list.SetCount(0));
    ASSERT_TRUE(list.SetCount(3));
    Counted* kept = list.Data[0];
    header.Seek(0);
    ASSERT_TRUE(list.LoadFromStream(&header, false));
    EXPECT_EQ(2, list.FCount);
    EXPECT_EQ(kept, list.Data[0]);
    EXPECT_EQ(4, Counted::alive); // the dropped slot's object is gone
}

} // namespace
