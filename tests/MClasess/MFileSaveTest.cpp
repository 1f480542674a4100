#include "MFileSave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& fileName, const std::string& bytes)
{
    std::ofstream(fileName, std::ios::binary) << bytes;
}

std::vector<std::string> NamesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t PermissionsOf(const std::string& fileName)
{
    struct stat info {};
    EXPECT_EQ(::lstat(fileName.c_str(), &info), 0) << fileName;
    return info.st_mode & 07777;
}

// Sets the umask for one test and puts the old one back.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskScope() { ::umask(old_); }
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;

private:
    mode_t old_;
};

TEST(SaveFileAtomically, NewFileGetsTheBytesAndTheUsualPermissions)
{
    const UmaskScope umask(027);
    const TempDir dir;
    const std::string bytes("a\0b\r\n\xff", 6);
    const MFileSaveResult result = SaveFileAtomically(dir.File("new.svg"), bytes);
    ASSERT_TRUE(result.saved) << result.reason;
    EXPECT_EQ(result.reason, "");
    EXPECT_EQ(ReadAll(dir.File("new.svg")), bytes);
    EXPECT_EQ(PermissionsOf(dir.File("new.svg")), 0640u);  // 0666 less the umask
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"new.svg"});

    ASSERT_TRUE(SaveFileAtomically(dir.File("empty"), "").saved);
    EXPECT_EQ(fs::file_size(dir.File("empty")), 0u);
}

TEST(SaveFileAtomically, ReplacedFileKeepsItsPermissionsAndLinksStay)
{
    const UmaskScope umask(0);
    const TempDir dir;
    WriteAll(dir.File("old.png"), "old content, longer than the new one");
    ASSERT_EQ(::chmod(dir.File("old.png").c_str(), 0604), 0);
    ASSERT_TRUE(SaveFileAtomically(dir.File("old.png"), "new").saved);
    EXPECT_EQ(ReadAll(dir.File("old.png")), "new");
    EXPECT_EQ(PermissionsOf(dir.File("old.png")), 0604u);

    // A link to the file stays a link; the file it points to gets the bytes.
    fs::create_directory(dir.Path() / "real");
    WriteAll(dir.File("real/target.svg"), "old");
    fs::create_symlink("real/target.svg", dir.Path() / "link.svg");
    ASSERT_TRUE(SaveFileAtomically(dir.File("link.svg"), "through the link").saved);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.svg"));
    EXPECT_EQ(ReadAll(dir.File("real/target.svg")), "through the link");
    EXPECT_EQ(NamesIn(dir.Path() / "real"), std::vector<std::string>{"target.svg"});
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{"link.svg", "old.png", "real"}));
}

TEST(SaveFileAtomically, NamesAreBytesAndLongNamesStillGetATemporaryFile)
{
    const TempDir dir;
    const std::string latin1 = dir.File("o\xff.png");
    ASSERT_TRUE(SaveFileAtomically(latin1, "x").saved);
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"o\xff.png"});

    // The longest name a folder takes: the temporary name beside it must fit as well.
    const std::string longest = dir.File(std::string(NAME_MAX, 'n'));
    const MFileSaveResult result = SaveFileAtomically(longest, "y");
    EXPECT_TRUE(result.saved) << result.reason;
    EXPECT_EQ(ReadAll(longest), "y");
}

