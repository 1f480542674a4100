#ifndef PELMORA_APP_CORE_VIEWTURN_H
#define PELMORA_APP_CORE_VIEWTURN_H

// Turning the view with the mouse: a drag on the picture turns the structure about the screen's
// axes, whatever the bars show now, and the result goes back into the three angle bars.

#include "Projection.h"

// The bar angles after a drag of (dx, dy) bitmap pixels (x to the right, y down; aboutDepth: Shift
// held, the turn is about the axis out of the screen), composed with the rotation the bars make
// now and written back as bar positions (0 .. AngleBarMaximum-1, tenths of a degree).
// A drag to the right turns the near side to the right; a drag up turns the near side up; with
// aboutDepth, a drag to the right turns the picture clockwise (dy takes no part).
// pixelsPerHalfTurn: how many bitmap pixels of drag make 180 degrees. A drag that is not finite,
// or a pixelsPerHalfTurn that is not finite and positive, leaves the angles as they are.
ViewAngles TurnedByDrag(const ViewAngles& now, double dx, double dy, bool aboutDepth, double pixelsPerHalfTurn);

// The rotation the bars make, as the projection applies it (about y, then z, then x) to a column
// vector: view = m * model.
struct ViewMatrix {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};
ViewMatrix RotationOfAngles(const ViewAngles& angles);

// The angle in degrees of the rotation that takes a to b (0 for equal rotations).
double DegreesBetween(const ViewMatrix& a, const ViewMatrix& b);

#endif
