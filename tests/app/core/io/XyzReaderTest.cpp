#include "XyzReader.h"

#include <gtest/gtest.h>

#include "Corpus.h"
#include "MFunction.h"
#include "SmallElements.h"
#include "XyzTextFile.h"
#include "XyzTextReading.h"

namespace {

// A text that reads whole: the x of its atoms in z order and their element indices.
struct ReadCase {
    const char* name;
    std::string_view text;
    std::vector<float> xs;
    std::vector<int> elements;
};

// Every file is read as the program reads it: its bytes decoded, the text opened as a document
// and its first frame read.
class XyzReaderTest : public ::testing::Test {
protected:
    XyzReaderTest()
    {
        LoadSmallElements(elements);
        // Something already on screen, to see what a failure leaves behind.
        atoms.Add(MPoint3DN<float>{7, 7, 7, CarbonIndex, -1});
    }
    XyzReadResult Read(std::string_view bytes) { return ReadFirstFrame(DecodedText(bytes), elements, atoms); }
    std::vector<float> Xs() const
    {
        std::vector<float> xs;
        for (int i = 0; i < atoms.FCount; ++i)
            xs.push_back(atoms.Data[i].x);
        return xs;
    }
    // The text reads whole into atoms with these x (in z order) and element indices.
    void ExpectReadAs(std::string_view text, const std::vector<float>& xs, const std::vector<int>& elementIndices)
    {
        const XyzReadResult result = Read(text);
        EXPECT_EQ(result.outcome, XyzReadOutcome::Read) << result.message;
        EXPECT_EQ(Xs(), xs);
        std::vector<int> found;
        for (int i = 0; i < atoms.FCount; ++i)
            found.push_back(atoms.Data[i].N);
        EXPECT_EQ(found, elementIndices);
    }