TEST(SaveFileAtomically, RefusalsNameTheFileGiveTheReasonAndChangeNothing)
{
    struct Case {
        const char* name;
        std::string target;  // below the test folder
        std::string reason;  // "{dir}" stands for the folder
    };
    const Case cases[] = {
        {"folder that does not exist", "missing/x.png",
         "Cannot create file \"{dir}/missing/x.png\". No such file or directory"},
        {"a file where a folder is expected", "old.png/x.png",
         "Cannot create file \"{dir}/old.png/x.png\". Not a directory"},
        {"a folder", "folder", "Cannot write file \"{dir}/folder\". It is not a regular file"},
        {"a FIFO: renaming over it would destroy it, opening it would wait", "fifo.png",
         "Cannot write file \"{dir}/fifo.png\". It is not a regular file"},
        {"a link to a device", "null.png", "Cannot write file \"{dir}/null.png\". It is not a regular file"},
        {"a name ending in a slash", "new/", "Cannot create file \"{dir}/new/\". Is a directory"},
        {"a name longer than a folder takes", std::string(NAME_MAX + 1, 'n'),
         "Cannot create file \"{dir}/" + std::string(NAME_MAX + 1, 'n') + "\". File name too long"},
        {"control characters and a byte that is not UTF-8 are shown escaped", "no\x1b[2J\xff/x.png",
         "Cannot create file \"{dir}/no\\x1b[2J\\xff/x.png\". No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        WriteAll(dir.File("old.png"), "old");
        fs::create_directory(dir.Path() / "folder");
        ASSERT_EQ(::mkfifo(dir.File("fifo.png").c_str(), 0600), 0);
        fs::create_symlink("/dev/null", dir.Path() / "null.png");
        const std::vector<std::string> before = NamesIn(dir.Path());

        const MFileSaveResult result = SaveFileAtomically(dir.File(c.target), "new");
        EXPECT_FALSE(result.saved);
        std::string expected = c.reason;
        expected.replace(expected.find("{dir}"), 5, dir.Path().string());
        EXPECT_EQ(result.reason, expected);
        EXPECT_EQ(NamesIn(dir.Path()), before);
        EXPECT_EQ(ReadAll(dir.File("old.png")), "old");
        EXPECT_TRUE(fs::is_fifo(dir.Path() / "fifo.png"));
        EXPECT_TRUE(fs::is_empty(dir.Path() / "folder"));
    }
    EXPECT_EQ(SaveFileAtomically("", "x").reason, "Cannot create file \"\". No such file or directory");
}

// Saves that run into a file-size limit, as on a full disk, in a child process so that the limit
// stays there: the whole bytes at once, and a streamed save in an encoder's small pieces (which
// reach the system only at Commit) and in pieces larger than what it gathers. The child ignores
// SIGXFSZ as the program does and reports the result.
TEST(SaveFileAtomically, FileSizeLimitLeavesTheOldFileAndNoTemporaryFile)
{
    constexpr rlim_t Limit = 4096;
    const auto streamed = [](const std::string& target, std::size_t piece, std::size_t total) {
        MFileSaveStream save(target);
        for (std::size_t written = 0; written < total && save.Write(std::string(piece, 'n')); written += piece) {
        }
        const bool saved = save.Commit();
        return MFileSaveResult{saved, save.Reason()};
    };
    const struct {
        const char* name;
        std::function<MFileSaveResult(const std::string&)> save;
    } cases[] = {
        {"whole", [](const std::string& target) { return SaveFileAtomically(target, std::string(3 * Limit, 'n')); }},
        {"small pieces", [&](const std::string& target) { return streamed(target, 255, 3 * Limit); }},
        {"large pieces", [&](const std::string& target) { return streamed(target, 3 << 20, 9 << 20); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string target = dir.File("keep.svg");
        const std::string old(3000, 'o');
        WriteAll(target, old);

        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{Limit, Limit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(2);
            const MFileSaveResult result = c.save(target);
            const ssize_t written = ::write(pipeEnds[1], result.reason.data(), result.reason.size());
            ::_exit(result.saved || written != static_cast<ssize_t>(result.reason.size()) ? 1 : 0);
        }
        ::close(pipeEnds[1]);
        std::string reason;
        char chunk[256];
        for (ssize_t got; (got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
            reason.append(chunk, static_cast<std::size_t>(got));
        ::close(pipeEnds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the save did not fail as it should";
        EXPECT_EQ(reason, "Cannot write file \"" + target + "\". File too large");
        EXPECT_EQ(ReadAll(target), old);
        EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"keep.svg"});
    }
}

// A streamed save keeps the old file until Commit, and keeps it whole when it is abandoned; a
// writer that writes the temporary file through its own handle gets the same rules.
TEST(MFileSaveStream, TheOldFileStaysUntilCommitAndAnAbandonedSaveLeavesNothing)
{
    const UmaskScope mask(022);
    const TempDir dir;
    const std::string target = dir.File("movie.gif");
    WriteAll(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    {
        MFileSaveStream save(target);
        ASSERT_TRUE(save.Ok()) << save.Reason();
        EXPECT_EQ(PermissionsOf(save.TemporaryName()), 0640u);
        ASSERT_TRUE(save.Write("first frame"));
        EXPECT_EQ(ReadAll(target), "old");
    }
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"movie.gif"});

    MFileSaveStream save(target);
    ASSERT_TRUE(save.Ok()) << save.Reason();
    WriteAll(save.TemporaryName(), "written by its own handle");
    ASSERT_TRUE(save.Commit()) << save.Reason();
    EXPECT_EQ(ReadAll(target), "written by its own handle");
    EXPECT_EQ(PermissionsOf(target), 0640u);
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"movie.gif"});
    EXPECT_FALSE(save.Commit());  // once only: the temporary file is gone
}

// ---- Saves in a child process ------------------------------------------------------------------

// How a child process ended and what it wrote to its report pipe.
struct ChildEnd {
    std::string ending;  // "exit N" or "signal N"
    std::string report;
};

std::string EndingOf(int status)
{
    if (WIFEXITED(status))
        return "exit " + std::to_string(WEXITSTATUS(status));
    return WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status)) : "still running";
}

