#ifndef PELMORA_MCLASESS_MSINGLE_H
#define PELMORA_MCLASESS_MSINGLE_H

// Rounding a double-precision result to single precision at a fixed step of a calculation.
//
// Coordinates, radii and factors are floats whose sums and products are formed in double
// precision and rounded to single precision at fixed steps, so that a picture, an SVG number
// or a depth order comes out the same in every build. A plain cast is not enough for that:
// GCC 12's basic-block vectoriser at -O2 may keep a rounded intermediate in a double lane and
// feed the unrounded value to the next step. The empty asm statement below makes the rounded
// float an opaque register value that the optimiser has to produce and cannot see through;
// it costs no instruction.

#include <cmath>
#include <cstdint>
#include <optional>

[[nodiscard]] inline float ToSingle(double value) noexcept
{
    float rounded = static_cast<float>(value);
#if defined(__GNUC__) && (defined(__x86_64__) || (defined(__i386__) && defined(__SSE_MATH__)))
    asm("" : "+x"(rounded));
#elif defined(__GNUC__) && defined(__aarch64__)
    asm("" : "+w"(rounded));
#elif defined(__GNUC__)
    asm("" : "+m"(rounded));
#else
    volatile float stored = rounded;
    rounded = stored;
#endif
    return rounded;
}

// The same rounding for a value that must stay finite: nothing when the double lies beyond
// the single-precision range (it would become infinite) or is not a number.
[[nodiscard]] inline std::optional<float> ToFiniteSingle(double value) noexcept
{
    const float rounded = ToSingle(value);
    if (!std::isfinite(rounded))
        return std::nullopt;
    return rounded;
}

#endif
