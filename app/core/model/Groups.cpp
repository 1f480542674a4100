#include "Groups.h"

#include <string_view>

namespace {
// A name no element has, so the first atom always opens a group.
constexpr const char* NoElementName = "*=";
}  // namespace

void BuildGroups(MList<MPoint3DN<float>>& atoms, const MListAdr<MAtom*>& elements, MListAdr<MGroup*>& groups)
{
    groups.SetCount(0);
    std::string_view previousName = NoElementName;
    float previousRadius = 0;
    float previousZ = 0;
    int group = -1;
    for (int i = 0; i < atoms.FCount; ++i) {
        MPoint3DN<float>& atom = atoms.Data[i];
        const MAtom* element = elements.Data[atom.N];
        if (element->Name != previousName || double(previousRadius) + element->Radius < double(atom.z) - previousZ) {
            MGroup* created = new MGroup();
            created->Name = element->Name;
            group = groups.Add(created);
        }
        atom.Group = group;
        previousName = element->Name;
        previousRadius = element->Radius;
        previousZ = atom.z;
    }
}
