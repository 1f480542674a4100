#include "StickBuilder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "LargeLists.h"
#include "MFunction.h"
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

// How often a count looks whether the sticks found so far already pass the bound: after this
// many points.
constexpr std::uint32_t PointsBetweenBoundChecks = 64;

// The sticks found so far by all parts, and the bound they may not pass.
class StickTally {
public:
    explicit StickTally(std::int64_t bound) : bound_(bound) {}
    // Whether the sticks found, with `more` of a part not yet added, pass the bound.
    bool Passed(std::size_t more = 0) const
    {
        return found_.load(std::memory_order_relaxed) + static_cast<std::int64_t>(more) > bound_;
    }
    void Add(std::size_t count) { found_.fetch_add(static_cast<std::int64_t>(count), std::memory_order_relaxed); }

private:
    std::int64_t bound_;
    std::atomic<std::int64_t> found_{0};
};

// The parts of a search are runs of points whose sticks follow each other in the list.
class PointParts {
public:
    PointParts(std::size_t points, std::int64_t pointsPerPart) : points_(points), perPart_(pointsPerPart) {}
    std::int64_t Count() const { return (static_cast<std::int64_t>(points_) + perPart_ - 1) / perPart_; }
    template <class Visit>
    void ForEachPoint(std::int64_t part, Visit&& visit) const
    {
        const auto end = static_cast<std::uint32_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(points_), (part + 1) * perPart_));
        for (auto i = static_cast<std::uint32_t>(part * perPart_); i < end; ++i)
            visit(i);
    }

private:
    std::size_t points_;
    std::int64_t perPart_;
};

// Counts the joined partners of each point of a part, stopping early once the tally passes its
// bound (the count is then too small, which no longer matters).
template <class ForEachJoined>
std::size_t CountPart(const PointParts& parts, std::int64_t part, const StickTally& tally, ForEachJoined&& joined)
{
    std::size_t count = 0;
    std::uint32_t sinceCheck = 0;
    bool passed = false;
    parts.ForEachPoint(part, [&](std::uint32_t i) {
        if (passed)
            return;
        joined(i, [&](std::uint32_t) { ++count; });
        if (++sinceCheck == PointsBetweenBoundChecks) {
            sinceCheck = 0;
            passed = tally.Passed(count);
        }
    });
    return count;
}

// Tests every ordered pair. Used when no grid can be laid (a threshold that is not finite).
class PairSearch {
public:
    PairSearch(std::span<const MPoint3DN<float>> points, const std::vector<float>& radiusLink, float kMin)
        : points_(points), radiusLink_(radiusLink), kMin_(kMin), parts_(points.size(), PointsPerPairPart)
    {
    }
    const PointParts& Parts() const { return parts_; }
    std::size_t Count(std::int64_t part, const StickTally& tally) const
    {
        return CountPart(parts_, part, tally, [&](std::uint32_t i, auto&& found) { ForEachJoined(i, found); });
    }
    void Write(std::int64_t part, MStickAtoms* out) const
    {
        parts_.ForEachPoint(part, [&](std::uint32_t i) {
            ForEachJoined(i, [&](std::uint32_t j) {
                *out++ = MStickAtoms{static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)};
            });
        });
    }

private:
    // A part of a few points still tests each of them against all the others.
    static constexpr std::int64_t PointsPerPairPart = 64;

    template <class Joined>
    void ForEachJoined(std::uint32_t i, Joined&& joined) const
    {
        for (std::uint32_t j = 0; j < points_.size(); ++j)
            if (i != j
                && PointDistance(points_[i], points_[j]) <= StickThreshold(radiusLink_[i], radiusLink_[j], kMin_))
                joined(j);
    }

    std::span<const MPoint3DN<float>> points_;
    const std::vector<float>& radiusLink_;
    float kMin_;
    PointParts parts_;
};

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

// The search over the grid, part by part.
class GridSearch {
public:
    GridSearch(std::span<const MPoint3DN<float>> points, const std::vector<float>& radiusLink, float kMin, float reach,
               const SpatialGrid& grid)
        : points_(points), radiusLink_(radiusLink), kMin_(kMin),
          farSquared_(double(reach) * (1 + FarMargin) * (double(reach) * (1 + FarMargin))), grid_(grid),
          parts_(points.size(), PointsPerPart)
    {
    }

