#include "XyzDocument.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "MFunction.h"
#include "SmallElements.h"
#include "TempDir.h"
#include "TextBuffer.h"
#include "TextFile.h"
#include "ThreadReads.h"
#include "XyzTextFile.h"

namespace {

// Three frames; the third has a line without coordinates (line 11 of the file).
const std::string kTrajectory = "2\nLattice=\"2.5 0 0 1.25 2 0 0 0 9\" Properties=species:S:1:pos:R:3:q:R:1\n"
                                "C 0 0 0 1\nH 1 0 1 1\n"
                                "1\nsecond\nCl 5 0 0 1\n"
                                "3\nthird\nC 0 0 0 1\nC 1 0 0 1\nC 2\n";

struct Read {
    XyzReadOutcome outcome;
    std::string message;
    std::vector<float> xs;
    std::vector<int> elements;
};

Read Summary(const XyzReadResult& result, const MList<MPoint3DN<float>>& atoms)
{
    Read read{result.outcome, result.message, {}, {}};
    for (int i = 0; i < atoms.FCount; ++i) {
        read.xs.push_back(atoms.Data[i].x);
        read.elements.push_back(atoms.Data[i].N);
    }
    return read;
}

class XyzDocumentTest : public ::testing::Test {
protected:
    XyzDocumentTest() { LoadSmallElements(elements); }
    Read Frame(const XyzDocument& document, int frame)
    {
        MList<MPoint3DN<float>> atoms;
        const XyzReadResult result = document.ReadFrame(frame, elements, atoms);
        return Summary(result, atoms);
    }
    MListAdr<MAtom*> elements;
};

TEST_F(XyzDocumentTest, EachFrameReadsAloneWithItsOwnCountAndLineNumbers)
{
    const XyzDocument document(kTrajectory);
    ASSERT_TRUE(document.FormsFrames());
    EXPECT_EQ(document.FrameCount(), 3);
    const Read first = Frame(document, 1);
    EXPECT_EQ(first.outcome, XyzReadOutcome::Read);
    EXPECT_EQ(first.xs, (std::vector<float>{0, 1}));
    EXPECT_EQ(first.elements, (std::vector<int>{CarbonIndex, HydrogenIndex}));
    const Read second = Frame(document, 2);
    EXPECT_EQ(second.xs, std::vector<float>{5});
    EXPECT_EQ(second.elements, std::vector<int>{ChlorineIndex});
    // Only the first frame's comment declares columns: the others are read plainly.
    const Read third = Frame(document, 3);
    EXPECT_EQ(third.outcome, XyzReadOutcome::BadAtomLine);
    EXPECT_EQ(third.message, "Error in *.xyz file in line 11");
    EXPECT_EQ(third.xs, (std::vector<float>{1, 0}));  // the atoms before it, sorted
    EXPECT_THROW(Frame(document, 0), std::out_of_range);
    EXPECT_THROW(Frame(document, 4), std::out_of_range);
}

TEST_F(XyzDocumentTest, TheFirstFramesCellInThePlaneIsKept)
{
    const XyzDocument document(kTrajectory);
    ASSERT_TRUE(document.Lattice());
    EXPECT_EQ(document.Lattice()->A1, "2.5");
    EXPECT_EQ(document.Lattice()->B1, "1.25");
    EXPECT_EQ(document.Lattice()->B2, "2");
    EXPECT_FALSE(
        XyzDocument("1\nLattice=\"1 0 0 0 1 0 0 0 1\"\nC 0 0 0\nC 1 0 0\nLattice=\"1 0 0 0 1 0 0 0 1\"\n").Lattice());
    EXPECT_FALSE(XyzDocument("1\nno cell\nC 0 0 0\n").Lattice());
}

// Trajectories as runs leave them: blank lines between frames, a last frame cut while it was
// written. Every whole frame reads with its own atoms; the cut one is left out and told.
TEST_F(XyzDocumentTest, WholeFramesReadAroundBlankLinesAndACutLastFrameIsTold)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::vector<float>> framesXs;
        std::vector<std::string> notes;
    };
    const Case cases[] = {
        {"blank lines between frames are no atom lines",
         "2\nt=0\nC 0 0 0\nH 1 0 1\n\n  \n2\nt=1\nC 2 0 0\nH 3 0 1\n\n",
         {{0, 1}, {2, 3}},
         {}},
        {"a run stopped within an atom line",
         "2\nt=0\nC 0 0 0\nH 1 0 1\n2\nt=1\nC 2 0 0\nH 3 0 1\n2\nt=2\nC 4 0",
         {{0, 1}, {2, 3}},
         {"Line 8: the last frame is cut short (fewer lines than its count says) and left out; 2 whole frames "
          "are read"}},
        {"a run stopped after a count line, CR LF",
         "1\r\nt=0\r\nC 0 0 0\r\n1\r\n",
         {{0}},
         {"Line 3: the last frame is cut short (fewer lines than its count says) and left out; 1 whole frame is "
          "read"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const XyzDocument document(c.text);
        ASSERT_EQ(document.FrameCount(), int(c.framesXs.size()));
        for (int frame = 1; frame <= document.FrameCount(); ++frame) {
            const Read read = Frame(document, frame);
            EXPECT_EQ(read.outcome, XyzReadOutcome::Read) << read.message;
            EXPECT_EQ(read.xs, c.framesXs[std::size_t(frame - 1)]);
        }
        EXPECT_EQ(document.Notes(), c.notes);
    }
    // A blank last atom line before the next frame is an atom line of its frame, not a gap.
    const XyzDocument blankAtomLine("2\nt=0\nC 0 0 0\n\n1\nt=1\nC 2 0 0\n");
    ASSERT_EQ(blankAtomLine.FrameCount(), 2);
    EXPECT_EQ(Frame(blankAtomLine, 1).message, "Error in *.xyz file in line 3");
    EXPECT_EQ(Frame(blankAtomLine, 2).xs, std::vector<float>{2});
    // A file of one frame cut short is no trajectory: it is refused, with both numbers.
    const XyzDocument single("3\nt=0\nC 0 0 0\nH 1 0 1\n");
    EXPECT_FALSE(single.FormsFrames());
    EXPECT_EQ(single.CountMismatch().message,
              "Error count of lines in file: the count line says 3 atoms, 2 atom lines follow");
}

// Every frame's result has the cell of its own comment, or says why it has none.
TEST_F(XyzDocumentTest, EveryFrameHasItsOwnCellOrSaysWhyNot)
{
    const XyzDocument document("1\nLattice=\"2 0 0 0 3 0 0 0 9\"\nC 0 0 0\n"
                               "1\nno cell\nC 0 0 0\n"
                               "1\nLattice=\"4 0 0 0 5 0 0 0 9\" pbc=\"F F T\"\nC 0 0 0\n"
                               "1\nLattice=\"4 0.5 0 -1 5 1e-9 0 0 9\"\nC 0 0 0\n");
    struct Expected {
        std::optional<std::vector<double>> steps;  // Ax, Ay, Dx, Dy
        std::string note;
    };
    const Expected expected[] = {
        {std::vector<double>{2, 3, 0, 0}, ""},
        {std::nullopt, ""},
        {std::nullopt, "Line 7: Lattice= ignored (pbc=\"F F T\" says the cell does not repeat along a and b)"},
        {std::vector<double>{4, 5, -1, 0.5}, ""},
    };
    for (int frame = 1; frame <= 4; ++frame) {
        SCOPED_TRACE(frame);
        MList<MPoint3DN<float>> atoms;
        const XyzReadResult read = document.ReadFrame(frame, elements, atoms);
        const Expected& e = expected[frame - 1];
        EXPECT_EQ(read.note, e.note);
        ASSERT_EQ(read.lattice.has_value(), e.steps.has_value());
        if (read.lattice) {
            EXPECT_EQ((std::vector<double>{read.lattice->Ax, read.lattice->Ay, read.lattice->Dx, read.lattice->Dy}),
                      *e.steps);
        }
    }
}

// A line whose fields are bad, after an atom whose long label took memory of its own, is told
// by its line number; the label of the line before is long gone by then.
TEST_F(XyzDocumentTest, ABadLineAfterALongLabelIsToldByItsLine)
{
    const std::string longLabel = "C" + std::string(300000, 'x');
    const std::string badLines[] = {"C 0 0", "C 0", "C", "C x 0 0 " + std::string(70000, 'q')};
    for (const std::string& badLine : badLines) {
        SCOPED_TRACE(badLine.substr(0, 20));
        const XyzDocument document("3\nc\nC 0 0 0\n" + longLabel + " 0 0 1\n" + badLine + "\n");
        const Read read = Frame(document, 1);
        EXPECT_EQ(read.outcome, XyzReadOutcome::BadAtomLine);
        EXPECT_EQ(read.message, "Error in *.xyz file in line 4");
        EXPECT_EQ(read.elements, (std::vector<int>{CarbonIndex, CarbonIndex}));  // "Cxx..." is a label of carbon
    }
}

// The first frame of a document: its atoms, or the outcome, message and line of a frame that
// cannot be read whole, or the exception; and what the atom list holds afterwards (it held one
// atom at x = 7 before), with and without the table's fallback element.
TEST_F(XyzDocumentTest, TheFirstFrameReadsWithItsOutcomeMessageLineAndAtoms)
{
    enum class Tables { Both, WithFallback, WithoutFallback };
    struct Case {
        const char* name;
        std::string text;
        Tables tables;
        XyzReadOutcome outcome;
        std::string message;
        int line;
        std::vector<float> xs;
        std::vector<int> elements;
        std::string exception = {};  // the message of a conversion error
    };
    const std::string none;  // no message
    const Case cases[] = {
        {"a trajectory with declared columns",
         kTrajectory,
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {0, 1},
         {CarbonIndex, HydrogenIndex}},
        {"tabs, a comma, CR LF and a blank tail",
         "3\r\n\r\nC\t0.5\t1.5\t-2.5\r\nCl\t-1.25\t0,05\t3\r\nH 1 1 1\r\n\r\n",
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {0.5f, 1, -1.25f},
         {CarbonIndex, HydrogenIndex, ChlorineIndex}},
        {"commas after two-letter symbols",
         "2\n\nCl,1,2,3\nCl,4,,6\n",
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {1, 4},
         {ChlorineIndex, ChlorineIndex}},
        {"one atom without a final line end",
         "1\nlonely\nH 0.25 0 0",
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {0.25f},
         {HydrogenIndex}},
        {"a line of three fields",
         "2\n\nC 5 0 3\nH 1 0\n",
         Tables::Both,
         XyzReadOutcome::BadAtomLine,
         "Error in *.xyz file in line 3",
         3,
         {5},
         {CarbonIndex}},
        {"a coordinate that is a word: the atoms before it, unsorted",
         "4\n\nC 5 0 5\nC 1 0 1\nC 0 x 0\nC 0 0 0\n",
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {5, 1},
         {CarbonIndex, CarbonIndex},
         "Error in *.xyz file in line 4: 'x' is not a valid floating point value"},
        {"a coordinate beyond single precision",
         "2\n\nC 1 0 0\nH 1e39 0 1\n",
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {1},
         {CarbonIndex},
         "Error in *.xyz file in line 3: '1e39' is not a valid floating point value"},
        {"an unknown symbol drawn as the fallback",
         "3\n\nC 0 0 1\nQq 0 0 2\nH 0 0 0\n",
         Tables::WithFallback,
         XyzReadOutcome::Read,
         none,
         -1,
         {0, 0, 0},
         {HydrogenIndex, CarbonIndex, FallbackIndex}},
        {"an unknown symbol without a fallback",
         "3\n\nC 0 0 1\nQq 0 0 2\nH 0 0 0\n",
         Tables::WithoutFallback,
         XyzReadOutcome::UnknownElement,
         "Unknown element \"Qq\" in *.xyz file in line 3",
         3,
         {0},
         {CarbonIndex}},
        {"a residue name after the coordinates",
         "2\n\nC 1 0 0 MOL\nH 2 0 1 MOL\n",
         Tables::Both,
         XyzReadOutcome::Read,
         none,
         -1,
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
        {"an atom line too many: nothing changes",
         "1\nc\nH 0 0 0\nH 1 0 0\n",
         Tables::Both,
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 1 atom, 2 atom lines follow",
         0,
         {7},
         {CarbonIndex}},
        {"no atoms", "0\n\n", Tables::Both, XyzReadOutcome::Read, none, -1, {}, {}},
    };
    MListAdr<MAtom*> withoutFallback;
    LoadSmallElements(withoutFallback, false);
    for (const Case& c : cases) {
        for (const bool fallback : {true, false}) {
            if (c.tables == (fallback ? Tables::WithoutFallback : Tables::WithFallback))
                continue;
            SCOPED_TRACE(std::string(c.name) + (fallback ? "" : ", without the fallback"));
            MList<MPoint3DN<float>> atoms;
            atoms.Add(MPoint3DN<float>{7, 7, 7, CarbonIndex, -1});
            std::string error;
            XyzReadResult result;
            try {
                const XyzDocument document(c.text);
                result = document.FormsFrames() ? document.ReadFrame(1, fallback ? elements : withoutFallback, atoms)
                                                : document.CountMismatch();
            } catch (const MConvertError& exception) {
                error = exception.what();
            }
            const Read read = Summary(result, atoms);
            EXPECT_EQ(error, c.exception);
            EXPECT_EQ(read.outcome, c.outcome);
            EXPECT_EQ(read.message, c.message);
            EXPECT_EQ(result.line, c.line);
            EXPECT_EQ(read.xs, c.xs);
            EXPECT_EQ(read.elements, c.elements);
        }
    }
}

TEST(TextFileTest, ReadsAndDecodesAsTheTextBufferDoes)
{
    TempDir dir;
    const std::string samples[] = {
        "2\r\n\r\nC 0 0 0\r\nH 1 0 0",
        "\xEF\xBB\xBF"
        "1\n\xC3\x85l\n",  // UTF-8 with a byte-order mark
        std::string("\xFF\xFE"
                    "1\0\n\0",
                    6),      // UTF-16 LE
        "1\n\xC5l 0 0 0\n",  // not UTF-8: Windows-1252
        "",
    };
    for (const std::string& bytes : samples) {
        const std::string name = (dir.Path() / "sample.xyz").string();
        std::ofstream(name, std::ios::binary) << bytes;
        TextBuffer buffer;
        buffer.LoadFromFile(name);
        EXPECT_EQ(SplitLines(LoadTextFile(name)), buffer.Lines());
    }
    for (const std::string& name :
         {(dir.Path() / "missing.xyz").string(), std::string("/dev/null"), dir.Path().string()}) {
        std::string expected;
        try {
            TextBuffer().LoadFromFile(name);
        } catch (const TextFileError& error) {
            expected = error.what();
        }
        try {
            (void)LoadTextFile(name);
            ADD_FAILURE() << name;
        } catch (const TextFileError& error) {
            EXPECT_EQ(std::string(error.what()), expected);
        }
    }
}

std::string Repeated(std::string_view piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// ASCII text as UTF-16, after its byte-order mark.
std::string Utf16(std::string_view ascii, bool bigEndian = false)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes += bigEndian ? '\0' : c;
        bytes += bigEndian ? c : '\0';
    }
    return bytes;
}

// What opening a text tells: the indexer's refusal, or the frames it found.
std::string Opened(std::string text)
{
    try {
        const XyzDocument document(std::move(text));
        if (!document.FormsFrames())
            return document.CountMismatch().message;
        return std::to_string(document.FrameCount()) + " frames";
    } catch (const MConvertError& error) {
        return error.what();
    } catch (const XyzIndexError& error) {
        return error.what();
    }
}

std::string NotAnInteger(const std::string& quoted)
{
    return "'" + quoted + "' is not a valid integer value: the first line of an XYZ file is its atom count";
}

// A megabyte of frames after the first line: reading it would show.
const std::string kFramesAfter = Repeated("2\nframe\nC 0 0 0\nH 1 0 0\n", 40000);

TEST(XyzTextFileTest, AFirstLineThatCannotBeACountStopsTheReadWithTheMessageOfTheWholeFile)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;
    };
    const std::string zeros80 = Repeated("\\x00", 80);
    const std::string ones80(80, '1');
    const Case cases[] = {
        {"zeros", std::string(100, '\0') + "\n" + kFramesAfter, NotAnInteger(zeros80 + "...")},
        {"zeros beyond the bytes read for the first line", std::string(200000, '\0') + "\n" + kFramesAfter,
         NotAnInteger(zeros80 + "...")},
        {"letters", "abc\n" + kFramesAfter, NotAnInteger("abc")},
        {"a count and a word", "3 atoms\n" + kFramesAfter, NotAnInteger("3 atoms")},
        {"a blank after the count", "2 \n" + kFramesAfter, NotAnInteger("2 ")},
        {"a tab before the count", "\t2\n" + kFramesAfter, NotAnInteger("\\x092")},
        {"an empty line", "\n" + kFramesAfter, NotAnInteger("")},
        {"ten thousand digits", std::string(10000, '1') + "\n" + kFramesAfter, NotAnInteger(ones80 + "...")},
        {"a hundred thousand digits, cut", std::string(100000, '1') + "\n" + kFramesAfter,
         NotAnInteger(ones80 + "...")},
        {"a count beyond 32 bits, cut", "0x100000000" + std::string(100000, '0') + "\n" + kFramesAfter,
         NotAnInteger("0x100000000" + std::string(69, '0') + "...")},
        {"control characters", "\x1b]0;title\x07\x1b[2J\n" + kFramesAfter, NotAnInteger("\\x1b]0;title\\x07\\x1b[2J")},
        {"a UTF-8 mark and letters",
         "\xEF\xBB\xBF"
         "abc\r\n"
             + kFramesAfter,
         NotAnInteger("abc")},
        {"UTF-16 letters", Utf16("abc\n" + kFramesAfter), NotAnInteger("abc")},
        {"UTF-16 letters beyond the bytes read", Utf16(std::string(50000, 'a') + "\n" + kFramesAfter),
         NotAnInteger(std::string(80, 'a') + "...")},
    };
    const std::optional<std::uint64_t> readAtStart = BytesReadByThisThread();
    if (!readAtStart)
        std::cout << "[ NOTE     ] /proc/thread-self/io is not there: the bytes read are not checked\n";
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = dir.File("case.xyz");
        std::ofstream(name, std::ios::binary | std::ios::trunc) << c.bytes;
        const std::optional<std::uint64_t> before = BytesReadByThisThread();
        const std::string text = LoadXyzTextFile(name);
        const std::optional<std::uint64_t> after = BytesReadByThisThread();
        EXPECT_EQ(Opened(text), c.message);
        EXPECT_EQ(Opened(LoadTextFile(name)), c.message);
        if (before && after) {
            // The first line's bytes, and the few the count of bytes read itself took.
            EXPECT_LT(*after - *before, FirstLineReadSize + 4096);
        }
    }
}

