#include "MTrace.h"
#include "MTraceBlock.h"

#include <gtest/gtest.h>

#include "TraceBlockNames.h"
#include "TraceTestViewer.h"

#include <QString>

#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The process id of a child that has exited and been reaped.
std::int32_t DeadProcessId()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return static_cast<std::int32_t>(child);
}

TraceRecord Record(std::int32_t kind, std::string expression, std::string value = {},
                   const char* method = "MListSimple<T>::Add", std::int32_t line = __builtin_LINE())
{
    TraceRecord record;
    record.SourceFile = __FILE__;
    record.Line = line;
    record.Kind = kind;
    record.Expression = std::move(expression);
    record.Value = std::move(value);
    record.Method = method;
    return record;
}

class TraceChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        blockName_ = UniqueBlockName("PelmoraTraceTest");
        TraceSetBlockName(blockName_);
        TraceSetMessageHandler([this](const std::string& message) { messages_.push_back(message); });
    }
    void TearDown() override
    {
        TracePost(Record(TraceKindEnd, "End"));
        TraceSetMessageHandler(nullptr);
        shm_unlink(blockName_.c_str());
    }

    std::string blockName_;
    std::vector<std::string> messages_;
};

TEST(TraceValueTextTest, WritesNumbersPointersAndTextsInTheirForms)
{
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case kCases[] = {
        {"whole number", TraceValueText(12.0), "12-Float"},
        {"count", TraceValueText(3.0), "3-Float"},
        {"fraction", TraceValueText(0.5), "0.5-Float"},
        {"negative", TraceValueText(-2.25), "-2.25-Float"},
        {"15 significant digits", TraceValueText(1.0 / 3.0), "0.333333333333333-Float"},
        {"large", TraceValueText(1e20), "1e+20-Float"},
        {"null pointer", TraceValueText(static_cast<const void*>(nullptr)), "0x00000000-Void*"},
        {"short address", TraceValueText(reinterpret_cast<const void*>(0xABCDu)), "0x0000ABCD-Void*"},
        {"64-bit address", TraceValueText(reinterpret_cast<const void*>(0x7FFFab12cd34ull)),
         "0x7FFFAB12CD34-Void*"},
        {"text", TraceValueText("C"), "'C' -String"},
        {"empty text", TraceValueText(std::string()), "'' -String"},
        {"UTF-16 text", TraceValueText(QString::fromUtf8("Åb")), "'\xC3\x85" "b' -String"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, c.expected);
    }
}

TEST_F(TraceChannelTest, FoldsTheTextsOfEachKindBeforeWritingThem)
{
    TestBlock block(blockName_);
    InProcessViewer viewer(block.Block());
    TracePost(Record(TraceKindStart, "Start"));
    ASSERT_TRUE(TraceChannelOpen());

    struct Case {
        const char* name;
        std::int32_t kind;
        const char* expression;
        std::string value;
        std::int32_t flag;
        std::int32_t writtenKind;
        const char* writtenExpression;
        int writtenFlag;
    };
    const Case kCases[] = {
        {"error", 13, "return error", "", 0, 13, "return error", 0},
        {"range report", 13, "ML.Count", TraceValueText(3.0), 1, 13, "ML.Count=3-Float", 1},
        {"watch", 4, "iA", TraceValueText(12.0), 0, 4, "iA=12-Float", 0},
        {"watch without value", 4, "iA", "", 0, 4, "iA=", 0},
        {"element watch", 19, "L[2]", "7", 0, 19, "L[2]=7", 0},
        {"typed trace", 22, "x", "5", 0, 14, "_TT(x)=5", 0},
        {"method mark without text", 8, "", "v", 0, 8, "MListSimple<T>::Add", 0},
        {"method mark keeps its text", 6, "enter", "v", 0, 6, "enter", 0},
        {"mark", 17, "5", "", 0, 17, "5", 0},
        {"only the low byte of the flag", 13, "e", "", 0x1FF, 13, "e", 0xFF},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TraceRecord record = Record(c.kind, c.expression, c.value);
        record.Flag = c.flag;
        TracePost(std::move(record));
        const std::vector<TakenRecord> records = viewer.Records();
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.back().kind, c.writtenKind);
        EXPECT_EQ(records.back().expression, c.writtenExpression);
        EXPECT_EQ(records.back().flag, c.writtenFlag);
    }
    EXPECT_EQ(viewer.Records().size(), std::size(kCases) + 1);
}

