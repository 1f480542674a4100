#include "MTrace.h"
#include "MTraceBlockMapping.h"
#include "MTraceBlockName.h"

#include <gtest/gtest.h>

#include "PrivateTraceChannel.h"
#include "TraceTestBlocks.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
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
        TraceSetMessageHandler([this](const std::string& message) { messages_.push_back(message); });
    }
    void TearDown() override
    {
        TraceCloseChannel();
        TraceSetMessageHandler(nullptr);
    }

    PrivateTraceChannel channel_{"PelmoraTraceTest"};
    const std::string blockName_ = channel_.BlockName();
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
        {"64-bit address", TraceValueText(reinterpret_cast<const void*>(0x7FFFab12cd34ull)), "0x7FFFAB12CD34-Void*"},
        {"text", TraceValueText("C"), "'C' -String"},
        {"empty text", TraceValueText(std::string()), "'' -String"},
        {"UTF-16 text", TraceValueText(QString::fromUtf8("Åb")),
         "'\xC3\x85"
         "b' -String"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, c.expected);
    }
}

TEST_F(TraceChannelTest, FoldsTheTextsOfEachKindBeforeWritingThem)
{
    InProcessViewer& viewer = channel_.OpenWithViewer();
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
    InProcessViewer& viewer = channel_.OpenWithViewer();

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
    EXPECT_EQ(channel_.Block().Block().Version().load(), TraceBlockVersion);
}

