// The error posts of the list and stream operations, as a trace viewer receives them: the
// message text, the method, the object name, the flag, and their order when a failure in an
// inner operation is posted again by each caller.

#include "MList.h"
#include "MListAdr.h"
#include "MListSimple.h"
#include "MListSimpleFind.h"
#include "MPoint.h"
#include "MStream.h"
#include "MTrace.h"

#include <gtest/gtest.h>

#include "CountedObject.h"
#include "PrivateTraceChannel.h"
#include "TempDir.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char* kName = "LTest";

// Too large for any heap, so growing to a few of them fails the way exhausted memory does.
struct Huge {
    char bytes[1 << 20];
};

// A stream that refuses every byte, as a full disk or a closed pipe would.
class RefusingStream : public MStream {
public:
    void Read(void*, std::size_t) override { throw MStreamError("refused"); }
    void Write(const void*, std::size_t) override { throw MStreamError("refused"); }
    std::int64_t Position() const override { return 0; }
    std::int64_t Size() const override { return 0; }
};

struct Target {
    void Handle(int) {}
};

// A list named kName holding 1 .. count.
template <class List>
void Prepare(List& list, int count)
{
    list.FName = kName;
    for (int i = 1; i <= count; ++i)
        list.Add(i);
}

// One post as a line: object, expression, method, and the flag when it is set.
std::string PostLine(const TakenRecord& record)
{
    std::string line = record.objectName + ": " + record.expression + " @ " + record.method;
    if (record.flag != 0)
        line += " [flag " + std::to_string(record.flag) + "]";
    if (record.kind != TraceKindError)
        line += " [kind " + std::to_string(record.kind) + "]";
    return line;
}

class ListPostsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        channel_.OpenWithViewer();
        ASSERT_TRUE(TraceChannelOpen());
    }

    // The posts the operation makes, in order.
    std::vector<std::string> PostsOf(const std::function<void()>& operation)
    {
        const std::size_t before = channel_.Viewer().Records().size();
        operation();
        const std::vector<TakenRecord> records = channel_.Viewer().Records();
        std::vector<std::string> lines;
        for (std::size_t i = before; i < records.size(); ++i)
            lines.push_back(PostLine(records[i]));
        return lines;
    }

    struct Case {
        const char* name;
        std::function<void()> operation;
        std::vector<std::string> posts;
    };
    void ExpectPosts(const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(c.posts, PostsOf(c.operation));
        }
    }

    PrivateTraceChannel channel_{"PelmoraListPostsTest"};
};

std::string Post(const std::string& expression, const std::string& method)
{
    return std::string(kName) + ": " + expression + " @ " + method;
}

