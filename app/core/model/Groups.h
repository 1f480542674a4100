#ifndef PELMORA_APP_CORE_GROUPS_H
#define PELMORA_APP_CORE_GROUPS_H

#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"

// Partitions the atoms (sorted by ascending z) into groups: runs of consecutive atoms of one
// element whose z gaps never exceed the sum of the two neighbours' radii. Rebuilds groups and
// sets every atom's Group to its group's index.
void BuildGroups(MList<MPoint3DN<float>>& atoms, const MListAdr<MAtom*>& elements, MListAdr<MGroup*>& groups);

#endif
