// The built program against hostile inputs and surroundings: a full disk (a file-size limit),
// a read-only folder, read-only files, FIFOs and devices where files are expected, control
// characters and huge lines in files, names that are not UTF-8. Each case checks the message,
// the exit status, and that the files already there are byte for byte as they were, with no
// temporary file left.
//
// The program runs as a child process started with exec, so that its arguments are the bytes
// given and a file-size limit applies to it alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* ElementTable = "Symbol\tRadius\tColor\tRadiusVdW\n"
                                     "C\t0.76\t0x00909090\t1.70\n"
                                     "H\t0.31\t0x00FFFFFF\t1.20\n"
                                     "-\t0.70\t0x00FF00FF\t2.00\n";
// Without the "-" entry an unknown symbol is rejected by name.
constexpr const char* StrictElementTable = "Symbol\tRadius\tColor\tRadiusVdW\n"
                                           "C\t0.76\t0x00909090\t1.70\n";
constexpr const char* NotSaved = "pelmora: \xd0\x9d\xd0\xb5 \xd1\x81\xd0\xbe\xd1\x85\xd1\x80\xd0\xb0\xd0\xbd\xd0\xb5"
                                 "\xd0\xbd\xd0\xbe (not saved): ";
constexpr int StatusTimedOut = -1;

struct Outcome {
    int status = StatusTimedOut;  // the exit status, 128 + the signal that ended it, or StatusTimedOut
    std::string out;
    std::string err;
};

void ReadAvailable(int fd, std::string& into, bool& open)
{
    char chunk[4096];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0)
        into.append(chunk, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EINTR)
        open = false;
}

// Runs the program in folder with the given arguments as bytes, standard input empty, SIGXFSZ at
// its default (the program has to ignore it itself) and, when fileSizeLimit or memoryLimit is
// not 0, that limit of file size or address space.
Outcome RunProgram(const std::vector<std::string>& arguments, const std::string& folder, rlim_t fileSizeLimit,
                   std::chrono::seconds timeout, rlim_t memoryLimit = 0)
{
    std::vector<std::string> words{PELMORA_EXECUTABLE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int input = ::open("/dev/null", O_RDONLY);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        const rlimit memory{memoryLimit, memoryLimit};
        if (::chdir(folder.c_str()) != 0 || input < 0 || ::dup2(input, 0) < 0 || ::dup2(outPipe[1], 1) < 0
            || ::dup2(errPipe[1], 2) < 0 || ::signal(SIGXFSZ, SIG_DFL) == SIG_ERR
            || (fileSizeLimit != 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            || (memoryLimit != 0 && ::setrlimit(RLIMIT_AS, &memory) != 0))
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    Outcome outcome;
    bool outOpen = true, errOpen = true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
        pollfd watched[] = {{outOpen ? outPipe[0] : -1, POLLIN, 0}, {errOpen ? errPipe[0] : -1, POLLIN, 0}};
        if (::poll(watched, 2, 100) <= 0)
            continue;
        if (watched[0].revents != 0)
            ReadAvailable(outPipe[0], outcome.out, outOpen);
        if (watched[1].revents != 0)
            ReadAvailable(errPipe[0], outcome.err, errOpen);
    }
    const bool timedOut = outOpen || errOpen;
    if (timedOut)
        ::kill(child, SIGKILL);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!timedOut)
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

// Every entry below the folder, links not followed, with the content of regular files.
std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        entries[name] = entry.is_regular_file() && !entry.is_symlink() ? ReadAll(entry.path()) : "(not a file)";
    }
    return entries;
}

std::string Replaced(std::string text, const std::string& placeholder, const std::string& value)
{
    for (std::size_t at; (at = text.find(placeholder)) != std::string::npos;)
        text.replace(at, placeholder.size(), value);
    return text;
}

bool SetImmutable(const fs::path& folder, bool immutable)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// The system's reason a new file cannot be created in folder, or nothing when it can.
std::optional<std::string> CreationRefusal(const fs::path& folder)
{
    const fs::path probe = folder / "probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return std::string(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.c_str());
    return std::nullopt;
}

// A folder this process cannot write to: mode 0555, and where that does not stop the process
// (root ignores modes) the immutable flag, which stops root too. Without either the cases that
// need it are skipped with a note.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(fs::path folder) : folder_(std::move(folder))
    {
        fs::permissions(folder_, fs::perms(0555));
        refusal_ = CreationRefusal(folder_);
        if (!refusal_ && SetImmutable(folder_, true)) {
            immutable_ = true;
            refusal_ = CreationRefusal(folder_);
        }
    }
    ~ReadOnlyFolder()
    {
        if (immutable_)
            SetImmutable(folder_, false);
        fs::permissions(folder_, fs::perms(0755));
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    const std::optional<std::string>& Refusal() const { return refusal_; }

private:
    fs::path folder_;
    bool immutable_ = false;
    std::optional<std::string> refusal_;
};

