#ifndef PELMORA_TESTS_APP_CORE_IO_SMALLELEMENTLINES_H
#define PELMORA_TESTS_APP_CORE_IO_SMALLELEMENTLINES_H

// The small element table of SmallElements.h (model/) as the lines of a table file: the table
// reader makes exactly those records of them (ElementTableTest checks it).

#include <string>
#include <vector>

inline const std::vector<std::string>& SmallElementLines()
{
    static const std::vector<std::string> lines = {
        "Symbol\tRadius\tColor\tRadiusVdW", "C\t0.76\t0x00909090\t1.70", "H\t0.31\t0x00FFFFFF\t1.20",
        "Cl\t1.02\t0x001FF01F\t1.75",       "-\t0.70\t0x00FF00FF\t2.00",
    };
    return lines;
}

#endif
