#include "PeriodicTranslation.h"

#include <span>
#include <vector>

#include "MSingle.h"
#include "PointDistance.h"
#include "SpatialGrid.h"

void RepeatCell(const MList<MPoint3DN<float>>& cell, const TranslationCell& lattice,
                MList<MPoint3DN<float>>& repeated)
{
    repeated.Clear();
    for (int i = 0; i < lattice.Nx; ++i) {
        for (int j = 0; j < lattice.Ny; ++j) {
            for (int k = 0; k < cell.FCount; ++k) {
                MPoint3DN<float> p = cell.Data[k];
                p.x = ToSingle(double(p.x) + i * lattice.Ax + j * lattice.Dx);
                p.y = ToSingle(double(p.y) + j * lattice.Ay + i * lattice.Dy);
                repeated.Add(p);
            }
        }
    }
}

void RemoveNearDuplicates(MList<MPoint3DN<float>>& points)
{
    const std::span<const MPoint3DN<float>> all(points.Data, static_cast<std::size_t>(points.FCount));
    if (all.size() < 2)
        return;
    const SpatialGrid grid(all, NearDuplicateDistance);
    // A point stays when no earlier point that stays is near it; whether an earlier point stays
    // is settled before any later one is looked at.
    std::vector<bool> stays(all.size(), false);
    for (std::uint32_t i = 0; i < all.size(); ++i) {
        bool nearEarlier = false;
        grid.ForEachNear(all[i], [&](std::uint32_t j) {
            if (j < i && stays[j] && PointDistance(all[i], all[j]) < NearDuplicateDistance)
                nearEarlier = true;
        });
        stays[i] = !nearEarlier;
    }
    int kept = 0;
    for (int i = 0; i < points.FCount; ++i)
        if (stays[static_cast<std::size_t>(i)])
            points.Data[kept++] = points.Data[i];
    points.SetCount(kept);
}
