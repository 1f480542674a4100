#include "RowBands.h"

#include "MTrace.h"

namespace {

constexpr const char* ObjectName = "FormMain";

// Bands of rows per thread. Every band looks through the whole draw list, which costs as much as
// painting at four bands a thread; two still let a thread whose band is crowded be helped.
constexpr int BandsPerThread = 2;
// A band's number fits the byte of a BandRange.
constexpr int MostBands = 255;

}  // namespace

RowBands::RowBands(int height, int threads)
    : height_(std::max(height, 1)), count_(std::clamp(threads * BandsPerThread, 1, std::min(MostBands, height_)))
{
}

void ObjectBands::Find(const Scene& scene, const SceneGeometry& geometry, const RowBands& rows, std::int64_t begin,
                       std::int64_t end)
{
    for (std::int64_t object = begin; object < end; ++object) {
        const auto index = static_cast<int>(object < atoms_ ? object : object - atoms_);
        if (object < atoms_) {
            TraceWatch(ObjectName, "iA", scene.LXyzView.Data[index].N, "TFormMain::DrawCircle");
            bands_[static_cast<std::size_t>(object)] = rows.Of(geometry.RowsOfBall(index));
        } else {
            bands_[static_cast<std::size_t>(object)] = rows.Of(geometry.RowsOfStick(index));
        }
    }
}