struct HostileCase {
    const char* name;
    std::vector<std::string> arguments;  // "{dir}" stands for the folder
    rlim_t fileSizeLimit;                // 0: none
    int status;
    std::string err;               // exactly; "{dir}" as above, "{denied}" the read-only folder's refusal
    std::string creates = {};      // the one file the case writes, if any
    std::string outContains = {};  // a part of standard output, if checked
};

// n x n x n carbons in a cube of the given edge.
std::string Cube(int n, double edge)
{
    std::string text = std::to_string(n * n * n) + "\ncube\n";
    const double step = edge / (n - 1);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                text += "C " + std::to_string(i * step) + " " + std::to_string(j * step) + " "
                    + std::to_string(k * step) + "\n";
    return text;
}

// A folder with old exports of a pair of carbons in every format, and the hostile neighbours.
class ExportHostileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteAll(dir.Path() / "elements.txt", ElementTable);
        WriteAll(dir.Path() / "strict.txt", StrictElementTable);
        const std::string pair = "2\ntwo carbons\nC 0 0 0\nC 1.42 0 0\n";
        WriteAll(dir.Path() / "pair.xyz", pair);
        WriteAll(dir.Path() / "bad\xff.xyz", pair);
        WriteAll(dir.Path() / "control.xyz", "\x1b]0;title\x07\x1b[2J\n\nC 0 0 0\n");
        WriteAll(dir.Path() / "huge.xyz", std::string(1 << 20, '1') + "x\n\nC 0 0 0\n");
        WriteAll(dir.Path() / "symbol.xyz", "1\n\n\"X\x1b[2J\" 0 0 0\n");
        WriteAll(dir.Path() / "cube.xyz", Cube(31, 3.4));
        WriteAll(dir.Path() / "nan.xyz", "1\nLattice=\"nan 0 0 0 1 0 0 0 1\"\nC 0 0 0\n");
        WriteAll(dir.Path() / "wide.xyz", "2\n\nC -3.4e38 0 0\nC 3.4e38 0 0\n");
        WriteAll(dir.Path() / "far.xyz", "2\nLattice=\"1e38 0 0 0 1e38 0 0 0 1\"\nC 0 0 0\nC 1 0 0\n");
        for (const char* fifo : {"fifo.png", "fifo.xyz", "fifo.txt"})
            ASSERT_EQ(::mkfifo((dir.Path() / fifo).c_str(), 0600), 0);
        for (const char* old : {"keep.png", "keep.bmp", "keep.gif", "keep.jpg", "keep.svg"}) {
            const Outcome made = RunProgram({"--export", old, "--elements", "elements.txt", "pair.xyz"},
                                            dir.Path().string(), 0, std::chrono::seconds(60));
            ASSERT_EQ(made.status, 0) << old << ": " << made.err;
        }
        // Read-only old files, different from what an export writes, so a replacement shows.
        for (const char* locked : {"locked.png", "locked.bmp", "locked.gif", "locked.jpg", "locked.svg"}) {
            WriteAll(dir.Path() / locked, "an old file nobody may write to");
            fs::permissions(dir.Path() / locked, fs::perms(0444));
        }
        fs::create_directory(dir.Path() / "ro");
        fs::copy_file(dir.Path() / "keep.png", dir.Path() / "ro" / "keep.png");
        fs::copy_file(dir.Path() / "keep.svg", dir.Path() / "ro" / "keep.svg");
        readOnly.emplace(dir.Path() / "ro");
    }
    void TearDown() override { readOnly.reset(); }

    TempDir dir;
    std::optional<ReadOnlyFolder> readOnly;
};

