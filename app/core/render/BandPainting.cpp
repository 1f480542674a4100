#include "BandPainting.h"

#include <optional>

namespace {

// How far ahead in the sorted list a band asks for the atoms and sticks it is going to paint.
constexpr int Lookahead = 32;

}  // namespace

// The geometry's shapes, the bands and the paint functions are defined in their headers, so this loop
// may inline them.
void PaintEntries(const SceneGeometry& geometry, const DrawListReader& list, int begin, int end, int step,
                  BallStickRaster raster, const ObjectBands* reach, int band)
{
    const Scene& scene = list.Model();
    std::optional<StickShape> lastStick;
    for (int position = begin; position != end; position += step) {
        // The list's order jumps about the atoms and sticks: ask early for those of this band.
        const int aheadPosition = position + step * Lookahead;
        if (step > 0 ? aheadPosition < end : aheadPosition > end) {
            const MObj ahead = list[aheadPosition];
            if (reach == nullptr || reach->Reaches(ahead, band))
                __builtin_prefetch(ahead.iAtom >= 0 ? static_cast<const void*>(scene.LXyzView.Data + ahead.iAtom)
                                                    : static_cast<const void*>(scene.LStickView.Data + ahead.iStick));
        }
        const MObj entry = list[position];
        if (reach != nullptr && !reach->Reaches(entry, band))
            continue;
        if (entry.iAtom >= 0) {
            if (const std::optional<BallShape> ball = geometry.Ball(entry.iAtom)) {
                PaintBall(raster, *ball);
                lastStick.reset();
            }
        } else if (entry.iStick >= 0) {
            const std::optional<StickShape> stick = geometry.Stick(entry.iStick);
            if (stick && !(lastStick && lastStick->SamePixels(*stick))) {
                PaintStick(raster, *stick);
                lastStick = stick;
            }
        }
    }
}
