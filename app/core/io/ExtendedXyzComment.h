#ifndef PELMORA_APP_CORE_EXTENDEDXYZCOMMENT_H
#define PELMORA_APP_CORE_EXTENDEDXYZCOMMENT_H

// What the comment line of an extended XYZ frame declares. The line is a run of key=value pairs
// separated by blanks; a value is a word, a double-quoted text (a backslash takes the next
// character as it is) or a braced list; keys are matched without regard to case.
//   Properties=species:S:1:pos:R:3:forces:R:3   names the columns of the atom lines, each
//     name:type:count taking count columns, in order;
//     (a Z column of atomic numbers stands for species when there is none);
//   Lattice="a1 a2 a3 b1 b2 b3 c1 c2 c3"        gives the cell vectors a, b and c;
//   pbc="T T F"                                  says along which of them the cell repeats.
// Another key is left alone. A declaration the reader cannot use is not followed (the file is
// then read as a plain one), and the reader says why.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where an atom's symbol and coordinates stand among the fields of its line (0-based): the
// symbol in field Species, x, y and z in fields X, X + 1 and X + 2.
struct XyzColumns {
    std::size_t Species = 0;
    std::size_t X = 1;

    // The fields a line needs so that all four are there.
    std::size_t FieldsNeeded() const;
    friend bool operator==(const XyzColumns&, const XyzColumns&) = default;
};

// What a comment declares under one key: the value when the reader follows the declaration, or
// why it does not (the key is there, its value cannot be used); neither when the key is absent.
template <class T>
struct XyzDeclaration {
    std::optional<T> value;
    std::string ignored;  // "'x' is not a column count"; empty when followed or absent
};

// The columns of "species" (one column; else "Z", one column of atomic numbers) and "pos"
// (three) when the comment declares both in a Properties= value the reader understands.
XyzDeclaration<XyzColumns> ColumnsDeclaredBy(std::string_view comment);
inline std::optional<XyzColumns> DeclaredXyzColumns(std::string_view comment)
{
    return ColumnsDeclaredBy(comment).value;
}

// A cell whose first two vectors lie in the x-y plane, a = (a1, a2, 0) and b = (b1, b2, 0): the
// repeat of the Translate panel. The numbers are kept as written, for the panel's edits, and as
// those edits read them.
struct XyzPlaneLattice {
    std::string A1, A2, B1, B2;
    double Ax = 0;  // a1
    double Dy = 0;  // a2
    double Dx = 0;  // b1
    double Ay = 0;  // b2
};

// The Lattice= cell when it has nine numbers the edits accept (StrToDoubleInSingleRange), its
// vectors a and b have a z of zero, and pbc= does not say that it repeats along neither a nor b.
// A component within 1e-6 of zero counts as zero (and reads "0").
XyzDeclaration<XyzPlaneLattice> PlaneLatticeDeclaredBy(std::string_view comment);
inline std::optional<XyzPlaneLattice> PlaneLatticeOf(std::string_view comment)
{
    return PlaneLatticeDeclaredBy(comment).value;
}

// What the user reads about a declaration in the comment of line `line` (0-based) that is not
// followed: "Line 2: Lattice= ignored (its vectors a and b do not lie in the x-y plane)".
std::string IgnoredDeclarationNote(std::int64_t line, std::string_view key, const std::string& why);

// The value of key in the comment (quotes and braces removed, escapes resolved), if it is there.
std::optional<std::string> ExtendedXyzValue(std::string_view comment, std::string_view key);

#endif