TEST_F(ListPostsTest, BaseListOperations)
{
    const std::string outOfMemory[] = {
        Post("return error", "MListSimple<T>::SetCapacity"),
        Post("return error", "MListSimple<T>::GrowD"),
    };
    ExpectPosts({
        {"count below zero",
         [] {
             MListSimple<int> l;
             Prepare(l, 3);
             l.SetCount(-1);
         },
         {Post("return error", "MListSimple<T>::SetCount")}},
        {"capacity below zero",
         [] {
             MListSimple<int> l;
             Prepare(l, 3);
             l.SetCapacity(-1);
         },
         {Post("return error", "MListSimple<T>::SetCapacity")}},
        // Each level of the growth posts once, innermost first.
        {"no memory to grow",
         [] {
             MListSimple<Huge> l;
             l.FName = kName;
             l.SetCount(1 << 30);
         },
         {outOfMemory[0], outOfMemory[1], Post("return error", "MListSimple<T>::Grow"),
          Post("return error", "MListSimple<T>::SetCount")}},
        {"no memory for scratch",
         [] {
             MListSimple<Huge> l;
             l.FName = kName;
             Huge* p = nullptr;
             l.GetBuffer(1 << 30, p);
         },
         {outOfMemory[0], outOfMemory[1], Post("Unknown error", "MListSimple<T>::GetBuffer")}},
        {"delete past the end",
         [] {
             MListSimple<int> l;
             Prepare(l, 5);
             l.DeleteIndex(4, 2);
         },
         {Post("return error", "MListSimple<T>::DeleteIndex")}},
        {"insert past the count",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             l.Insert(3, 9);
         },
         {Post("return error", "MListSimple<T>::Insert"), Post("return error", "MListSimple<T>::Insert")}},
        {"insert a value while elements are kept",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             l.bKeepItems = true;
             l.Insert(0, 9);
         },
         {Post("return error", "MListSimple<T>::Insert")}},
        {"move from outside",
         [] {
             MListSimple<int> l;
             Prepare(l, 5);
             l.Move(1, 5);
         },
         {Post("return error", "MListSimple<T>::Move")}},
        {"move a block past the end",
         [] {
             MListSimple<int> l;
             Prepare(l, 5);
             l.Move(1, 2, 4);
         },
         {Post("return error", "MListSimple<T>::Move")}},
        {"exchange with the count",
         [] {
             MListSimple<int> l;
             Prepare(l, 5);
             l.Exchange(1, 5);
         },
         {Post("return error", "MListSimple<T>::Exchange")}},
        {"add a value while elements are kept",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             l.bKeepItems = true;
             l.Add(9);
         },
         {Post("Unknown error", "MListSimple<T>::Add")}},
        // The range report carries the other list's count and the flag 1, then the error.
        {"add from a begin outside the other list",
         [] {
             MListSimple<int> l;
             Prepare(l, 1);
             MListSimple<int> o;
             Prepare(o, 5);
             l.Add(o, 5, 1);
         },
         {Post("ML.Count=5-Float", "MListSimple<T>::Add") + " [flag 1]", Post("return error", "MListSimple<T>::Add")}},
        {"add a range past the other's end",
         [] {
             MListSimple<int> l;
             Prepare(l, 1);
             MListSimple<int> o;
             Prepare(o, 5);
             l.Add(o, 3, 3);
         },
         {Post("return error", "MListSimple<T>::Add")}},
        {"add a list to itself",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             l.Add(l);
         },
         {Post("return error", "MListSimple<T>::Add")}},
        {"copy from no list",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             l.CopyFrom(nullptr);
         },
         {Post("return error", "MListSimple<T>::CopyFrom")}},
        {"copy up to -1",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             MListSimple<int> o;
             Prepare(o, 3);
             l.CopyFrom(&o, -1);
         },
         {Post("return error", "MListSimple<T>::CopyFrom")}},
        {"copy past the other's end",
         [] {
             MListSimple<int> l;
             Prepare(l, 2);
             MListSimple<int> o;
             Prepare(o, 3);
             l.CopyFrom(&o, 3);
         },
         {Post("return error", "MListSimple<T>::CopyFrom")}},
        {"a handler not in the list is no error",
         [] {
             Target a;
             Target b;
             using Handler = MMethod<void(int)>;
             MListSimpleFind<Handler> l;
             l.FName = kName;
             l.Add(Handler::Of<&Target::Handle>(&a));
             l.DeleteT(Handler::Of<&Target::Handle>(&b));
         },
         {}},
    });
}

