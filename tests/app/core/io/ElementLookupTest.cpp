#include "ElementLookup.h"

#include <gtest/gtest.h>

#include "ElementTable.h"
#include "TextBuffer.h"

namespace {

constexpr int NotFound = -1;

void LoadLines(const std::vector<std::string>& lines, MListAdr<MAtom*>& elements)
{
    elements.bAutoDelete = elements.bAutoCreate = true;
    ASSERT_TRUE(LoadAtom(lines, elements).complete);
}

std::string NameFound(const ElementLookup& lookup, const MListAdr<MAtom*>& elements, std::string_view symbol)
{
    const int index = lookup.Find(symbol, NotFound);
    return index == NotFound ? "(none)" : elements.Data[index]->Name;
}

TEST(ElementLookupTest, SymbolsNotInTheTableAsWrittenAreTriedAsNumbersThenCaseThenLabels)
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    MListAdr<MAtom*> elements;
    LoadLines(table.Lines(), elements);
    const ElementLookup lookup(elements);
    struct Case {
        std::string_view symbol;
        std::string element;
    };
    const Case cases[] = {
        // As written: never reinterpreted, not even where a shorter symbol leads it.
        {"C", "C"},
        {"Co", "Co"},
        {"Sc", "Sc"},
        {"Hg", "Hg"},
        {"-", "-"},
        // Atomic numbers.
        {"1", "H"},
        {"6", "C"},
        {"26", "Fe"},
        {"118", "Og"},
        {"006", "C"},
        {"0", "(none)"},
        {"119", "(none)"},
        {"1000", "(none)"},
        {"+6", "(none)"},
        // Without regard to case: before labels, so "CA" is calcium, not a carbon label.
        {"c", "C"},
        {"mg", "Mg"},
        {"CL", "Cl"},
        {"CA", "Ca"},
        {"b", "B"},
        {"hG", "Hg"},
        // Labels: the longest leading symbol of the table, as written.
        {"Cu1", "Cu"},
        {"C12", "C"},
        {"ClZ", "Cl"},
        {"KZ", "K"},
        {"HW1", "H"},
        {"Cl2", "Cl"},
        {"Hg1", "Hg"},
        {"Ow", "O"},
        {"CB", "C"},
        // Nothing to go by.
        {"A", "(none)"},
        {"pNe", "(none)"},
        {"", "(none)"},
        {"Xx", "(none)"},
        {"12C", "(none)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameFound(lookup, elements, c.symbol), c.element) << '"' << c.symbol << '"';
}

TEST(ElementLookupTest, TheFirstEntryOfANameWinsAndATableMayNameItsEntriesAnyHow)
{
    MListAdr<MAtom*> elements;
    LoadLines(
        {"Symbol\tRadius\tColor\tX", "C\t0.7\t1\t1", "1\t0.3\t2\t1", "c\t0.7\t3\t1", "C\t0.8\t4\t1", "FE\t1\t5\t1"},
        elements);
    const ElementLookup lookup(elements);
    EXPECT_EQ(lookup.Find("C", NotFound), 0);
    EXPECT_EQ(lookup.Find("c", NotFound), 2);  // as written
    EXPECT_EQ(lookup.Find("C7", NotFound), 0);
    EXPECT_EQ(lookup.Find("1", NotFound), 1);          // an entry named "1" is not hydrogen
    EXPECT_EQ(lookup.Find("6", NotFound), 0);          // carbon by number
    EXPECT_EQ(lookup.Find("26", NotFound), NotFound);  // "Fe" is not in the table as written
    EXPECT_EQ(lookup.Find("Fe", NotFound), 4);         // but without regard to case
    EXPECT_EQ(lookup.FindAsWritten("Fe", NotFound), NotFound);
    EXPECT_EQ(lookup.Find("H", 99), 99);
}

}  // namespace
