#include "XyzDocument.h"

#include <gtest/gtest.h>

#include <fstream>

#include "ElementFixture.h"
#include "MFunction.h"
#include "TempDir.h"
#include "TextBuffer.h"
#include "TextFile.h"

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
    EXPECT_FALSE(XyzDocument("1\nLattice=\"1 0 0 0 1 0 0 0 1\"\nC 0 0 0\n1\nLattice=\"1 0 0 0 1 0 0 0 1\"\n").Lattice());
    EXPECT_FALSE(XyzDocument("1\nno cell\nC 0 0 0\n").Lattice());
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

// The document reads a file's first frame as the reader reads its lines: same atoms, message,
// exception, and the same state after a failure.
TEST_F(XyzDocumentTest, TheFirstFrameReadsAsTheFileLines)
{
    const std::string texts[] = {
        kTrajectory,
        "3\r\n\r\nC\t0.5\t1.5\t-2.5\r\nCl\t-1.25\t0,05\t3\r\nH 1 1 1\r\n\r\n",
        "2\n\nCl,1,2,3\nCl,4,,6\n",
        "1\nlonely\nH 0.25 0 0",
        "2\n\nC 5 0 3\nH 1 0\n",
        "4\n\nC 5 0 5\nC 1 0 1\nC 0 x 0\nC 0 0 0\n",
        "2\n\nC 1 0 0\nH 1e39 0 1\n",
        "3\n\nC 0 0 1\nQq 0 0 2\nH 0 0 0\n",
        "2\n\nC 1 0 0 MOL\nH 2 0 1 MOL\n",
        "1\nc\nH 0 0 0\nH 1 0 0\n",
        "0\n\n",
    };
    MListAdr<MAtom*> withoutFallback;
    LoadSmallElements(withoutFallback, false);
    for (const std::string& text : texts) {
        for (const MListAdr<MAtom*>* table : {&elements, &withoutFallback}) {
            SCOPED_TRACE(text);
            MList<MPoint3DN<float>> fromLines, fromText;
            fromLines.Add(MPoint3DN<float>{7, 7, 7, 0, -1});
            fromText.Add(MPoint3DN<float>{7, 7, 7, 0, -1});
            std::string linesError, textError;
            XyzReadResult byLines, byText;
            try {
                byLines = ReadXyz(SplitLines(text), *table, fromLines);
            } catch (const MConvertError& error) {
                linesError = error.what();
            }
            try {
                const XyzDocument document(text);
                byText = document.FormsFrames() ? document.ReadFrame(1, *table, fromText) : document.CountMismatch();
            } catch (const MConvertError& error) {
                textError = error.what();
            }
            EXPECT_EQ(textError, linesError);
            const Read a = Summary(byText, fromText), b = Summary(byLines, fromLines);
            EXPECT_EQ(a.outcome, b.outcome);
            EXPECT_EQ(a.message, b.message);
            EXPECT_EQ(byText.line, byLines.line);
            EXPECT_EQ(a.xs, b.xs);
            EXPECT_EQ(a.elements, b.elements);
        }
    }
}

TEST(TextFileTest, ReadsAndDecodesAsTheTextBufferDoes)
{
    TempDir dir;
    const std::string samples[] = {
        "2\r\n\r\nC 0 0 0\r\nH 1 0 0",
        "\xEF\xBB\xBF" "1\n\xC3\x85l\n",            // UTF-8 with a byte-order mark
        std::string("\xFF\xFE" "1\0\n\0", 6),        // UTF-16 LE
        "1\n\xC5l 0 0 0\n",                          // not UTF-8: Windows-1252
        "",
    };
    for (const std::string& bytes : samples) {
        const std::string name = (dir.Path() / "sample.xyz").string();
        std::ofstream(name, std::ios::binary) << bytes;
        TextBuffer buffer;
        buffer.LoadFromFile(name);
        EXPECT_EQ(SplitLines(LoadTextFile(name)), buffer.Lines());
    }
    for (const std::string& name : {(dir.Path() / "missing.xyz").string(), std::string("/dev/null"), dir.Path().string()}) {
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

}  // namespace