TEST_F(ListPostsTest, NotifyingAndOwningListOperations)
{
    ExpectPosts({
        {"count below zero",
         [] {
             MList<int> l;
             Prepare(l, 3);
             l.SetCount(-1);
         },
         {Post("return error", "MListSimple<T>::SetCount"), Post("return error", "MList<T>::SetCount")}},
        {"delete past the end",
         [] {
             MList<int> l;
             Prepare(l, 5);
             l.DeleteIndex(5);
         },
         {Post("return error", "MList<T>::DeleteIndex")}},
        {"delete a block past the end",
         [] {
             MList<int> l;
             Prepare(l, 5);
             l.DeleteIndex(4, 2);
         },
         {Post("return error", "MList<T>::DeleteIndex")}},
        {"insert a slot past the count",
         [] {
             MList<int> l;
             Prepare(l, 2);
             l.Insert(3);
         },
         {Post("return error", "MList<T>::Insert")}},
        {"insert a value past the count",
         [] {
             MList<int> l;
             Prepare(l, 2);
             l.Insert(3, 9);
         },
         {Post("return error", "MList<T>::Insert")}},
        {"exchange with the count",
         [] {
             MList<int> l;
             Prepare(l, 2);
             l.Exchange(0, 2);
         },
         {Post("return error", "MList<T>::Exchange")}},
        {"exchange in a sorted list",
         [] {
             MList<int> l;
             Prepare(l, 2);
             l.bSorting = true;
             l.Exchange(0, 1);
         },
         {Post("return error", "MList<T>::Exchange")}},
        {"find in an empty sorted list",
         [] {
             MList<int> l;
             l.FName = kName;
             l.bSorting = true;
             l.Find(1);
         },
         {Post("Unknown error", "MList<T>::FindNextSorting")}},
        {"common values of an unsorted list",
         [] {
             MList<int> l;
             Prepare(l, 2);
             MList<int> o;
             Prepare(o, 2);
             o.bSorting = true;
             l.DeleteT(o, false);
         },
         {Post("return error", "MList<T>::DeleteT")}},
        {"common values of a range outside the other list",
         [] {
             MList<int> l;
             Prepare(l, 2);
             l.bSorting = true;
             MList<int> o;
             Prepare(o, 2);
             o.bSorting = true;
             l.DeleteT(o, 2, 1, false);
         },
         {Post("return error", "MList<T>::DeleteT")}},
        {"add from a begin outside the other list",
         [] {
             MList<int> l;
             Prepare(l, 1);
             MList<int> o;
             Prepare(o, 3);
             l.Add(o, -1, 1);
         },
         {Post("ML.Count=3-Float", "MListSimple<T>::Add") + " [flag 1]", Post("return error", "MListSimple<T>::Add")}},
        {"a refused repeated value is no error",
         [] {
             MList<int> l;
             Prepare(l, 1);
             l.bRepeat = false;
             l.Add(1);
         },
         {}},
        {"owning list, count below zero",
         [] {
             MListAdr<Counted*> l;
             l.FName = kName;
             l.SetCount(-1);
         },
         {Post("return error", "MListAdr<T>::SetCount")}},
        // Objects that cannot be copied would end up with two owners.
        {"owning list given objects it cannot copy",
         [] {
             MListAdr<Counted*> o;
             o.bAutoDelete = true;
             o.bAutoCreate = true;
             o.SetCount(1);
             MListAdr<Counted*> l;
             l.FName = kName;
             l.bAutoDelete = true;
             l.Add(o);
             l.CopyFrom(&o);
         },
         {Post("return error", "MListAdr<T>::Add"), Post("return error", "MListAdr<T>::CopyFrom")}},
        {"owning list given a range outside the other list",
         [] {
             MListAdr<Counted*> o;
             MListAdr<Counted*> l;
             l.FName = kName;
             l.Add(o, 0, 1);
         },
         {Post("ML.Count=0-Float", "MListSimple<T>::Add") + " [flag 1]", Post("return error", "MListSimple<T>::Add")}},
    });
}

