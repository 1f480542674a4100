#ifndef PELMORA_APP_CORE_ROWBANDS_H
#define PELMORA_APP_CORE_ROWBANDS_H

// The bitmap cut into bands of rows, so that every thread paints bands of its own, and the bands
// every object of the scene reaches, so that a band looks only at the objects it has to paint.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Scene.h"
#include "SceneGeometry.h"

// The bands of rows an entry of the draw list reaches; first > last when none.
struct BandRange {
    std::uint8_t first = 1;
    std::uint8_t last = 0;
};

// The bitmap cut into bands of rows; row y lies in band y * count / height.
class RowBands {
public:
    // A few bands for every thread, at most one a row and no more than a BandRange can number.
    RowBands(int height, int threads);
    int Count() const { return count_; }
    int FirstRow(int band) const { return static_cast<int>((std::int64_t{band} * height_ + count_ - 1) / count_); }
    int LastRow(int band) const { return FirstRow(band + 1) - 1; }
    BandRange Of(const RowRange& rows) const
    {
        const std::int64_t first = std::max<std::int64_t>(rows.first, 0);
        const std::int64_t last = std::min<std::int64_t>(rows.last, height_ - 1);
        if (first > last)
            return {};
        return {static_cast<std::uint8_t>(first * count_ / height_),
                static_cast<std::uint8_t>(last * count_ / height_)};
    }

private:
    int height_;
    int count_;
};

// The bands every object reaches, by object: balls first, then sticks, as the draw list is laid
// out before sorting. Objects are looked at in their lists' order, so this reads memory in order
// and can run while the draw list is being sorted.
class ObjectBands {
public:
    ObjectBands(const Scene& scene)
        : atoms_(scene.LXyzView.FCount),
          bands_(static_cast<std::size_t>(atoms_) + static_cast<std::size_t>(scene.LStickView.FCount))
    {
    }

    std::int64_t Count() const { return static_cast<std::int64_t>(bands_.size()); }

    // The objects [begin, end): the trace's watch post of every ball, and the bands.
    void Find(const Scene& scene, const SceneGeometry& geometry, const RowBands& rows, std::int64_t begin,
              std::int64_t end);

    bool Reaches(const MObj& entry, int band) const
    {
        const BandRange& bands = Of(entry);
        return band >= bands.first && band <= bands.last;
    }

    const BandRange& Of(const MObj& entry) const
    {
        static constexpr BandRange none;
        if (entry.iAtom >= 0)
            return bands_[static_cast<std::size_t>(entry.iAtom)];
        if (entry.iStick >= 0)
            return bands_[static_cast<std::size_t>(atoms_) + static_cast<std::size_t>(entry.iStick)];
        return none;
    }

private:
    std::int64_t atoms_;
    std::vector<BandRange> bands_;
};

#endif
