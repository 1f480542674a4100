#include "TextBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "TempDir.h"
#include "ThreadReads.h"

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(TextBufferLines, EndsAtCrLfLfAndCrWithoutAnEmptyLastLine)
{
    struct Case {
        const char* name;
        std::string_view text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty file has no lines", "", {}},
        {"final line end adds nothing", "a\nb\n", {"a", "b"}},
        {"no final line end", "a\nb", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"lone CR", "a\rb", {"a", "b"}},
        {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
        {"a lone line end is one empty line", "\n", {""}},
        {"an extra empty line at the end stays", "1\nc\nH 0 0 0\n\n", {"1", "c", "H 0 0 0", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBuffer buffer;
        buffer.LoadFromBytes(Bytes(c.text));
        EXPECT_EQ(buffer.Lines(), c.lines);
    }
}

TEST(TextBufferEncoding, ByteOrderMarksAndFallbackToWindows1252)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        TextEncoding encoding;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"plain UTF-8", {'C', 0xC3, 0xA9, '\n'}, TextEncoding::Utf8, {"C\xC3\xA9"}},
        {"UTF-8 mark is dropped", {0xEF, 0xBB, 0xBF, 'H', '\n', 'O'}, TextEncoding::Utf8WithMark, {"H", "O"}},
        {"UTF-16 LE with a surrogate pair",
         {0xFF, 0xFE, 'H', 0, '\r', 0, '\n', 0, 0x3D, 0xD8, 0x00, 0xDE},
         TextEncoding::Utf16LE,
         {"H", "\xF0\x9F\x98\x80"}},
        {"UTF-16 BE", {0xFE, 0xFF, 0, 'N', 0, '\n', 0, 'a'}, TextEncoding::Utf16BE, {"N", "a"}},
        {"invalid UTF-8 is Windows-1252",
         {0x80, ' ', 0xE9, '\n'},
         TextEncoding::Windows1252,
         {"\xE2\x82\xAC \xC3\xA9"}},
        {"overlong form is not UTF-8", {0xC0, 0xAF}, TextEncoding::Windows1252, {"\xC3\x80\xC2\xAF"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBuffer buffer;
        buffer.LoadFromBytes(c.bytes);
        EXPECT_EQ(buffer.Encoding(), c.encoding);
        EXPECT_EQ(buffer.Lines(), c.lines);
    }
}

TEST(TextBufferFiles, SavesLinesWithCrLfAndReadsThemBack)
{
    TempDir dir;
    const std::string path = dir.File("doc.svg");
    TextBuffer buffer;
    buffer.Add("<svg>");
    buffer.Add("</svg>");
    buffer.SaveToFile(path);

    std::ifstream in(path, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written, "<svg>\r\n</svg>\r\n");

    TextBuffer again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.Lines(), buffer.Lines());
}

TEST(TextBufferFiles, MissingOrUnwritableFilesThrowNamingTheFile)
{
    TempDir dir;
    TextBuffer buffer;
    buffer.Add("kept");
    try {
        buffer.LoadFromFile(dir.File("missing.xyz"));
        FAIL() << "no error";
    } catch (const TextFileError& error) {
        EXPECT_NE(std::string(error.what()).find("missing.xyz"), std::string::npos);
    }
    EXPECT_EQ(buffer.Lines(), std::vector<std::string>{"kept"});
    EXPECT_THROW(buffer.SaveToFile(dir.File("no/such/folder/x.svg")), TextFileError);
}

// Ends the test program instead of letting a regression wait forever on a FIFO or read a
// device that never ends.
class Deadline {
public:
    explicit Deadline(unsigned seconds) { ::alarm(seconds); }
    ~Deadline() { ::alarm(0); }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
};

TEST(TextBufferFiles, OnlyRegularFilesAreReadAndNothingWaits)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo.xyz").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path() / "folder.xyz");
    const Deadline deadline(20);
    for (const std::string& name : {std::string("/dev/zero"), dir.File("fifo.xyz"), dir.File("folder.xyz")}) {
        SCOPED_TRACE(name);
        TextBuffer buffer;
        buffer.Add("kept");
        try {
            buffer.LoadFromFile(name);
            ADD_FAILURE() << "no error";
        } catch (const TextFileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + name + "\". It is not a regular file");
        }
        EXPECT_EQ(buffer.Lines(), std::vector<std::string>{"kept"});
    }
    // A regular file reached through a link is read; files in /proc tell no size but are read.
    std::filesystem::create_symlink("/proc/self/status", dir.Path() / "status");
    TextBuffer status;
    status.LoadFromFile(dir.File("status"));
    EXPECT_GT(status.Count(), 1u);
}

