#include "MFileSave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// A save that runs into a file-size limit, as on a full disk, in a child process so that the
// limit stays there. The child ignores SIGXFSZ as the program does and reports the result.
TEST(SaveFileAtomically, FileSizeLimitLeavesTheOldFileAndNoTemporaryFile)
{
    constexpr rlim_t Limit = 4096;
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
        const MFileSaveResult result = SaveFileAtomically(target, std::string(3 * Limit, 'n'));
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

}  // namespace
