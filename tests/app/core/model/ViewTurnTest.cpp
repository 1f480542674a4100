#include "ViewTurn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "Projection.h"

namespace {

// Each of the three bar angles is a multiple of 0.1 degree: the result can miss the exact turn
// by at most half a step on each of them.
constexpr double QuantisationDegrees = 3 * 0.05;

// The rotation the bars make, taken from the projection itself: its columns are the rotated axes.
ViewMatrix RotationByProjection(const ViewAngles& angles)
{
    MList<MPoint3DN<float>> axes, view;
    axes.Add({1, 0, 0, 0, -1});
    axes.Add({0, 1, 0, 0, -1});
    axes.Add({0, 0, 1, 0, -1});
    RotatePoints(axes, angles, view);
    ViewMatrix m;
    for (int c = 0; c < 3; ++c) {
        m.m[0][c] = view.Data[c].x;
        m.m[1][c] = view.Data[c].y;
        m.m[2][c] = view.Data[c].z;
    }
    return m;
}

ViewMatrix Times(const ViewMatrix& a, const ViewMatrix& b)
{
    ViewMatrix product;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            product.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c];
    return product;
}

// The turn of a drag in the screen's frame, written out apart from the code under test.
ViewMatrix ScreenTurnOf(double dx, double dy, bool aboutDepth, double pixelsPerHalfTurn)
{
    const double pi = std::acos(-1.0);
    if (aboutDepth) {
        const double a = pi * dx / pixelsPerHalfTurn;
        return {{{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}}};
    }
    const double y = pi * dx / pixelsPerHalfTurn;   // about the screen's vertical axis
    const double x = -pi * dy / pixelsPerHalfTurn;  // about its horizontal axis; rows grow down
    const ViewMatrix aboutY{{{std::cos(y), 0, std::sin(y)}, {0, 1, 0}, {-std::sin(y), 0, std::cos(y)}}};
    const ViewMatrix aboutX{{{1, 0, 0}, {0, std::cos(x), -std::sin(x)}, {0, std::sin(x), std::cos(x)}}};
    return Times(aboutX, aboutY);
}

bool OnBars(const ViewAngles& a)
{
    return a.Ax >= 0 && a.Ax < AngleBarMaximum && a.Ay >= 0 && a.Ay < AngleBarMaximum && a.Az >= 0
        && a.Az < AngleBarMaximum;
}

TEST(TurnedByDrag, ComposesTheScreenTurnWithTheRotationOfTheBarsAtAnyOrientation)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> position(0, AngleBarMaximum);
    std::uniform_real_distribution<double> drag(-400, 400);
    for (int trial = 0; trial < 2000; ++trial) {
        const ViewAngles now{position(random), position(random), position(random)};
        const double dx = drag(random), dy = drag(random);
        const bool aboutDepth = trial % 4 == 0;
        const ViewAngles turned = TurnedByDrag(now, dx, dy, aboutDepth, 500);
        SCOPED_TRACE(testing::Message() << "from " << now.Ax << " " << now.Ay << " " << now.Az << " by " << dx << ", "
                                        << dy << (aboutDepth ? " about depth" : ""));
        ASSERT_TRUE(OnBars(turned));
        const ViewMatrix wanted = Times(ScreenTurnOf(dx, dy, aboutDepth, 500), RotationByProjection(now));
        ASSERT_LE(DegreesBetween(RotationByProjection(turned), wanted), QuantisationDegrees);
    }
}

