// The steps of the viewer's mouse and playback: the atom under the cursor (the first question
// after a painting, which files the painted objects, and the questions after it), a drag step
// (the turned view painted), and a playback step (the next frame read, rebuilt and painted).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <string>

#include "ScenePipeline.h"
#include "SyntheticStructures.h"

namespace {

constexpr int StickBarAt124 = 54;  // joins the 1.42 bonds and nothing farther
constexpr int StickRadius = 500;
const StickControls WithSticks{true, StickBarAt124, 500};
const ViewAngles Turned{300, 200, 0};

double ProcessCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The CPU time of every thread together per iteration: on a loaded machine the wall time says
// little about what the threads share.
void CountCpu(benchmark::State& state, double processStart)
{
    state.counters["all_threads_cpu_ms"] = (ProcessCpuMilliseconds() - processStart)
        / static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
}

// A pipeline with the shipped element table and the text opened, rebuilt and painted.
void OpenAndPaint(ScenePipeline& pipeline, std::string text)
{
    (void)pipeline.LoadElementTableFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    (void)pipeline.OpenXyz(std::move(text));
    (void)pipeline.Rebuild(WithSticks, {}, Turned);
    (void)pipeline.Picture(StickRadius);
}

void Count(benchmark::State& state, const ScenePipeline& pipeline)
{
    state.counters["atoms"] = pipeline.Model().LXyzView.FCount;
    state.counters["sticks"] = pipeline.Model().LStickView.FCount;
}

// A question at a random pixel of the middle of the picture, where the sheet lies.
void HoverQuery(benchmark::State& state)
{
    ScenePipeline pipeline;
    OpenAndPaint(pipeline, MakeXyzText(static_cast<int>(state.range(0))));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pixel(SceneBitmapSize / 4, SceneBitmapSize * 3 / 4);
    // The first question that finds an atom files the painted objects and pairs the frame's atoms
    // with their lines; that is FirstHoverAfterPainting's and FirstAtomAfterRebuild's.
    while (!pipeline.AtomAt(pixel(random), pixel(random))) {}
    int found = 0;
    for (auto _ : state) {
        const auto atom = pipeline.AtomAt(pixel(random), pixel(random));
        found += atom.has_value();
        benchmark::DoNotOptimize(atom);
    }
    state.counters["found_share"] = static_cast<double>(found) / static_cast<double>(state.iterations());
    Count(state, pipeline);
}
BENCHMARK(HoverQuery)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The first question after each painting: filing the painted objects and pairing the frame's
// atoms with their lines comes with it. The painting itself is not timed.
void FirstHoverAfterPainting(benchmark::State& state)
{
    ScenePipeline pipeline;
    OpenAndPaint(pipeline, MakeXyzText(static_cast<int>(state.range(0))));
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pipeline.ChangeView({Turned.Ax + (++turn % 2), Turned.Ay, Turned.Az});
        (void)pipeline.Picture(StickRadius);
        state.ResumeTiming();
        benchmark::DoNotOptimize(pipeline.AtomAt(SceneBitmapSize / 2, SceneBitmapSize / 2));
    }
    Count(state, pipeline);
}
BENCHMARK(FirstHoverAfterPainting)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first atom found after a rebuild: the frame's atoms are paired with their lines then.
void FirstAtomAfterRebuild(benchmark::State& state)
{
    ScenePipeline pipeline;
    OpenAndPaint(pipeline, MakeXyzText(static_cast<int>(state.range(0))));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pixel(SceneBitmapSize / 4, SceneBitmapSize * 3 / 4);
    int x = 0, y = 0;
    do {
        x = pixel(random);
        y = pixel(random);
    } while (!pipeline.AtomAt(x, y));
    for (auto _ : state) {
        state.PauseTiming();
        (void)pipeline.Rebuild(WithSticks, {}, Turned);
        (void)pipeline.Picture(StickRadius);
        (void)pipeline.AtomAt(0, 0);  // files the painted objects: only the pairing is timed
        state.ResumeTiming();
        benchmark::DoNotOptimize(pipeline.AtomAt(x, y));
    }
    Count(state, pipeline);
}
BENCHMARK(FirstAtomAfterRebuild)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One step of a drag: the bars turned by a few pixels of drag, the view changed and painted.
void DragStep(benchmark::State& state)
{
    ScenePipeline pipeline;
    OpenAndPaint(pipeline, MakeXyzText(static_cast<int>(state.range(0))));
    ViewAngles angles = Turned;
    const double processStart = ProcessCpuMilliseconds();
    for (auto _ : state) {
        angles = TurnedByDrag(angles, 7, -3, false, 1500);
        pipeline.ChangeView(angles);
        benchmark::DoNotOptimize(pipeline.Picture(StickRadius).constBits());
    }
    CountCpu(state, processStart);
    Count(state, pipeline);
}
BENCHMARK(DragStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One step of playback through a trajectory of 8 frames: the next frame read, the scene
// rebuilt with its sticks, and the picture painted.
void PlaybackStep(benchmark::State& state)
{
    constexpr int Frames = 8;
    const std::string frame = MakeXyzText(static_cast<int>(state.range(0)));
    std::string trajectory;
    for (int f = 0; f < Frames; ++f)
        trajectory += frame;
    ScenePipeline pipeline;
    OpenAndPaint(pipeline, std::move(trajectory));
    int next = 1;
    const double processStart = ProcessCpuMilliseconds();
    for (auto _ : state) {
        next = next % Frames + 1;
        (void)pipeline.StepToFrame(next);
        (void)pipeline.Rebuild(WithSticks, {}, Turned);
        benchmark::DoNotOptimize(pipeline.Picture(StickRadius).constBits());
    }
    CountCpu(state, processStart);
    Count(state, pipeline);
}
BENCHMARK(PlaybackStep)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
