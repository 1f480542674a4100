#include "Projection.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SmallElements.h"

namespace {

class ProjectionTest : public ::testing::Test {
protected:
    ProjectionTest() { LoadSmallElements(elements); }
    MListAdr<MAtom*> elements;
    MList<MPoint3DN<float>> points;
};

TEST(Max3, TiesGoToTheLaterArgument)
{
    EXPECT_EQ(Max3(3, 2, 1), 3);
    EXPECT_EQ(Max3(1, 2, 3), 3);
    EXPECT_EQ(Max3(1, 3, 2), 3);
    EXPECT_TRUE(std::signbit(Max3(0.0f, -0.0f, 0.0f)) == false);
    EXPECT_TRUE(std::signbit(Max3(0.0f, 0.0f, -0.0f)));  // equal values: the last one wins
}

TEST_F(ProjectionTest, CentresOnTheBoxMiddleAndFitsTheBallsToTheBitmap)
{
    points.Add(MPoint3DN<float>{0, 0, 0, CarbonIndex, -1});
    points.Add(MPoint3DN<float>{4, 2, 1, HydrogenIndex, -1});
    float scale = 0;
    CenterAndScale(points, elements, 1.0f, 3000, &scale);
    EXPECT_EQ(points.Data[0].x, -2);
    EXPECT_EQ(points.Data[1].y, 1);
    EXPECT_EQ(points.Data[1].z, 0.5f);
    // Largest half extent 2, largest radius of the whole table 1.02 (chlorine, unused here).
    const float reach = static_cast<float>(2.0 * 1.0 * double(1.02f) * 1.414213562373);
    EXPECT_EQ(scale, static_cast<float>(3000 * 0.4347826086956522 / reach));
}

TEST_F(ProjectionTest, StructureWithoutExtentIsScaledAsIfItWereOneUnitAcross)
{
    // One atom, or two that coincide: whatever the scale was before, the balls get the size
    // they would have in a structure of half extent 1.
    const float reach = static_cast<float>(1.0 * 2.0 * double(1.02f) * 1.414213562373);
    const float expected = static_cast<float>(3000 * 0.4347826086956522 / reach);
    for (int atoms : {1, 2}) {
        SCOPED_TRACE(atoms);
        points.Clear();
        for (int i = 0; i < atoms; ++i)
            points.Add(MPoint3DN<float>{3, 3, 3, CarbonIndex, -1});
        for (float before : {0.0f, 12.5f}) {
            float scale = before;
            CenterAndScale(points, elements, 2.0f, 3000, &scale);
            EXPECT_EQ(scale, expected);
            EXPECT_EQ(points.Data[0].x, 0);
        }
    }
    float scale = 12.5f;
    points.Clear();
    CenterAndScale(points, elements, 1.0f, 3000, &scale);  // nothing to draw: a scale of zero
    EXPECT_EQ(scale, 0.0f);
    CenterAndScale(points, elements, 1.0f, 3000, nullptr);  // no scale asked for: only centring
}

TEST_F(ProjectionTest, RotationQuarterTurnsAndFullTurn)
{
    struct Case {
        const char* name;
        ViewAngles angles;
        float x, y, z;
    };
    const Case cases[] = {
        {"no rotation", {0, 0, 0}, 1, 2, 3},
        {"Ax 900 maps (x, y, z) to (x, -z, y)", {900, 0, 0}, 1, -3, 2},
        {"Ay 900 maps (x, y, z) to (z, y, -x)", {0, 900, 0}, 3, 2, -1},
        {"Az 900 maps (x, y, z) to (-y, x, z)", {0, 0, 900}, -2, 1, 3},
        {"y acts before z", {0, 900, 900}, -2, 3, -1},
        {"3600 is a full turn", {3600, 3600, 3600}, 1, 2, 3},
    };
    points.Add(MPoint3DN<float>{1, 2, 3, HydrogenIndex, 5});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MList<MPoint3DN<float>> view;
        RotatePoints(points, c.angles, view);
        ASSERT_EQ(view.FCount, 1);
        EXPECT_NEAR(view.Data[0].x, c.x, 2e-6);
        EXPECT_NEAR(view.Data[0].y, c.y, 2e-6);
        EXPECT_NEAR(view.Data[0].z, c.z, 2e-6);
        EXPECT_EQ(view.Data[0].N, HydrogenIndex);
        EXPECT_EQ(view.Data[0].Group, 5);
    }
}

TEST_F(ProjectionTest, StickEndsAreCutBackToTheBallsAndCrossWhenBallsOverlap)
{
    MList<MPoint3DN<float>> view;
    view.Add(MPoint3DN<float>{0, 0, 0, CarbonIndex, -1});
    view.Add(MPoint3DN<float>{2, 0, 0, HydrogenIndex, -1});
    view.Add(MPoint3DN<float>{0.5f, 0, 0, CarbonIndex, -1});
    MList<MStickAtoms> sticks;
    MList<MStickEnds> cut;
    sticks.Add(MStickAtoms{0, 1});
    sticks.Add(MStickAtoms{0, 2});
    CutStickEnds(sticks, view, elements, 1.0f, cut);
    ASSERT_EQ(cut.FCount, 2);
    // P2 lies on the ball of I1 (carbon, radius 0.76), P1 on the ball of I2 (hydrogen, 0.31).
    EXPECT_FLOAT_EQ(cut.Data[0].P2.x, 0.76f);
    EXPECT_FLOAT_EQ(cut.Data[0].P1.x, 2 - 0.31f);
    // Two carbons 0.5 apart: each end goes 0.76 past its own centre, so the ends cross.
    EXPECT_FLOAT_EQ(cut.Data[1].P2.x, 0.76f);
    EXPECT_FLOAT_EQ(cut.Data[1].P1.x, 0.5f - 0.76f);
}

}  // namespace
