#ifndef PELMORA_APP_CORE_STICKBUILDER_H
#define PELMORA_APP_CORE_STICKBUILDER_H

#include <span>

#include "MList.h"
#include "MSingle.h"
#include "MListAdr.h"
#include "SceneRecords.h"

// Fills sticks with one entry per ordered pair (i, j), i != j, of points whose distance is at
// most (RadiusLink of i's element + RadiusLink of j's element) x kMin, rounded to single
// precision; equality counts. Entries come with i ascending, then j ascending, and hold copies
// of both points and their indexes. Every point's N must index elements.
//
// A spatial grid limits the search to near pairs, so the cost grows with the number of atoms
// rather than with its square; the result is the same as testing every pair.
void BuildSticks(std::span<const MPoint3DN<float>> points, std::span<MAtom* const> elements,
                 float kMin, MList<MStick<float>>& sticks);

// The threshold of one pair, as the bond test uses it.
inline float StickThreshold(float radiusLinkA, float radiusLinkB, float kMin)
{
    return ToSingle((double(radiusLinkA) + double(radiusLinkB)) * double(kMin));
}

#endif