TEST_F(ExportHostileTest, EveryFailureIsExplainedAndLeavesTheOldFilesAsTheyWere)
{
    // Four hundred carbons with sticks: every format is far beyond the limit.
    const std::vector<std::string> bigScene = {"--sticks",     "--stick-length",
                                               "54",           "--nx",
                                               "10",           "--ny",
                                               "10",           "--ax",
                                               "2.459512",     "--ay",
                                               "4.26",         "--elements",
                                               "elements.txt", PELMORA_EXAMPLES_DIR "/graphene-cell.xyz"};
    const auto exportBig = [&](const std::string& out) {
        std::vector<std::string> arguments{"--export", out};
        arguments.insert(arguments.end(), bigScene.begin(), bigScene.end());
        return arguments;
    };
    constexpr rlim_t Limit = 8192;
    const std::string pair = "{dir}/pair.xyz";
    const HostileCase cases[] = {
        {"full disk (a file-size limit): PNG", exportBig("{dir}/keep.png"), Limit, 1,
         NotSaved + std::string("Cannot write file \"{dir}/keep.png\". File too large\n")},
        {"full disk: BMP", exportBig("{dir}/keep.bmp"), Limit, 1,
         NotSaved + std::string("Cannot write file \"{dir}/keep.bmp\". File too large\n")},
        {"full disk: GIF", exportBig("{dir}/keep.gif"), Limit, 1,
         NotSaved + std::string("Cannot write file \"{dir}/keep.gif\". File too large\n")},
        {"full disk: JPEG", exportBig("{dir}/keep.jpg"), Limit, 1,
         NotSaved + std::string("Cannot write file \"{dir}/keep.jpg\". File too large\n")},
        {"full disk: SVG", exportBig("{dir}/keep.svg"), Limit, 1,
         "pelmora: Cannot write file \"{dir}/keep.svg\". File too large\n"},
        {"read-only folder: picture",
         {"--export", "{dir}/ro/keep.png", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot create file \"{dir}/ro/keep.png\". {denied}\n")},
        {"read-only folder: SVG",
         {"--export", "{dir}/ro/keep.svg", "--elements", "elements.txt", pair},
         0,
         1,
         "pelmora: Cannot create file \"{dir}/ro/keep.svg\". {denied}\n"},
        {"read-only file: PNG",
         {"--export", "{dir}/locked.png", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot write file \"{dir}/locked.png\". It is read-only (not saved)\n")},
        {"read-only file: BMP",
         {"--export", "{dir}/locked.bmp", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot write file \"{dir}/locked.bmp\". It is read-only (not saved)\n")},
        {"read-only file: GIF",
         {"--export", "{dir}/locked.gif", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot write file \"{dir}/locked.gif\". It is read-only (not saved)\n")},
        {"read-only file: JPEG",
         {"--export", "{dir}/locked.jpg", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot write file \"{dir}/locked.jpg\". It is read-only (not saved)\n")},
        {"read-only file: SVG",
         {"--export", "{dir}/locked.svg", "--elements", "elements.txt", pair},
         0,
         1,
         "pelmora: Cannot write file \"{dir}/locked.svg\". It is read-only (not saved)\n"},
        {"a file where a folder is expected",
         {"--export", "{dir}/keep.png/x.svg", "--elements", "elements.txt", pair},
         0,
         1,
         "pelmora: Cannot create file \"{dir}/keep.png/x.svg\". Not a directory\n"},
        {"output is a FIFO without a reader",
         {"--export", "{dir}/fifo.png", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot write file \"{dir}/fifo.png\". It is not a regular file\n")},
        {"input is a FIFO without a writer",
         {"--export", "{dir}/keep.png", "--elements", "elements.txt", "{dir}/fifo.xyz"},
         0,
         1,
         "pelmora: Cannot open file \"{dir}/fifo.xyz\". It is not a regular file\n"},
        {"input is a device that never ends",
         {"--export", "{dir}/keep.png", "--elements", "elements.txt", "/dev/zero"},
         0,
         1,
         "pelmora: Cannot open file \"/dev/zero\". It is not a regular file\n"},
        {"element table is a FIFO",
         {"--export", "{dir}/keep.png", "--elements", "{dir}/fifo.txt", pair},
         0,
         1,
         "pelmora: Cannot open file \"{dir}/fifo.txt\". It is not a regular file\n"},
        {"control characters in the count line",
         {"--export", "{dir}/keep.png", "--elements", "elements.txt", "{dir}/control.xyz"},
         0,
         1,
         "pelmora: '\\x1b]0;title\\x07\\x1b[2J' is not a valid integer value: the first line of an XYZ file is its "
         "atom count\n"},
        {"a count line of a megabyte",
         {"--export", "{dir}/keep.png", "--elements", "elements.txt", "{dir}/huge.xyz"},
         0,
         1,
         "pelmora: '" + std::string(80, '1')
             + "...' is not a valid integer value: the first line of an XYZ file is "
               "its atom count\n"},
        {"control characters in an unknown symbol",
         {"--info", "--elements", "strict.txt", "{dir}/symbol.xyz"},
         0,
         1,
         "pelmora: Unknown element \"X\\x1b[2J\" in *.xyz file in line 2\n"},
        {"control characters in an option",
         {"--export", "{dir}/keep.png", "--nx", "\x1b[2J", pair},
         0,
         2,
         "pelmora: --nx takes a whole number from 1 to 10, not '\\x1b[2J'\n"
         "Try 'pelmora --help' for more information.\n"},
        {"names that are not UTF-8 are used as given",
         {"--info", "--export", "{dir}/o\xff.png", "--elements", "elements.txt", "{dir}/bad\xff.xyz"},
         0,
         0,
         "",
         "o\xff.png",
         "{\"file\":\"{dir}/bad\\udcff.xyz\","},
        {"a missing name that is not UTF-8 is shown escaped",
         {"--info", "{dir}/missing\xfe.xyz"},
         0,
         1,
         "pelmora: Cannot open file \"{dir}/missing\\xfe.xyz\". No such file or directory\n"},
        {"an output that is a device is no picture file",
         {"--export", "/dev/null", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot write file \"/dev/null\". It is not a regular file\n")},
        {"more sticks than the bound are refused before they are made",
         {"--info", "--sticks", "--stick-length", "100", "--elements", "elements.txt", "{dir}/cube.xyz"},
         0,
         1,
         "pelmora: More than 1,906,624 sticks would be drawn: lower the stick length\n",
         "",
         "\"atomsAfterRepetition\":29791,\"sticks\":0,"},
        {"copies the repeat would place beyond the single-precision range are left out and told",
         {"--info", "--nx", "10", "--elements", "elements.txt", "{dir}/far.xyz"},
         0,
         1,
         "pelmora: The repeat would place 12 atoms beyond the largest coordinate (3.4E38): they are left out\n",
         "",
         "\"atomsAfterRepetition\":5,"},
        {"atoms too far apart to be drawn are told, not drawn empty",
         {"--info", "--elements", "elements.txt", "{dir}/wide.xyz"},
         0,
         1,
         "pelmora: Nothing is drawn: the atoms lie too far apart to fit the picture\n",
         "",
         "\"ScaleXyz\":0,"},
        {"a cell that is no number is told",
         {"--info", "--elements", "elements.txt", "{dir}/nan.xyz"},
         0,
         0,
         "pelmora: Line 1: Lattice= ignored ('nan' is not a valid floating point value)\n"},
        {"control characters in the output's name",
         {"--export", "{dir}/no\x1b[2J/x.png", "--elements", "elements.txt", pair},
         0,
         1,
         NotSaved + std::string("Cannot create file \"{dir}/no\\x1b[2J/x.png\". No such file or directory\n")},
    };
    const std::string folder = dir.Path().string();
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::map<std::string, std::string> before = Snapshot(dir.Path());
        if (c.err.find("{denied}") != std::string::npos && !readOnly->Refusal()) {
            std::cout << "[ SKIPPED  ] " << c.name << ": this process can write to a folder of mode 0555 and "
                      << "cannot set the immutable flag\n";
            continue;
        }
        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments)
            arguments.push_back(Replaced(argument, "{dir}", folder));
        const Outcome outcome = RunProgram(arguments, folder, c.fileSizeLimit, std::chrono::seconds(30));
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.err,
                  Replaced(Replaced(c.err, "{dir}", folder), "{denied}", readOnly->Refusal().value_or("")));
        if (!c.outContains.empty()) {
            EXPECT_NE(outcome.out.find(Replaced(c.outContains, "{dir}", folder)), std::string::npos) << outcome.out;
        }

        std::map<std::string, std::string> after = Snapshot(dir.Path());
        if (!c.creates.empty()) {
            EXPECT_TRUE(after.erase(c.creates)) << "not written: " << c.creates;
            fs::remove(dir.Path() / c.creates);
        }
        // Compared here rather than printed: the old BMP alone is 27 MB.
        for (const auto& [name, bytes] : before)
            EXPECT_TRUE(after.contains(name) && after[name] == bytes) << name << " changed or is gone";
        for (const auto& [name, bytes] : after)
            EXPECT_TRUE(before.contains(name)) << name << " was left behind";
    }
}

