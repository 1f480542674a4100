#include "Projection.h"

#include <cmath>

#include "LargeLists.h"
#include "MConstants.h"
#include "MSingle.h"
#include "WorkerPool.h"

namespace {

// One over 2.3: the structure's largest half extent, with its balls, takes this share of the
// bitmap's width.
constexpr double FitShare = 0.4347826086956522;

// Points or sticks per part of a parallel pass.
constexpr std::int64_t ItemsPerPart = 32768;

// The half extent given to a structure that has none.
constexpr float PointHalfExtent = 1;

float LargestRadius(const MListAdr<MAtom*>& elements)
{
    float largest = -MaxFloatStart;
    for (int e = 0; e < elements.FCount; ++e)
        if (elements.Data[e]->Radius > largest)
            largest = elements.Data[e]->Radius;
    return largest;
}

}  // namespace

void GetMinMax(const MList<MPoint3DN<float>>& points, Point3& max, Point3& min)
{
    max = {-MaxFloatStart, -MaxFloatStart, -MaxFloatStart};
    min = {MaxFloatStart, MaxFloatStart, MaxFloatStart};
    for (int i = 0; i < points.FCount; ++i) {
        const MPoint3DN<float>& p = points.Data[i];
        if (p.x < min.x)
            min.x = p.x;
        if (p.y < min.y)
            min.y = p.y;
        if (p.z < min.z)
            min.z = p.z;
        if (p.x > max.x)
            max.x = p.x;
        if (p.y > max.y)
            max.y = p.y;
        if (p.z > max.z)
            max.z = p.z;
    }
}

float Max3(float a, float b, float c)
{
    if (a > b)
        return a > c ? a : c;
    return b > c ? b : c;
}

void CenterAndScale(MList<MPoint3DN<float>>& points, const MListAdr<MAtom*>& elements, float kRPoint, int bitmapWidth,
                    float* scale)
{
    Point3 max, min;
    GetMinMax(points, max, min);
    const Point3 center{ToSingle(double(ToSingle(double(min.x) + max.x)) * 0.5),
                        ToSingle(double(ToSingle(double(min.y) + max.y)) * 0.5),
                        ToSingle(double(ToSingle(double(min.z) + max.z)) * 0.5)};
    const float largestRadius = LargestRadius(elements);
    for (int i = 0; i < points.FCount; ++i) {
        MPoint3DN<float>& p = points.Data[i];
        p.x = ToSingle(double(p.x) - center.x);
        p.y = ToSingle(double(p.y) - center.y);
        p.z = ToSingle(double(p.z) - center.z);
    }
    if (!scale)
        return;
    float halfExtent = Max3(ToSingle(double(max.x) - center.x), ToSingle(double(max.y) - center.y),
                            ToSingle(double(max.z) - center.z));
    // A single atom, or atoms that all coincide, have no extent; drawn at the scale of whatever
    // was shown before (or at zero) they would be invisible, so they get the scale of a structure
    // one model unit in half extent.
    if (halfExtent == 0 && points.FCount > 0)
        halfExtent = PointHalfExtent;
    const float reach = ToSingle(double(halfExtent) * kRPoint * largestRadius * Sqrt2);
    if (reach != 0)
        *scale = ToSingle(bitmapWidth * FitShare / reach);
}

float AngleOfPosition(int position, int maximum) { return ToSingle(Pi2 * position / maximum); }

void RotatePoints(const MList<MPoint3DN<float>>& source, const ViewAngles& angles, MList<MPoint3DN<float>>& view)
{
    const double aX = AngleOfPosition(angles.Ax), aY = AngleOfPosition(angles.Ay), aZ = AngleOfPosition(angles.Az);
    const double cosX = std::cos(aX), sinX = std::sin(aX);
    const double cosY = std::cos(aY), sinY = std::sin(aY);
    const double cosZ = std::cos(aZ), sinZ = std::sin(aZ);
    SetCountForWriting(view, source.FCount);
    ParallelRanges(source.FCount, ItemsPerPart, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = static_cast<int>(begin); i < static_cast<int>(end); ++i) {
            MPoint3DN<float> p = source.Data[i];
            // About y, then z, then x; each step rounds its two new coordinates to single precision.
            const float x1 = ToSingle(cosY * p.x + sinY * p.z);
            const float z1 = ToSingle(-sinY * p.x + cosY * p.z);
            const float x2 = ToSingle(cosZ * x1 - sinZ * p.y);
            const float y1 = ToSingle(sinZ * x1 + cosZ * p.y);
            const float y2 = ToSingle(cosX * y1 - sinX * z1);
            const float z2 = ToSingle(sinX * y1 + cosX * z1);
            p.x = x2;
            p.y = y2;
            p.z = z2;
            view.Data[i] = p;
        }
    });
}

MStickEnds CutStickEnds(const MStickAtoms& stick, const MList<MPoint3DN<float>>& view, const MListAdr<MAtom*>& elements,
                        float kRPoint)
{
    const MPoint3DN<float>& a = view.Data[stick.I1];
    const MPoint3DN<float>& b = view.Data[stick.I2];
    const float length =
        ToSingle(std::sqrt((double(b.x) - a.x) * (double(b.x) - a.x) + (double(b.y) - a.y) * (double(b.y) - a.y)
                           + (double(b.z) - a.z) * (double(b.z) - a.z)));
    const float e1 = ToSingle(double(kRPoint) * elements.Data[a.N]->Radius / length);
    const float e2 = ToSingle(double(kRPoint) * elements.Data[b.N]->Radius / length);
    MStickEnds cut;
    cut.P2.x = ToSingle(a.x + (double(b.x) - a.x) * e1);
    cut.P2.y = ToSingle(a.y + (double(b.y) - a.y) * e1);
    cut.P2.z = ToSingle(a.z + (double(b.z) - a.z) * e1);
    cut.P1.x = ToSingle(b.x + (double(a.x) - b.x) * e2);
    cut.P1.y = ToSingle(b.y + (double(a.y) - b.y) * e2);
    cut.P1.z = ToSingle(b.z + (double(a.z) - b.z) * e2);
    return cut;
}

void CutStickEnds(const MList<MStickAtoms>& sticks, const MList<MPoint3DN<float>>& view,
                  const MListAdr<MAtom*>& elements, float kRPoint, MList<MStickEnds>& stickView)
{
    SetCountForWriting(stickView, sticks.FCount);
    ParallelRanges(sticks.FCount, ItemsPerPart, [&](std::int64_t begin, std::int64_t end) {
        for (auto s = static_cast<int>(begin); s < static_cast<int>(end); ++s)
            stickView.Data[s] = CutStickEnds(sticks.Data[s], view, elements, kRPoint);
    });
}
