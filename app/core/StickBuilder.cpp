#include "StickBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "LargeBuffers.h"
#include "PointDistance.h"
#include "SpatialGrid.h"
#include "WorkerPool.h"

namespace {

// Points searched per part: enough work to pay for handing the part to a thread.
constexpr std::int64_t PointsPerPart = 8192;
// How far the squared-distance test stays above the largest threshold, relative to it.
constexpr double FarMargin = 0x1p-30;
// Below this many neighbours a plain insertion sort is the quickest way to ascending order.
constexpr std::size_t SmallNeighbourCount = 24;

void AppendStick(std::vector<MStickAtoms>& sticks, std::uint32_t i, std::uint32_t j)
{
    sticks.push_back(MStickAtoms{static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)});
}

// Tests every ordered pair. Used when no grid can be laid (a threshold that is not finite).
void BuildSticksByPairs(std::span<const MPoint3DN<float>> points, const std::vector<float>& radiusLink,
                        float kMin, std::vector<MStickAtoms>& sticks)
{
    for (std::uint32_t i = 0; i < points.size(); ++i)
        for (std::uint32_t j = 0; j < points.size(); ++j)
            if (i != j && PointDistance(points[i], points[j]) <= StickThreshold(radiusLink[i], radiusLink[j], kMin))
                AppendStick(sticks, i, j);
}

// The neighbours of one point, gathered cell by cell: every cell gives an ascending run.
class NeighbourRuns {
public:
    void Clear()
    {
        values_.clear();
        runEnds_.clear();
    }
    void Add(std::uint32_t j) { values_.push_back(j); }
    void EndRun()
    {
        if (values_.size() > (runEnds_.empty() ? 0 : runEnds_.back()))
            runEnds_.push_back(values_.size());
    }

    // The neighbours in ascending order. Merging the runs (at most 27) pairwise keeps the cost
    // linear in the neighbours, however many there are: a dense cluster has thousands.
    const std::vector<std::uint32_t>& Ascending()
    {
        if (runEnds_.size() <= 1)
            return values_;
        if (values_.size() <= SmallNeighbourCount) {
            for (std::size_t k = 1; k < values_.size(); ++k)
                for (std::size_t m = k; m > 0 && values_[m - 1] > values_[m]; --m)
                    std::swap(values_[m - 1], values_[m]);
            return values_;
        }
        while (runEnds_.size() > 1) {
            scratch_.resize(values_.size());
            std::vector<std::size_t> merged;
            std::size_t begin = 0;
            for (std::size_t r = 0; r < runEnds_.size(); r += 2) {
                const std::size_t middle = runEnds_[r];
                const std::size_t end = r + 1 < runEnds_.size() ? runEnds_[r + 1] : middle;
                std::merge(values_.begin() + static_cast<std::ptrdiff_t>(begin),
                           values_.begin() + static_cast<std::ptrdiff_t>(middle),
                           values_.begin() + static_cast<std::ptrdiff_t>(middle),
                           values_.begin() + static_cast<std::ptrdiff_t>(end),
                           scratch_.begin() + static_cast<std::ptrdiff_t>(begin));
                merged.push_back(end);
                begin = end;
            }
            values_.swap(scratch_);
            runEnds_.swap(merged);
        }
        return values_;
    }

private:
    std::vector<std::uint32_t> values_;
    std::vector<std::size_t> runEnds_;
    std::vector<std::uint32_t> scratch_;
};

// The search over the grid, part by part: a part is a run of points whose sticks follow each
// other in the list.
class GridSearch {
public:
    GridSearch(std::span<const MPoint3DN<float>> points, const std::vector<float>& radiusLink, float kMin,
               float reach, const SpatialGrid& grid)
        : points_(points), radiusLink_(radiusLink), kMin_(kMin),
          farSquared_(double(reach) * (1 + FarMargin) * (double(reach) * (1 + FarMargin))), grid_(grid)
    {
    }

    std::int64_t PartCount() const { return (static_cast<std::int64_t>(points_.size()) + PointsPerPart - 1) / PointsPerPart; }

    // How many sticks the points of the part have.
    std::size_t Count(std::int64_t part) const
    {
        std::size_t count = 0;
        ForEachPoint(part, [&](std::uint32_t i) {
            ForEachCandidate(i, [&](std::uint32_t) { ++count; }, [] {});
        });
        return count;
    }

