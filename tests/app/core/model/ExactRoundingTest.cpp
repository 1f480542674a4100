// Every rounding to single precision of the model holds in the build that ships.
//
// The expected values come from a plain transcription of each calculation in which every
// rounding goes through a volatile float (ExactFloats.h). The model's results must equal them
// bit for bit on many random inputs, so a rounding that the optimiser drops anywhere shows up as
// a different bit pattern. The numbers of the SVG document are checked in the same way beside
// the drawing (render/SvgExactRoundingTest.cpp).

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ExactFloats.h"
#include "KFactor.h"
#include "MConstants.h"
#include "PeriodicTranslation.h"
#include "Projection.h"
#include "SmallElements.h"

namespace {

constexpr int RandomCases = 20000;

struct Point {
    float x, y, z;
};

Point PlainRotation(Point p, int ax, int ay, int az)
{
    const double aX = Rounded(Pi2 * ax / AngleBarMaximum);
    const double aY = Rounded(Pi2 * ay / AngleBarMaximum);
    const double aZ = Rounded(Pi2 * az / AngleBarMaximum);
    const float x1 = Rounded(std::cos(aY) * p.x + std::sin(aY) * p.z);
    const float z1 = Rounded(-std::sin(aY) * p.x + std::cos(aY) * p.z);
    const float x2 = Rounded(std::cos(aZ) * x1 - std::sin(aZ) * p.y);
    const float y1 = Rounded(std::sin(aZ) * x1 + std::cos(aZ) * p.y);
    const float y2 = Rounded(std::cos(aX) * y1 - std::sin(aX) * z1);
    const float z2 = Rounded(std::sin(aX) * y1 + std::cos(aX) * z1);
    return {x2, y2, z2};
}

TEST(ExactRounding, RotationOfAPointWorkedOutByHand)
{
    // With a rounding between the steps dropped, y comes out as -1.33595228.
    MList<MPoint3DN<float>> source, view;
    source.Add(MPoint3DN<float>{1.64789999f, -3.01830006f, -1.13185f, 0, -1});
    RotatePoints(source, ViewAngles{450, 0, 3599}, view);
    EXPECT_SAME_FLOAT(view.Data[0].y, -1.33595216f);
    EXPECT_SAME_FLOAT(view.Data[0].x, 1.64262891f);
    EXPECT_SAME_FLOAT(view.Data[0].z, -2.93663001f);
}

TEST(ExactRounding, RotationOfRandomPointsAtRandomAngles)
{
    RandomPoints random(20261210);
    MList<MPoint3DN<float>> source, view;
    std::vector<ViewAngles> angles;
    for (int i = 0; i < RandomCases; ++i)
        source.Add(random.Point(0));
    for (int a = 0; a < 8; ++a)
        angles.push_back({random.Angle(), random.Angle(), random.Angle()});
    for (const ViewAngles& angle : angles) {
        SCOPED_TRACE(testing::Message() << angle.Ax << " " << angle.Ay << " " << angle.Az);
        RotatePoints(source, angle, view);
        int differing = 0;
        for (int i = 0; i < source.FCount; ++i) {
            const MPoint3DN<float>& p = source.Data[i];
            const Point expected = PlainRotation({p.x, p.y, p.z}, angle.Ax, angle.Ay, angle.Az);
            differing += Bits(view.Data[i].x) != Bits(expected.x) || Bits(view.Data[i].y) != Bits(expected.y)
                || Bits(view.Data[i].z) != Bits(expected.z);
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(ExactRounding, CentringAndScaleOfRandomStructures)
{
    MListAdr<MAtom*> elements;
    LoadSmallElements(elements);
    float largestRadius = -MaxFloatStart;
    for (int e = 0; e < elements.FCount; ++e)
        largestRadius = std::max(largestRadius, elements.Data[e]->Radius);
    RandomPoints random(7);
    for (int structure = 0; structure < 200; ++structure) {
        MList<MPoint3DN<float>> points;
        for (int i = 0; i < 50; ++i)
            points.Add(random.Point(0));
        const std::vector<MPoint3DN<float>> before(points.Data, points.Data + points.FCount);
        const float kRPoint = KFactor(random.Angle() % 1000 + 1, 1000);
        float scale = 0;
        CenterAndScale(points, elements, kRPoint, 3000, &scale);

        Point min{MaxFloatStart, MaxFloatStart, MaxFloatStart}, max{-MaxFloatStart, -MaxFloatStart, -MaxFloatStart};
        for (const auto& p : before) {
            min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
            max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
        }
        const Point centre{Rounded(double(Rounded(double(min.x) + max.x)) * 0.5),
                           Rounded(double(Rounded(double(min.y) + max.y)) * 0.5),
                           Rounded(double(Rounded(double(min.z) + max.z)) * 0.5)};
        for (int i = 0; i < points.FCount; ++i) {
            EXPECT_SAME_FLOAT(points.Data[i].x, Rounded(double(before[i].x) - centre.x));
            EXPECT_SAME_FLOAT(points.Data[i].y, Rounded(double(before[i].y) - centre.y));
            EXPECT_SAME_FLOAT(points.Data[i].z, Rounded(double(before[i].z) - centre.z));
        }
        const float half = Max3(Rounded(double(max.x) - centre.x), Rounded(double(max.y) - centre.y),
                                Rounded(double(max.z) - centre.z));
        const float reach = Rounded(double(half) * kRPoint * largestRadius * Sqrt2);
        EXPECT_SAME_FLOAT(scale, Rounded(3000 * 0.4347826086956522 / reach));
    }
}

TEST(ExactRounding, StickEndsOfRandomSticks)
{
    MListAdr<MAtom*> elements;
    LoadSmallElements(elements);
    RandomPoints random(99);
    MList<MPoint3DN<float>> view;
    MList<MStickAtoms> sticks;
    MList<MStickEnds> cut;
    for (int i = 0; i < 2 * RandomCases; ++i)
        view.Add(random.Point(i % 2 ? CarbonIndex : HydrogenIndex));
    for (int i = 0; i + 1 < view.FCount; i += 2)
        sticks.Add(MStickAtoms{i, i + 1});
    const float kRPoint = KFactor(731, 1000);
    CutStickEnds(sticks, view, elements, kRPoint, cut);
    int differing = 0;
    for (int s = 0; s < sticks.FCount; ++s) {
        const MPoint3DN<float>& a = view.Data[sticks.Data[s].I1];
        const MPoint3DN<float>& b = view.Data[sticks.Data[s].I2];
        const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
        const float length = Rounded(std::sqrt(dx * dx + dy * dy + dz * dz));
        const float e1 = Rounded(double(kRPoint) * elements.Data[a.N]->Radius / length);
        const float e2 = Rounded(double(kRPoint) * elements.Data[b.N]->Radius / length);
        const Point p2{Rounded(a.x + dx * e1), Rounded(a.y + dy * e1), Rounded(a.z + dz * e1)};
        const Point p1{Rounded(b.x + (double(a.x) - b.x) * e2), Rounded(b.y + (double(a.y) - b.y) * e2),
                       Rounded(b.z + (double(a.z) - b.z) * e2)};
        const MStickEnds& c = cut.Data[s];
        differing += Bits(c.P2.x) != Bits(p2.x) || Bits(c.P2.y) != Bits(p2.y) || Bits(c.P2.z) != Bits(p2.z)
            || Bits(c.P1.x) != Bits(p1.x) || Bits(c.P1.y) != Bits(p1.y) || Bits(c.P1.z) != Bits(p1.z);
    }
    EXPECT_EQ(differing, 0);
}

TEST(ExactRounding, TranslationOfRandomCells)
{
    RandomPoints random(3);
    MList<MPoint3DN<float>> cell, repeated;
    for (int i = 0; i < 200; ++i)
        cell.Add(random.Point(0));
    const TranslationCell lattice{7, 9, 2.459512, 4.26, 0.3333333, -1.1};
    RepeatCell(cell, lattice, repeated);
    ASSERT_EQ(repeated.FCount, 7 * 9 * 200);
    int at = 0, differing = 0;
    for (int i = 0; i < lattice.Nx; ++i)
        for (int j = 0; j < lattice.Ny; ++j)
            for (int k = 0; k < cell.FCount; ++k, ++at) {
                const MPoint3DN<float>& p = cell.Data[k];
                differing += Bits(repeated.Data[at].x) != Bits(Rounded(double(p.x) + i * lattice.Ax + j * lattice.Dx))
                    || Bits(repeated.Data[at].y) != Bits(Rounded(double(p.y) + j * lattice.Ay + i * lattice.Dy));
            }
    EXPECT_EQ(differing, 0);
}

TEST(ExactRounding, FactorsOfEveryBarPosition)
{
    for (int maximum : {100, 1000}) {
        for (int position = 0; position <= maximum; ++position) {
            const float t = Rounded(((position - maximum * 0.5) * 3 / maximum) * 2);
            EXPECT_SAME_FLOAT(KFactor(position, maximum), t > 0 ? Rounded(1.0 + t) : Rounded(1.0 / (1.0 - t)));
        }
    }
}

}  // namespace
