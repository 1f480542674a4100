#ifndef PELMORA_APP_CORE_SPATIALGRID_H
#define PELMORA_APP_CORE_SPATIALGRID_H

// A uniform grid over a point cloud, for finding every point within a given distance of another
// in linear time. Two points closer than the cell size lie in the same or in adjacent cells, so
// a search visits the 27 cells around a point.
//
// The cell size is a power of two, so a coordinate divided by it is exact and two points closer
// than a cell can never be pushed two cells apart by rounding. Cell coordinates are clamped into
// a huge fixed range; clamping keeps near points adjacent, and absurd coordinates cannot overflow.
// Points with a non-finite coordinate are left out: they are never within a finite distance of
// anything.
//
// When the cloud is compact the cells are one dense array; when it is sparse (a few points far
// from the rest) occupied cells are found through a hash table instead.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "SceneRecords.h"

class SpatialGrid {
public:
    // Every pair of points within reach of each other (reach positive and finite) is found;
    // the cells are at least that wide.
    SpatialGrid(std::span<const MPoint3DN<float>> points, double reach);

    static constexpr std::uint32_t NoCell = 0xFFFFFFFFu;

    // Calls visit(cell) with the index of every occupied cell among the 27 around point, in
    // no particular order (nothing when the point is not gridded).
    template <class Visit>
    void ForEachNearCellIndex(const MPoint3DN<float>& point, Visit&& visit) const;

    // Calls visit(first, last) with the gridded points of every occupied cell among the 27
    // around point: the indexes in [first, last) ascend; cells come in no particular order.
    template <class Visit>
    void ForEachNearCell(const MPoint3DN<float>& point, Visit&& visit) const;

    // Calls visit(index) for every gridded point in the 27 cells around point. Indexes within one
    // cell come in ascending order; cells come in no particular order.
    template <class Visit>
    void ForEachNear(const MPoint3DN<float>& point, Visit&& visit) const;

    // The cell of point index (NoCell when it is not gridded), and where a cell's points start
    // and end among all gridded points grouped by cell.
    std::uint32_t CellOf(std::size_t index) const { return cellOfPoint_[index]; }
    std::uint32_t CellBegin(std::uint32_t cell) const { return cellStart_[cell]; }
    std::uint32_t CellEnd(std::uint32_t cell) const { return cellStart_[static_cast<std::size_t>(cell) + 1]; }
    std::size_t CellCount() const { return cellStart_.size() - 1; }
    std::size_t GriddedCount() const { return order_.size(); }

    double CellSize() const { return cellSize_; }

private:
    struct CellCoordinate {
        std::int64_t x = 0, y = 0, z = 0;
        bool operator==(const CellCoordinate&) const = default;
    };
    struct HashSlot {
        CellCoordinate coordinate;
        std::int64_t cell = -1;  // index into cellStart_; -1 marks an empty slot
    };

    static constexpr double CoordinateLimit = 0x1p61;

    bool Locate(const MPoint3DN<float>& point, CellCoordinate& cell) const;
    std::int64_t CellAlong(float coordinate) const;
    void SetCellSize(double cellSize);
    // The index into cellStart_ of the cell, or -1 when it holds no point.
    std::int64_t FindCell(const CellCoordinate& c) const;
    std::int64_t DenseIndex(const CellCoordinate& c) const { return (c.x * sizeY_ + c.y) * sizeZ_ + c.z; }
    std::size_t SlotOf(const CellCoordinate& c) const;
    // Rehashes the occupied cells into a table of slotCount slots (a power of two).
    void ResizeSlots(std::size_t slotCount);
    // Groups the located points (cellOfPoint_) by cell.
    void GroupByCell(std::size_t cellCount);
    void BuildDense(std::span<const MPoint3DN<float>> points);
    void BuildSparse(std::span<const MPoint3DN<float>> points);
    std::uint64_t CandidatePairs() const;

