// The element of every distinct symbol of a frame, its rule and its atoms, as the reader tells
// them; the elements chosen for symbols before every rule; and the note on guessed elements.

#include "SymbolElements.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ElementMap.h"
#include "ElementTable.h"
#include "SymbolTally.h"
#include "TextBuffer.h"
#include "XyzTextReading.h"

namespace {

class SymbolElementsTest : public ::testing::Test {
protected:
    SymbolElementsTest()
    {
        TextBuffer table;
        table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
        elements.bAutoDelete = elements.bAutoCreate = true;
        EXPECT_TRUE(LoadAtom(table.Lines(), elements).complete);
    }

    // The rows of the text's first frame as "symbol element rule atoms", read in `runs` runs.
    std::vector<std::string> Rows(const std::string& text, const ElementMap& chosen = {}, int runs = 1)
    {
        const TextLines lines(text);
        const XyzFrameIndex index = IndexXyzFrames(lines);
        MList<MPoint3DN<float>> atoms;
        const XyzReadResult read =
            ReadXyzFrameInRuns(lines, index, 0, XyzDelimiterOfText(lines), elements, atoms, runs, chosen);
        EXPECT_EQ(read.outcome, XyzReadOutcome::Read) << read.message;
        std::vector<std::string> rows;
        for (const SymbolElement& row : read.symbols)
            rows.push_back(row.symbol + " " + elements.Data[row.element]->Name + " "
                           + std::string(ElementRuleName(row.rule)) + " " + std::to_string(row.atoms));
        return rows;
    }

