#ifndef PELMORA_APP_CORE_SCENEDRAWING_H
#define PELMORA_APP_CORE_SCENEDRAWING_H

// The painter's drawing of the scene: every ball of LXyzView and every stick of LStickView goes
// into the draw list LObj, which is sorted far to near with the list's heap sort and painted in
// that order, each object over the ones before. Balls are filled ellipses in their element's
// colour with a one-pixel black rim; sticks are black bands with round ends. When an SVG buffer
// is given (the window's bSvg), the same pass writes the SVG document into it, element by
// element in drawing order.
//
// Positions follow the projection: a point (x, y) lands at column ScaleXyz * x + W div 2 and
// row ScaleXyz * y + H div 2 of a W x H bitmap, cut toward zero to whole pixels. An object whose
// position is not finite or lies beyond MaxRasterCoordinate pixels is left out of the picture
// (and, when its numbers are not finite, out of the SVG too): a stick between two atoms at one
// place has no direction, and an atom far away has no pixel.

#include <QImage>

#include "Scene.h"
#include "SvgWriter.h"

// A white scene bitmap of SceneBitmapSize x SceneBitmapSize in the format DrawScene paints.
QImage MakeSceneBitmap();
// The same, its pixels not yet written (backed by large pages where the system has them).
QImage MakeUnwrittenSceneBitmap();

// Clears the bitmap to white and draws the whole scene into it, rebuilding scene.LObj.
// stickRadiusPosition is the "Stick radius" bar (1 .. StickRadiusBarMaximum): sticks are
// Position / Max model units wide on each side of their axis. A bitmap that is not
// Format_RGB32 is converted first.
void DrawScene(Scene& scene, QImage& bitmap, int stickRadiusPosition, SvgLines* svg = nullptr);

// The two orders DrawScene may paint in, for the same picture: far to near, each object over the
// ones behind it; or near to far, beginning while the draw list is still being sorted, each
// object only into the pixels no nearer one took. Near to far saves the painting of what is
// hidden and costs a check of every pixel and a final whitening.
enum class PaintOrder { Chosen, FarToNear, NearToFar };

// The order DrawScene chooses for a scene: near to far for a long draw list of many depths,
// far to near otherwise.
PaintOrder ChoosePaintOrder(const Scene& scene);

// How many different depths a sample of the scene's balls has (at most DepthSample): few when
// the scene is seen along a plane it lies in.
inline constexpr int DepthSample = 1024;
int SampledDepths(const Scene& scene);

// Makes DrawScene paint in one order whatever it would choose (Chosen: as it chooses), so that
// tests and benchmarks draw any scene both ways.
void SetPaintOrder(PaintOrder order);

// The ball of LXyzView[index], and its SVG ellipse when svg is given.
void DrawCircle(const Scene& scene, QImage& bitmap, int index, SvgLines* svg = nullptr);

// The stick LStickView[index] in black, and its one or two SVG rectangles in the colours of the
// balls they touch when svg is given.
void DrawStick(const Scene& scene, QImage& bitmap, int index, int stickRadiusPosition, SvgLines* svg = nullptr);

#endif
