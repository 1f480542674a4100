// The trace channel against the real trace viewer, started as a separate process.

#include "MTrace.h"
#include "MTraceBlock.h"

#include <gtest/gtest.h>

#include "TraceBlockNames.h"

#include <chrono>
#include <csignal>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
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
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
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

bool ExitedWith(int status, int code)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

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
    void SetUp() override
    {
        blockName_ = UniqueBlockName("PelmoraTraceViewerTest");
        TraceSetBlockName(blockName_);
    }
    void TearDown() override
    {
        if (TraceChannelOpen()) {
            TraceRecord end;
            end.Kind = TraceKindEnd;
            TracePost(std::move(end));
        }
        shm_unlink(blockName_.c_str());
    }

    std::string blockName_;
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
    EXPECT_EQ(second.ReadLine(), "pelmora-trace: another viewer (process " + std::to_string(first.Pid()) +
                                     ") is registered on " + blockName_);
    EXPECT_TRUE(ExitedWith(second.Stop(0), 1));
    first.Stop(SIGINT);

    std::optional<TraceBlockMapping> older =
        TraceBlockMapping::Open(blockName_, TraceBlockMapping::Mode::CreateOrOpen);
    ASSERT_TRUE(older);
    older->Block().Version().store(140504);
    ViewerProcess third(blockName_);
    EXPECT_EQ(third.ReadLine(), "pelmora-trace: block " + blockName_ + " has version 140504, need 140505");
    EXPECT_TRUE(ExitedWith(third.Stop(0), 1));
    EXPECT_TRUE(BlockExists(blockName_)) << "a block the viewer did not make stays";
}

}  // namespace
