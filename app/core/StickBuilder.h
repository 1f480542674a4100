#ifndef PELMORA_APP_CORE_STICKBUILDER_H
#define PELMORA_APP_CORE_STICKBUILDER_H

#include <span>

#include "MList.h"
#include "MSingle.h"
#include "MListAdr.h"
#include "SceneRecords.h"

// Fills sticks with one entry per ordered pair (i, j), i != j, of points whose distance is at
// most (RadiusLink of i's element + RadiusLink of j's element) x kMin, rounded to single
// precision; equality counts. Entries come with i ascending, then j ascending. Every point's N
// must index elements.
//
// A spatial grid limits the search to near pairs, so the cost grows with the number of atoms and
// of sticks found rather than with the square of the atoms; the result is the same as testing
// every pair. The points are searched on every core.
void BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements,
                 float kMin, MList<MStickAtoms>& sticks);

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
