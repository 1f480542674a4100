#ifndef PELMORA_APP_CORE_DEPTHKEY_H
#define PELMORA_APP_CORE_DEPTHKEY_H

// The key a depth is sorted by: unsigned numbers in the order of the floats, -0 and +0 one
// number. Packed into the upper half of a 64-bit key with an element's place in the lower half,
// it lets the heap sort of MHeapSort.h sort places by depth with 8-byte moves.

#include <bit>
#include <cstdint>

// value must not be a NaN.
inline std::uint32_t DepthKey(float value)
{
    if (value == 0)
        value = 0;  // -0 compares equal to +0, so it gets its key
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

#endif