// A first line that is not ASCII is never a count, but how it reads depends on whether the whole
// file is UTF-8: the rest is looked through for that before the message is made.
TEST(XyzTextFileTest, AFirstLineOfOtherLettersIsDecodedAsTheWholeFileIs)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;
    };
    const std::string e = "\xC3\xA9";                       // é in UTF-8; "Ã©" when the file is read as Windows-1252
    const std::string longLine = "a" + Repeated(e, 40000);  // the bytes read end in the middle of an é
    const Case cases[] = {
        {"UTF-8", e + "\n" + kFramesAfter, NotAnInteger(e)},
        {"not UTF-8 far after the first line", e + "\n" + kFramesAfter + "\xFF", NotAnInteger("\xC3\x83\xC2\xA9")},
        {"not UTF-8 in the bytes read for the first line", e + "\n\xFF" + kFramesAfter,
         NotAnInteger("\xC3\x83\xC2\xA9")},
        {"an é cut by the end of the bytes read", longLine + "\n" + kFramesAfter,
         NotAnInteger("a" + Repeated(e, 79) + "...")},
        {"an é cut by the end of the bytes read, not UTF-8 far after", longLine + "\n" + kFramesAfter + "\xFF",
         NotAnInteger("a" + Repeated("\xC3\x83\xC2\xA9", 39) + "\xC3\x83...")},
        {"a sequence cut short at the end of the file", std::string(100000, '\xC3'),
         NotAnInteger(Repeated("\xC3\x83", 80) + "...")},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = dir.File("case.xyz");
        std::ofstream(name, std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(Opened(LoadXyzTextFile(name)), c.message);
        EXPECT_EQ(Opened(LoadTextFile(name)), c.message);
    }
}

