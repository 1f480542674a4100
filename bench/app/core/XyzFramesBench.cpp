// Trajectories: opening a file of 100 frames of 10,000 atoms (reading it, indexing its frames,
// and the first frame read, rebuilt with sticks and drawn), a step to another frame, every frame
// written as a PNG picture by one thread against all of them, and the reading of one large frame
// from the whole text against the text buffer's lines.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "ForEachFrame.h"
#include "MBmpSaveLoad.h"
#include "ScenePipeline.h"
#include "SyntheticStructures.h"
#include "TextFile.h"
#include "WorkerPool.h"

namespace {

constexpr int StickBarAt124 = 54;  // joins the 1.42 bonds and nothing farther
constexpr int StickRadius = 500;
const StickControls kSticks{true, StickBarAt124, 500};
const ViewAngles kAngles{300, 200, 0};

std::vector<std::string> ShippedElementLines()
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    return table.Lines();
}

// The trajectory as a file in a folder of its own, removed at the end.
class TrajectoryFile {
public:
    TrajectoryFile(int frames, int atoms)
        : folder_(std::filesystem::temp_directory_path() / ("pelmora-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(folder_);
        std::ofstream(Path(), std::ios::binary) << MakeTrajectoryText(frames, atoms);
    }
    ~TrajectoryFile() { std::filesystem::remove_all(folder_); }
    std::string Path() const { return (folder_ / "trajectory.xyz").string(); }
    std::filesystem::path Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

TranslationCell OneCell() { return TranslationCell{}; }

// What the window does when it opens the file: read it, index its frames, read the first, and
// show it rebuilt with sticks.
void OpenTrajectory(benchmark::State& state)
{
    const TrajectoryFile file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ScenePipeline pipeline;
    (void)pipeline.LoadElementTable(ShippedElementLines());
    for (auto _ : state) {
        const XyzReadResult read = pipeline.OpenXyz(LoadTextFile(file.Path()));
        pipeline.Rebuild(kSticks, OneCell(), kAngles);
        benchmark::DoNotOptimize(pipeline.Picture(StickRadius).constBits());
        benchmark::DoNotOptimize(read);
    }
    state.counters["frames"] = pipeline.FrameCount();
    state.counters["sticks"] = pipeline.Model().LStick.FCount;
}
BENCHMARK(OpenTrajectory)->Args({100, 10000})->Unit(benchmark::kMillisecond);

// A step of the frame control: the next frame read, rebuilt with sticks and shown.
void FrameStep(benchmark::State& state)
{
    const int atoms = static_cast<int>(state.range(0));
    ScenePipeline pipeline;
    (void)pipeline.LoadElementTable(ShippedElementLines());
    (void)pipeline.OpenXyz(MakeTrajectoryText(10, atoms));
    int frame = 1;
    for (auto _ : state) {
        frame = frame % pipeline.FrameCount() + 1;
        const XyzReadResult read = pipeline.StepToFrame(frame);
        pipeline.Rebuild(kSticks, OneCell(), kAngles);
        benchmark::DoNotOptimize(pipeline.Picture(StickRadius).constBits());
        benchmark::DoNotOptimize(read);
    }
    state.counters["sticks"] = pipeline.Model().LStick.FCount;
}
BENCHMARK(FrameStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// --frame all as PNG: every frame read, rebuilt with sticks, drawn and written, one scene per
// thread (ForEachFrame); the argument is how many of the pool's threads take part.
void EveryFrameAsPng(benchmark::State& state)
{
    const TrajectoryFile file(100, 10000);
    ScenePipeline pipeline;
    const std::vector<std::string> elements = ShippedElementLines();
    (void)pipeline.LoadElementTable(elements);
    (void)pipeline.OpenFile(file.Path());
    WorkerPool& pool = WorkerPool::Shared();
    const int threads = pool.Threads();
    pool.SetThreadLimit(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ForEachFrame(
            pipeline.Document(), elements,
            [&](ScenePipeline& scene, int frame) {
                (void)scene.ReadFrame(frame);
                scene.Rebuild(kSticks, OneCell(), kAngles);
                const QImage& picture = scene.Picture(StickRadius);
                const std::string name = (file.Folder() / ("out-" + std::to_string(frame) + ".png")).string();
                if (!BmpSaveToFile(&picture, QString::fromStdString(name)))
                    std::abort();
            },
            [](int, std::exception_ptr) { std::abort(); });
    }
    pool.SetThreadLimit(threads);
    state.counters["frames"] = pipeline.FrameCount();
}
BENCHMARK(EveryFrameAsPng)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

// One frame of 100,000 or 1,000,000 atoms read from the whole text as a file is read (indexing
// included), to set beside ReadXyzFile of CoreBench, which reads the text buffer's lines.
void ReadXyzText(benchmark::State& state)
{
    const std::string text = MakeXyzText(static_cast<int>(state.range(0)));
    MListAdr<MAtom*> elements;
    LoadShippedElements(elements);
    MList<MPoint3DN<float>> read;
    for (auto _ : state) {
        state.PauseTiming();
        std::string file = text;  // the text as it was read, which the document takes over
        state.ResumeTiming();
        const XyzDocument document(std::move(file));
        benchmark::DoNotOptimize(document.ReadFrame(1, elements, read));
    }
    state.counters["atoms"] = read.FCount;
}
BENCHMARK(ReadXyzText)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
