#include "PeriodicTable.h"

#include <gtest/gtest.h>

#include "ElementTable.h"
#include "TextBuffer.h"

namespace {

// The shipped element table lists the elements by atomic number: the built-in symbols must
// name the same elements in the same order.
TEST(PeriodicTableTest, SymbolsFollowTheShippedTableByAtomicNumber)
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    MListAdr<MAtom*> elements;
    elements.bAutoDelete = elements.bAutoCreate = true;
    ASSERT_TRUE(LoadAtom(table.Lines(), elements).complete);
    ASSERT_GE(elements.FCount, LargestAtomicNumber);
    for (int number = 1; number <= LargestAtomicNumber; ++number)
        EXPECT_EQ(ElementSymbolOfAtomicNumber(number), elements.Data[number - 1]->Name) << number;
    for (const int outside : {-1, 0, LargestAtomicNumber + 1, 1000})
        EXPECT_TRUE(ElementSymbolOfAtomicNumber(outside).empty()) << outside;
}

}  // namespace
