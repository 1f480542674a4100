#ifndef PELMORA_TESTS_APP_CORE_ELEMENTFIXTURE_H
#define PELMORA_TESTS_APP_CORE_ELEMENTFIXTURE_H

#include <string>
#include <vector>

#include "ElementTable.h"

// A small element table: carbon, hydrogen, chlorine and the "-" fallback.
inline const std::vector<std::string>& SmallElementLines()
{
    static const std::vector<std::string> lines = {
        "Symbol\tRadius\tColor\tRadiusVdW",
        "C\t0.76\t0x00909090\t1.70",
        "H\t0.31\t0x00FFFFFF\t1.20",
        "Cl\t1.02\t0x001FF01F\t1.75",
        "-\t0.70\t0x00FF00FF\t2.00",
    };
    return lines;
}
inline constexpr int CarbonIndex = 0;
inline constexpr int HydrogenIndex = 1;
inline constexpr int ChlorineIndex = 2;
inline constexpr int FallbackIndex = 3;

inline void LoadSmallElements(MListAdr<MAtom*>& elements, bool withFallback = true)
{
    std::vector<std::string> lines = SmallElementLines();
    if (!withFallback)
        lines.pop_back();
    elements.bAutoDelete = true;
    elements.bAutoCreate = true;
    (void)LoadAtom(lines, elements);
}

#endif
