#include "ControlOptions.h"

namespace {

// The range of the Translate panel's two spin edits.
constexpr int MaxCopies = 10;

const WholeNumberOption WholeNumberOptionTable[] = {
    {"stick-length", "P", 0, StickBarMaximum, 0, "Position of the \"K Min stick length\" bar",
     [](ExportOptions& o, int v) { o.Sticks.StickPosition = v; }},
    {"atom-radius", "P", 1, AtomRadiusBarMaximum, 500, "Position of the \"K atom radius\" bar",
     [](ExportOptions& o, int v) { o.Sticks.AtomRadiusPosition = v; }},
    {"stick-radius", "P", 1, StickRadiusBarMaximum, 500, "Position of the \"Stick radius\" bar",
     [](ExportOptions& o, int v) { o.StickRadiusPosition = v; }},
    {"angle-x", "P", 0, AngleBarMaximum, 0, "Angle about x in tenths of a degree",
     [](ExportOptions& o, int v) { o.Angles.Ax = v; }},
    {"angle-y", "P", 0, AngleBarMaximum, 0, "Angle about y in tenths of a degree",
     [](ExportOptions& o, int v) { o.Angles.Ay = v; }},
    {"angle-z", "P", 0, AngleBarMaximum, 0, "Angle about z in tenths of a degree",
     [](ExportOptions& o, int v) { o.Angles.Az = v; }},
    {"nx", "N", 1, MaxCopies, 1, "Copies along the first lattice vector (ax, dy)",
     [](ExportOptions& o, int v) { o.Cell.Nx = v; }},
    {"ny", "N", 1, MaxCopies, 1, "Copies along the second lattice vector (dx, ay)",
     [](ExportOptions& o, int v) { o.Cell.Ny = v; }},
};

const DecimalOption DecimalOptionTable[] = {
    {"ax", "x step between copies along the first vector (default 10, or a1 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Ax = v;
         o.StepsGiven.Ax = true;
     }},
    {"ay", "y step between copies along the second vector (default 10, or b2 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Ay = v;
         o.StepsGiven.Ay = true;
     }},
    {"dx", "x shift per step along the second vector (default 0, or b1 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Dx = v;
         o.StepsGiven.Dx = true;
     }},
    {"dy", "y shift per step along the first vector (default 0, or a2 of the file's Lattice=).",
     [](ExportOptions& o, double v) {
         o.Cell.Dy = v;
         o.StepsGiven.Dy = true;
     }},
};

}  // namespace

std::span<const WholeNumberOption> WholeNumberOptions() { return WholeNumberOptionTable; }

std::span<const DecimalOption> DecimalOptions() { return DecimalOptionTable; }