TEST(XyzTextFileTest, FilesWhoseFirstLineCouldBeACountReadWhole)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string opened;
    };
    const std::string frames = "40000 frames";
    const Case cases[] = {
        {"a count", kFramesAfter, frames},
        {"blanks before the count", "   2\nframe\nC 0 0 0\nH 1 0 0\n" + kFramesAfter, "40001 frames"},
        {"signs and hexadecimal counts", "+2\na\nC 0 0 0\nH 1 0 0\n0x2\nb\nC 0 0 0\nH 1 0 0\n$2\nc\nC 0 0 0\nH 1 0 0\n",
         "3 frames"},
        {"CR LF", "2\r\nframe\r\nC 0 0 0\r\nH 1 0 0\r\n", "1 frames"},
        {"a UTF-8 mark", "\xEF\xBB\xBF" + kFramesAfter, frames},
        {"UTF-16 LE", Utf16(kFramesAfter), frames},
        {"UTF-16 BE", Utf16(kFramesAfter, true), frames},
        {"a comment in Windows-1252", "1\n\xC5ngstr\xF6m\nC 0 0 0\n", "1 frames"},
        {"a negative count", "-1\n" + kFramesAfter, "Error count of lines in file: the count line says -1 atoms"},
        {"blanks beyond the bytes read for the first line", std::string(100000, ' ') + "2\nf\nC 0 0 0\nH 1 0 0\n",
         "1 frames"},
        {"zeros beyond the bytes read for the first line", std::string(100000, '0') + "2\nf\nC 0 0 0\nH 1 0 0\n",
         "1 frames"},
        // Refused only once the whole line is read: no shorter start tells.
        {"zeros and then a letter beyond the bytes read", std::string(100000, '0') + "x\nf\n",
         NotAnInteger(std::string(80, '0') + "...")},
        {"a file of a count line alone", "0",
         "Error count of lines in file: the count line is not followed by a comment line"},
        {"an empty file", "", "The file is empty: it has no atom count line"},
        {"a byte-order mark alone", "\xEF\xBB\xBF", "The file is empty: it has no atom count line"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = dir.File("case.xyz");
        std::ofstream(name, std::ios::binary | std::ios::trunc) << c.bytes;
        const std::string text = LoadXyzTextFile(name);
        EXPECT_TRUE(text == LoadTextFile(name)) << "the texts differ";  // not shown: a megabyte each
        EXPECT_EQ(Opened(text), c.opened);
    }
}