// A frame that runs out of memory is told by its number in its place; the frames after it are
// drawn all the same, whichever thread took them.
TEST_F(ExportHostileTest, AFrameOutOfMemoryIsToldAndTheOthersAreDrawn)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a limit of the address space stops a sanitizer's own reservations";
#endif
    // Frame 2 repeated 10 x 10 times holds 30 million atoms, far beyond a gigabyte.
    std::string frames = "2\nframe 1\nC 0 0 0\nC 1.42 0 0\n";
    frames += Cube(67, 100);
    frames += "2\nframe 3\nC 0 0 0\nC 1.42 0 0\n";
    WriteAll(dir.Path() / "frames.xyz", frames);
    constexpr rlim_t Gigabyte = rlim_t{1} << 30;
    const Outcome outcome = RunProgram({"--frame", "all", "--nx", "10", "--ny", "10", "--export", "out.png",
                                        "--elements", "elements.txt", "frames.xyz"},
                                       dir.Path().string(), 0, std::chrono::seconds(120), Gigabyte);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "pelmora: frame 2: out of memory\n");
    EXPECT_TRUE(fs::exists(dir.Path() / "out-0001.png"));
    EXPECT_FALSE(fs::exists(dir.Path() / "out-0002.png"));
    EXPECT_TRUE(fs::exists(dir.Path() / "out-0003.png"));
}

}  // namespace
