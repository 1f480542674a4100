#ifndef PELMORA_APP_CORE_STICKBUILDER_H
#define PELMORA_APP_CORE_STICKBUILDER_H

#include <cstdint>
#include <span>
#include <string>

#include "MList.h"
#include "MListAdr.h"
#include "MSingle.h"
#include "SceneRecords.h"

// No structure has more bonds than a few dozen per atom; more sticks than this bound come from a
// stick length or a radius far beyond any bond, and would take gigabytes and minutes to make
// and draw. The bound is 64 sticks per atom (each bond counts twice), but never less than a
// million, so that a small molecule may join all of its atoms.
inline constexpr std::int64_t SticksPerAtomBound = 64;
inline constexpr std::int64_t SmallestStickBound = 1'000'000;
std::int64_t StickBoundFor(std::size_t points);

// Whether a stick search made its sticks, or found that there would be more than its bound.
struct StickSearchResult {
    bool Made = true;
    std::int64_t Bound = 0;  // the bound the sticks would have passed

    // What the user reads when the sticks were not made ("More than 1,000,000 sticks would be
    // drawn: lower the stick length"); empty when they were.
    std::string Refusal() const;
};

// Fills sticks with one entry per ordered pair (i, j), i != j, of points whose distance is at
// most (RadiusLink of i's element + RadiusLink of j's element) x kMin, rounded to single
// precision; equality counts. Entries come with i ascending, then j ascending. Every point's N
// must index elements.
//
// The sticks are counted before any is made: when there would be more than `bound`, counting
// stops there and none is made (sticks is left empty). Throws std::bad_alloc when the list
// cannot hold the sticks.
//
// A spatial grid limits the search to near pairs, so the cost grows with the number of atoms and
// of sticks found rather than with the square of the atoms; the result is the same as testing
// every pair. The points are searched on every core.
StickSearchResult BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements, float kMin,
                              MList<MStickAtoms>& sticks, std::int64_t bound);
inline StickSearchResult BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements,
                                     float kMin, MList<MStickAtoms>& sticks)
{
    return BuildSticks(points, elements, kMin, sticks, StickBoundFor(points.size()));
}

// The threshold of one pair, as the bond test uses it.
inline float StickThreshold(float radiusLinkA, float radiusLinkB, float kMin)
{
    return ToSingle((double(radiusLinkA) + double(radiusLinkB)) * double(kMin));
}

// The full stick record of a stick: copies of the points I1 and I2 of the list it was built
// from, and their indexes.
inline MStick<float> StickWithPoints(std::span<const MPoint3DN<float>> points, const MStickAtoms& stick)
{
    return MStick<float>{points[static_cast<std::size_t>(stick.I1)], points[static_cast<std::size_t>(stick.I2)],
                         stick.I1, stick.I2};
}

#endif