TEST(XyzTextFileTest, ACutLineCouldBeACountWhileADigitMoreConverts)
{
    struct Case {
        std::string text;
        bool cut;
        bool could;
    };
    const Case cases[] = {
        {"3", false, true},          {" 3", false, true},
        {"", false, false},          {" ", false, false},
        {" ", true, true},           {"-", true, true},
        {"+", true, true},           {"0x", true, true},
        {"$", true, true},           {"x", true, true},
        {"0x", false, false},        {"2147483647", true, true},
        {"2147483648", true, false}, {"214748364", true, true},
        {"-2147483648", true, true}, {"-2147483649", true, false},
        {"0xFFFFFFFF", true, true},  {"0x100000000", true, false},
        {"3 ", true, false},         {"+-3", true, false},
        {"\xC3\xA9", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + (c.cut ? "', cut" : "'"));
        EXPECT_EQ(CouldBeCountLine(TextFirstLine{c.text, c.cut}), c.could);
    }
}

// A gigabyte of zeros that takes no room on the disk: refused as it would be when read whole,
// after reading no more than the bytes of its first line.
TEST(XyzTextFileTest, AGigabyteOfZerosIsRefusedWithoutBeingRead)
{
    const std::optional<std::uint64_t> readAtStart = BytesReadByThisThread();
    if (!readAtStart)
        GTEST_SKIP() << "/proc/thread-self/io is not there to count the bytes read";
    TempDir dir;
    const std::string name = dir.File("zeros.xyz");
    {
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);
        ::close(fd);
    }
    const std::string text = LoadXyzTextFile(name);
    const std::uint64_t read = BytesReadByThisThread().value_or(0) - *readAtStart;
    EXPECT_LT(read, FirstLineReadSize + 4096);
    EXPECT_EQ(Opened(text), NotAnInteger(Repeated("\\x00", 80) + "..."));
}

}  // namespace
