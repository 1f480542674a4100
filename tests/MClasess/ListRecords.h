#ifndef PELMORA_TESTS_MCLASESS_LISTRECORDS_H
#define PELMORA_TESTS_MCLASESS_LISTRECORDS_H

// Records for the list tests, shaped as the lists' users shape theirs: plain values whose
// equality and order are what a list sorts and searches by, stored in streams as their memory
// image.

#include <algorithm>
#include <cstdint>
#include <type_traits>

// Ordered by its key alone, and any two entries are equal: a list never refuses or merges one,
// and a search finds the first entry whatever it asks for.
struct KeyedEntry {
    float Key = 0;
    std::int32_t Id = -1;
    std::int32_t Other = -1;

    bool operator==(const KeyedEntry&) const { return true; }
    bool operator>(const KeyedEntry& other) const { return Key > other.Key; }
};

// A point with two indexes: equal to a point at the same place, ordered by its depth z.
struct IndexedPoint {
    float x = 0, y = 0, z = 0;
    std::int32_t A = 0;
    std::int32_t B = 0;

    bool operator==(const IndexedPoint& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator>(const IndexedPoint& other) const { return z > other.z; }
};

// Two points and two indexes: any two pairs are equal, ordered by the nearer point.
struct PointPair {
    IndexedPoint P1, P2;
    std::int32_t I1 = 0;
    std::int32_t I2 = 0;

    bool operator==(const PointPair&) const { return true; }
    bool operator>(const PointPair& other) const { return Depth() > other.Depth(); }
    float Depth() const { return std::max(P1.z, P2.z); }
};

// Only ever pointed to: a list of such pointers never follows them.
struct Unreachable;

static_assert(sizeof(KeyedEntry) == 12 && std::is_trivially_copyable_v<KeyedEntry>);
static_assert(sizeof(IndexedPoint) == 20 && std::is_trivially_copyable_v<IndexedPoint>);
static_assert(sizeof(PointPair) == 48 && std::is_trivially_copyable_v<PointPair>);

#endif
