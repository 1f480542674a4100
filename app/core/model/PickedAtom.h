#ifndef PELMORA_APP_CORE_PICKEDATOM_H
#define PELMORA_APP_CORE_PICKEDATOM_H

// An atom picked on the picture: where it comes from in the file, which repeated copy it is, and
// where that copy lies, with the texts the window shows for one atom and for a few of them.

#include <cstdint>
#include <string>
#include <vector>

struct PickedAtom {
    std::int64_t SceneAtom = -1;  // index of the repeated atom in the scene's lists (LXyzTrans / LXyzView order)
    std::string Symbol;           // the symbol as read from the file
    std::string Element;          // the element it is drawn as (the element table's symbol)
    std::int64_t FileAtom = 0;    // 1-based number of the atom within its frame
    std::int64_t FileLine = 0;    // 1-based line of the file that holds the atom (0: not known)
    double X = 0, Y = 0, Z = 0;   // coordinates as read (Angstrom, before centring)
    int CopyI = 0, CopyJ = 0;     // which repeated copy (0, 0 = the atoms as read)
    double RepeatedX = 0, RepeatedY = 0, RepeatedZ = 0;  // Angstrom, the copy's cell offset added (for measuring)
};

// One line for the read-out, e.g. "O 7 (line 9)  x 1.234  y -0.500  z 2.000 Å  copy (1, 0)": the
// symbol as read (followed by the element in brackets when it is drawn as another one), the
// number in the frame, the line when it is known, the coordinates as read with 3 decimals, and
// the copy when it is not the atoms as read.
std::string AtomReadOut(const PickedAtom& atom);

// The measurement line for up to four picked atoms, from their repeated coordinates: the last two
// give the distance in Angstrom with 3 decimals, the last three the angle, four the dihedral
// (-180 to 180), degrees with 1 decimal; e.g. "distance 1.540 Å  angle 109.5°  dihedral 60.0°".
// An angle or dihedral that has no direction (two atoms at one place, three on one line) reads
// "undefined". Empty for fewer than two atoms; of more than four, the last four are measured.
std::string MeasurementLine(const std::vector<PickedAtom>& picked);

#endif
