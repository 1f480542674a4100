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

#include "PaintOrder.h"  // the order DrawScene paints in, which tests and benchmarks may set
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

// The ball of LXyzView[index], and its SVG ellipse when svg is given.
void DrawCircle(const Scene& scene, QImage& bitmap, int index, SvgLines* svg = nullptr);

// The stick LStickView[index] in black, and its one or two SVG rectangles in the colours of the
// balls they touch when svg is given.
void DrawStick(const Scene& scene, QImage& bitmap, int index, int stickRadiusPosition, SvgLines* svg = nullptr);

#endif
