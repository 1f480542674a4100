#ifndef PELMORA_MCLASESS_MCOLOR_H
#define PELMORA_MCLASESS_MCOLOR_H

#include <cstdint>

// A colour as 0x00BBGGRR, red in the low byte; stored in streams as a signed 32-bit value.
using TColor = std::int32_t;

#endif
