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

// The sticks of the points [begin, end), in order.
void SearchPart(std::span<const MPoint3DN<float>> points, const std::vector<float>& radiusLink, float kMin,
                const SpatialGrid& grid, std::int64_t begin, std::int64_t end, std::vector<MStickAtoms>& sticks)
{
    NeighbourRuns near;
    for (auto i = static_cast<std::uint32_t>(begin); i < static_cast<std::uint32_t>(end); ++i) {
        near.Clear();
        const MPoint3DN<float>& point = points[i];
        const float radius = radiusLink[i];
        grid.ForEachNearCell(point, [&](const std::uint32_t* first, const std::uint32_t* last) {
            for (; first != last; ++first) {
                const std::uint32_t j = *first;
                if (j != i && PointDistance(point, points[j]) <= StickThreshold(radius, radiusLink[j], kMin))
                    near.Add(j);
            }
            near.EndRun();
        });
        for (const std::uint32_t j : near.Ascending())
            AppendStick(sticks, i, j);
    }
}

// Moves the parts' sticks into the list, in part order, each part copied by a thread of its own.
void Concatenate(std::vector<std::vector<MStickAtoms>>& parts, MList<MStickAtoms>& sticks)
{
    std::vector<std::size_t> starts(parts.size() + 1, 0);
    for (std::size_t p = 0; p < parts.size(); ++p)
        starts[p + 1] = starts[p] + parts[p].size();
    if (starts.back() > static_cast<std::size_t>(std::numeric_limits<int>::max())
        || !SetCountForWriting(sticks, static_cast<int>(starts.back())))
        return;  // the list has posted why
    WorkerPool::Shared().Run(static_cast<std::int64_t>(parts.size()), [&](std::int64_t part) {
        const auto p = static_cast<std::size_t>(part);
        if (!parts[p].empty())
            std::memcpy(static_cast<void*>(sticks.Data + starts[p]), parts[p].data(),
                        parts[p].size() * sizeof(MStickAtoms));
        std::vector<MStickAtoms>().swap(parts[p]);
    });
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
    std::vector<std::vector<MStickAtoms>> parts;
    if (std::isinf(reach) && reach > 0) {
        parts.resize(1);
        BuildSticksByPairs(points, radiusLink, kMin, parts.front());
    } else if (reach >= 0) {
        // With a reach of zero only coincident atoms can pass; any cell size finds those.
        const SpatialGrid grid(points, reach > 0 ? double(reach) : 1.0);
        const auto count = static_cast<std::int64_t>(points.size());
        const std::int64_t partCount = (count + PointsPerPart - 1) / PointsPerPart;
        parts.resize(static_cast<std::size_t>(partCount));
        WorkerPool::Shared().Run(partCount, [&](std::int64_t part) {
            SearchPart(points, radiusLink, kMin, grid, part * PointsPerPart, std::min(count, (part + 1) * PointsPerPart),
                       parts[static_cast<std::size_t>(part)]);
        });
    }
    // Otherwise every threshold is negative or undefined: no distance passes.
    Concatenate(parts, sticks);
}