    // Writes the part's sticks from out on, i ascending, then j ascending.
    void Write(std::int64_t part, MStickAtoms* out) const
    {
        NeighbourRuns near;
        ForEachPoint(part, [&](std::uint32_t i) {
            near.Clear();
            ForEachCandidate(i, [&](std::uint32_t j) { near.Add(j); }, [&] { near.EndRun(); });
            for (const std::uint32_t j : near.Ascending())
                *out++ = MStickAtoms{static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)};
        });
    }

private:
    template <class Visit>
    void ForEachPoint(std::int64_t part, Visit&& visit) const
    {
        const auto end = static_cast<std::uint32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(points_.size()),
                                                                          (part + 1) * PointsPerPart));
        for (auto i = static_cast<std::uint32_t>(part * PointsPerPart); i < end; ++i)
            visit(i);
    }

    // Calls joined(j) for every point j that point i is joined to, cell by cell (ascending
    // within a cell), and endOfCell() after each cell.
    template <class Joined, class EndOfCell>
    void ForEachCandidate(std::uint32_t i, Joined&& joined, EndOfCell&& endOfCell) const
    {
        const MPoint3DN<float>& point = points_[i];
        const float radius = radiusLink_[i];
        grid_.ForEachNearCell(point, [&](const std::uint32_t* first, const std::uint32_t* last) {
            for (; first != last; ++first) {
                const std::uint32_t j = *first;
                // Most candidates lie beyond every threshold: the squared distance tells so without
                // the root (farSquared_ lies above the square of the largest threshold by far more
                // than the root's rounding).
                if (j == i || SquaredDistance(point, points_[j]) > farSquared_)
                    continue;
                if (PointDistance(point, points_[j]) <= StickThreshold(radius, radiusLink_[j], kMin_))
                    joined(j);
            }
            endOfCell();
        });
    }

    static double SquaredDistance(const MPoint3DN<float>& a, const MPoint3DN<float>& b)
    {
        const double dx = double(a.x) - double(b.x);
        const double dy = double(a.y) - double(b.y);
        const double dz = double(a.z) - double(b.z);
        return dx * dx + dy * dy + dz * dz;
    }

    std::span<const MPoint3DN<float>> points_;
    const std::vector<float>& radiusLink_;
    float kMin_;
    double farSquared_;  // a squared distance beyond every pair's threshold
    const SpatialGrid& grid_;
};

// Counts the sticks of every part first, so that each part writes its own stretch of the list
// straight away and no copy of the sticks is ever held: finding them twice costs less than
// writing them twice.
void SearchGrid(const GridSearch& search, MList<MStickAtoms>& sticks)
{
    WorkerPool& pool = WorkerPool::Shared();
    const std::int64_t parts = search.PartCount();
    std::vector<std::size_t> starts(static_cast<std::size_t>(parts) + 1, 0);
    pool.Run(parts, [&](std::int64_t part) { starts[static_cast<std::size_t>(part) + 1] = search.Count(part); });
    for (std::size_t p = 0; p < static_cast<std::size_t>(parts); ++p)
        starts[p + 1] += starts[p];
    if (starts.back() > static_cast<std::size_t>(std::numeric_limits<int>::max())
        || !SetCountForWriting(sticks, static_cast<int>(starts.back())))
        return;  // the list has posted why
    pool.Run(parts, [&](std::int64_t part) { search.Write(part, sticks.Data + starts[static_cast<std::size_t>(part)]); });
}

}  // namespace

void BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements, float kMin,
                 MList<MStickAtoms>& sticks)
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
        std::vector<MStickAtoms> all;
        BuildSticksByPairs(points, radiusLink, kMin, all);
        if (all.size() <= static_cast<std::size_t>(std::numeric_limits<int>::max())
            && SetCountForWriting(sticks, static_cast<int>(all.size())) && !all.empty())
            std::memcpy(static_cast<void*>(sticks.Data), all.data(), all.size() * sizeof(MStickAtoms));
        return;
    }
    if (!(reach >= 0))
        return;  // every threshold is negative or undefined: no distance passes
    // With a reach of zero only coincident atoms can pass; any cell size finds those.
    const SpatialGrid grid(points, reach > 0 ? double(reach) : 1.0);
    SearchGrid(GridSearch(points, radiusLink, kMin, reach, grid), sticks);
}
