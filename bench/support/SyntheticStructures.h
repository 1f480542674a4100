#ifndef PELMORA_BENCH_SUPPORT_SYNTHETICSTRUCTURES_H
#define PELMORA_BENCH_SUPPORT_SYNTHETICSTRUCTURES_H

// Structures of known size for the benchmarks: a graphene-like cell that tiles seamlessly, the
// sheet it makes when repeated, and XYZ text of any size. Bonds are 1.42 apart, so at the stick
// factor 1.24 (bar 54) every carbon has three sticks and second neighbours (2.46) have none.

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ElementTable.h"
#include "PeriodicTranslation.h"
#include "Scene.h"
#include "TextBuffer.h"

inline constexpr double GrapheneBond = 1.42;
inline const double GrapheneRowStep = GrapheneBond * std::sqrt(3.0);  // 2.4595...

// The rectangular cell of four carbons, repeated cellsX x cellsY times inside one cell: its
// lattice steps are the cell's width and height.
struct GrapheneCell {
    std::vector<MPoint3DN<float>> atoms;
    double width = 0;
    double height = 0;
};

inline GrapheneCell MakeGrapheneCell(int cellsX, int cellsY, int carbonIndex)
{
    GrapheneCell cell;
    cell.width = GrapheneRowStep * cellsX;
    cell.height = 3 * GrapheneBond * cellsY;
    const double basis[4][2] = {{0, 0},
                                {GrapheneRowStep / 2, GrapheneBond / 2},
                                {GrapheneRowStep / 2, 1.5 * GrapheneBond},
                                {0, 2 * GrapheneBond}};
    for (int i = 0; i < cellsX; ++i)
        for (int j = 0; j < cellsY; ++j)
            for (const auto& b : basis)
                cell.atoms.push_back(MPoint3DN<float>{static_cast<float>(b[0] + i * GrapheneRowStep),
                                                      static_cast<float>(b[1] + j * 3 * GrapheneBond), 0.0f,
                                                      carbonIndex, -1});
    return cell;
}

// The element table shipped with the program.
inline void LoadShippedElements(MListAdr<MAtom*>& elements)
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    (void)LoadAtom(table.Lines(), elements);
}

inline int ElementIndexOf(const MListAdr<MAtom*>& elements, const std::string& name)
{
    for (int e = 0; e < elements.FCount; ++e)
        if (elements.Data[e]->Name == name)
            return e;
    return -1;
}

// A graphene patch of exactly `atoms` carbons (a multiple of 4), as square as the count allows.
inline GrapheneCell MakeGraphenePatch(int atoms, int carbonIndex)
{
    const int cells = atoms / 4;
    int cellsX = 1;
    for (int candidate = 1; candidate * candidate <= cells; ++candidate)
        if (cells % candidate == 0)
            cellsX = candidate;
    return MakeGrapheneCell(cellsX, cells / cellsX, carbonIndex);
}

// A scene whose LXyz holds a graphene cell of `atoms` atoms (a multiple of 4), with the lattice
// that tiles it.
inline TranslationCell LoadGrapheneCell(Scene& scene, int atoms)
{
    LoadShippedElements(scene.LAtom);
    const GrapheneCell cell = MakeGraphenePatch(atoms, ElementIndexOf(scene.LAtom, "C"));
    scene.LXyz.Clear();
    for (const auto& atom : cell.atoms)
        scene.LXyz.Add(atom);
    return TranslationCell{1, 1, cell.width, cell.height, 0, 0};
}

// XYZ text of a slightly rumpled graphene sheet with `atoms` carbons and some hydrogens.
inline std::string MakeXyzText(int atoms)
{
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> rumple(-0.2, 0.2);
    const GrapheneCell cell = MakeGraphenePatch((atoms + 3) / 4 * 4, 0);
    std::string text = std::to_string(atoms) + "\nsynthetic sheet\n";
    char line[96];
    for (int i = 0; i < atoms; ++i) {
        const MPoint3DN<float>& a = cell.atoms[static_cast<std::size_t>(i)];
        std::snprintf(line, sizeof line, "%s %12.6f %12.6f %12.6f\n", i % 10 == 9 ? "H" : "C", double(a.x), double(a.y),
                      rumple(random));
        text += line;
    }
    return text;
}

// XYZ text of `frames` frames of a graphene sheet of `atoms` carbons (every tenth a hydrogen)
// whose atoms shake a little from frame to frame, as in a simulation.
inline std::string MakeTrajectoryText(int frames, int atoms)
{
    const GrapheneCell cell = MakeGraphenePatch((atoms + 3) / 4 * 4, 0);
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> shake(-0.05, 0.05);
    std::string text;
    char line[96];
    for (int frame = 1; frame <= frames; ++frame) {
        text += std::to_string(atoms) + "\nframe " + std::to_string(frame) + "\n";
        for (int i = 0; i < atoms; ++i) {
            const MPoint3DN<float>& a = cell.atoms[static_cast<std::size_t>(i)];
            std::snprintf(line, sizeof line, "%s %12.6f %12.6f %12.6f\n", i % 10 == 9 ? "H" : "C",
                          double(a.x) + shake(random), double(a.y) + shake(random), shake(random));
            text += line;
        }
    }
    return text;
}

#endif