    double cellSize_;
    float minX_ = 0, minY_ = 0, minZ_ = 0, maxX_ = 0, maxY_ = 0, maxZ_ = 0;
    std::int64_t originX_ = 0, originY_ = 0, originZ_ = 0;  // cell of the smallest coordinates
    std::int64_t sizeX_ = 0, sizeY_ = 0, sizeZ_ = 0;        // cells per axis
    bool dense_ = true;
    std::vector<std::uint32_t> cellOfPoint_;  // per point: its cell, or NoCell
    std::vector<std::uint32_t> cellStart_;    // order_[cellStart_[c] .. cellStart_[c+1]) is cell c
    std::vector<std::uint32_t> order_;        // point indexes grouped by cell, ascending within one
    std::vector<HashSlot> slots_;             // sparse mode only
    std::size_t slotMask_ = 0;
};

// The look-ups of every search, inline: they run for each of the 27 cells around every point.

inline std::int64_t SpatialGrid::CellAlong(float coordinate) const
{
    // Exact: the cell size is a power of two.
    const double cell = std::floor(double(coordinate) / cellSize_);
    return static_cast<std::int64_t>(std::clamp(cell, -CoordinateLimit, CoordinateLimit));
}

inline bool SpatialGrid::Locate(const MPoint3DN<float>& point, CellCoordinate& cell) const
{
    if (cellSize_ == 0 || !(std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z)))
        return false;
    cell.x = CellAlong(point.x) - originX_;
    cell.y = CellAlong(point.y) - originY_;
    cell.z = CellAlong(point.z) - originZ_;
    return true;
}

inline std::size_t SpatialGrid::SlotOf(const CellCoordinate& c) const
{
    std::uint64_t h = std::uint64_t(c.x) * 0x9E3779B97F4A7C15ull;
    h ^= std::uint64_t(c.y) * 0xC2B2AE3D27D4EB4Full + (h >> 29);
    h ^= std::uint64_t(c.z) * 0x165667B19E3779F9ull + (h >> 31);
    return static_cast<std::size_t>(h ^ (h >> 32)) & slotMask_;
}

inline std::int64_t SpatialGrid::FindCell(const CellCoordinate& c) const
{
    if (dense_) {
        const std::size_t cell = static_cast<std::size_t>(DenseIndex(c));
        return cellStart_[cell] == cellStart_[cell + 1] ? -1 : std::int64_t(cell);
    }
    for (std::size_t slot = SlotOf(c);; slot = (slot + 1) & slotMask_) {
        if (slots_[slot].cell < 0)
            return -1;
        if (slots_[slot].coordinate == c)
            return slots_[slot].cell;
    }
}

template <class Visit>
void SpatialGrid::ForEachNearCellIndex(const MPoint3DN<float>& point, Visit&& visit) const
{
    CellCoordinate c;
    if (!Locate(point, c))
        return;
    CellCoordinate n;
    for (n.x = c.x - 1; n.x <= c.x + 1; ++n.x) {
        if (n.x < 0 || n.x >= sizeX_)
            continue;
        for (n.y = c.y - 1; n.y <= c.y + 1; ++n.y) {
            if (n.y < 0 || n.y >= sizeY_)
                continue;
            for (n.z = c.z - 1; n.z <= c.z + 1; ++n.z) {
                if (n.z < 0 || n.z >= sizeZ_)
                    continue;
                const std::int64_t cell = FindCell(n);
                if (cell >= 0)
                    visit(static_cast<std::uint32_t>(cell));
            }
        }
    }
}

template <class Visit>
void SpatialGrid::ForEachNearCell(const MPoint3DN<float>& point, Visit&& visit) const
{
    ForEachNearCellIndex(
        point, [&](std::uint32_t cell) { visit(order_.data() + CellBegin(cell), order_.data() + CellEnd(cell)); });
}

template <class Visit>
void SpatialGrid::ForEachNear(const MPoint3DN<float>& point, Visit&& visit) const
{
    ForEachNearCell(point, [&](const std::uint32_t* first, const std::uint32_t* last) {
        for (; first != last; ++first)
            visit(*first);
    });
}

#endif
