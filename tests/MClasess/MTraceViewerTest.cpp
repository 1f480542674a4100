// The trace channel against the real trace viewer, started as a separate process.

#include "MTrace.h"
#include "MTraceBlockMapping.h"
#include "MTraceBlockName.h"

#include <gtest/gtest.h>

#include "PrivateTraceChannel.h"
#include "TraceTestBlocks.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::chrono::seconds kLineWait{10};

// pelmora-trace with its standard output and error read through one pipe.
class ViewerProcess {
public:
    explicit ViewerProcess(const std::string& blockName)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        readEnd_ = fds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        std::string tool = PELMORA_TRACE_TOOL;
        std::string option = "--block";
        std::string name = blockName;
        char* argv[] = {tool.data(), option.data(), name.data(), nullptr};
        if (posix_spawn(&pid_, tool.c_str(), &actions, nullptr, argv, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
    }
    ~ViewerProcess()
    {
        if (pid_ > 0)
            Stop(SIGKILL);
        if (readEnd_ >= 0)
            close(readEnd_);
    }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    // The next line without its end, or nullopt at the end of the output or after kLineWait.
    std::optional<std::string> ReadLine()
    {
        const auto deadline = std::chrono::steady_clock::now() + kLineWait;
        for (;;) {
            if (const std::size_t end = buffered_.find('\n'); end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd readable{readEnd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char chunk[4096];
            const ssize_t count = read(readEnd_, chunk, sizeof chunk);
            if (count <= 0)
                return std::nullopt;
            buffered_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    // Sends the signal and returns the exit status as waitpid gives it.
    int Stop(int signal)
    {
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int readEnd_ = -1;
    std::string buffered_;
};

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');)
        fields.push_back(field);
    return fields;
}

class TraceViewerTest : public ::testing::Test {
protected:
    PrivateTraceChannel channel_{"PelmoraTraceViewerTest"};
    const std::string blockName_ = channel_.BlockName();
};

TEST_F(TraceViewerTest, PrintsEachPostedRecordAsOneLine)
{
    ViewerProcess viewer(blockName_);
    ASSERT_GT(viewer.Pid(), 0);
    ASSERT_EQ(viewer.ReadLine(), "pelmora-trace: listening on " + blockName_);
    ASSERT_TRUE(TraceStartIfViewerRunning());
    const std::string thread = std::to_string(gettid());
    const std::vector<std::string> start = Fields(viewer.ReadLine().value_or(""));
    ASSERT_EQ(start.size(), 7u);
    EXPECT_EQ(start[0], "0");
    EXPECT_EQ(start[2], thread);

    TraceRecord range;
    range.SourceFile = __FILE__;
    range.Line = 1234;
    range.Kind = TraceKindError;
    range.Expression = "ML.Count";
    range.Value = TraceValueText(3.0);
    range.ObjectName = "LAtom";
    range.Method = "MListSimple<T>::Add";
    range.Flag = 1;
    TracePost(range);

    // The later records differ from the first only in kind, expression and value.
    const auto postLike = [&range](std::int32_t kind, const std::string& expression, const std::string& value) {
        TraceRecord record = range;
        record.Kind = kind;
        record.Expression = expression;
        record.Value = value;
        record.Flag = 0;
        TracePost(record);
    };
    postLike(TraceKindTypedTrace, "x", "5");
    postLike(TraceKindMark, "first\nsecond\tthird", "");
    postLike(TraceKindEnd, "End", "");
    EXPECT_FALSE(TraceChannelOpen());

    const std::string where = "tests/MClasess/MTraceViewerTest.cpp:1234";
    const char* expected[] = {
        "13\t1\t", "\tLAtom\tMListSimple<T>::Add\tML.Count=3-Float",
        "14\t0\t", "\tLAtom\tMListSimple<T>::Add\t_TT(x)=5",
        "17\t0\t", "\tLAtom\tMListSimple<T>::Add\tfirst\\nsecond\\tthird",
        "1\t0\t",  "\tLAtom\tMListSimple<T>::Add\tEnd",
    };
    for (std::size_t i = 0; i < std::size(expected); i += 2) {
        SCOPED_TRACE(expected[i + 1]);
        EXPECT_EQ(viewer.ReadLine(), expected[i] + thread + '\t' + where + expected[i + 1]);
    }

    const int status = viewer.Stop(SIGTERM);
    EXPECT_TRUE(ExitedWith(status, 0)) << status;
    EXPECT_FALSE(BlockExists(blockName_)) << "the viewer removes the block it made";
}

TEST_F(TraceViewerTest, KilledViewerNeitherHangsNorKeepsTheChannelOpen)
{
    ViewerProcess viewer(blockName_);
    ASSERT_EQ(viewer.ReadLine(), "pelmora-trace: listening on " + blockName_);
    ASSERT_TRUE(TraceStartIfViewerRunning());
    viewer.Stop(SIGKILL);

    TraceError(TraceUnitText, "return error", "LoadAtom");

    EXPECT_FALSE(TraceChannelOpen());
    EXPECT_FALSE(TraceStartIfViewerRunning());
}

TEST_F(TraceViewerTest, RefusesABlockItCannotServe)
{
    ViewerProcess first(blockName_);
    ASSERT_EQ(first.ReadLine(), "pelmora-trace: listening on " + blockName_);
    ViewerProcess second(blockName_);
    EXPECT_EQ(second.ReadLine(),
              "pelmora-trace: another viewer (process " + std::to_string(first.Pid()) + ") is registered on "
                  + blockName_);
    EXPECT_TRUE(ExitedWith(second.Stop(0), 1));
    first.Stop(SIGINT);

    std::optional<TraceBlockMapping> older = TraceBlockMapping::Open(blockName_, TraceBlockMapping::Mode::CreateOrOpen);
    ASSERT_TRUE(older);
    older->Block().Version().store(140504);
    ViewerProcess third(blockName_);
    EXPECT_EQ(third.ReadLine(), "pelmora-trace: block " + blockName_ + " has version 140504, need 140505");
    EXPECT_TRUE(ExitedWith(third.Stop(0), 1));
    EXPECT_TRUE(BlockExists(blockName_)) << "a block the viewer did not make stays";
}

// Waits until the block's Busy is free again, at most a few seconds.
bool BecomesFree(const TraceBlock& block)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (block.Busy().load() != TraceBusyFree) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A writer in another process that claims the block as a post does and is killed before it
// posts, so its claim is never completed.
void ClaimAndDie(const std::string& blockName)
{
    const pid_t child = fork();
    if (child == 0) {
        std::optional<TraceBlockMapping> mapping =
            TraceBlockMapping::Open(blockName, TraceBlockMapping::Mode::OpenExisting);
        if (mapping) {
            std::int32_t free = TraceBusyFree;
            mapping->Block().Busy().compare_exchange_strong(free, TraceClaimOf(static_cast<std::int32_t>(gettid())));
            mapping->Block().Writing().store(1);
        }
        raise(SIGKILL);
    }
    waitpid(child, nullptr, 0);
}

TEST_F(TraceViewerTest, FreesAClaimThatNoWriterCompletes)
{
    struct Case {
        const char* name;
        std::function<void(const TraceBlock&)> leaveClaim;
    };
    const Case kCases[] = {
        {"writer killed holding its claim", [this](const TraceBlock&) { ClaimAndDie(blockName_); }},
        // A claim of a writer that names no thread is freed after a while.
        {"a claim naming no writer",
         [](const TraceBlock& block) {
             block.Busy().store(TraceBusyClaimed);
             block.Writing().store(1);
         }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ViewerProcess viewer(blockName_);
        ASSERT_EQ(viewer.ReadLine(), "pelmora-trace: listening on " + blockName_);
        std::optional<TraceBlockMapping> mapping =
            TraceBlockMapping::Open(blockName_, TraceBlockMapping::Mode::OpenExisting);
        ASSERT_TRUE(mapping);
        c.leaveClaim(mapping->Block());
        ASSERT_NE(mapping->Block().Busy().load(), TraceBusyFree);

        ASSERT_TRUE(BecomesFree(mapping->Block())) << "the channel stays jammed";
        EXPECT_TRUE(TraceStartIfViewerRunning());
        EXPECT_EQ(Fields(viewer.ReadLine().value_or("")).size(), 7u);
        TraceCloseChannel();
        EXPECT_TRUE(ExitedWith(viewer.Stop(SIGTERM), 0));
    }
}

TEST_F(TraceViewerTest, TakesOverARegistrationWhoseViewerHasGone)
{
    std::optional<TraceBlockMapping> mapping =
        TraceBlockMapping::Open(blockName_, TraceBlockMapping::Mode::CreateOrOpen);
    ASSERT_TRUE(mapping);
    // A viewer killed with SIGKILL left its number behind, and this program has it now.
    mapping->Block().Receiver().store(static_cast<std::int32_t>(getpid()));

    ViewerProcess viewer(blockName_);
    ASSERT_EQ(viewer.ReadLine(), "pelmora-trace: listening on " + blockName_);
    EXPECT_EQ(mapping->Block().Receiver().load(), viewer.Pid());
    EXPECT_TRUE(TraceStartIfViewerRunning());
    EXPECT_EQ(Fields(viewer.ReadLine().value_or("")).size(), 7u);
}

// Another user's block under the base name would lock this user out: the viewer says so and
// listens on the per-user name, and the traced programs of this user find it there.
TEST_F(TraceViewerTest, ListensBesideABaseNameThisUserCannotTrustAndWritersFindIt)
{
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> leave;
        bool needsRoot;
        std::string baseRefusal;  // empty: the viewer listens on the base name
    };
    const Case kCases[] = {
        {"nothing under the base name", [](const std::string&) { return true; }, false, ""},
        {"another user's block", MakeBlockOfAnotherUser, true, "owned by another user (uid 65534)"},
        {"a block open to everybody", [](const std::string& n) { return MakeBlock(n, 0666, 80'044); }, false,
         "open to other users (mode 0666)"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0) {
            std::printf("skipped without root, which alone can give a block to another user: %s\n", c.name);
            continue;
        }
        const std::string base = channel_.NewBlockName();
        ASSERT_TRUE(c.leave(base));
        TraceSetBlockName(base);
        const std::string perUser = TracePerUserBlockName(base);
        const std::string meetingPlace = c.baseRefusal.empty() ? base : perUser;

        ViewerProcess viewer(base);
        if (!c.baseRefusal.empty()) {
            EXPECT_EQ(viewer.ReadLine(),
                      "pelmora-trace: the block " + base + " is " + c.baseRefusal + "; using " + perUser);
        }
        ASSERT_EQ(viewer.ReadLine(), "pelmora-trace: listening on " + meetingPlace);
        ASSERT_TRUE(TraceStartIfViewerRunning());
        EXPECT_EQ(Fields(viewer.ReadLine().value_or("")).size(), 7u);
        TraceError("LAtom", "return error", "MListSimple<T>::SetCount");
        const std::vector<std::string> error = Fields(viewer.ReadLine().value_or(""));
        ASSERT_EQ(error.size(), 7u);
        EXPECT_EQ(error[6], "return error");
        TraceCloseChannel();

        EXPECT_TRUE(ExitedWith(viewer.Stop(SIGTERM), 0));
        EXPECT_FALSE(BlockExists(meetingPlace)) << "the viewer removes the block it made";
        EXPECT_EQ(BlockExists(base), !c.baseRefusal.empty()) << "the block it refused stays";
    }
}

// With the per-user name refused as well the viewer has nowhere to go.
TEST_F(TraceViewerTest, RefusesABlockItCannotTrustAndSaysWhy)
{
    if (!std::filesystem::is_directory("/dev/shm"))
        GTEST_SKIP() << "named blocks do not live in /dev/shm here";
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make;
        std::string reason;
    };
    const Case kCases[] = {
        {"open to everybody", [](const std::string& n) { return MakeBlock(n, 0666, 80'044); },
         "open to other users (mode 0666)"},
        {"empty", [](const std::string& n) { return MakeBlock(n, 0600, 0); },
         "too small (0 bytes, the layout needs 80044)"},
        {"a FIFO", [](const std::string& n) { return mkfifo(ShmPath(n).c_str(), 0600) == 0; }, "not a regular file"},
        {"a link", [](const std::string& n) { return symlink("/etc/passwd", ShmPath(n).c_str()) == 0; },
         "a symbolic link"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string name = channel_.NewBlockName();
        const std::string perUser = TracePerUserBlockName(name);
        const std::string refused[] = {name, perUser};
        struct stat before[2]{};
        for (std::size_t i = 0; i < 2; ++i) {
            ASSERT_TRUE(c.make(refused[i]));
            ASSERT_EQ(lstat(ShmPath(refused[i]).c_str(), &before[i]), 0);
        }

        ViewerProcess viewer(name);
        EXPECT_EQ(viewer.ReadLine(), "pelmora-trace: the block " + name + " is " + c.reason + "; using " + perUser);
        EXPECT_EQ(viewer.ReadLine(), "pelmora-trace: cannot use the shared block " + perUser + ": it is " + c.reason);
        EXPECT_TRUE(ExitedWith(viewer.Stop(0), 1));
        for (std::size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(refused[i]);
            struct stat after {};
            ASSERT_EQ(lstat(ShmPath(refused[i]).c_str(), &after), 0) << "the refused block was removed";
            EXPECT_EQ(after.st_mode, before[i].st_mode);
            EXPECT_EQ(after.st_size, before[i].st_size);
        }
    }
}

TEST_F(TraceViewerTest, EndsWithAMessageWhenTheBlockIsCutShortUnderIt)
{
    ViewerProcess viewer(blockName_);
    ASSERT_EQ(viewer.ReadLine(), "pelmora-trace: listening on " + blockName_);
    const int fd = shm_open(blockName_.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 0), 0);
    close(fd);

    EXPECT_EQ(viewer.ReadLine(),
              "pelmora-trace: the block " + blockName_ + " was cut short to 0 bytes under the viewer");
    const int status = viewer.Stop(0);
    EXPECT_TRUE(ExitedWith(status, 1)) << "status " << status;
}

}  // namespace