// Runs body in a child process; what it writes to the given descriptor is the report, what it
// returns the exit status. Each time the child stops itself, whileStopped runs before the child
// is continued.
ChildEnd RunInChild(const std::function<int(int report)>& body, const std::function<void()>& whileStopped = {})
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {"no pipe", {}};
    const pid_t child = ::fork();
    if (child < 0)
        return {"no child", {}};
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::_exit(body(pipeEnds[1]));
    }
    ::close(pipeEnds[1]);
    int status = 0;
    while (::waitpid(child, &status, WUNTRACED) == child && WIFSTOPPED(status)) {
        if (whileStopped)
            whileStopped();
        ::kill(child, SIGCONT);
    }
    ChildEnd end{EndingOf(status), {}};
    char chunk[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
        end.report.append(chunk, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    return end;
}

void Report(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

// A save stopped in its middle: writes past this many bytes fail, and the SIGXFSZ that the
// system sends there runs a given function while part of the bytes are in the temporary file.
constexpr rlim_t MidSaveLimit = 64 * 1024;
const std::string BytesPastTheMiddle(4 * MidSaveLimit, 'n');

bool StopWritesInTheMiddle(void (*inTheMiddle)(int))
{
    struct sigaction action {};
    action.sa_handler = inTheMiddle;
    sigemptyset(&action.sa_mask);
    const rlimit limit{MidSaveLimit, MidSaveLimit};
    return ::sigaction(SIGXFSZ, &action, nullptr) == 0 && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// The temporary files beside a target: hidden names that start with ".NAME.".
std::vector<std::string> TemporaryFilesOf(const TempDir& dir, const std::string& name)
{
    std::vector<std::string> found;
    for (const std::string& entry : NamesIn(dir.Path()))
        if (entry.starts_with("." + name + "."))
            found.push_back(entry);
    return found;
}

struct Ownership {
    uid_t uid;
    gid_t gid;
    bool operator==(const Ownership&) const = default;
};

Ownership OwnershipOf(const std::string& fileName)
{
    struct stat info {};
    EXPECT_EQ(::lstat(fileName.c_str(), &info), 0) << fileName;
    return {info.st_uid, info.st_gid};
}

std::ostream& operator<<(std::ostream& out, const Ownership& owner) { return out << owner.uid << ':' << owner.gid; }

// Users and groups of the tests that act as other users: an unprivileged saver, a team it
// belongs to, and someone else. Only numbers: no names need to exist for them.
constexpr uid_t Saver = 65534;
constexpr gid_t SaverGroup = 65534;
constexpr gid_t Team = 4242;
constexpr uid_t SomeoneElse = 4243;
constexpr gid_t SomeoneElsesGroup = 4243;
constexpr int CannotBecomeTheSaver = 77;

// In a child: becomes Saver, member of Team as well. Returns false when the system does not
// let this process change its user.
bool BecomeTheSaver()
{
    const gid_t groups[] = {Team};
    if (::setgroups(1, groups) != 0 || ::setresgid(SaverGroup, SaverGroup, SaverGroup) != 0
        || ::setresuid(Saver, Saver, Saver) != 0)
        return false;
    // Changing the user makes the process undumpable, which would hide /proc/self from it.
    (void)::prctl(PR_SET_DUMPABLE, 1);
    return true;
}

void MakeFile(const std::string& fileName, const std::string& bytes, mode_t mode, std::optional<Ownership> owner)
{
    WriteAll(fileName, bytes);
    if (owner) {
        ASSERT_EQ(::chown(fileName.c_str(), owner->uid, owner->gid), 0) << fileName;
    }
    ASSERT_EQ(::chmod(fileName.c_str(), mode), 0) << fileName;
}

// ---- Permissions, owner and group --------------------------------------------------------------

// Nobody may read through the temporary file what the old file would not show them: it has the
// final permission bits, owner and group before its first byte is written. The save is caught
// in its middle by stopping the child that runs it.
TEST(SaveFileAtomically, TheTemporaryFileHasTheFinalPermissionsBeforeItsFirstByte)
{
    struct Case {
        const char* name;
        std::optional<mode_t> oldMode;  // none: a new file
        std::optional<Ownership> oldOwner;
        mode_t umask;
        mode_t expectedMode;
    };
    const bool root = ::geteuid() == 0;
    const Case cases[] = {
        {"a private picture stays private", 0600, std::nullopt, 022, 0600},
        {"a file for the group", 0640, std::nullopt, 022, 0640},
        {"the umask does not open a private file", 0600, std::nullopt, 0, 0600},
        {"a new file gets 0666 less the umask", std::nullopt, std::nullopt, 027, 0640},
        {"a new file with no umask", std::nullopt, std::nullopt, 0, 0666},
        {"another user's private file (root only)", 0600, Ownership{SomeoneElse, Team}, 022, 0600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.oldOwner && !root) {
            std::cout << "[ SKIPPED  ] " << c.name << ": only root can give a file to another user\n";
            continue;
        }
        const TempDir dir;
        const std::string target = dir.File("secret.png");
        if (c.oldMode)
            MakeFile(target, "old", *c.oldMode, c.oldOwner);
        const Ownership expectedOwner = c.oldOwner.value_or(Ownership{::geteuid(), ::getegid()});
        bool stopped = false;
        const ChildEnd end = RunInChild(
            [&](int) {
                ::umask(c.umask);
                if (!StopWritesInTheMiddle([](int) { ::raise(SIGSTOP); }))
                    return 2;
                return SaveFileAtomically(target, BytesPastTheMiddle).saved ? 0 : 1;
            },
            [&] {
                stopped = true;
                const std::vector<std::string> temporary = TemporaryFilesOf(dir, "secret.png");
                ASSERT_EQ(temporary.size(), 1u);
                const std::string name = dir.File(temporary[0]);
                EXPECT_EQ(fs::file_size(name), MidSaveLimit) << "not in the middle of the save";
                EXPECT_EQ(PermissionsOf(name), c.expectedMode);
                EXPECT_EQ(OwnershipOf(name), expectedOwner);
            });
        EXPECT_TRUE(stopped) << "the save never reached its middle";
        EXPECT_EQ(end.ending, "exit 1") << "the save should fail at the file-size limit";
        EXPECT_EQ(TemporaryFilesOf(dir, "secret.png"), std::vector<std::string>{});
        if (c.oldMode) {
            EXPECT_EQ(ReadAll(target), "old");
        }
    }
}

// What a save does to a file that its user cannot or should not write, and to the group of a
// file it shares with a team, as an unprivileged user in a folder it may write to. Runs as that
// user in a child process, so it needs root to start.
TEST(SaveFileAtomically, AnUnprivilegedUserKeepsTheTeamsGroupAndCannotReplaceReadOnlyFiles)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two other users";
    struct Case {
        const char* name;
        mode_t mode;
        Ownership owner;
        std::string reason;  // empty when saved
        mode_t modeAfter;
        Ownership ownerAfter;
    };
    const std::string readOnly = "It is read-only (not saved)";
    const Case cases[] = {
        {"own file", 0640, {Saver, SaverGroup}, "", 0640, {Saver, SaverGroup}},
        {"the team's file of someone else keeps its group", 0664, {SomeoneElse, Team}, "", 0664, {Saver, Team}},
        {"own file the team may write to", 0660, {Saver, Team}, "", 0660, {Saver, Team}},
        {"own read-only file", 0444, {Saver, SaverGroup}, readOnly, 0444, {Saver, SaverGroup}},
        {"someone else's file the saver may only read",
         0644,
         {SomeoneElse, SomeoneElsesGroup},
         readOnly,
         0644,
         {SomeoneElse, SomeoneElsesGroup}},
        {"the team's file the team may only read",
         0664 & ~0020,
         {SomeoneElse, Team},
         readOnly,
         0644,
         {SomeoneElse, Team}},
    };
    const TempDir dir;
    ASSERT_EQ(::chown(dir.Path().c_str(), Saver, SaverGroup), 0);
    std::vector<std::string> targets;
    for (const Case& c : cases) {
        targets.push_back(dir.File(std::string(c.name) + ".png"));
        MakeFile(targets.back(), "old", c.mode, c.owner);
    }
    const ChildEnd end = RunInChild([&](int report) {
        if (!BecomeTheSaver())
            return CannotBecomeTheSaver;
        for (const std::string& target : targets)
            Report(report, SaveFileAtomically(target, "new").reason + '\n');
        return 0;
    });
    if (end.ending == "exit " + std::to_string(CannotBecomeTheSaver))
        GTEST_SKIP() << "this system does not let the test change its user";
    ASSERT_EQ(end.ending, "exit 0");

    std::vector<std::string> reasons;
    for (std::size_t start = 0, stop; (stop = end.report.find('\n', start)) != std::string::npos; start = stop + 1)
        reasons.push_back(end.report.substr(start, stop - start));
    ASSERT_EQ(reasons.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reasons[i], c.reason.empty() ? "" : "Cannot write file \"" + targets[i] + "\". " + c.reason);
        EXPECT_EQ(ReadAll(targets[i]), c.reason.empty() ? "new" : "old");
        EXPECT_EQ(PermissionsOf(targets[i]), c.modeAfter);
        EXPECT_EQ(OwnershipOf(targets[i]), c.ownerAfter);
    }
    EXPECT_EQ(NamesIn(dir.Path()).size(), std::size(cases)) << "a temporary file was left behind";
}

// A file without a write bit is read-only to everyone: root, whom the system lets write anything,
// is refused all the same, as by an editor. The refusal names the file as given and writes
// nothing.
TEST(SaveFileAtomically, ReadOnlyFilesAreRefusedWithoutWriting)
{
    struct Case {
        const char* name;
        mode_t mode;
        const char* given;  // the name the save is given
        bool saved;
    };
    const Case cases[] = {
        {"read-only for all", 0444, "locked.png", false},
        {"no permission at all", 0000, "locked.png", false},
        {"readable by the owner alone", 0400, "locked.png", false},
        {"a link to a read-only file", 0444, "link.png", false},
        {"writable by the owner alone", 0200, "locked.png", true},
        {"writable by the group alone", 0464, "locked.png", ::geteuid() == 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        MakeFile(dir.File("locked.png"), "old", c.mode, std::nullopt);
        fs::create_symlink("locked.png", dir.Path() / "link.png");
        const MFileSaveResult result = SaveFileAtomically(dir.File(c.given), "new");
        EXPECT_EQ(result.saved, c.saved);
        EXPECT_EQ(result.reason,
                  c.saved ? "" : "Cannot write file \"" + dir.File(c.given) + "\". It is read-only (not saved)");
        EXPECT_EQ(ReadAll(dir.File("locked.png")), c.saved ? "new" : "old");
        EXPECT_EQ(PermissionsOf(dir.File("locked.png")), c.mode);
        EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{"link.png", "locked.png"}));
    }
}

