#ifndef PELMORA_MCLASESS_MPOINT_H
#define PELMORA_MCLASESS_MPOINT_H

// A 2-D point: the frame's point marks (float) and its synchronised cursor (double).
// Its stream methods are non-virtual so that the point stays trivially copyable and can live in
// lists, which move their elements as raw bytes.

#include "MStream.h"
#include "MTrace.h"

#include <type_traits>

template <class T>
struct MPoint {
    T x{}, y{};

    // Reads x then y (sizeof(T) bytes each). A null or short stream fails and leaves the point
    // as it was.
    bool LoadFromStream(MStream* MS);
    // Writes x then y; fails on a null stream or a stream error.
    bool SaveToStream(MStream* MS) const;

    // Equal when both coordinates are equal (a NaN coordinate never is).
    bool operator==(const MPoint& other) const { return x == other.x && y == other.y; }
    // Greater when farther from the origin. Squares are formed in long double so that large
    // coordinates neither overflow nor tie where single precision would.
    bool operator>(const MPoint& other) const { return SquaredLength() > other.SquaredLength(); }

private:
    long double SquaredLength() const
    {
        const long double lx = x;
        const long double ly = y;
        return lx * lx + ly * ly;
    }
};

static_assert(std::is_trivially_copyable_v<MPoint<float>>);
static_assert(sizeof(MPoint<float>) == 8 && sizeof(MPoint<double>) == 16);

template <class T>
bool MPoint<T>::LoadFromStream(MStream* MS)
{
    if (MS == nullptr) {
        TraceError(TraceUnitText, "!Stream", "MPoint<T>::LoadFromStream");
        return false;
    }
    try {
        T readX{};
        T readY{};
        MS->Read(&readX, sizeof(T));
        MS->Read(&readY, sizeof(T));
        x = readX;
        y = readY;
        return true;
    } catch (...) {
        TraceError(TraceUnitText, "Error stream", "MPoint<T>::LoadFromStream");
        return false;
    }
}

template <class T>
bool MPoint<T>::SaveToStream(MStream* MS) const
{
    if (MS == nullptr) {
        TraceError(TraceUnitText, "!Stream", "MPoint<T>::SaveToStream");
        return false;
    }
    try {
        MS->Write(&x, sizeof(T));
        MS->Write(&y, sizeof(T));
        return true;
    } catch (...) {
        TraceError(TraceUnitText, "Error stream", "MPoint<T>::SaveToStream");
        return false;
    }
}

#endif
