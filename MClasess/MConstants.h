#ifndef PELMORA_MCLASESS_MCONSTANTS_H
#define PELMORA_MCLASESS_MCONSTANTS_H

// Constants shared by the viewer frame, the number text helpers and the scene core.
// Pi is written with 11 decimals, not std::numbers::pi: angles, SVG rotations and the
// stored files of earlier versions were all computed with this value, and pictures must
// come out pixel for pixel the same.
inline constexpr double Pi = 3.14159265359;
inline constexpr double PiHalf = Pi / 2;
inline constexpr double Pi2 = 6.28318530718;
inline constexpr double Sqrt2 = 1.414213562373;
// Start value of minimum and maximum searches: the largest single-precision value, rounded.
inline constexpr float MaxFloatStart = 3.4e38f;

#endif
