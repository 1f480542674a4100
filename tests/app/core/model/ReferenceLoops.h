#ifndef PELMORA_TESTS_APP_CORE_REFERENCELOOPS_H
#define PELMORA_TESTS_APP_CORE_REFERENCELOOPS_H

// The stick search and the near-duplicate removal written as plain loops over every pair, step by
// step as the model has always defined them. The grid-based versions must give exactly these
// results; the benchmarks report both.

#include <cmath>

#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"

inline void BuildSticksPairLoop(const MList<MPoint3DN<float>>& points, const MListAdr<MAtom*>& elements, float kMin,
                                MList<MStick<float>>& sticks)
{
    sticks.Clear();
    for (int i = 0; i < points.FCount; ++i) {
        for (int j = 0; j < points.FCount; ++j) {
            if (j == i)
                continue;
            const MPoint3DN<float>& a = points.Data[i];
            const MPoint3DN<float>& b = points.Data[j];
            const float threshold = static_cast<float>(
                (double(elements.Data[a.N]->RadiusLink) + double(elements.Data[b.N]->RadiusLink)) * double(kMin));
            const double dx = double(a.x) - double(b.x), dy = double(a.y) - double(b.y), dz = double(a.z) - double(b.z);
            if (std::sqrt(dx * dx + dy * dy + dz * dz) <= threshold)
                sticks.Add(MStick<float>{a, b, i, j});
        }
    }
}

// Deletes point i when it lies within 0.01 of point k, for every k in turn; the count is read
// again on every test and a deleted index is looked at again.
inline void RemoveNearDuplicatesPairLoop(MList<MPoint3DN<float>>& points)
{
    for (int k = 0; k < points.FCount; ++k) {
        int i = 0;
        while (i < points.FCount) {
            const MPoint3DN<float>& a = points.Data[i];
            const MPoint3DN<float>& b = points.Data[k];
            const double dx = double(a.x) - double(b.x), dy = double(a.y) - double(b.y), dz = double(a.z) - double(b.z);
            if (i != k && std::sqrt(dx * dx + dy * dy + dz * dz) < 0.01)
                points.DeleteIndex(i);
            else
                ++i;
        }
    }
}

#endif
