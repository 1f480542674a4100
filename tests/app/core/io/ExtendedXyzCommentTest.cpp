#include "ExtendedXyzComment.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtendedXyzCommentTest, ValuesAreWordsQuotedTextsOrBracedLists)
{
    const std::string comment =
        R"(energy=-1.5 Lattice="1 0 0 0 2 0 0 0 3" name="a \"b\"" flag pbc = "T T F" list={1 2} Empty= )";
    EXPECT_EQ(ExtendedXyzValue(comment, "energy"), "-1.5");
    EXPECT_EQ(ExtendedXyzValue(comment, "lattice"), "1 0 0 0 2 0 0 0 3");
    EXPECT_EQ(ExtendedXyzValue(comment, "name"), "a \"b\"");
    EXPECT_EQ(ExtendedXyzValue(comment, "pbc"), "T T F");
    EXPECT_EQ(ExtendedXyzValue(comment, "list"), "1 2");
    EXPECT_EQ(ExtendedXyzValue(comment, "empty"), "");
    EXPECT_EQ(ExtendedXyzValue(comment, "flag"), std::nullopt);
    EXPECT_EQ(ExtendedXyzValue(comment, "Properties"), std::nullopt);
    EXPECT_EQ(ExtendedXyzValue("Lattice=\"1 2", "Lattice"), "1 2");  // a quote never closed
    EXPECT_EQ(ExtendedXyzValue("", "Lattice"), std::nullopt);
}

TEST(ExtendedXyzCommentTest, PropertiesGiveTheColumnsOfSpeciesAndPositions)
{
    struct Case {
        const char* comment;
        std::optional<XyzColumns> columns;
    };
    const Case cases[] = {
        {"Properties=species:S:1:pos:R:3", XyzColumns{0, 1}},
        {"Properties=pos:R:3:species:S:1", XyzColumns{3, 0}},
        {"a=1 Properties=Z:I:1:species:S:1:pos:R:3:forces:R:3", XyzColumns{1, 2}},
        {"Properties=species:S:1:map_shift:I:3:pos:R:3", XyzColumns{0, 4}},
        {"PROPERTIES=SPECIES:S:1:POS:R:3", XyzColumns{0, 1}},
        {"Properties=Z:I:1:pos:R:3", XyzColumns{0, 1}},
        {"Properties=pos:R:3:z:I:1", XyzColumns{3, 0}},
        {"Properties=Z:I:3:pos:R:3", std::nullopt},
        {"Properties=species:S:1", std::nullopt},
        {"Properties=species:S:1:pos:R:2", std::nullopt},
        {"Properties=species:S:1:pos:R", std::nullopt},
        {"Properties=species:S:1:pos:R:x", std::nullopt},
        {"Properties=species:S:0:pos:R:3", std::nullopt},
        {"Properties=species:S:1:pos:R:3:q:R:99999999999999999999", std::nullopt},
        {"Properties=", std::nullopt},
        {"species:S:1:pos:R:3", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeclaredXyzColumns(c.comment), c.columns) << c.comment;
    EXPECT_EQ((XyzColumns{3, 0}).FieldsNeeded(), 4u);
    EXPECT_EQ((XyzColumns{1, 4}).FieldsNeeded(), 7u);
}

TEST(ExtendedXyzCommentTest, ALatticeInThePlaneGivesTheStepsOfTheRepeatAsWritten)
{
    const std::optional<XyzPlaneLattice> cell = PlaneLatticeOf(
        "Lattice=\"3.1840664646845926 0.0 0.0 -1.5920332323422963 2,757 0.0 0.0 0.0 18.1\" pbc=\"T T F\"");
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->A1, "3.1840664646845926");
    EXPECT_EQ(cell->A2, "0.0");
    EXPECT_EQ(cell->B1, "-1.5920332323422963");
    EXPECT_EQ(cell->B2, "2,757");
    EXPECT_EQ(cell->Ax, 3.1840664646845926);
    EXPECT_EQ(cell->Dy, 0.0);
    EXPECT_EQ(cell->Dx, -1.5920332323422963);
    EXPECT_EQ(cell->Ay, 2.757);

    for (const char* refused : {
             "Lattice=\"1 0 0.5 0 1 0 0 0 1\"",   // a leaves the plane
             "Lattice=\"1 0 0 0 1 2e-6 0 0 1\"",  // so does b, a little
             "Lattice=\"1 0 0 0 1 0 0 0\"",       // eight numbers
             "Lattice=\"1 0 0 0 1 0 0 0 1 1\"",   // ten
             "Lattice=\"1 0 0 0 x 0 0 0 1\"",
             "Lattice=\"1e39 0 0 0 1 0 0 0 1\"",  // beyond what the edits take
             "Lattice=1",
             "cell=\"1 0 0 0 1 0 0 0 1\"",
             "Lattice=\"1 0 0 0 1 0 0 0 1\" pbc=\"F F T\"",
         })
        EXPECT_FALSE(PlaneLatticeOf(refused)) << refused;
}

// Why a cell is not taken: which vectors leave the plane, or what pbc= says.
TEST(ExtendedXyzCommentTest, ACellThatIsNotTakenSaysWhy)
{
    struct Case {
        const char* comment;
        const char* why;
    };
    const Case cases[] = {
        {"Lattice=\"1 0 0.5 0 1 0 0 0 1\"", "its vector a = (1 0 0.5) does not lie in the x-y plane"},
        {"Lattice=\"1 0 0 0 1 -0.1 0 0 1\"", "its vector b = (0 1 -0.1) does not lie in the x-y plane"},
        {"Lattice=\"0 0 2 0 1 3 1 0 0\"", "its vectors a = (0 0 2) and b = (0 1 3) do not lie in the x-y plane"},
        {"Lattice=\"1 0 0 0 1 0 0 0 1\" pbc=\"F F T\"", "pbc=\"F F T\" says the cell does not repeat along a and b"},
        {"pbc=\"false false false\" Lattice=\"1 0 0 0 1 0 0 0 1\"",
         "pbc=\"false false false\" says the cell does not repeat along a and b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comment);
        const XyzDeclaration<XyzPlaneLattice> cell = PlaneLatticeDeclaredBy(c.comment);
        EXPECT_FALSE(cell.value);
        EXPECT_EQ(cell.ignored, c.why);
    }
}

// A component within 1e-6 of zero is zero: the cell lies in the plane, and its edits read "0".
TEST(ExtendedXyzCommentTest, ComponentsCloseToZeroAreZero)
{
    for (const char* pbc : {"", " pbc=\"T T F\"", " pbc=\"T F F\"", " pbc=\"F T F\"", " pbc=\"T\""}) {
        SCOPED_TRACE(pbc);
        const std::optional<XyzPlaneLattice> cell =
            PlaneLatticeOf(std::string("Lattice=\"4.5 2.4e-17 1e-6 -3e-7 4.5 -1e-6 0 0 20\"") + pbc);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->A2, "0");
        EXPECT_EQ(cell->B1, "0");
        EXPECT_EQ(cell->Dy, 0.0);
        EXPECT_EQ(cell->Dx, 0.0);
        EXPECT_EQ(cell->A1, "4.5");
    }
}

}  // namespace
