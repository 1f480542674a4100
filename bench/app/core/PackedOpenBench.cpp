// Compressed trajectories: opening a file of 100 frames of 10,000 atoms (reading it, indexing
// its frames and reading the first) plain and gzipped, side by side with the unpacking alone as
// zlib does it for `gzip -dc`, from the same file into a buffer that is used again and again.
// The gzipped opening should cost no more than 1.5 times the plain one plus the unpacking.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>
#include <zlib.h>

#include "PackedBytes.h"
#include "ScenePipeline.h"
#include "SyntheticStructures.h"

namespace {

// The trajectory plain and gzipped, in a folder of its own removed at the end.
class TrajectoryFiles {
public:
    TrajectoryFiles(int frames, int atoms)
        : folder_(std::filesystem::temp_directory_path() / ("pelmora-packed-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(folder_);
        const std::string text = MakeTrajectoryText(frames, atoms);
        std::ofstream(Plain(), std::ios::binary) << text;
        std::ofstream(Gzipped(), std::ios::binary) << GzipPacked(text);
    }
    ~TrajectoryFiles() { std::filesystem::remove_all(folder_); }
    std::string Plain() const { return (folder_ / "trajectory.xyz").string(); }
    std::string Gzipped() const { return (folder_ / "trajectory.xyz.gz").string(); }

private:
    std::filesystem::path folder_;
};

std::vector<std::string> ShippedElementLines()
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    return table.Lines();
}

// What `gzip -dc file > /dev/null` does: the file unpacked piece by piece into one buffer.
std::size_t InflateAlone(const std::string& fileName)
{
    gzFile file = gzopen(fileName.c_str(), "rb");
    if (file == nullptr)
        throw std::runtime_error("gzopen");
    std::vector<char> buffer(std::size_t{1} << 16);
    std::size_t total = 0;
    for (int got; (got = gzread(file, buffer.data(), unsigned(buffer.size()))) > 0;)
        total += std::size_t(got);
    gzclose(file);
    return total;
}

enum Way { PlainOpen, GzipOpen, ZlibAlone };

// The argument is the way: 0 the plain file opened, 1 the gzipped file opened, 2 the gzipped file
// unpacked alone.
void OpenPackedTrajectory(benchmark::State& state)
{
    const TrajectoryFiles files(100, 10000);
    ScenePipeline pipeline;
    (void)pipeline.LoadElementTable(ShippedElementLines());
    const auto way = static_cast<Way>(state.range(0));
    for (auto _ : state) {
        if (way == ZlibAlone) {
            benchmark::DoNotOptimize(InflateAlone(files.Gzipped()));
            continue;
        }
        (void)pipeline.OpenFile(way == PlainOpen ? files.Plain() : files.Gzipped());
        const XyzReadResult read = pipeline.ReadFrame(1);
        benchmark::DoNotOptimize(read);
    }
    state.SetLabel(way == PlainOpen ? "plain open" : way == GzipOpen ? "gzip open" : "zlib alone");
}
BENCHMARK(OpenPackedTrajectory)->Arg(PlainOpen)->Arg(GzipOpen)->Arg(ZlibAlone)->Unit(benchmark::kMillisecond);

}  // namespace
