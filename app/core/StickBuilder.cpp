#include "StickBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "PointDistance.h"
#include "SpatialGrid.h"

namespace {

struct Neighbour {
    std::uint32_t index;
    bool operator<(const Neighbour& other) const { return index < other.index; }
};

void AppendStick(MList<MStick<float>>& sticks, std::span<const MPoint3DN<float>> points, std::uint32_t i,
                 std::uint32_t j)
{
    MStick<float> stick;
    stick.P1 = points[i];
    stick.P2 = points[j];
    stick.I1 = static_cast<std::int32_t>(i);
    stick.I2 = static_cast<std::int32_t>(j);
    sticks.Add(stick);
}

// Tests every ordered pair. Used when no grid can be laid (a threshold that is not finite).
void BuildSticksByPairs(std::span<const MPoint3DN<float>> points, const std::vector<float>& radiusLink,
                        float kMin, MList<MStick<float>>& sticks)
{
    for (std::uint32_t i = 0; i < points.size(); ++i)
        for (std::uint32_t j = 0; j < points.size(); ++j)
            if (i != j && PointDistance(points[i], points[j]) <= StickThreshold(radiusLink[i], radiusLink[j], kMin))
                AppendStick(sticks, points, i, j);
}

}  // namespace

void BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements, float kMin,
                 MList<MStick<float>>& sticks)
{
    sticks.Clear();
    if (points.size() < 2)
        return;
    std::vector<float> radiusLink(points.size());
    float largestRadius = -std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < points.size(); ++i) {
        radiusLink[i] = elements[static_cast<std::size_t>(points[i].N)]->RadiusLink;
        if (radiusLink[i] > largestRadius)
            largestRadius = radiusLink[i];
    }
    // No pair threshold exceeds the one of two atoms of the largest radius (rounding is monotone).
    const float reach = StickThreshold(largestRadius, largestRadius, kMin);
    if (std::isinf(reach) && reach > 0) {
        BuildSticksByPairs(points, radiusLink, kMin, sticks);
        return;
    }
    if (!(reach >= 0))
        return;  // every threshold is negative or undefined: no distance passes
    // With a reach of zero only coincident atoms can pass; any cell size finds those.
    const SpatialGrid grid(points, reach > 0 ? double(reach) : 1.0);
    std::vector<Neighbour> near;
    for (std::uint32_t i = 0; i < points.size(); ++i) {
        near.clear();
        grid.ForEachNear(points[i], [&](std::uint32_t j) {
            if (j != i && PointDistance(points[i], points[j]) <= StickThreshold(radiusLink[i], radiusLink[j], kMin))
                near.push_back(Neighbour{j});
        });
        std::sort(near.begin(), near.end());
        for (const Neighbour& j : near)
            AppendStick(sticks, points, i, j.index);
    }
}