    MListAdr<MAtom*> elements;
    MList<MPoint3DN<float>> atoms;
};

TEST_F(XyzReaderTest, ReadsAtomsSortedByDepthWithTheirElements)
{
    const XyzReadResult result = Read("3\nwater and carbon\nC 0 0 2\nH 1 0 1\nCl -1 0 0\n");
    EXPECT_EQ(result.outcome, XyzReadOutcome::Read);
    EXPECT_TRUE(result.message.empty());
    ASSERT_EQ(atoms.FCount, 3);
    EXPECT_EQ(Xs(), (std::vector<float>{-1, 1, 0}));
    EXPECT_EQ(atoms.Data[0].N, ChlorineIndex);
    EXPECT_EQ(atoms.Data[1].N, HydrogenIndex);
    EXPECT_EQ(atoms.Data[2].N, CarbonIndex);
    EXPECT_EQ(atoms.Data[0].Group, -1);
}

TEST_F(XyzReaderTest, FieldsNumbersAndSymbols)
{
    const ReadCase cases[] = {
        {"comma as decimal mark", "2\n\nC 1,5 0 0\nH 1.5 0 1\n", {1.5f, 1.5f}, {CarbonIndex, HydrogenIndex}},
        {"unknown symbols fall back", "2\n\nQ 1 0 0\nXy 2 0 1\n", {1, 2}, {FallbackIndex, FallbackIndex}},
        {"symbols not in the table as written: a number, lower case, a label",
         "3\n\n6 1 0 0\nh 2 0 1\nCl7 3 0 2\n",
         {1, 2, 3},
         {CarbonIndex, HydrogenIndex, ChlorineIndex}},
        {"tab-separated with one-letter symbols loads intact",
         "2\n\nC\t0.5\t1.5\t-2.5\nH\t-1.25\t0.05\t3\n",
         {0.5f, -1.25f},
         {CarbonIndex, HydrogenIndex}},
        {"a sign right after the symbol is kept",
         "2\n\nH 2 2 2\nC -1.5 2 3\n",
         {2, -1.5f},
         {HydrogenIndex, CarbonIndex}},
        {"a digit right after the symbol is no delimiter",
         "2\n\nC 0 0 0\nH 1.2 3.4 5.6\n",
         {0, 1.2f},
         {CarbonIndex, HydrogenIndex}},
        {"a comma after a two-letter symbol is the delimiter",
         "2\n\nCl,1,2,3\nCl,4,,6\n",
         {1, 4},
         {ChlorineIndex, ChlorineIndex}},
        {"the third character, not byte, after a two-byte symbol",
         "2\n\nÅl;1;0;0\nÅl;2;0;1\n",
         {1, 2},
         {FallbackIndex, FallbackIndex}},
        {"a two-byte third character is a letter, no delimiter",
         "2\n\nC 1 0 0\nQÅ 2 0 1\n",
         {1, 2},
         {CarbonIndex, FallbackIndex}},
        {"an underscore of a label is no delimiter",
         "2\n\nCl_7 1.5 0 0\nCl_8 2.5 0 1\n",
         {1.5f, 2.5f},
         {ChlorineIndex, ChlorineIndex}},
        {"Fortran exponents with D",
         "3\n\nC 1.0D+00 0.0D0 -2.5d-1\nH 2.5d-1 0 1D1\nCl -3D0 1,5D0 0\n",
         {1, -3, 0.25f},
         {CarbonIndex, ChlorineIndex, HydrogenIndex}},
        {"a single atom has no line 3 and opens", "1\nlonely\nH 0.25 0 0\n", {0.25f}, {HydrogenIndex}},
        {"no atoms at all", "0\nempty\n", {}, {}},
        {"CR LF line ends and indented lines",
         "2\r\n\r\n  C 1 0 0\r\n  H 2 0 1\r\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReadAs(c.text, c.xs, c.elements);
    }
}

TEST_F(XyzReaderTest, RejectedFilesGetTheirMessagesAndLeaveTheRightState)
{
    struct Case {
        const char* name;
        std::string_view text;
        XyzReadOutcome outcome;
        std::string message;
        std::vector<float> xs;  // what the atom list holds afterwards
    };
    const Case cases[] = {
        {"an atom line after the atoms",
         "1\nc\nH 0 0 0\nH 1 0 0\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 1 atom, 2 atom lines follow",
         {7}},
        {"more atom lines than the count, then a blank tail",
         "2\nc\nH 0 0 0\nH 1 0 0\nH 2 0 0\n\n \n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 2 atoms, 3 atom lines follow",
         {7}},
        {"a negative second count",
         "1\nc\nH 0 0 0\n-1\nc\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 1 atom, 3 atom lines follow",
         {7}},
        {"a line that is no count after two frames",
         "1\nc\nH 0 0 0\n1\nc\nH 0 0 0\nH 1 0 0\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the frame of line 3 holds 1 atom, then line 6 is neither a count line nor "
         "blank",
         {7}},
        {"fewer lines than atoms",
         "3\nc\nH 0 0 0\nH 1 0 0\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 3 atoms, 2 atom lines follow",
         {7}},
        {"the largest count",
         "2147483647\nc\nH 0 0 0\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 2147483647 atoms, 1 atom line follows",
         {7}},
        {"a negative count",
         "-1\nc\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says -1 atoms",
         {7}},
        {"a hexadecimal count",
         "$7FFFFFFF\nc\n",
         XyzReadOutcome::CountMismatch,
         "Error count of lines in file: the count line says 2147483647 atoms, 0 atom lines follow",
         {7}},
        {"five fields with a word among the coordinates",
         "3\n\nC 0 0 3\nH 1 0 x 9\nC 2 0 2\n",
         XyzReadOutcome::BadAtomLine,
         "Error in *.xyz file in line 3",
         {0}},
        {"a declaration whose columns a line lacks",
         "2\nProperties=q:R:1:species:S:1:pos:R:3\n1 C 5 0 3\nH 1 0 1\n",
         XyzReadOutcome::BadAtomLine,
         "Error in *.xyz file in line 3",
         {5}},
        {"three fields", "2\n\nC 5 0 3\nH 1 0\n", XyzReadOutcome::BadAtomLine, "Error in *.xyz file in line 3", {5}},
        {"a blank atom line", "2\n\n\nH 1 0 1\n", XyzReadOutcome::BadAtomLine, "Error in *.xyz file in line 2", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        atoms.Clear();
        atoms.Add(MPoint3DN<float>{7, 7, 7, CarbonIndex, -1});
        const XyzReadResult result = Read(c.text);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.Rebuild(), c.outcome != XyzReadOutcome::CountMismatch);
        EXPECT_EQ(Xs(), c.xs);
    }
}

TEST_F(XyzReaderTest, BlankTailsAndTrajectoriesOpenAtTheirFirstFrame)
{
    struct Case {
        const char* name;
        std::string_view text;
        std::vector<float> xs;
    };
    const Case cases[] = {
        {"an empty line at the end", "1\nc\nH 0.5 0 0\n\n", {0.5f}},
        {"lines of blanks and tabs after CR LF lines", "1\r\nc\r\nH 0.5 0 0\r\n \t\r\n\r\n   ", {0.5f}},
        {"two frames of different counts", "1\nc\nH 0.5 0 0\n2\nc\nC 1 0 0\nC 2 0 0\n", {0.5f}},
        {"frames followed by a blank tail", "1\nc\nH 0.5 0 0\n1\nc\nH 1 0 0\n\n\n", {0.5f}},
        {"an empty frame among them", "1\nc\nH 0.5 0 0\n0\n\n1\nc\nH 1 0 0", {0.5f}},
        {"a bad atom line of a later frame is not read on opening", "1\nc\nH 0.5 0 0\n1\nc\nH x\n", {0.5f}},
        {"a blank line between frames", "1\nc\nH 0.5 0 0\n\n1\nc\nH 1 0 0\n", {0.5f}},
        {"a second frame cut short", "1\nc\nH 0.5 0 0\n2\nc\nH 1 0 0\n", {0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const XyzReadResult result = Read(c.text);
        EXPECT_EQ(result.outcome, XyzReadOutcome::Read) << result.message;
        EXPECT_EQ(Xs(), c.xs);
    }
}

TEST_F(XyzReaderTest, ExtraColumnsAreReadWhereTheLineOrItsDeclarationSays)
{
    const ReadCase cases[] = {
        {"charges after the coordinates", "2\n\nC 1 0 0 -0.5\nH 2 0 1 0,25\n", {1, 2}, {CarbonIndex, HydrogenIndex}},
        {"a residue name after the coordinates",
         "2\n\nC 1 0 0 MOL\nH 2 0 1 MOL\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
        {"the species after the positions",
         "2\nProperties=pos:R:3:species:S:1\n1 0 0 C\n2 0 1 H\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
        {"forces after the positions, beside a lattice",
         "2\nLattice=\"5 0 0 0 5 0 0 0 5\" Properties=species:S:1:pos:R:3:forces:R:3 pbc=\"T T T\"\n"
         "C 1 0 0 9 9 9\nH 2 0 1 x y z\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
        {"an atomic number column first",
         "2\nproperties=Z:I:1:species:S:1:pos:R:3\n6 C 1 0 0\n1 H 2 0 1\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
        {"a column of atomic numbers in place of species",
         "2\nProperties=Z:I:1:pos:R:3\n6 1 0 0\n1 2 0 1\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
        {"atomic numbers after the positions, charges in Fortran notation",
         "2\nProperties=pos:R:3:Z:I:1:q:R:1\n1 0 0 17 -1.0D-01\n2 0 1 1 1.0D-01\n",
         {1, 2},
         {ChlorineIndex, HydrogenIndex}},
        {"a declaration without positions is no declaration",
         "2\nProperties=species:S:1\nC 1 0 0\nH 2 0 1\n",
         {1, 2},
         {CarbonIndex, HydrogenIndex}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReadAs(c.text, c.xs, c.elements);
    }
    // Declared coordinates are read as the four fields of a plain line are.
    EXPECT_THROW(Read("2\nProperties=species:S:1:pos:R:3:q:R:1\nC 1 0 0 q\nH 2 x 1 q\n"), MConvertError);
}

TEST_F(XyzReaderTest, ADeclarationThatNamesNoElementColumnIsToldAndTheLinesReadPlainly)
{
    const XyzReadResult result = Read("2\nProperties=pos:R:3:q:R:1\nC 1 0 0\nH 2 0 1 0.5\n");
    EXPECT_EQ(result.outcome, XyzReadOutcome::Read) << result.message;
    EXPECT_EQ(result.note, "Line 1: Properties= ignored (it declares neither a species nor a Z column of count 1)");
    EXPECT_EQ(Xs(), (std::vector<float>{1, 2}));
}

TEST_F(XyzReaderTest, EqualDepthsKeepTheOrderTheHeapSortLeaves)
{
    ASSERT_EQ(Read("3\n\nC 1 0 0\nC 2 0 0\nC 3 0 0\n").outcome, XyzReadOutcome::Read);
    EXPECT_EQ(Xs(), (std::vector<float>{2, 3, 1}));
}

TEST_F(XyzReaderTest, ConversionAndIndexErrorsAreDistinctAndLeaveTheDocumentedState)
{
    EXPECT_THROW(Read("3 atoms\nc\nH 0 0 0\nH 0 0 1\nH 0 0 2\n"), MConvertError);
    EXPECT_EQ(Xs(), std::vector<float>{7});  // count line: nothing changed

    try {
        Read("4\n\nC 5 0 5\nC 1 0 1\nC 0 x 0\nC 0 0 0\n");
        FAIL() << "no conversion error";
    } catch (const MConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "Error in *.xyz file in line 4: 'x' is not a valid floating point value");
    }
    EXPECT_EQ(Xs(), (std::vector<float>{5, 1}));  // the atoms before it, not sorted

    EXPECT_THROW(Read(""), XyzIndexError);
    EXPECT_THROW(Read("\t2\n\nC 0 0 0\nH 0 0 1\n"), MConvertError);  // only spaces may lead the count

    // A coordinate beyond the single-precision range would be drawn nowhere: it is refused.
    try {
        Read("2\n\nC 1 0 0\nH 1e39 0 1\n");
        FAIL() << "no conversion error";
    } catch (const MConvertError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Error in *.xyz file in line 3: '1e39' is not a valid floating point value");
    }
}

TEST_F(XyzReaderTest, UnknownSymbolWithoutFallbackIsRejectedByName)
{
    MListAdr<MAtom*> withoutFallback;
    LoadSmallElements(withoutFallback, false);
    const XyzReadResult result = ReadFirstFrame("3\n\nC 0 0 1\nQq 0 0 2\nH 0 0 0\n", withoutFallback, atoms);
    EXPECT_EQ(result.outcome, XyzReadOutcome::UnknownElement);
    EXPECT_EQ(result.message, "Unknown element \"Qq\" in *.xyz file in line 3");
    ASSERT_EQ(atoms.FCount, 1);
    EXPECT_EQ(atoms.Data[0].N, CarbonIndex);
}

TEST_F(XyzReaderTest, OffendingTextIsQuotedShortenedWithControlCharactersEscaped)
{
    MListAdr<MAtom*> withoutFallback;
    LoadSmallElements(withoutFallback, false);
    struct Case {
        const char* name;
        std::string symbol;
        std::string quoted;
    };
    const Case cases[] = {
        // Control characters separate fields unless the field is quoted.
        {"escape sequences", "\"X\x1b]0;x\x07\x1b[2J\"", "X\\x1b]0;x\\x07\\x1b[2J"},
        {"a character that reverses the line", "X\xe2\x80\xae", "X\\u202e"},
        {"a symbol of 200 letters", std::string(200, 'Q'), std::string(80, 'Q') + "..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const XyzReadResult result =
            ReadFirstFrame(DecodedText("1\n\n" + c.symbol + " 0 0 1\n"), withoutFallback, atoms);
        EXPECT_EQ(result.outcome, XyzReadOutcome::UnknownElement);
        EXPECT_EQ(result.message, "Unknown element \"" + c.quoted + "\" in *.xyz file in line 2");
    }

    // The count line of a one-line file of a megabyte.
    try {
        Read(std::string(1 << 20, '7') + "\x1b[2J");
        FAIL() << "no conversion error";
    } catch (const MConvertError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "'" + std::string(80, '7')
                      + "...' is not a valid integer value: the first line of an XYZ file "
                        "is its atom count");
    }
}

TEST(XyzReaderCorpus, EveryRealFileLoadsOrFailsWithItsMessage)
{
    const auto files = CorpusXyzFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus of XYZ files beside the project (PELMORA_CORPUS_DIR)";
    MListAdr<MAtom*> elements;
    LoadSmallElements(elements);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        MList<MPoint3DN<float>> atoms;
        try {
            const XyzReadResult result = ReadFirstFrame(LoadXyzTextFile(file.string()), elements, atoms);
            if (result.outcome != XyzReadOutcome::Read) {
                EXPECT_FALSE(result.message.empty());
            }
            for (int i = 0; i < atoms.FCount; ++i)
                ASSERT_TRUE(atoms.Data[i].N >= 0 && atoms.Data[i].N < elements.FCount);
        } catch (const MConvertError& error) {
            EXPECT_NE(std::string(error.what()), "");
        }
    }
}

}  // namespace