    MListAdr<MAtom*> elements;
};

// An XYZ text of these symbols, one atom each, on a line of their own along x.
std::string Frame(const std::vector<std::string>& symbols)
{
    std::string text = std::to_string(symbols.size()) + "\nsmall\n";
    for (std::size_t i = 0; i < symbols.size(); ++i)
        text += symbols[i] + " " + std::to_string(i) + ".5 0 0\n";
    return text;
}

TEST_F(SymbolElementsTest, EveryDistinctSymbolIsToldWithItsElementRuleAndAtoms)
{
    struct Case {
        const char* name;
        std::vector<std::string> symbols;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"plain water", {"O", "H", "H"}, {"O O as written 1", "H H as written 2"}},
        // A molecular-dynamics dump names atom types by number: water's O = 1, H = 2 reads as H, He.
        {"type-number water dump",
         {"1", "2", "2", "1", "2", "2"},
         {"1 H atomic number 2", "2 He atomic number 4"}},
        // Protein atom names: by the case rule every alpha carbon is calcium, CD cadmium, ...
        {"protein atom names",
         {"N", "CA", "C", "O", "CB", "CD", "NE", "OG", "SG", "HG"},
         {"N N as written 1", "CA Ca case 1", "C C as written 1", "O O as written 1", "CB C label 1",
          "CD Cd case 1", "NE Ne case 1", "OG Og case 1", "SG Sg case 1", "HG Hg case 1"}},
        // Ion and ghost names by the label rule.
        {"ion names",
         {"SOD", "CLA", "POT", "CAL", "NA+", "Bq"},
         {"SOD S label 1", "CLA C label 1", "POT P label 1", "CAL C label 1", "NA+ N label 1", "Bq B label 1"}},
        {"nothing to go by", {"Xx", "C"}, {"Xx - unknown 1", "C C as written 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Rows(Frame(c.symbols)), c.rows);
    }
}

TEST_F(SymbolElementsTest, AChosenElementComesBeforeEveryRule)
{
    const std::string water = Frame({"1", "2", "2"});
    EXPECT_EQ(Rows(water, {{"1", "O"}, {"2", "H"}}), (std::vector<std::string>{"1 O chosen 1", "2 H chosen 2"}));
    // Before "as written" too, and only for the symbol as written (case counts).
    EXPECT_EQ(Rows(Frame({"CA", "Ca", "ca"}), {{"CA", "C"}}),
              (std::vector<std::string>{"CA C chosen 1", "Ca Ca as written 1", "ca Ca case 1"}));
    // An element the table lacks is passed over: the rules decide.
    EXPECT_EQ(Rows(water, {{"1", "Zz"}}), (std::vector<std::string>{"1 H atomic number 1", "2 He atomic number 2"}));
}

TEST_F(SymbolElementsTest, RunsReadAtOnceTellTheSymbolsOfAReadingFromTheTop)
{
    std::vector<std::string> symbols;
    for (int i = 0; i < 3000; ++i)
        symbols.push_back(i % 3 == 0 ? "OW" : (i < 1500 ? "HW1" : "HW2"));
    symbols.push_back("NA+");
    const std::string text = Frame(symbols);
    const std::vector<std::string> expected{"OW O label 1000", "HW1 H label 1000", "HW2 H label 1000",
                                            "NA+ N label 1"};
    for (const int runs : {1, 2, 7})
        EXPECT_EQ(Rows(text, {}, runs), expected) << runs << " runs";
}

TEST_F(SymbolElementsTest, TheRowsAreBoundedAndTheAtomsBeyondThemCounted)
{
    // A symbol per line: a distinct label each, all carbon.
    std::vector<std::string> symbols;
    const std::size_t count = SymbolTally::MostRows + 10;
    for (std::size_t i = 0; i < count; ++i)
        symbols.push_back("C" + std::to_string(i));
    const std::string text = Frame(symbols);
    for (const int runs : {1, 3}) {
        SCOPED_TRACE(runs);
        const TextLines lines(text);
        MList<MPoint3DN<float>> atoms;
        const XyzReadResult read = ReadXyzFrameInRuns(lines, IndexXyzFrames(lines), 0, ' ', elements, atoms, runs);
        ASSERT_EQ(read.symbols.size(), SymbolTally::MostRows);
        EXPECT_EQ(read.symbols.front().symbol, "C0");
        EXPECT_EQ(read.symbolAtomsNotListed, 10);
        // Every atom still has its element.
        for (int i = 0; i < atoms.FCount; ++i)
            ASSERT_EQ(elements.Data[atoms.Data[i].N]->Name, "C");
    }
}

TEST_F(SymbolElementsTest, TheNoteNamesTheSymbolsGuessedByAtomicNumberOrLabelOnly)
{
    const auto note = [&](const std::vector<std::string>& symbols, const ElementMap& chosen = {}) {
        const std::string text = Frame(symbols);
        const TextLines lines(text);
        MList<MPoint3DN<float>> atoms;
        const XyzReadResult read =
            ReadXyzFrameInRuns(lines, IndexXyzFrames(lines), 0, ' ', elements, atoms, 1, chosen);
        return GuessedElementsNote(read.symbols, elements);
    };
    EXPECT_EQ(note({"C", "H", "CA", "c"}), "");
    EXPECT_EQ(note({"1", "2", "SOD", "C"}), "Elements guessed by atomic number: 1 -> H, 2 -> He; by label: SOD -> S");
    EXPECT_EQ(note({"1", "2"}, {{"1", "O"}, {"2", "H"}}), "");
    std::vector<std::string> labels;
    for (int i = 1; i <= 10; ++i)
        labels.push_back("C" + std::to_string(i));
    EXPECT_EQ(note(labels), "Elements guessed by label: C1 -> C, C2 -> C, C3 -> C, C4 -> C, C5 -> C, C6 -> C, "
                            "C7 -> C, C8 -> C and 2 more");
}

TEST(ElementMapTest, TheTextFormReadsBackAndBadEntriesAreRefusedWithTheirText)
{
    const ElementMapParse read = ParseElementMap("1=O,2=H,CA=C,2=He");
    ASSERT_TRUE(read.map);
    EXPECT_EQ(*read.map, (ElementMap{{"1", "O"}, {"2", "He"}, {"CA", "C"}}));
    EXPECT_EQ(ElementMapText(*read.map), "1=O,2=He,CA=C");
    EXPECT_EQ(ParseElementMap(ElementMapText(*read.map)).map, read.map);
    EXPECT_EQ(ParseElementMap("").map, ElementMap{});

    struct Case {
        const char* text;
        const char* error;
    };
    const Case refused[] = {
        {"O", "'O' is no SYMBOL=ELEMENT"},
        {"=O", "'=O' is no SYMBOL=ELEMENT"},
        {"1=", "'1=' is no SYMBOL=ELEMENT"},
        {"1=O,,2=H", "'' is no SYMBOL=ELEMENT"},
        {"1=O=H", "'1=O=H' is no SYMBOL=ELEMENT"},
        {"1 =O", "'1 =O' is no SYMBOL=ELEMENT"},
        {"1=\x1b", "'1=\\x1b' is no SYMBOL=ELEMENT"},
    };
    for (const Case& c : refused) {
        const ElementMapParse parse = ParseElementMap(c.text);
        EXPECT_FALSE(parse.map) << c.text;
        EXPECT_EQ(parse.error, c.error);
    }
    EXPECT_FALSE(ParseElementMap(std::string(ElementMapLongestText + 1, 'x')).map);
}

}  // namespace
