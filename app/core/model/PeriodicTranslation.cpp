#include "PeriodicTranslation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <stdexcept>
#include <vector>

#include "LargeLists.h"
#include "MFunction.h"
#include "MSingle.h"
#include "PointDistance.h"
#include "SpatialGrid.h"
#include "WorkerPool.h"

namespace {

// Earlier points looked at per point in the parallel pass before the point is left to the
// exact pass: a crowded cell must not make that pass quadratic.
constexpr int EarlierPointsLookedAt = 64;
constexpr std::int64_t PointsPerPart = 16384;

enum class Earlier : std::uint8_t {
    NoneNear,  // no earlier point within the distance: the point stays whatever happens before it
    Unsure,    // an earlier point is near, or the look was cut short
};

// Whether any point before index i lies within NearDuplicateDistance of it; cells list their
// points in ascending order, so each cell is read only up to i.
Earlier LookAtEarlierPoints(std::span<const MPoint3DN<float>> all, const SpatialGrid& grid, std::uint32_t i)
{
    int looked = 0;
    bool near = false;
    grid.ForEachNearCell(all[i], [&](const std::uint32_t* first, const std::uint32_t* last) {
        for (; !near && first != last && *first < i; ++first)
            near = ++looked > EarlierPointsLookedAt || PointDistance(all[i], all[*first]) < NearDuplicateDistance;
    });
    return near ? Earlier::Unsure : Earlier::NoneNear;
}

// The points that stay, settled in index order. Only the points kept so far are compared with,
// and points kept in one cell are at least NearDuplicateDistance apart, so a cell holds only a
// few of them however crowded it is: the pass is linear even when every point lies on one spot.
std::vector<bool> SettleInOrder(std::span<const MPoint3DN<float>> all, const SpatialGrid& grid,
                                const std::vector<Earlier>& earlier)
{
    std::vector<bool> stays(all.size(), true);
    std::vector<std::uint32_t> kept(grid.GriddedCount());
    std::vector<std::uint32_t> keptEnd(grid.CellCount());
    for (std::uint32_t cell = 0; cell < keptEnd.size(); ++cell)
        keptEnd[cell] = grid.CellBegin(cell);
    for (std::uint32_t i = 0; i < all.size(); ++i) {
        const std::uint32_t cell = grid.CellOf(i);
        if (cell == SpatialGrid::NoCell)
            continue;  // a point that is not finite is near nothing
        if (earlier[i] == Earlier::Unsure) {
            bool near = false;
            grid.ForEachNearCellIndex(all[i], [&](std::uint32_t other) {
                for (std::uint32_t k = grid.CellBegin(other); !near && k < keptEnd[other]; ++k)
                    near = PointDistance(all[i], all[kept[k]]) < NearDuplicateDistance;
            });
            if (near) {
                stays[i] = false;
                continue;
            }
        }
        kept[keptEnd[cell]++] = i;
    }
    return stays;
}

// Whether the step of a copy carried a point of the cell beyond the single-precision range.
bool CarriedAway(const MPoint3DN<float>& original, const MPoint3DN<float>& copy)
{
    return (std::isfinite(original.x) && !std::isfinite(copy.x))
        || (std::isfinite(original.y) && !std::isfinite(copy.y));
}

}  // namespace

int RepeatCell(const MList<MPoint3DN<float>>& cell, const TranslationCell& lattice, MList<MPoint3DN<float>>& repeated,
               std::vector<std::int32_t>* origin)
{
    repeated.Clear();
    const std::int64_t copies = std::int64_t{std::max(lattice.Nx, 0)} * std::max(lattice.Ny, 0);
    const std::int64_t total = copies * cell.FCount;
    if (total > std::numeric_limits<int>::max())
        throw std::length_error("The repetition would make " + GroupedDigits(total)
                                + " atoms, more than one scene holds (" + GroupedDigits(std::numeric_limits<int>::max())
                                + ")");
    SetCountForWriting(repeated, static_cast<int>(total));
    std::atomic<bool> anyCarriedAway{false};
    WorkerPool::Shared().Run(copies, [&](std::int64_t copy) {
        const int i = static_cast<int>(copy / lattice.Ny);
        const int j = static_cast<int>(copy % lattice.Ny);
        MPoint3DN<float>* out = repeated.Data + copy * cell.FCount;
        bool carriedAway = false;
        for (int k = 0; k < cell.FCount; ++k) {
            MPoint3DN<float> p = cell.Data[k];
            p.x = ToSingle(double(p.x) + i * lattice.Ax + j * lattice.Dx);
            p.y = ToSingle(double(p.y) + j * lattice.Ay + i * lattice.Dy);
            carriedAway = carriedAway || CarriedAway(cell.Data[k], p);
            out[k] = p;
        }
        if (carriedAway)
            anyCarriedAway.store(true, std::memory_order_relaxed);
    });
    if (origin != nullptr) {
        origin->resize(static_cast<std::size_t>(total));
        std::iota(origin->begin(), origin->end(), 0);
    }
    if (!anyCarriedAway.load(std::memory_order_relaxed))
        return 0;
    int kept = 0;
    for (std::int64_t n = 0; n < total; ++n) {
        const MPoint3DN<float>& copy = repeated.Data[n];
        if (!CarriedAway(cell.Data[n % cell.FCount], copy)) {
            if (origin != nullptr)
                (*origin)[static_cast<std::size_t>(kept)] = static_cast<std::int32_t>(n);
            repeated.Data[kept++] = copy;
        }
    }
    repeated.SetCount(kept);
    if (origin != nullptr)
        origin->resize(static_cast<std::size_t>(kept));
    return static_cast<int>(total - kept);
}

void RemoveNearDuplicates(MList<MPoint3DN<float>>& points, std::vector<std::int32_t>* origin)
{
    const std::span<const MPoint3DN<float>> all(points.Data, static_cast<std::size_t>(points.FCount));
    if (all.size() < 2)
        return;
    const SpatialGrid grid(all, NearDuplicateDistance);
    // Most points have no earlier point near them at all and stay whatever the others do; that
    // is found on every core. The rest are settled in index order.
    std::vector<Earlier> earlier(all.size());
    ParallelRanges(static_cast<std::int64_t>(all.size()), PointsPerPart, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = static_cast<std::uint32_t>(begin); i < static_cast<std::uint32_t>(end); ++i)
            earlier[i] = LookAtEarlierPoints(all, grid, i);
    });
    if (std::find(earlier.begin(), earlier.end(), Earlier::Unsure) == earlier.end())
        return;  // no point has an earlier one near it: all stay
    const std::vector<bool> stays = SettleInOrder(all, grid, earlier);
    int kept = 0;
    for (int i = 0; i < points.FCount; ++i)
        if (stays[static_cast<std::size_t>(i)]) {
            if (origin != nullptr)
                (*origin)[static_cast<std::size_t>(kept)] = (*origin)[static_cast<std::size_t>(i)];
            points.Data[kept++] = points.Data[i];
        }
    points.SetCount(kept);
    if (origin != nullptr)
        origin->resize(static_cast<std::size_t>(kept));
}
