#ifndef PELMORA_APP_CORE_BANDPAINTING_H
#define PELMORA_APP_CORE_BANDPAINTING_H

// The painting of the draw list's entries into a raster (the whole bitmap or a band of its rows),
// far to near or near to far: balls in their element's colour with a black rim, sticks in black.

#include "BallStickRaster.h"
#include "DrawOrder.h"
#include "RowBands.h"
#include "Scene.h"
#include "SceneGeometry.h"

// The draw list as painting reads it: its keys while the sort runs, its entries once sorted.
class DrawListReader {
public:
    DrawListReader(const Scene& scene, bool keyed) : scene_(scene), keyed_(keyed) {}
    MObj operator[](int position) const
    {
        return keyed_ ? DrawListKeyEntry(scene_, position) : scene_.LObj.Data[position];
    }
    const Scene& Model() const { return scene_; }

private:
    const Scene& scene_;
    bool keyed_;
};

// The colour of the balls' rims and of the sticks.
inline constexpr QRgb RimAndStickColor = 0xFF000000;

inline void PaintBall(BallStickRaster& raster, const BallShape& ball)
{
    raster.Ellipse(ball.left, ball.top, ball.right, ball.bottom, ball.fill, RimAndStickColor);
}

inline void PaintStick(BallStickRaster& raster, const StickShape& stick)
{
    raster.Stick(stick.x1, stick.y1, stick.x2, stick.y2, stick.width, RimAndStickColor);
}

// Paints the entries at positions begin, begin + step, ... short of end. Far to near (step 1),
// each object is painted over what lies behind it. Near to far (step -1, an OnlyUnpainted
// raster), each object takes only the pixels no nearer object took: the same picture. With
// `reach`, only the objects that reach the band are looked at. A stick right after its twin (the
// same bond the other way round, equally deep, so usually next in the list) would paint the very
// pixels its twin just painted, and is skipped.
void PaintEntries(const SceneGeometry& geometry, const DrawListReader& list, int begin, int end, int step,
                  BallStickRaster raster, const ObjectBands* reach, int band);

#endif