TEST(TextBufferFiles, NamesAreBytesAndShownEscaped)
{
    TempDir dir;
    const std::string name = dir.File("bad\xff.xyz");
    std::ofstream(name, std::ios::binary) << "1\n\nC 0 0 0\n";
    TextBuffer buffer;
    buffer.LoadFromFile(name);
    EXPECT_EQ(buffer.Count(), 3u);
    try {
        buffer.LoadFromFile(dir.File("missing\x1b[2J\xfe.xyz"));
        FAIL() << "no error";
    } catch (const TextFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + dir.File("missing\\x1b[2J\\xfe.xyz") + "\". No such file or directory");
    }
}

TEST(TextBufferFiles, SaveReplacesOnlyAWholeFileAndNeverWaitsOnAFifo)
{
    TempDir dir;
    TextBuffer buffer;
    buffer.Add("<svg/>");
    std::ofstream(dir.File("old.svg"), std::ios::binary) << "old";
    ASSERT_EQ(::mkfifo(dir.File("fifo.svg").c_str(), 0600), 0);
    const Deadline deadline(20);
    try {
        buffer.SaveToFile(dir.File("fifo.svg"));
        FAIL() << "no error";
    } catch (const TextFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot write file \"" + dir.File("fifo.svg") + "\". It is not a regular file");
    }
    buffer.SaveToFile(dir.File("old.svg"));
    std::ifstream in(dir.File("old.svg"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "<svg/>\r\n");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"fifo.svg", "old.svg"}));
}

TEST(TextBufferFiles, AFileLargerThanTheBoundIsRefusedAndOneTheSizeOfItRead)
{
    TempDir dir;
    const std::string huge = dir.File("huge.txt");  // a gigabyte that takes no room on the disk
    {
        const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);
        ::close(fd);
    }
    const std::string small = dir.File("small.txt");
    std::ofstream(small, std::ios::binary) << "a\nb\n";
    struct Case {
        const char* name;
        std::string file;
        std::size_t largest;
        std::string error;  // empty: read
    };
    const Case cases[] = {
        {"a gigabyte", huge, std::size_t{1} << 20, "Cannot read file \"" + huge + "\". It is larger than 1 MiB"},
        {"a file of the largest size", small, 4, ""},
        {"a byte more", small, 3, "Cannot read file \"" + small + "\". It is larger than 3 bytes"},
        {"kibibytes", huge, 2048, "Cannot read file \"" + huge + "\". It is larger than 2 KiB"},
        // It tells no size: the bound holds while it is read.
        {"a file in /proc", "/proc/self/status", 100,
         "Cannot read file \"/proc/self/status\". It is larger than 100 bytes"},
        {"no bound", small, NoFileSizeLimit, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextBuffer buffer;
        buffer.Add("kept");
        const std::optional<std::uint64_t> before = BytesReadByThisThread();
        try {
            buffer.LoadFromFile(c.file, c.largest);
            EXPECT_EQ(c.error, "");
            EXPECT_EQ(buffer.Lines(), (std::vector<std::string>{"a", "b"}));
        } catch (const TextFileError& error) {
            EXPECT_EQ(error.what(), c.error);
            EXPECT_EQ(buffer.Lines(), std::vector<std::string>{"kept"});
        }
        const std::optional<std::uint64_t> after = BytesReadByThisThread();
        if (before && after) {
            EXPECT_LT(*after - *before, 65536u);
        }
    }
}

}  // namespace
