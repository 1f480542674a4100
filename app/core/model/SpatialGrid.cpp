#include "SpatialGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "WorkerPool.h"

namespace {

bool IsFinite(const MPoint3DN<float>& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// A dense grid is worth it while it has about as many cells as points and no cell is crowded;
// the sum of squared occupancies is about the number of pairs a full search tests.
constexpr double DenseCellsPerPoint = 2.0;
constexpr double DenseCellsMinimum = 4096;
constexpr std::uint64_t CrowdedPairsPerPoint = 32;
constexpr int WideningSteps = 64;
constexpr std::size_t MinimumSlots = 16;
// Points located per part of the parallel pass.
constexpr std::int64_t LocatePart = 32768;

}  // namespace

SpatialGrid::SpatialGrid(std::span<const MPoint3DN<float>> points, double reach) : cellSize_(0)
{
    std::size_t finiteCount = 0;
    for (const MPoint3DN<float>& p : points) {
        if (!IsFinite(p))
            continue;
        if (finiteCount++ == 0) {
            minX_ = maxX_ = p.x, minY_ = maxY_ = p.y, minZ_ = maxZ_ = p.z;
            continue;
        }
        minX_ = std::min(minX_, p.x), maxX_ = std::max(maxX_, p.x);
        minY_ = std::min(minY_, p.y), maxY_ = std::max(maxY_, p.y);
        minZ_ = std::min(minZ_, p.z), maxZ_ = std::max(maxZ_, p.z);
    }
    cellStart_.assign(1, 0);
    cellOfPoint_.assign(points.size(), NoCell);
    if (finiteCount == 0)
        return;

    // The smallest power of two above the reach, with room for the last bit of rounding in a
    // computed distance.
    const double requestedCell = std::exp2(std::ceil(std::log2(reach * (1 + 0x1p-20))));

    // Widen the cells until a dense grid is small enough; wider cells only add candidates.
    const double denseLimit = std::max(DenseCellsMinimum, DenseCellsPerPoint * double(finiteCount));
    auto cellCount = [this] { return double(sizeX_) * double(sizeY_) * double(sizeZ_); };
    double denseCell = requestedCell;
    for (int step = 0; step < WideningSteps; ++step, denseCell *= 2) {
        SetCellSize(denseCell);
        if (cellCount() <= denseLimit)
            break;
    }
    if (cellCount() <= denseLimit) {
        BuildDense(points);
        if (CandidatePairs() <= CrowdedPairsPerPoint * finiteCount + std::uint64_t(DenseCellsMinimum))
            return;
    }
    // The points are spread unevenly (a few far from the rest): only occupied cells of the
    // requested size are kept, found through a hash table.
    SetCellSize(requestedCell);
    BuildSparse(points);
}

void SpatialGrid::SetCellSize(double cellSize)
{
    cellSize_ = cellSize;
    originX_ = CellAlong(minX_), originY_ = CellAlong(minY_), originZ_ = CellAlong(minZ_);
    sizeX_ = CellAlong(maxX_) - originX_ + 1;
    sizeY_ = CellAlong(maxY_) - originY_ + 1;
    sizeZ_ = CellAlong(maxZ_) - originZ_ + 1;
}

void SpatialGrid::GroupByCell(std::size_t cellCount)
{
    // A counting sort by cell. Filling each cell from its end while going through the points
    // backwards leaves the points of each cell in ascending order and cellStart_ at the starts.
    cellStart_.assign(cellCount + 1, 0);
    for (const std::uint32_t cell : cellOfPoint_)
        if (cell != NoCell)
            ++cellStart_[cell];
    std::uint32_t end = 0;
    for (std::size_t c = 0; c < cellCount; ++c)
        cellStart_[c] = end += cellStart_[c];
    cellStart_[cellCount] = end;
    order_.resize(end);
    for (std::size_t i = cellOfPoint_.size(); i-- > 0;)
        if (const std::uint32_t cell = cellOfPoint_[i]; cell != NoCell)
            order_[--cellStart_[cell]] = static_cast<std::uint32_t>(i);
}

void SpatialGrid::BuildDense(std::span<const MPoint3DN<float>> points)
{
    dense_ = true;
    cellOfPoint_.resize(points.size());
    ParallelRanges(static_cast<std::int64_t>(points.size()), LocatePart, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = static_cast<std::size_t>(begin); i < static_cast<std::size_t>(end); ++i) {
            CellCoordinate c;
            cellOfPoint_[i] = Locate(points[i], c) ? static_cast<std::uint32_t>(DenseIndex(c)) : NoCell;
        }
    });
    GroupByCell(static_cast<std::size_t>(sizeX_ * sizeY_ * sizeZ_));
}

void SpatialGrid::BuildSparse(std::span<const MPoint3DN<float>> points)
{
    dense_ = false;
    // The table grows with the occupied cells, not with the points: a crowded cloud (all points
    // in one place) has few cells.
    ResizeSlots(MinimumSlots);
    cellOfPoint_.assign(points.size(), NoCell);
    std::int64_t cellCount = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        CellCoordinate c;
        if (!Locate(points[i], c))
            continue;
        std::size_t slot = SlotOf(c);
        while (slots_[slot].cell >= 0 && !(slots_[slot].coordinate == c))
            slot = (slot + 1) & slotMask_;
        if (slots_[slot].cell >= 0) {
            cellOfPoint_[i] = static_cast<std::uint32_t>(slots_[slot].cell);
            continue;
        }
        slots_[slot] = HashSlot{c, cellCount};
        cellOfPoint_[i] = static_cast<std::uint32_t>(cellCount++);
        if (static_cast<std::size_t>(cellCount) * 2 > slots_.size())
            ResizeSlots(slots_.size() * 2);
    }
    GroupByCell(static_cast<std::size_t>(cellCount));
}

void SpatialGrid::ResizeSlots(std::size_t slotCount)
{
    std::vector<HashSlot> old(slotCount, HashSlot{});
    old.swap(slots_);
    slotMask_ = slotCount - 1;
    for (const HashSlot& entry : old) {
        if (entry.cell < 0)
            continue;
        std::size_t slot = SlotOf(entry.coordinate);
        while (slots_[slot].cell >= 0)
            slot = (slot + 1) & slotMask_;
        slots_[slot] = entry;
    }
}

std::uint64_t SpatialGrid::CandidatePairs() const
{
    std::uint64_t pairs = 0;
    for (std::size_t c = 0; c + 1 < cellStart_.size(); ++c) {
        const std::uint64_t occupancy = cellStart_[c + 1] - cellStart_[c];
        pairs += occupancy * occupancy;
    }
    return pairs;
}