// A group other than its own that this process may give a file it owns: any for root, else one
// of the user's other groups.
std::optional<gid_t> AnotherGroupToGive()
{
    if (::geteuid() == 0)
        return Team;
    gid_t groups[NGROUPS_MAX];
    const int count = ::getgroups(NGROUPS_MAX, groups);
    for (int i = 0; i < count; ++i)
        if (groups[i] != ::getegid())
            return groups[i];
    return std::nullopt;
}

// The team's group as above, also where the test runs as a user and the case above is skipped.
TEST(SaveFileAtomically, AnotherGroupTheOwnerMayGiveIsKept)
{
    const std::optional<gid_t> group = AnotherGroupToGive();
    if (!group)
        GTEST_SKIP() << "this user belongs to one group only";
    const TempDir dir;
    const std::string target = dir.File("shared.svg");
    MakeFile(target, "old", 0664, Ownership{::geteuid(), *group});
    ASSERT_TRUE(SaveFileAtomically(target, "new").saved);
    EXPECT_EQ(OwnershipOf(target), (Ownership{::geteuid(), *group}));
    EXPECT_EQ(PermissionsOf(target), 0664u);
}

// ---- Interrupted saves -------------------------------------------------------------------------

// The signal a child raises in the middle of its save.
int signalInTheMiddle = 0;

