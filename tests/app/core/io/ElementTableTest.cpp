#include "ElementTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "MFunction.h"
#include "SmallElementLines.h"
#include "SmallElements.h"

namespace {

class ElementTableTest : public ::testing::Test {
protected:
    ElementTableTest()
    {
        elements.bAutoDelete = true;
        elements.bAutoCreate = true;
    }
    MListAdr<MAtom*> elements;
};

TEST_F(ElementTableTest, ReadsEveryLineAfterTheHeader)
{
    const ElementTableResult result = LoadAtom(SmallElementLines(), elements);
    EXPECT_TRUE(result.complete);
    ASSERT_EQ(elements.FCount, 4);
    const MAtom& chlorine = *elements.Data[ChlorineIndex];
    EXPECT_EQ(chlorine.Name, "Cl");
    EXPECT_FLOAT_EQ(chlorine.Radius, 1.02f);
    EXPECT_FLOAT_EQ(chlorine.RadiusLink, 1.02f);  // the radius, not the fourth field
    EXPECT_EQ(chlorine.Color, 0x001FF01F);
}

// The tests below the reading of files build the small table's records without reading its
// lines: they must be exactly the records the reader makes, bit for bit, with and without the
// fallback.
TEST_F(ElementTableTest, TheSmallTablesLinesReadAsItsRecords)
{
    for (const bool withFallback : {true, false}) {
        SCOPED_TRACE(withFallback ? "with the fallback" : "without it");
        std::vector<std::string> lines = SmallElementLines();
        if (!withFallback)
            lines.pop_back();
        ASSERT_TRUE(LoadAtom(lines, elements).complete);
        MListAdr<MAtom*> records;
        LoadSmallElements(records, withFallback);
        ASSERT_EQ(elements.FCount, records.FCount);
        for (int e = 0; e < records.FCount; ++e) {
            SCOPED_TRACE(records.Data[e]->Name);
            EXPECT_EQ(elements.Data[e]->Name, records.Data[e]->Name);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(elements.Data[e]->Radius),
                      std::bit_cast<std::uint32_t>(records.Data[e]->Radius));
            EXPECT_EQ(std::bit_cast<std::uint32_t>(elements.Data[e]->RadiusLink),
                      std::bit_cast<std::uint32_t>(records.Data[e]->RadiusLink));
            EXPECT_EQ(elements.Data[e]->Color, records.Data[e]->Color);
        }
    }
    // The indexes name the elements of the table as read.
    ASSERT_TRUE(LoadAtom(SmallElementLines(), elements).complete);
    EXPECT_EQ(elements.Data[CarbonIndex]->Name, "C");
    EXPECT_EQ(elements.Data[HydrogenIndex]->Name, "H");
    EXPECT_EQ(elements.Data[ChlorineIndex]->Name, "Cl");
    EXPECT_EQ(elements.Data[FallbackIndex]->Name, "-");
}

TEST_F(ElementTableTest, ExtraFieldsCommasAndHexPrefixesAreAccepted)
{
    const ElementTableResult result = LoadAtom({"header", "Na\t1,66\t$F25CAB\t2.27\tSodium\textra"}, elements);
    EXPECT_TRUE(result.complete);
    ASSERT_EQ(elements.FCount, 1);
    EXPECT_FLOAT_EQ(elements.Data[0]->Radius, 1.66f);
    EXPECT_EQ(elements.Data[0]->Color, 0xF25CAB);
}

TEST_F(ElementTableTest, ShortLineStopsReadingAndKeepsEarlierEntries)
{
    const ElementTableResult result =
        LoadAtom({"header", "C\t0.76\t0x00909090\t1.7", "H\t0.31\t0x00FFFFFF", "O\t0.66\t0x000D0DFF\t1.5"}, elements);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.message, "Error in file Atom.txt in line 2");
    EXPECT_EQ(result.line, 2);
    ASSERT_EQ(elements.FCount, 1);
    EXPECT_EQ(elements.Data[0]->Name, "C");
}

TEST_F(ElementTableTest, ATableWithoutElementLinesIsNotComplete)
{
    const std::vector<std::string> tables[] = {{}, {"Symbol\tRadius\tColor\tRadiusVdW"}};
    for (const std::vector<std::string>& lines : tables) {
        SCOPED_TRACE(lines.size());
        (void)LoadAtom(SmallElementLines(), elements);
        const ElementTableResult result = LoadAtom(lines, elements);
        EXPECT_FALSE(result.complete);
        EXPECT_EQ(result.message, "The element table Atom.txt has no elements");
        EXPECT_EQ(result.line, -1);
        EXPECT_EQ(elements.FCount, 0);
    }
    // An empty line after the header is an element line without fields.
    const ElementTableResult blank = LoadAtom({"header", ""}, elements);
    EXPECT_FALSE(blank.complete);
    EXPECT_EQ(blank.message, "Error in file Atom.txt in line 1");
}

TEST_F(ElementTableTest, ReloadReplacesTheTable)
{
    (void)LoadAtom(SmallElementLines(), elements);
    (void)LoadAtom({"header", "Xx\t1\t0\t1"}, elements);
    ASSERT_EQ(elements.FCount, 1);
    EXPECT_EQ(elements.Data[0]->Name, "Xx");
}

TEST_F(ElementTableTest, ValueThatDoesNotConvertLeavesThePartlyFilledEntry)
{
    struct Case {
        const char* name;
        std::string line;
        bool radiusSet;
    };
    const Case cases[] = {
        {"bad radius", "C\tabc\t0x00909090\t1.7", false},
        {"bad colour", "C\t0.76\t0x0090909G\t1.7", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            (void)LoadAtom({"header", "H\t0.31\t0\t1", c.line, "O\t0.66\t0\t1.5"}, elements);
            FAIL() << "no conversion error";
        } catch (const MConvertError& error) {
            EXPECT_NE(std::string(error.what()).find(c.radiusSet ? "0x0090909G" : "abc"), std::string::npos);
        }
        ASSERT_EQ(elements.FCount, 2);
        EXPECT_EQ(elements.Data[1]->Name, "C");
        EXPECT_EQ(elements.Data[1]->Radius, c.radiusSet ? 0.76f : 0.0f);
        EXPECT_EQ(elements.Data[1]->Color, 0);
    }
}

}  // namespace
