#ifndef PELMORA_TESTS_APP_CORE_MODEL_SMALLELEMENTS_H
#define PELMORA_TESTS_APP_CORE_MODEL_SMALLELEMENTS_H

// A small element table as the model holds it: carbon, hydrogen, chlorine and the "-" fallback.
// Each record is what the table reader makes of its line in SmallElementLines (io/): the radius
// serves as the bond radius too.

#include <cstdint>
#include <string_view>

#include "MListAdr.h"
#include "SceneRecords.h"

struct SmallElement {
    const char* name;
    float radius;
    std::int32_t color;
};
inline constexpr SmallElement SmallElementRecords[] = {
    {"C", 0.76f, 0x00909090},
    {"H", 0.31f, 0x00FFFFFF},
    {"Cl", 1.02f, 0x001FF01F},
    {"-", 0.70f, 0x00FF00FF},
};
inline constexpr int CarbonIndex = 0;
inline constexpr int HydrogenIndex = 1;
inline constexpr int ChlorineIndex = 2;
inline constexpr int FallbackIndex = 3;

// Replaces the elements with the small table's, without the fallback when asked.
inline void LoadSmallElements(MListAdr<MAtom*>& elements, bool withFallback = true)
{
    elements.bAutoDelete = true;
    elements.bAutoCreate = true;
    elements.Clear();
    for (const SmallElement& element : SmallElementRecords) {
        if (!withFallback && element.name == std::string_view("-"))
            continue;
        elements.Add(new MAtom{element.name, element.radius, element.color, element.radius});
    }
}

#endif