TEST_F(TraceChannelTest, WritesEveryFieldOfARecord)
{
    TestBlock block(blockName_);
    InProcessViewer viewer(block.Block());
    TracePost(Record(TraceKindStart, "Start"));

    TraceRecord record = Record(TraceKindError, "return error", {}, "MList<T>::Delete", 120);
    record.ObjectName = "LAtom";
    TracePost(std::move(record));

    const std::vector<TakenRecord> records = viewer.Records();
    ASSERT_EQ(records.size(), 2u);
    const TakenRecord& taken = records.back();
    EXPECT_EQ(taken.sourceFile, "tests/MClasess/MTraceTest.cpp");
    EXPECT_EQ(taken.line, 120);
    EXPECT_EQ(taken.objectName, "LAtom");
    EXPECT_EQ(taken.componentName, "???");
    EXPECT_EQ(taken.extra1, "???");
    EXPECT_EQ(taken.extra2, "???");
    EXPECT_EQ(taken.method, "MList<T>::Delete");
    EXPECT_EQ(block.Block().Version().load(), TraceBlockVersion);
}

TEST_F(TraceChannelTest, HelpersPostWatchesErrorsAndMarksWithTheirSourceLine)
{
    TestBlock block(blockName_);
    InProcessViewer viewer(block.Block());
    TracePost(Record(TraceKindStart, "Start"));

    const int line = __LINE__ + 1;
    TraceWatch(TraceUnitText, "iA", 12, "DrawScene");
    TraceWatch(TraceUnitText, "SL->Strings[0]", QString("C"), "LoadAtom");
    TraceError("LAtom", "return error", "MListSimple<T>::SetCount");
    TraceMark(TraceUnitText, "5", "BuildTranslation");

    const std::vector<TakenRecord> records = viewer.Records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[1].kind, TraceKindWatch);
    EXPECT_EQ(records[1].expression, "iA=12-Float");
    EXPECT_EQ(records[1].line, line);
    EXPECT_EQ(records[1].objectName, "???");
    EXPECT_EQ(records[1].method, "DrawScene");
    EXPECT_EQ(records[2].expression, "SL->Strings[0]='C' -String");
    EXPECT_EQ(records[3].kind, TraceKindError);
    EXPECT_EQ(records[3].expression, "return error");
    EXPECT_EQ(records[3].objectName, "LAtom");
    EXPECT_EQ(records[4].kind, TraceKindMark);
    EXPECT_EQ(records[4].expression, "5");
    EXPECT_EQ(records[4].sourceFile, "tests/MClasess/MTraceTest.cpp");
}

TEST_F(TraceChannelTest, ThreadIdMinusOneBecomesThePostingThread)
{
    TestBlock block(blockName_);
    InProcessViewer viewer(block.Block());
    TracePost(Record(TraceKindStart, "Start"));

    pid_t postingThread = 0;
    std::thread([&] {
        postingThread = gettid();
        TracePost(Record(TraceKindMark, "own thread"));
        TraceRecord given = Record(TraceKindMark, "given thread");
        given.ThreadId = 777;
        TracePost(std::move(given));
    }).join();

    const std::vector<TakenRecord> records = viewer.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].threadId, gettid());
    EXPECT_EQ(records[1].threadId, postingThread);
    EXPECT_NE(postingThread, gettid());
    EXPECT_EQ(records[2].threadId, 777);
}

