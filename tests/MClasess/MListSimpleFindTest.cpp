#include "MListSimpleFind.h"
#include "MMethod.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Frame;
using FrameHandler = MMethod<void(Frame*)>;
using HandlerList = MListSimpleFind<FrameHandler>;

// A listener that writes its name into a shared log when it is called.
struct Listener {
    std::string name;
    std::string* log = nullptr;
    void Notify(Frame*) { *log += name; }
    void Other(Frame*) { *log += name + "'"; }
    void Inspect(Frame*) const {}
};

struct DerivedListener : Listener {};

TEST(MListSimpleFindTest, HandlersAreEqualForTheSameObjectAndMethodOnly)
{
    Listener a{"a"};
    Listener b{"b"};
    DerivedListener derived;
    const Listener constant{"c"};
    struct Case {
        const char* name;
        FrameHandler left, right;
        bool equal;
    };
    const Case kCases[] = {
        {"same object and method", FrameHandler::Of<&Listener::Notify>(&a), FrameHandler::Of<&Listener::Notify>(&a),
         true},
        {"another object", FrameHandler::Of<&Listener::Notify>(&a), FrameHandler::Of<&Listener::Notify>(&b), false},
        {"another method", FrameHandler::Of<&Listener::Notify>(&a), FrameHandler::Of<&Listener::Other>(&a), false},
        {"through a derived pointer", FrameHandler::Of<&Listener::Notify>(&derived),
         FrameHandler::Of<&Listener::Notify>(static_cast<Listener*>(&derived)), true},
        {"const method", FrameHandler::Of<&Listener::Inspect>(&constant),
         FrameHandler::Of<&Listener::Inspect>(&constant), true},
        {"both unset", FrameHandler{}, FrameHandler{}, true},
        {"unset and set", FrameHandler{}, FrameHandler::Of<&Listener::Notify>(&a), false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.equal, c.left == c.right);
        EXPECT_EQ(!c.equal, c.left != c.right);
    }
    EXPECT_FALSE(FrameHandler{});
    EXPECT_TRUE(FrameHandler::Of<&Listener::Notify>(&a));
}

TEST(MListSimpleFindTest, FindAndDeleteByValue)
{
    std::string log;
    Listener a{"a", &log};
    Listener b{"b", &log};
    Listener stranger{"s", &log};
    const FrameHandler A = FrameHandler::Of<&Listener::Notify>(&a);
    const FrameHandler B = FrameHandler::Of<&Listener::Notify>(&b);

    HandlerList empty;
    EXPECT_EQ(-1, empty.Find(A));
    EXPECT_FALSE(empty.DeleteT(A));

    struct Case {
        const char* name;
        FrameHandler deleted;
        bool fast;
        bool ok;
        std::vector<FrameHandler> after;
    };
    const Case kCases[] = {
        {"the first of two", A, false, true, {B, A}},
        {"fast: the last fills the gap", A, true, true, {A, B}},
        {"the same method of another object", FrameHandler::Of<&Listener::Notify>(&stranger), false, false, {A, B, A}},
        {"another method of a listed object", FrameHandler::Of<&Listener::Other>(&a), false, false, {A, B, A}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        HandlerList list;
        for (const FrameHandler& h : {A, B, A})
            list.Add(h);
        EXPECT_EQ(1, list.Find(B));
        EXPECT_EQ(c.ok, list.DeleteT(c.deleted, c.fast));
        EXPECT_EQ(c.after, std::vector<FrameHandler>(list.Data, list.Data + list.FCount));
    }
}

// The owner raises an event the way the viewer frame does: the count is read before each call.
void Raise(HandlerList& list, Frame* sender)
{
    for (int i = 0; i < list.FCount; ++i)
        list.Data[i](sender);
}

struct SelfRemover {
    HandlerList* list = nullptr;
    std::string* log = nullptr;
    void Notify(Frame*)
    {
        *log += "r";
        list->DeleteT(FrameHandler::Of<&SelfRemover::Notify>(this));
    }
};

struct Appender {
    HandlerList* list = nullptr;
    FrameHandler appended;
    std::string* log = nullptr;
    void Notify(Frame*)
    {
        *log += "p";
        list->Add(appended);
    }
};

TEST(MListSimpleFindTest, HandlersChangingTheListDuringAPass)
{
    std::string log;
    HandlerList list;
    Listener a{"a", &log};
    Listener b{"b", &log};
    SelfRemover remover{&list, &log};
    Appender appender{&list, FrameHandler::Of<&Listener::Notify>(&b), &log};

    // The handler after one that removes itself moves into its index and misses this pass.
    list.Add(FrameHandler::Of<&SelfRemover::Notify>(&remover));
    list.Add(FrameHandler::Of<&Listener::Notify>(&a));
    Raise(list, nullptr);
    EXPECT_EQ("r", log);
    Raise(list, nullptr);
    EXPECT_EQ("ra", log);

    // A handler appended during the pass runs in the same pass.
    log.clear();
    list.Add(FrameHandler::Of<&Appender::Notify>(&appender));
    list.DeleteT(FrameHandler::Of<&Listener::Notify>(&a));
    Raise(list, nullptr);
    EXPECT_EQ("pb", log);
}

}  // namespace