    const PointParts& Parts() const { return parts_; }

    // How many sticks the points of the part have (fewer once the tally passes its bound).
    std::size_t Count(std::int64_t part, const StickTally& tally) const
    {
        return CountPart(parts_, part, tally,
                         [&](std::uint32_t i, auto&& found) { ForEachCandidate(i, found, [] {}); });
    }

    // Writes the part's sticks from out on, i ascending, then j ascending.
    void Write(std::int64_t part, MStickAtoms* out) const
    {
        NeighbourRuns near;
        parts_.ForEachPoint(part, [&](std::uint32_t i) {
            near.Clear();
            ForEachCandidate(
                i, [&](std::uint32_t j) { near.Add(j); }, [&] { near.EndRun(); });
            for (const std::uint32_t j : near.Ascending())
                *out++ = MStickAtoms{static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)};
        });
    }

private:
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
    PointParts parts_;
};

// Counts the sticks of every part first, so that each part writes its own stretch of the list
// straight away and no copy of the sticks is ever held: finding them twice costs less than
// writing them twice. Counting stops once the sticks pass the bound, before any is made.
template <class Search>
StickSearchResult SearchParts(const Search& search, std::int64_t bound, MList<MStickAtoms>& sticks)
{
    WorkerPool& pool = WorkerPool::Shared();
    const std::int64_t parts = search.Parts().Count();
    std::vector<std::size_t> starts(static_cast<std::size_t>(parts) + 1, 0);
    StickTally tally(bound);
    pool.Run(parts, [&](std::int64_t part) {
        if (tally.Passed())
            return;
        const std::size_t count = search.Count(part, tally);
        starts[static_cast<std::size_t>(part) + 1] = count;
        tally.Add(count);
    });
    if (tally.Passed())
        return {false, bound};
    for (std::size_t p = 0; p < static_cast<std::size_t>(parts); ++p)
        starts[p + 1] += starts[p];
    // The bound lies far below the list's largest count.
    SetCountForWriting(sticks, static_cast<int>(starts.back()));
    pool.Run(parts,
             [&](std::int64_t part) { search.Write(part, sticks.Data + starts[static_cast<std::size_t>(part)]); });
    return {true, bound};
}

}  // namespace

std::int64_t StickBoundFor(std::size_t points)
{
    return std::max(SmallestStickBound, SticksPerAtomBound * static_cast<std::int64_t>(points));
}

std::string StickSearchResult::Refusal() const
{
    if (Made)
        return {};
    return "More than " + GroupedDigits(Bound) + " sticks would be drawn: lower the stick length";
}

StickSearchResult BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements, float kMin,
                              MList<MStickAtoms>& sticks, std::int64_t bound)
{
    sticks.Clear();
    // The list counts its entries in an int.
    bound = std::min<std::int64_t>(bound, std::numeric_limits<int>::max());
    if (points.size() < 2)
        return {true, bound};
    std::vector<float> radiusLink(points.size());
    float largestRadius = -std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < points.size(); ++i) {
        radiusLink[i] = elements[static_cast<std::size_t>(points[i].N)]->RadiusLink;
        if (radiusLink[i] > largestRadius)
            largestRadius = radiusLink[i];
    }
    // No pair threshold exceeds the one of two atoms of the largest radius (rounding is monotone).
    const float reach = StickThreshold(largestRadius, largestRadius, kMin);
    if (std::isinf(reach) && reach > 0)
        return SearchParts(PairSearch(points, radiusLink, kMin), bound, sticks);
    if (!(reach >= 0))
        return {true, bound};  // every threshold is negative or undefined: no distance passes
    // With a reach of zero only coincident atoms can pass; any cell size finds those.
    const SpatialGrid grid(points, reach > 0 ? double(reach) : 1.0);
    return SearchParts(GridSearch(points, radiusLink, kMin, reach, grid), bound, sticks);
}