TEST(TurnedByDrag, NearThePolesWhereTheAnglesDegenerate)
{
    // The z bar at 90 or 270 degrees leaves only the sum or difference of the other two fixed;
    // drags that end there, start there, or pass within a step of it.
    struct Case {
        const char* name;
        ViewAngles now;
        double dx, dy;
    };
    const Case cases[] = {
        {"at the pole, small drag", {300, 700, 900}, 3, -2},
        {"at the other pole", {1234, 50, 2700}, -7, 11},
        {"a tenth of a degree short of it", {10, 20, 899}, 0.5, 0.25},
        {"onto the pole", {0, 0, 0}, 0, 0},
        {"no drag at the pole", {450, 450, 900}, 0, 0},
        {"a half turn about the vertical axis", {100, 200, 300}, 500, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool aboutDepth : {false, true}) {
            const ViewAngles turned = TurnedByDrag(c.now, c.dx, c.dy, aboutDepth, 500);
            EXPECT_TRUE(OnBars(turned));
            const ViewMatrix wanted = Times(ScreenTurnOf(c.dx, c.dy, aboutDepth, 500), RotationByProjection(c.now));
            EXPECT_LE(DegreesBetween(RotationByProjection(turned), wanted), QuantisationDegrees);
        }
    }
    // Without a drag the picture does not move, even where other bar positions give it.
    const ViewAngles pole{450, 450, 900};
    EXPECT_LE(DegreesBetween(RotationByProjection(TurnedByDrag(pole, 0, 0, false, 500)), RotationByProjection(pole)),
              QuantisationDegrees);
}

TEST(TurnedByDrag, TheNearSideFollowsTheMouse)
{
    // The atom nearest the viewer (view (0, 0, 1)) and one at the top of the picture (view
    // (0, -1, 0); rows grow downwards) at several orientations: how they move on the picture.
    struct Case {
        const char* name;
        double dx, dy;
        bool aboutDepth;
        double nearX, nearY;  // direction the near atom moves on the picture
        double topX;          // direction the top atom moves across
    };
    const Case cases[] = {
        {"drag right", 20, 0, false, 1, 0, 0},
        {"drag left", -20, 0, false, -1, 0, 0},
        {"drag up", 0, -20, false, 0, -1, 0},
        {"drag down", 0, 20, false, 0, 1, 0},
        {"Shift, drag right: clockwise", 20, 0, true, 0, 0, 1},
        {"Shift, drag left: anticlockwise", -20, 0, true, 0, 0, -1},
    };
    const ViewAngles orientations[] = {{0, 0, 0}, {900, 0, 2700}, {1800, 0, 0}, {123, 2345, 3456}, {450, 0, 900}};
    for (const ViewAngles& now : orientations)
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " from " << now.Ax << " " << now.Ay << " " << now.Az);
            // The model points that the bars show nearest and at the top: R^T of the view points.
            const ViewMatrix r = RotationByProjection(now);
            MList<MPoint3DN<float>> model, view;
            model.Add({float(r.m[2][0]), float(r.m[2][1]), float(r.m[2][2]), 0, -1});
            model.Add({float(-r.m[1][0]), float(-r.m[1][1]), float(-r.m[1][2]), 0, -1});
            RotatePoints(model, TurnedByDrag(now, c.dx, c.dy, c.aboutDepth, 500), view);
            const MPoint3DN<float>& nearest = view.Data[0];
            const MPoint3DN<float>& top = view.Data[1];
            constexpr double Moved = 0.05;  // 20 pixels of 500 per half turn: sin 7.2 degrees = 0.125
            EXPECT_GT(nearest.x * c.nearX + nearest.y * c.nearY, c.nearX != 0 || c.nearY != 0 ? Moved : -1);
            if (c.aboutDepth) {
                EXPECT_GT(top.x * c.topX, Moved);
                EXPECT_NEAR(nearest.z, 1, 1e-3);  // a turn about the depth axis keeps the near side
            }
        }
}

TEST(TurnedByDrag, ADragThatCannotTurnLeavesTheBars)
{
    const ViewAngles now{100, 200, 300};
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double dx, dy, pixelsPerHalfTurn;
    };
    const Case cases[] = {
        {"no pixels per half turn", 10, 10, 0}, {"negative pixels per half turn", 10, 10, -5},
        {"infinite drag", infinity, 0, 500},    {"drag not a number", 0, nan, 500},
        {"half turn not a number", 3, 4, nan},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ViewAngles turned = TurnedByDrag(now, c.dx, c.dy, false, c.pixelsPerHalfTurn);
        EXPECT_EQ(turned.Ax, now.Ax);
        EXPECT_EQ(turned.Ay, now.Ay);
        EXPECT_EQ(turned.Az, now.Az);
    }
}

}  // namespace
