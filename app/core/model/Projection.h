#ifndef PELMORA_APP_CORE_PROJECTION_H
#define PELMORA_APP_CORE_PROJECTION_H

// Centring, scale, rotation and the cut-back of stick ends: everything between the repeated
// structure and the drawing. Values are single precision; sums and products are formed in double
// precision and rounded to single precision at the points noted, so pictures come out the same
// pixel for pixel.

#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"

struct Point3 {
    float x = 0, y = 0, z = 0;
};

// Angles as scroll-bar positions in tenths of a degree, 0 to AngleBarMaximum.
struct ViewAngles {
    int Ax = 0;
    int Ay = 0;
    int Az = 0;
};
inline constexpr int AngleBarMaximum = 3600;

// The bounding box of the points; an empty list leaves max at -3.4e38 and min at 3.4e38.
void GetMinMax(const MList<MPoint3DN<float>>& points, Point3& max, Point3& min);

// The largest of three values; ties go to the later argument.
float Max3(float a, float b, float c);

// Centres the points on the origin. When scale is given, it becomes the pixels per model unit
// that fit the structure's balls into a bitmap of bitmapWidth. A structure without extent (one
// atom, or atoms that all coincide) is scaled as if its half extent were one model unit; an
// empty list gets a scale of zero, and a table without radii keeps the old scale.
void CenterAndScale(MList<MPoint3DN<float>>& points, const MListAdr<MAtom*>& elements, float kRPoint, int bitmapWidth,
                    float* scale);

// The angle of a bar position in radians, rounded to single precision.
float AngleOfPosition(int position, int maximum = AngleBarMaximum);

// Rotates every point of source into view: about y, then z, then x. Both passes run on every core.
void RotatePoints(const MList<MPoint3DN<float>>& source, const ViewAngles& angles, MList<MPoint3DN<float>>& view);

// The ends of one stick cut back to the surfaces of its two balls in the rotated view: P2 on the
// ball of atom I1, P1 on the ball of atom I2 (when balls overlap, the ends cross).
MStickEnds CutStickEnds(const MStickAtoms& stick, const MList<MPoint3DN<float>>& view, const MListAdr<MAtom*>& elements,
                        float kRPoint);

// The cut ends of every stick, in the order of sticks.
void CutStickEnds(const MList<MStickAtoms>& sticks, const MList<MPoint3DN<float>>& view,
                  const MListAdr<MAtom*>& elements, float kRPoint, MList<MStickEnds>& stickView);

#endif