TEST_F(TraceChannelTest, TextsLongerThanASlotAreCutAndLeaveTheNextFieldIntact)
{
    TestBlock block(blockName_);
    const TraceBlock& raw = block.Block();
    std::memset(raw.bytes + TraceOffsetTail, 0x5A, TraceBlockSize - TraceOffsetTail);
    InProcessViewer viewer(raw);
    TracePost(Record(TraceKindStart, "Start"));

    const std::string longMethod(15'000, 'm');
    TracePost(Record(TraceKindError, std::string(12'000, 'e'), {}, longMethod.c_str()));
    TracePost(Record(TraceKindError, std::string(TraceSlotSize - 1, 'f')));

    const std::vector<TakenRecord> records = viewer.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].expression, std::string(TraceSlotSize - 1, 'e'));
    EXPECT_EQ(records[1].sourceFile, "tests/MClasess/MTraceTest.cpp");
    EXPECT_EQ(records[1].method, std::string(TraceSlotSize - 1, 'm'));
    EXPECT_EQ(records[2].expression, std::string(TraceSlotSize - 1, 'f'));
    EXPECT_EQ(raw.bytes[TraceOffsetTail], std::byte{0x5A});
    EXPECT_EQ(raw.bytes[TraceBlockSize - 1], std::byte{0x5A});
}

TEST_F(TraceChannelTest, PostsFromSeveralThreadsArriveWhole)
{
    TestBlock block(blockName_);
    InProcessViewer viewer(block.Block());
    TracePost(Record(TraceKindStart, "Start"));

    constexpr int kThreads = 4;
    constexpr int kPostsEach = 25;
    std::vector<std::thread> threads;
    std::vector<pid_t> threadIds(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &threadIds] {
            threadIds[static_cast<std::size_t>(t)] = gettid();
            const char letter = static_cast<char>('a' + t);
            for (int i = 0; i < kPostsEach; ++i)
                TracePost(Record(TraceKindWatch, std::to_string(t), std::string(100 + i, letter)));
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    const std::vector<TakenRecord> records = viewer.Records();
    ASSERT_EQ(records.size(), 1u + kThreads * kPostsEach);
    std::vector<int> postsSeen(kThreads, 0);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const int t = records[r].expression[0] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads) << records[r].expression;
        const int i = postsSeen[static_cast<std::size_t>(t)]++;
        EXPECT_EQ(records[r].expression,
                  std::to_string(t) + "=" + std::string(100 + i, static_cast<char>('a' + t)));
        EXPECT_EQ(records[r].threadId, threadIds[static_cast<std::size_t>(t)]);
    }
}

TEST_F(TraceChannelTest, ClosedChannelDiscardsPostsAndCreatesNoBlock)
{
    TracePost(Record(TraceKindError, "return error"));
    TracePost(Record(TraceKindEnd, "End"));
    TraceWatch(TraceUnitText, "iA", 12, "DrawScene");
    TraceMark(TraceUnitText, "1", "DrawScene");
    EXPECT_FALSE(TraceChannelOpen());
    EXPECT_FALSE(BlockExists(blockName_));

    // With a viewer waiting: still nothing until a start post.
    TestBlock block(blockName_);
    InProcessViewer viewer(block.Block());
    TraceError(TraceUnitText, "return error", "LoadAtom");
    EXPECT_TRUE(viewer.Records().empty());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(TraceChannelTest, StartsOnlyWhenALiveViewerIsRegistered)
{
    struct Case {
        const char* name;
        bool makeBlock;
        std::optional<std::int32_t> receiver;  // nullopt: the in-process viewer
        bool opens;
    };
    const Case kCases[] = {
        {"no block", false, 0, false},
        {"no viewer", true, 0, false},
        {"viewer gone", true, DeadProcessId(), false},
        {"viewer running", true, std::nullopt, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string name = UniqueBlockName("PelmoraTraceTest");
        TraceSetBlockName(name);
        std::optional<TestBlock> block;
        std::optional<InProcessViewer> viewer;
        if (c.makeBlock)
            block.emplace(name);
        if (block && c.receiver)
            block->Block().Receiver().store(*c.receiver);
        if (block && !c.receiver)
            viewer.emplace(block->Block());

        EXPECT_EQ(TraceStartIfViewerRunning(), c.opens);
        EXPECT_EQ(TraceChannelOpen(), c.opens);
        EXPECT_EQ(BlockExists(name), c.makeBlock);
        if (viewer) {
            ASSERT_EQ(viewer->Records().size(), 1u);
            EXPECT_EQ(viewer->Records()[0].kind, TraceKindStart);
            EXPECT_EQ(viewer->Records()[0].sourceFile, "MClasess/MTrace.cpp");
        }
        TracePost(Record(TraceKindEnd, "End"));
        EXPECT_FALSE(TraceChannelOpen());
    }
}

TEST_F(TraceChannelTest, BlockOfAnotherVersionShowsTheMessageAtEachPostAndGetsNothing)
{
    TestBlock block(blockName_);
    const TraceBlock& raw = block.Block();
    raw.Version().store(140504);
    raw.Receiver().store(static_cast<std::int32_t>(getpid()));

    TracePost(Record(TraceKindStart, "Start"));
    TracePost(Record(TraceKindError, "return error"));
    TraceWatch(TraceUnitText, "iA", 12, "DrawScene");

    const std::string expected = "Error Trace. Need version ps->Version=140505, ps->Version=140504";
    EXPECT_EQ(messages_, std::vector<std::string>(3, expected));
    EXPECT_TRUE(TraceChannelOpen());
    EXPECT_EQ(raw.Version().load(), 140504);
    EXPECT_EQ(raw.Busy().load(), TraceBusyFree);
    EXPECT_EQ(raw.Writing().load(), 0);
    EXPECT_EQ(raw.ReadText(TraceOffsetExpression), "");
    EXPECT_EQ(raw.ReadText(TraceOffsetSourceFile), "");
}

// A message box runs an event loop, and whatever runs in it may post again.
TEST_F(TraceChannelTest, MessageHandlerMayPostItself)
{
    TestBlock block(blockName_);
    block.Block().Version().store(140504);
    TraceSetMessageHandler([this](const std::string& message) {
        messages_.push_back(message);
        if (messages_.size() == 1)
            TraceError(TraceUnitText, "return error", "MessageBox");
    });

    TracePost(Record(TraceKindStart, "Start"));
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(TraceChannelTest, EndPostClosesTheChannelEvenWithoutAViewer)
{
    TestBlock block(blockName_);
    TracePost(Record(TraceKindStart, "Start"));
    ASSERT_TRUE(TraceChannelOpen());
    TracePost(Record(TraceKindEnd, "End"));
    EXPECT_FALSE(TraceChannelOpen());
}

TEST_F(TraceChannelTest, DeadViewerIsUnregisteredAndClosesTheChannel)
{
    struct Case {
        const char* name;
        std::int32_t busy;
        std::uint8_t writing;
    };
    const Case kCases[] = {
        {"idle", TraceBusyFree, 0},
        {"died holding a record", TraceBusyPosted, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TestBlock block(blockName_);
        const TraceBlock& raw = block.Block();
        raw.Receiver().store(DeadProcessId());
        raw.Busy().store(c.busy);
        raw.Writing().store(c.writing);

        TracePost(Record(TraceKindStart, "Start"));

        EXPECT_FALSE(TraceChannelOpen());
        EXPECT_EQ(raw.Receiver().load(), 0);
        EXPECT_EQ(raw.Busy().load(), TraceBusyFree);
        EXPECT_EQ(raw.Writing().load(), 0);
        EXPECT_EQ(raw.ReadText(TraceOffsetExpression), "");
    }
}

TEST_F(TraceChannelTest, SilentViewerCostsOnePostAtMostTheWaitLimit)
{
    TestBlock block(blockName_);
    const TraceBlock& raw = block.Block();
    // This process is alive but never takes the record.
    raw.Receiver().store(static_cast<std::int32_t>(getpid()));

    const auto start = std::chrono::steady_clock::now();
    TracePost(Record(TraceKindStart, "Start"));
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_LT(elapsed, 4 * TraceWaitLimit);
    EXPECT_FALSE(TraceChannelOpen());
    // A slow viewer may still take the record; it stays registered.
    EXPECT_EQ(raw.Receiver().load(), getpid());
    EXPECT_EQ(raw.Busy().load(), TraceBusyPosted);
    EXPECT_EQ(raw.ReadText(TraceOffsetExpression), "Start");
}

}  // namespace
