#include "FileAtoms.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "ElementFixture.h"
#include "ElementTable.h"
#include "XyzDocument.h"

namespace {

// n atom lines: a carbon at (i, -i, z) with z falling and rising so the depth sort mixes them;
// every tenth line a hydrogen labelled H<i>.
std::string Frame(int n, int badLine = -1)
{
    std::string text = std::to_string(n) + "\ncomment\n";
    for (int i = 0; i < n; ++i) {
        if (i == badLine) {
            text += "C 1 2\n";  // three fields: the reader stops here
            continue;
        }
        const std::string symbol = i % 10 == 9 ? "H" + std::to_string(i) : "C";
        text +=
            symbol + " " + std::to_string(i) + " " + std::to_string(-i) + " " + std::to_string((i * 37) % 101) + "\n";
    }
    return text;
}

TEST(FileAtoms, EveryAtomAsTheReaderSortedItNamesItsLineAndSymbol)
{
    struct Case {
        const char* name;
        std::string text;
        int frame;
        int atoms;          // read before any bad line
        int firstAtomLine;  // 1-based
        ElementMap chosen = {};
    };
    const Case cases[] = {
        {"a small frame", Frame(25), 1, 25, 3},
        {"a frame of many runs of lines", Frame(90000), 1, 90000, 3},
        {"a bad line in the first run: none of the later runs", Frame(90000, 20001), 1, 20001, 3},
        {"the second frame of a trajectory", Frame(12) + Frame(30), 2, 30, 12 + 2 + 3},
        {"two atoms at one place", "3\n\nC 1 1 1\nO 0 0 0\nC 1 1 1\n", 1, 3, 3},
        {"the second frame after blank lines", Frame(12) + "\n \n" + Frame(30), 2, 30, 12 + 2 + 2 + 3},
        {"elements chosen for symbols", "3\n\n1 0 0 0\n1 1 0 0\n6 2 0 0\n", 1, 3, 3, {{"1", "C"}}},
    };
    MListAdr<MAtom*> elements;
    elements.bAutoDelete = true;
    elements.bAutoCreate = true;
    ASSERT_TRUE(LoadAtom(SmallElementLines(), elements).complete);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = std::make_shared<const XyzDocument>(c.text);
        MList<MPoint3DN<float>> atoms;
        (void)document->ReadFrame(c.frame, elements, atoms, c.chosen);
        ASSERT_EQ(atoms.FCount, c.atoms);
        FileAtoms file(document);
        std::set<std::int64_t> lines;
        for (int k = 0; k < atoms.FCount; ++k) {
            const std::optional<FileAtom> found = file.Of(c.frame, elements, c.chosen, atoms, k);
            ASSERT_TRUE(found.has_value()) << k;
            ASSERT_EQ(found->Line, c.firstAtomLine + found->Number - 1);
            ASSERT_TRUE(lines.insert(found->Line).second) << "line " << found->Line << " twice";
            // The line's own atom is the one the reader placed at k.
            const MPoint3DN<float>& atom = atoms.Data[k];
            if (c.atoms > 3) {
                const std::int64_t i = found->Number - 1;
                ASSERT_EQ(atom.x, static_cast<float>(i));
                ASSERT_EQ(atom.y, static_cast<float>(-i));
                ASSERT_EQ(found->Symbol, i % 10 == 9 ? "H" + std::to_string(i) : "C");
            }
        }
        EXPECT_EQ(file.Of(c.frame, elements, c.chosen, atoms, atoms.FCount), std::nullopt);
        EXPECT_EQ(file.Of(c.frame + 5, elements, c.chosen, atoms, 0), std::nullopt);
    }
}

}  // namespace
