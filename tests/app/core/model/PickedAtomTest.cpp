#include "PickedAtom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

PickedAtom At(double x, double y, double z)
{
    PickedAtom atom;
    atom.RepeatedX = x;
    atom.RepeatedY = y;
    atom.RepeatedZ = z;
    return atom;
}

// The ethane-like chain H-C-C-H along x, the first hydrogen turned by `degrees` about the axis
// from +y towards +z (clockwise, seen along C-C from the first carbon).
std::vector<PickedAtom> Chain(double degrees)
{
    const double a = degrees * std::acos(-1.0) / 180;
    return {At(-0.5, std::cos(a), std::sin(a)), At(0, 0, 0), At(1.5, 0, 0), At(2, 1, 0)};
}

TEST(MeasurementLine, DistancesAnglesAndDihedralsOfKnownGeometries)
{
    const double waterAngle = 104.5 * std::acos(-1.0) / 180;
    // Water: O at the origin, both hydrogens 0.9572 away, 104.5 degrees apart.
    const PickedAtom oxygen = At(0, 0, 0);
    const PickedAtom h1 = At(0.9572, 0, 0);
    const PickedAtom h2 = At(0.9572 * std::cos(waterAngle), 0.9572 * std::sin(waterAngle), 0);
    struct Case {
        const char* name;
        std::vector<PickedAtom> picked;
        std::string line;
    };
    const Case cases[] = {
        {"nothing picked", {}, ""},
        {"one atom", {oxygen}, ""},
        {"an O-H bond, rounded to 3 decimals", {oxygen, h1}, "distance 0.957 Å"},
        {"the H-O-H angle; the distance is of the last two", {h1, oxygen, h2}, "distance 0.957 Å  angle 104.5°"},
        {"H...H", {h1, h2}, "distance 1.514 Å"},
        // Seen along C-C, the front hydrogen turned clockwise from the back one must turn back
        // anticlockwise to cover it: a negative dihedral.
        {"staggered, front turned clockwise: -60", Chain(60), "distance 1.118 Å  angle 116.6°  dihedral -60.0°"},
        {"staggered the other way: 60", Chain(-60), "distance 1.118 Å  angle 116.6°  dihedral 60.0°"},
        {"anti: 180, never -180", Chain(180), "distance 1.118 Å  angle 116.6°  dihedral 180.0°"},
        {"just short of anti on the other side", Chain(-179.97), "distance 1.118 Å  angle 116.6°  dihedral 180.0°"},
        {"eclipsed: 0, without a minus sign", Chain(0.01), "distance 1.118 Å  angle 116.6°  dihedral 0.0°"},
        {"of five, the last four",
         {h2, At(-0.5, 1, 0), At(0, 0, 0), At(1.5, 0, 0), At(2, 1, 0)},
         "distance 1.118 Å  angle 116.6°  dihedral 0.0°"},
        {"a straight angle", {At(-1, 0, 0), At(0, 0, 0), At(2, 0, 0)}, "distance 2.000 Å  angle 180.0°"},
        {"the same atom twice", {oxygen, h1, h1}, "distance 0.000 Å  angle undefined"},
        {"three on one line: no dihedral",
         {At(0, 1, 0), At(0, 0, 0), At(1, 0, 0), At(2, 0, 0)},
         "distance 1.000 Å  angle 180.0°  dihedral undefined"},
        {"rounded at the 4th decimal", {At(0, 0, 0), At(1.2346, 0, 0)}, "distance 1.235 Å"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MeasurementLine(c.picked), c.line);
    }
}

TEST(AtomReadOut, NamesTheAtomItsLineItsPlaceAndItsCopy)
{
    PickedAtom oxygen;
    oxygen.Symbol = "O";
    oxygen.Element = "O";
    oxygen.FileAtom = 7;
    oxygen.FileLine = 9;
    oxygen.X = 1.2344;
    oxygen.Y = -0.5;
    oxygen.Z = 2;
    oxygen.CopyI = 1;
    PickedAtom label = oxygen;
    label.Symbol = "O1";
    label.CopyI = 0;
    label.FileLine = 0;
    label.X = -0.0001;
    struct Case {
        const char* name;
        PickedAtom atom;
        std::string text;
    };
    const Case cases[] = {
        {"a repeated copy", oxygen, "O 7 (line 9)  x 1.234  y -0.500  z 2.000 Å  copy (1, 0)"},
        {"a label drawn as its element, line unknown, the atoms as read", label,
         "O1 (O) 7  x 0.000  y -0.500  z 2.000 Å"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AtomReadOut(c.atom), c.text);
    }
}

}  // namespace