TEST_F(ListPostsTest, StreamOperations)
{
    // A list header and one element cut short.
    const std::vector<std::uint8_t> baseShort = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 7};
    const std::vector<std::uint8_t> listShort = {0, 1, 1, 0, 0, 0, 7};
    TempDir dir;
    const std::string missing = dir.File("missing.bin");
    ExpectPosts({
        {"base form, save to no stream",
         [] {
             MListSimple<int> l;
             Prepare(l, 1);
             l.SaveToStream(nullptr, true);
         },
         {Post("Unknown error", "MListSimple<T>::SaveToStream")}},
        {"base form, save to a refusing stream",
         [] {
             MListSimple<int> l;
             Prepare(l, 1);
             RefusingStream s;
             l.SaveToStream(&s, true);
         },
         {Post("Unknown error", "MListSimple<T>::SaveToStream")}},
        {"base form, load from no stream",
         [] {
             MListSimple<int> l;
             Prepare(l, 1);
             l.LoadFromStream(nullptr, true);
         },
         {Post("Unknown error", "MListSimple<T>::LoadFromStream")}},
        {"base form, load a short stream",
         [&] {
             MListSimple<int> l;
             Prepare(l, 1);
             MMemoryStream s(baseShort);
             l.LoadFromStream(&s, true);
         },
         {Post("Unknown error", "MListSimple<T>::LoadFromStream")}},
        {"base form, load a negative count",
         [] {
             MListSimple<int> l;
             Prepare(l, 1);
             MMemoryStream s({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
             l.LoadFromStream(&s, false);
         },
         {Post("Unknown error", "MListSimple<T>::LoadFromStream")}},
        {"list form, save to no stream",
         [] {
             MList<int> l;
             Prepare(l, 1);
             l.SaveToStream(nullptr, true);
         },
         {Post("!Stream", "MList<T>::SaveToStream")}},
        {"list form, save to a refusing stream",
         [] {
             MList<int> l;
             Prepare(l, 1);
             RefusingStream s;
             l.SaveToStream(&s, true);
         },
         {Post("Error stream", "MList<T>::SaveToStream")}},
        {"list form, load from no stream",
         [] {
             MList<int> l;
             Prepare(l, 1);
             l.LoadFromStream(nullptr, true);
         },
         {Post("!Stream", "MList<T>::LoadFromStream")}},
        {"list form, load a short stream",
         [&] {
             MList<int> l;
             Prepare(l, 1);
             MMemoryStream s(listShort);
             l.LoadFromStream(&s, true);
         },
         {Post("Error stream", "MList<T>::LoadFromStream")}},
        {"list form, load from a refusing stream",
         [] {
             MList<int> l;
             Prepare(l, 1);
             RefusingStream s;
             l.LoadFromStream(&s, true);
         },
         {Post("Error stream", "MList<T>::LoadFromStream")}},
        {"base form, load a missing file",
         [&] {
             MListSimple<int> l;
             Prepare(l, 1);
             l.LoadFromFile(missing, true);
         },
         {Post("return error", "MListSimple<T>::LoadFromFile")}},
        {"list form, load a missing file",
         [&] {
             MList<int> l;
             Prepare(l, 1);
             l.LoadFromFile(missing, true);
         },
         {Post("return error", "MListSimple<T>::LoadFromFile")}},
        // A point has no name: its posts carry the unit's text.
        {"point, save to no stream",
         [] { MPoint<float>{}.SaveToStream(nullptr); },
         {"???: !Stream @ MPoint<T>::SaveToStream"}},
        {"point, save to a refusing stream",
         [] {
             RefusingStream s;
             MPoint<double>{}.SaveToStream(&s);
         },
         {"???: Error stream @ MPoint<T>::SaveToStream"}},
        {"point, load from no stream",
         [] {
             MPoint<float> p;
             p.LoadFromStream(nullptr);
         },
         {"???: !Stream @ MPoint<T>::LoadFromStream"}},
        {"point, load a short stream",
         [] {
             MPoint<float> p;
             MMemoryStream s({1, 2, 3, 4, 5});
             p.LoadFromStream(&s);
         },
         {"???: Error stream @ MPoint<T>::LoadFromStream"}},
        {"a whole round trip posts nothing",
         [] {
             MList<int> l;
             Prepare(l, 2);
             MMemoryStream s;
             l.SaveToStream(&s, true);
             s.Seek(0);
             l.LoadFromStream(&s, true);
         },
         {}},
    });
}

TEST_F(ListPostsTest, PostsCarryTheFieldsOfAnErrorReport)
{
    MList<int> list;
    list.FName = kName;
    const std::vector<std::string> posts = PostsOf([&] { list.Exchange(0, 1); });
    ASSERT_EQ(1u, posts.size());
    const TakenRecord record = channel_.Viewer().Records().back();
    EXPECT_EQ(TraceKindError, record.kind);
    EXPECT_EQ(0, record.flag);
    EXPECT_EQ("???", record.componentName);
    EXPECT_EQ("???", record.extra1);
    EXPECT_EQ("???", record.extra2);
    // The post names the list's own source, relative to the project.
    EXPECT_EQ("MClasess/MList.h", record.sourceFile);
    EXPECT_GT(record.line, 0);
}

}  // namespace