// Ctrl+C, SIGTERM and SIGHUP in the middle of a save: the temporary file goes, and the signal
// then does what it did before the cleanup was set up.
TEST(SaveFileAtomically, ASignalInTheMiddleOfASaveRemovesTheTemporaryFile)
{
    enum class Before { Default, Ignored, ProgramsHandler };
    struct Case {
        const char* name;
        int signal;
        Before before;
        std::string ending;
    };
    constexpr int ProgramsHandlerStatus = 42;
    const Case cases[] = {
        {"Ctrl+C ends the process as Ctrl+C does", SIGINT, Before::Default, "signal " + std::to_string(SIGINT)},
        {"SIGTERM", SIGTERM, Before::Default, "signal " + std::to_string(SIGTERM)},
        {"SIGHUP", SIGHUP, Before::Default, "signal " + std::to_string(SIGHUP)},
        {"the program's own handler runs after the cleanup", SIGTERM, Before::ProgramsHandler,
         "exit " + std::to_string(ProgramsHandlerStatus)},
        // The save then fails at the file-size limit, as without the signal.
        {"an ignored signal stays ignored (nohup)", SIGHUP, Before::Ignored, "exit 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const std::string target = dir.File("big.png");
        WriteAll(target, "old");
        const ChildEnd end = RunInChild([&](int) {
            if (c.before == Before::Ignored)
                std::signal(c.signal, SIG_IGN);
            if (c.before == Before::ProgramsHandler)
                std::signal(c.signal, [](int) { ::_exit(ProgramsHandlerStatus); });
            InstallSaveCleanupOnSignals();
            signalInTheMiddle = c.signal;
            if (!StopWritesInTheMiddle([](int) { ::raise(signalInTheMiddle); }))
                return 2;
            return SaveFileAtomically(target, BytesPastTheMiddle).saved ? 0 : 1;
        });
        EXPECT_EQ(end.ending, c.ending);
        EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"big.png"});
        EXPECT_EQ(ReadAll(target), "old");
    }
}

