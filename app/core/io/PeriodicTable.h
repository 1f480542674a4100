#ifndef PELMORA_APP_CORE_PERIODICTABLE_H
#define PELMORA_APP_CORE_PERIODICTABLE_H

// The symbols of the elements by atomic number, built in: files that name their atoms by
// number ("26" for iron) are read with whatever element table the program was given.

#include <string_view>

inline constexpr int LargestAtomicNumber = 118;

// The symbol of the element with this atomic number ("Fe" for 26); empty outside
// 1..LargestAtomicNumber.
std::string_view ElementSymbolOfAtomicNumber(int atomicNumber);

#endif
