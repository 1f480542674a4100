#ifndef PELMORA_APP_CORE_SCENERECORDS_H
#define PELMORA_APP_CORE_SCENERECORDS_H

// The records of the molecule model. MPoint3DN, MStick and MObj are plain values held in value
// lists and stored in streams as their memory image (sizes checked below); MAtom and MGroup are
// single heap objects held by the owning lists LAtom and LGroup.
//
// Equality and order are what the lists sort and search by: a point's order is its depth z
// alone, a stick's the depth of its nearer end, a draw entry's its key Z. Sticks and draw
// entries all compare equal, so a list of them never refuses or merges one.
//
// The sticks are the bulk of a large scene (three per atom in a carbon sheet), so LStick and
// LStickView keep each stick in the records MStickAtoms and MStickEnds, which hold what MStick
// holds without repeating what another list already has.

#include <algorithm>
#include <cstdint>
#include <string>
#include <type_traits>

// One element of the element table.
struct MAtom {
    std::string Name;        // element symbol, trimmed; matched case-sensitively
    float Radius = 0;        // ball radius in model units, before the "K atom radius" factor
    std::int32_t Color = 0;  // 0x00BBGGRR
    float RadiusLink = 0;    // radius used in the stick-length threshold
};

// An atom: coordinates, the index of its element in LAtom and of its group in LGroup (-1: none).
template <class T>
struct MPoint3DN {
    T x{}, y{}, z{};
    std::int32_t N = 0;
    std::int32_t Group = 0;

    // The indexes take no part: two atoms at one place are equal whatever their element.
    bool operator==(const MPoint3DN& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator>(const MPoint3DN& other) const { return z > other.z; }
};

// A point's coordinates alone.
template <class T>
struct MPoint3D {
    T x{}, y{}, z{};
};

// A stick between the atoms I1 and I2 of the point list it was built from, with copies of both
// points: the full record, as tests and the stream form know it. The scene keeps its sticks
// in the two smaller records below.
template <class T>
struct MStick {
    MPoint3DN<T> P1, P2;
    std::int32_t I1 = 0;
    std::int32_t I2 = 0;

    bool operator==(const MStick&) const { return true; }
    bool operator>(const MStick& other) const { return Depth() > other.Depth(); }

    T Depth() const { return std::max(P1.z, P2.z); }
};

// A stick of LStick as the scene keeps it: the atoms I1 and I2 it joins, indexes into LXyzTrans.
// The copies of the two points that MStick carries are LXyzTrans[I1] and LXyzTrans[I2], and
// nothing reads them before the list is rebuilt, so they are not stored: a sheet of a million
// atoms has three million sticks, which take 24 MB this way instead of 144 MB.
struct MStickAtoms {
    std::int32_t I1 = 0;
    std::int32_t I2 = 0;

    bool operator==(const MStickAtoms&) const { return true; }
    bool operator>(const MStickAtoms&) const { return false; }
};

// A stick of LStickView, at the same index as its stick in LStick: the rotated ends cut back to
// the balls, P2 on the ball of atom I1 and P1 on the ball of atom I2 of that stick. I1 and I2 are
// read from LStick rather than repeated here (24 bytes a stick instead of 48).
struct MStickEnds {
    MPoint3D<float> P1, P2;

    bool operator==(const MStickEnds&) const { return true; }
    bool operator>(const MStickEnds& other) const { return Depth() > other.Depth(); }

    // A stick is as deep as its nearer end.
    float Depth() const { return std::max(P1.z, P2.z); }
};

// One entry of the draw list: a ball (iAtom into LXyzView) or a stick (iStick into
// LStickView), the other index -1, drawn in ascending Z.
struct MObj {
    float Z = 0;
    std::int32_t iAtom = -1;
    std::int32_t iStick = -1;

    bool operator==(const MObj&) const { return true; }
    bool operator>(const MObj& other) const { return Z > other.Z; }
};

// A run of atoms of one element, consecutive in depth.
struct MGroup {
    std::string Name;
};

// Their stream records are their memory images: no padding may creep in.
static_assert(sizeof(MPoint3DN<float>) == 20 && std::is_trivially_copyable_v<MPoint3DN<float>>);
static_assert(sizeof(MStick<float>) == 48 && std::is_trivially_copyable_v<MStick<float>>);
static_assert(sizeof(MStickAtoms) == 8 && std::is_trivially_copyable_v<MStickAtoms>);
static_assert(sizeof(MStickEnds) == 24 && std::is_trivially_copyable_v<MStickEnds>);
static_assert(sizeof(MObj) == 12 && std::is_trivially_copyable_v<MObj>);

#endif