void SetAge(const std::string& fileName, std::chrono::seconds age)
{
    const auto then = std::chrono::system_clock::now() - age;
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(then.time_since_epoch());
    const timespec times[2] = {
        {static_cast<time_t>(sinceEpoch.count() / 1000000000), static_cast<long>(sinceEpoch.count() % 1000000000)},
        {static_cast<time_t>(sinceEpoch.count() / 1000000000), static_cast<long>(sinceEpoch.count() % 1000000000)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, fileName.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << fileName;
}

// A process killed outright leaves its temporary file behind; the next save of the same target
// removes it once nothing has written to it for a minute, and nothing else.
TEST(SaveFileAtomically, TheNextSaveRemovesStaleTemporaryFilesOfItsTargetOnly)
{
    using std::chrono::seconds;
    struct Leftover {
        const char* name;
        seconds age;
        bool someoneElses;
        bool kept;
    };
    const Leftover leftovers[] = {
        {".out.png.AbC4Ef", seconds(120), false, false},
        {".out.png.9QQQQQ", seconds(3600), false, false},
        {".out.png.XyZ9Qw", seconds(10), false, true},     // may belong to a save in progress
        {".out.png.AbC4Ef.x", seconds(120), false, true},  // not the pattern
        {".out.png.backup", seconds(120), false, true},    // a name a person gives
        {".out.png.Ab4", seconds(120), false, true},
        {".out.png.Ab-4Ef", seconds(120), false, true},
        {".other.png.AbC4Ef", seconds(120), false, true},  // another target's
        {"out.png.AbC4Ef", seconds(120), false, true},
        // Someone else's (only root can make one; another user's own one goes).
        {".out.png.KeP7Tt", seconds(120), true, ::geteuid() == 0},
    };
    const TempDir dir;
    WriteAll(dir.File("out.png"), "old");
    for (const Leftover& leftover : leftovers) {
        MakeFile(dir.File(leftover.name), "partial", 0644,
                 leftover.someoneElses && ::geteuid() == 0 ? std::optional<Ownership>({SomeoneElse, Team})
                                                           : std::nullopt);
        SetAge(dir.File(leftover.name), leftover.age);
    }
    // A folder of the pattern is no leftover of a save.
    fs::create_directory(dir.Path() / ".out.png.DiR5ab");
    fs::last_write_time(dir.Path() / ".out.png.DiR5ab", fs::file_time_type::clock::now() - std::chrono::hours(1));

    ASSERT_TRUE(SaveFileAtomically(dir.File("out.png"), "new").saved);
    EXPECT_EQ(ReadAll(dir.File("out.png")), "new");
    std::vector<std::string> expected{"out.png", ".out.png.DiR5ab"};
    for (const Leftover& leftover : leftovers)
        if (leftover.kept)
            expected.push_back(leftover.name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NamesIn(dir.Path()), expected);
}

// Saves from many threads at once, more than the signal handler's table holds: each file ends
// up with the whole of one save's bytes, and no temporary file stays.
TEST(SaveFileAtomically, ConcurrentSavesEachLeaveOneWholeVersion)
{
    constexpr int Threads = 40;
    constexpr int SavesPerThread = 3;
    const TempDir dir;
    std::vector<std::thread> savers;
    std::atomic<int> failures{0};
    for (int t = 0; t < Threads; ++t)
        savers.emplace_back([&, t] {
            for (int i = 0; i < SavesPerThread; ++i) {
                const std::string bytes(4096 + t * 7 + i, static_cast<char>('a' + (t + i) % 26));
                if (!SaveFileAtomically(dir.File(t % 2 == 0 ? "shared.svg" : "own" + std::to_string(t) + ".svg"), bytes)
                         .saved)
                    ++failures;
            }
        });
    for (std::thread& saver : savers)
        saver.join();
    EXPECT_EQ(failures, 0);
    for (const std::string& name : NamesIn(dir.Path())) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(name.starts_with(".")) << "a temporary file was left behind";
        const std::string bytes = ReadAll(dir.File(name));
        ASSERT_GE(bytes.size(), 4096u);
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), bytes[0]), static_cast<std::ptrdiff_t>(bytes.size()));
        const std::size_t writer = (bytes.size() - 4096) / 7;
        EXPECT_EQ(bytes[0], static_cast<char>('a' + (writer + (bytes.size() - 4096) % 7) % 26));
    }
    EXPECT_EQ(NamesIn(dir.Path()).size(), 1u + Threads / 2);
}

}  // namespace
