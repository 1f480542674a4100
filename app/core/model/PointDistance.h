#ifndef PELMORA_APP_CORE_POINTDISTANCE_H
#define PELMORA_APP_CORE_POINTDISTANCE_H

#include <cmath>

#include "SceneRecords.h"

// The distance every bond and duplicate test uses: the single-precision coordinates are widened,
// and differences, squares, sum and root are taken in double precision. It is exactly symmetric,
// so a pair tested from either end gives the same answer.
inline double PointDistance(const MPoint3DN<float>& a, const MPoint3DN<float>& b)
{
    const double dx = double(a.x) - double(b.x);
    const double dy = double(a.y) - double(b.y);
    const double dz = double(a.z) - double(b.z);
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

#endif
