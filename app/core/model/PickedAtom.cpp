#include "PickedAtom.h"

#include "FixedDecimals.h"

std::string AtomReadOut(const PickedAtom& atom)
{
    std::string text = atom.Symbol.empty() ? atom.Element : atom.Symbol;
    if (!atom.Symbol.empty() && atom.Symbol != atom.Element)
        text += " (" + atom.Element + ")";
    text += " " + std::to_string(atom.FileAtom);
    if (atom.FileLine > 0)
        text += " (line " + std::to_string(atom.FileLine) + ")";
    text += "  x " + FixedDecimals(atom.X, 3) + "  y " + FixedDecimals(atom.Y, 3) + "  z " + FixedDecimals(atom.Z, 3)
        + " \u00C5";
    if (atom.CopyI != 0 || atom.CopyJ != 0)
        text += "  copy (" + std::to_string(atom.CopyI) + ", " + std::to_string(atom.CopyJ) + ")";
    return text;
}
