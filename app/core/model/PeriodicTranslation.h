#ifndef PELMORA_APP_CORE_PERIODICTRANSLATION_H
#define PELMORA_APP_CORE_PERIODICTRANSLATION_H

#include <cstdint>
#include <vector>

#include "MList.h"
#include "SceneRecords.h"

// The periodic repeat of a cell: Nx x Ny copies along the lattice vectors (Ax, dy, 0) and
// (dx, Ay, 0); z is never shifted.
struct TranslationCell {
    int Nx = 1;
    int Ny = 1;
    double Ax = 10;
    double Ay = 10;
    double Dx = 0;
    double Dy = 0;
};

// Atoms closer than this after repetition are one atom.
inline constexpr double NearDuplicateDistance = 0.01;

// Replaces repeated with the copies, copy by copy (i over Nx, within it j over Ny), each copy in
// the order of cell; x and y are summed in double precision and rounded to single precision once.
// A copy of an atom that its step carries beyond the single-precision range is left out: it could
// be neither centred nor drawn, and its infinite place would take the centre of every other atom
// with it. Returns how many copies were left out. Throws std::length_error when the copies are
// more than a list holds, std::bad_alloc when they do not fit in memory.
// With origin, it receives for every point of repeated its place in the whole repeat
// (copy * cell count + index in cell, copy = i * Ny + j), which tells the copy and the atom.
int RepeatCell(const MList<MPoint3DN<float>>& cell, const TranslationCell& lattice, MList<MPoint3DN<float>>& repeated,
               std::vector<std::int32_t>* origin = nullptr);

// Removes every point that lies within NearDuplicateDistance of an earlier point that stays, so
// of coinciding atoms the copy made first is kept; the order of the others is kept.
// Linear in the number of points, through a spatial grid.
// With origin (one entry per point), the entries of the points removed are removed with them.
void RemoveNearDuplicates(MList<MPoint3DN<float>>& points, std::vector<std::int32_t>* origin = nullptr);

#endif