TEST_F(TraceChannelTest, HelpersPostWatchesErrorsAndMarksWithTheirSourceLine)
{
    InProcessViewer& viewer = channel_.OpenWithViewer();

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
    InProcessViewer& viewer = channel_.OpenWithViewer();

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
    const TraceBlock& raw = channel_.Block().Block();
    std::memset(raw.bytes + TraceOffsetTail, 0x5A, TraceBlockSize - TraceOffsetTail);
    InProcessViewer& viewer = channel_.OpenWithViewer();

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
    InProcessViewer& viewer = channel_.OpenWithViewer();

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
        EXPECT_EQ(records[r].expression, std::to_string(t) + "=" + std::string(100 + i, static_cast<char>('a' + t)));
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
    InProcessViewer& viewer = channel_.Viewer();
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
        // The number of a viewer that has gone, given to a program that is no viewer.
        {"viewer gone, its number reused", true, static_cast<std::int32_t>(getpid()), false},
        {"viewer running", true, std::nullopt, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string name = channel_.NewBlockName();
        TraceSetBlockName(name);
        std::optional<TestBlock> block;
        std::optional<InProcessViewer> viewer;
        if (c.makeBlock)
            block.emplace(name);
        if (block && c.receiver)
            block->Block().Receiver().store(*c.receiver);
        if (block && !c.receiver)
            viewer.emplace(*block);

        EXPECT_EQ(TraceStartIfViewerRunning(), c.opens);
        EXPECT_EQ(TraceChannelOpen(), c.opens);
        EXPECT_EQ(BlockExists(name), c.makeBlock);
        if (block && c.receiver) {
            EXPECT_EQ(block->Block().Receiver().load(), 0) << "a stale registration stays";
        }
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

TEST_F(TraceChannelTest, EndPostClosesTheChannelOnlyOnceDelivered)
{
    struct Case {
        const char* name;
        bool viewer;
        std::int32_t version;
        bool closes;
    };
    static constexpr Case kCases[] = {
        {"delivered", true, TraceBlockVersion, true},
        {"no viewer to take it", false, TraceBlockVersion, false},
        {"a block of another version", true, 140504, false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string name = channel_.NewBlockName();
        TraceSetBlockName(name);
        TestBlock block(name);
        std::optional<InProcessViewer> viewer;
        if (c.viewer)
            viewer.emplace(block);
        TracePost(Record(TraceKindStart, "Start"));
        ASSERT_TRUE(TraceChannelOpen());
        block.Block().Version().store(c.version);

        TracePost(Record(TraceKindEnd, "End"));
        EXPECT_EQ(!c.closes, TraceChannelOpen());
        if (viewer) {
            EXPECT_EQ(c.closes ? 2u : 1u, viewer->Records().size());
        }
        TraceCloseChannel();
        EXPECT_FALSE(TraceChannelOpen());
    }
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

std::int32_t Int32At(const std::vector<std::byte>& image, std::size_t offset)
{
    std::int32_t value = 0;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

std::string TextAt(const std::vector<std::byte>& image, std::size_t offset)
{
    return std::string(reinterpret_cast<const char*>(image.data() + offset));
}

// The layout as other builds see it: every offset is written out here as a number, so a change
// of the layout's constants cannot go unnoticed.
TEST_F(TraceChannelTest, EveryFieldLiesAtItsOffsetInTheBlock)
{
    const TestBlock& block = channel_.Block();
    EXPECT_EQ(block.Mapping().CurrentSize(), 80'044);
    // Reserved bytes that no writer may touch.
    const std::pair<std::size_t, std::size_t> reserved[] = {{17, 20}, {32, 40}, {70'041, 80'044}};
    for (const auto& [begin, end] : reserved)
        std::memset(block.Block().bytes + begin, 0x5A, end - begin);
    InProcessViewer& viewer = channel_.OpenWithViewer();

    TraceRecord record = Record(TraceKindError, "return error", {}, "MList<T>::Insert", 0x01020304);
    record.Flag = 0x1A7;
    record.ThreadId = 0x0A0B0C0D;
    record.ObjectName = "LAtom";
    record.Extra1 = "first extra";
    record.Extra2 = "second extra";
    TracePost(std::move(record));

    const std::vector<TakenRecord> records = viewer.Records();
    ASSERT_EQ(records.size(), 2u);
    const std::vector<std::byte>& image = records[1].image;
    EXPECT_EQ(Int32At(image, 0), 140'505);
    EXPECT_EQ(Int32At(image, 4), getpid());
    EXPECT_EQ(Int32At(image, 8), 0);
    EXPECT_EQ(Int32At(image, 12), 2) << "posted";
    EXPECT_EQ(static_cast<int>(image[16]), 1) << "writing";
    EXPECT_EQ(Int32At(image, 20), 0x01020304);
    EXPECT_EQ(Int32At(image, 24), 13);
    EXPECT_EQ(Int32At(image, 28), 0x0A0B0C0D);
    EXPECT_EQ(static_cast<int>(image[40]), 0xA7);
    EXPECT_EQ(TextAt(image, 41), "return error");
    EXPECT_EQ(TextAt(image, 10'041), "tests/MClasess/MTraceTest.cpp");
    EXPECT_EQ(TextAt(image, 20'041), "LAtom");
    EXPECT_EQ(TextAt(image, 30'041), "???");
    EXPECT_EQ(TextAt(image, 40'041), "first extra");
    EXPECT_EQ(TextAt(image, 50'041), "second extra");
    EXPECT_EQ(TextAt(image, 60'041), "MList<T>::Insert");
    for (const auto& [begin, end] : reserved) {
        for (std::size_t i = begin; i < end; ++i)
            ASSERT_EQ(static_cast<int>(image[i]), 0x5A) << "byte " << i;
    }
}

struct FileState {
    mode_t mode = 0;
    off_t size = 0;
    bool operator==(const FileState&) const = default;
};

std::optional<FileState> StateOf(const std::string& path)
{
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileState{status.st_mode, status.st_size};
}

TEST_F(TraceChannelTest, OpensOnlyABlockOfThisUserThatNobodyElseCanReach)
{
    if (!std::filesystem::is_directory("/dev/shm"))
        GTEST_SKIP() << "named blocks do not live in /dev/shm here";
    const std::string good = channel_.NewBlockName();
    ASSERT_TRUE(MakeBlock(good, 0600, 80'044));
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make;
        std::string reason;
    };
    const Case kCases[] = {
        {"open to everybody", [](const std::string& n) { return MakeBlock(n, 0666, 80'044); },
         "open to other users (mode 0666)"},
        {"readable by the group", [](const std::string& n) { return MakeBlock(n, 0640, 80'044); },
         "open to other users (mode 0640)"},
        {"empty", [](const std::string& n) { return MakeBlock(n, 0600, 0); },
         "too small (0 bytes, the layout needs 80044)"},
        {"one byte short", [](const std::string& n) { return MakeBlock(n, 0600, 80'043); },
         "too small (80043 bytes, the layout needs 80044)"},
        {"a FIFO", [](const std::string& n) { return mkfifo(ShmPath(n).c_str(), 0600) == 0; }, "not a regular file"},
        {"a folder", [](const std::string& n) { return mkdir(ShmPath(n).c_str(), 0700) == 0; }, "not a regular file"},
        {"a link to a good block",
         [&good](const std::string& n) { return symlink(ShmPath(good).c_str(), ShmPath(n).c_str()) == 0; },
         "a symbolic link"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string name = channel_.NewBlockName();
        ASSERT_TRUE(c.make(name));
        const std::optional<FileState> before = StateOf(ShmPath(name));
        for (const auto mode : {TraceBlockMapping::Mode::OpenExisting, TraceBlockMapping::Mode::CreateOrOpen}) {
            std::string whyNot;
            EXPECT_FALSE(TraceBlockMapping::Open(name, mode, &whyNot));
            EXPECT_EQ(whyNot, c.reason);
        }
        TraceSetBlockName(name);
        TracePost(Record(TraceKindStart, "Start"));
        EXPECT_TRUE(TraceChannelOpen());
        EXPECT_TRUE(BlockExists(TracePerUserBlockName(name))) << "the channel goes to this user's block beside it";
        TraceCloseChannel();
        EXPECT_EQ(StateOf(ShmPath(name)), before) << "the refused block was changed";
    }
}

// Another user's block under the base name, live, left behind or planted, would lock this user
// out: the writer and the viewer of this user meet under the per-user name instead.
TEST_F(TraceChannelTest, WriterAndViewerMeetBesideABaseNameThisUserCannotTrust)
{
    struct Case {
        const char* name;
        std::function<bool(const std::string& base)> leave;
        bool needsRoot;
        bool perUser;  // whether they meet under the per-user name
        std::string baseRefusal;
    };
    const Case kCases[] = {
        {"nothing under the base name", [](const std::string&) { return true; }, false, false, ""},
        {"a block of this user", MakeGoodBlock, false, false, ""},
        {"another user's block", MakeBlockOfAnotherUser, true, true, "owned by another user (uid 65534)"},
        {"a block open to everybody", [](const std::string& b) { return MakeBlock(b, 0666, 80'044); }, false, true,
         "open to other users (mode 0666)"},
        // A viewer of this user went there while another user held the base name, free again now.
        {"this user's block under the per-user name",
         [](const std::string& b) { return MakeGoodBlock(TracePerUserBlockName(b)); }, false, true, ""},
        // Planted there, it must not take this user's tracing away from the base name.
        {"another user's block under the per-user name",
         [](const std::string& b) { return MakeBlockOfAnotherUser(TracePerUserBlockName(b)); }, true, false, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0) {
            std::printf("skipped without root, which alone can give a block to another user: %s\n", c.name);
            continue;
        }
        const std::string base = channel_.NewBlockName();
        ASSERT_TRUE(c.leave(base));
        const std::string meetingPlace = c.perUser ? TracePerUserBlockName(base) : base;
        const TraceBlockChoice choice = TraceChooseBlock(base);
        EXPECT_EQ(choice.name, meetingPlace);
        EXPECT_EQ(choice.baseRefusal, c.baseRefusal);
        EXPECT_EQ(TraceBlockNameForThisUser(base), meetingPlace);
        if (!c.baseRefusal.empty()) {
            std::string whyNot;
            EXPECT_FALSE(TraceBlockMapping::Open(base, TraceBlockMapping::Mode::CreateOrOpen, &whyNot));
            EXPECT_EQ(whyNot, c.baseRefusal);
        }

        TestBlock block(meetingPlace);
        InProcessViewer viewer(block);
        TraceSetBlockName(base);
        EXPECT_TRUE(TraceStartIfViewerRunning());
        TraceError("LAtom", "return error", "MListSimple<T>::SetCount");
        TracePost(Record(TraceKindEnd, "End"));
        EXPECT_FALSE(TraceChannelOpen());
        const std::vector<TakenRecord> records = viewer.Records();
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[1].expression, "return error");
        EXPECT_EQ(records[2].kind, TraceKindEnd);
    }
}

// Another user may take the base name between the look that chose it and the opening: the
// opening refuses the block that appeared there and goes where a second look sends it, as the
// viewer of this user does.
TEST_F(TraceChannelTest, ABaseNameTakenAfterTheLookSendsTheOpeningToThePerUserName)
{
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> take;
        bool needsRoot;
        std::string refusal;
    };
    const Case kCases[] = {
        {"by another user's block", MakeBlockOfAnotherUser, true, "owned by another user (uid 65534)"},
        {"by a block open to everybody", [](const std::string& n) { return MakeBlock(n, 0666, 80'044); }, false,
         "open to other users (mode 0666)"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0) {
            std::printf("skipped without root, which alone can give a block to another user: %s\n", c.name);
            continue;
        }
        const std::string base = channel_.NewBlockName();
        int looks = 0;
        const auto lookThenLoseTheBaseName = [&] {
            TraceBlockChoice choice = TraceChooseBlock(base);
            if (++looks == 1) {
                EXPECT_TRUE(c.take(base));
            }
            return choice;
        };
        const TraceBlockOpening opening =
            TraceOpenChosenBlock(lookThenLoseTheBaseName, TraceBlockMapping::Mode::CreateOrOpen);
        EXPECT_EQ(looks, 2);
        EXPECT_TRUE(opening.mapping) << opening.whyNot;
        EXPECT_EQ(opening.choice.name, TracePerUserBlockName(base));
        EXPECT_EQ(opening.choice.baseRefusal, c.refusal);
        EXPECT_EQ(TraceBlockNameForThisUser(base), opening.choice.name) << "the viewer would open another block";
    }
}

TEST_F(TraceChannelTest, NamesThatKeepChangingCostTwoOpeningsAtMost)
{
    int looks = 0;
    const auto everLookingElsewhere = [&] {
        ++looks;
        return TraceBlockChoice{channel_.NewBlockName(), {}};
    };
    const TraceBlockOpening opening = TraceOpenChosenBlock(everLookingElsewhere, TraceBlockMapping::Mode::OpenExisting);
    EXPECT_FALSE(opening.mapping);
    EXPECT_EQ(opening.whyNot, "missing");
    EXPECT_EQ(looks, 2);
}

// Blocks left in the system's shared memory stay there until the machine restarts.
TEST(PrivateTraceChannelTest, RemovesEveryBlockMadeUnderItsNames)
{
    std::vector<std::string> made;
    {
        PrivateTraceChannel channel("PelmoraTraceTest");
        const std::string other = channel.NewBlockName();
        made = {channel.BlockName(), TracePerUserBlockName(channel.BlockName()), other, TracePerUserBlockName(other)};
        channel.OpenWithViewer();
        ASSERT_TRUE(TraceChannelOpen());
        // A child that ends without cleaning up after itself, as a death test's child does.
        const pid_t child = fork();
        if (child == 0) {
            for (std::size_t i = 1; i < made.size(); ++i) {
                if (!MakeBlock(made[i], 0600, 80'044))
                    std::_Exit(1);
            }
            std::_Exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        for (const std::string& name : made)
            ASSERT_TRUE(BlockExists(name)) << name;
    }
    EXPECT_FALSE(TraceChannelOpen());
    for (const std::string& name : made)
        EXPECT_FALSE(BlockExists(name)) << name;
}

// Run in a child process: touching a block cut short raises SIGBUS, which would end the test. The
// child is forked, not started afresh, so its block has the fixture's name and goes with the
// fixture, even when the child dies of the fault.
TEST_F(TraceChannelTest, BlockCutShortClosesTheChannelWithoutTouchingIt)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    const std::string name = blockName_;
    EXPECT_EXIT(
        {
            TestBlock block(name);
            {
                InProcessViewer viewer(block);
                TracePost(Record(TraceKindStart, "Start"));
            }
            const int fd = shm_open(name.c_str(), O_RDWR, 0);
            if (fd < 0 || ftruncate(fd, 0) != 0)
                std::_Exit(2);
            TraceError("LAtom", "return error", "MListSimple<T>::SetCount");
            std::_Exit(TraceChannelOpen() ? 3 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(TraceChannelTest, SilentViewerCostsOnePostAtMostTheWaitLimit)
{
    TestBlock block(blockName_);
    const TraceBlock& raw = block.Block();
    // A viewer that is alive (it holds the lock) but never takes the record.
    ASSERT_TRUE(block.Mapping().LockAsViewer());
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
