// The headless export as a person runs it: the built program, started as a child process, reads
// a 1,000-atom cell, repeats it 10 x 10 with sticks and writes a 3000 x 3000 PNG. Beside it, the
// PNG encoding of that picture alone, to show how much of the whole it is.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "MBmpSaveLoad.h"
#include "SceneDrawing.h"
#include "SyntheticStructures.h"

extern char** environ;

namespace {

constexpr int CellAtoms = 1000;
constexpr int Copies = 10;
const std::string CellFile = "/tmp/pelmora-bench-cell-" + std::to_string(::getpid()) + ".xyz";
const std::string PictureFile = "/tmp/pelmora-bench-export-" + std::to_string(::getpid()) + ".png";

std::string Decimal(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The cell as an XYZ file, and the lattice steps that tile it.
GrapheneCell WriteCellFile()
{
    const GrapheneCell cell = MakeGraphenePatch(CellAtoms, 0);
    std::ofstream file(CellFile);
    file << cell.atoms.size() << "\ngraphene cell\n";
    for (const auto& atom : cell.atoms)
        file << "C " << Decimal(atom.x) << ' ' << Decimal(atom.y) << ' ' << Decimal(atom.z) << '\n';
    return cell;
}

int RunProgram(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ExportProcessPng(benchmark::State& state)
{
    const GrapheneCell cell = WriteCellFile();
    const std::vector<std::string> arguments = {PELMORA_EXECUTABLE,
                                                "--export",
                                                PictureFile,
                                                "--sticks",
                                                "--stick-length",
                                                "54",
                                                "--nx",
                                                std::to_string(Copies),
                                                "--ny",
                                                std::to_string(Copies),
                                                "--ax",
                                                Decimal(cell.width),
                                                "--ay",
                                                Decimal(cell.height),
                                                CellFile};
    for (auto _ : state)
        if (RunProgram(arguments) != 0)
            state.SkipWithError("the export failed");
    std::remove(CellFile.c_str());
    std::remove(PictureFile.c_str());
}
BENCHMARK(ExportProcessPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void PngEncodingOfTheExportedPicture(benchmark::State& state)
{
    Scene scene;
    TranslationCell lattice = LoadGrapheneCell(scene, CellAtoms);
    lattice.Nx = lattice.Ny = Copies;
    const StickControls sticks{true, 54, 500};
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(lattice);
    scene.UpdateSticks(sticks);
    scene.Rotate(ViewAngles{});
    QImage bitmap = MakeSceneBitmap();
    DrawScene(scene, bitmap, 500);
    for (auto _ : state)
        if (!BmpSaveToFile(&bitmap, QString::fromStdString(PictureFile)))
            state.SkipWithError("the PNG could not be written");
    std::remove(PictureFile.c_str());
    state.counters["atoms"] = scene.LXyzView.FCount;
}
BENCHMARK(PngEncodingOfTheExportedPicture)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
