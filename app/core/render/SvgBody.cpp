#include "SvgBody.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "WorkerPool.h"

void WriteSvgBody(const Scene& scene, const SceneGeometry& geometry, std::int64_t entriesPerPart, SvgLines& svg)
{
    const int count = scene.LObj.FCount;
    const std::int64_t parts = std::max<std::int64_t>(1, (count + entriesPerPart - 1) / entriesPerPart);
    std::vector<std::vector<std::string>> lines(static_cast<std::size_t>(parts));
    WorkerPool::Shared().Run(parts, [&](std::int64_t part) {
        std::vector<std::string>& out = lines[static_cast<std::size_t>(part)];
        const std::int64_t end = std::min<std::int64_t>(count, (part + 1) * entriesPerPart);
        for (std::int64_t position = part * entriesPerPart; position < end; ++position) {
            const MObj& entry = scene.LObj.Data[position];
            if (entry.iAtom >= 0) {
                if (std::string line = geometry.BallSvg(entry.iAtom); !line.empty())
                    out.push_back(std::move(line));
            } else if (entry.iStick >= 0) {
                geometry.StickSvg(entry.iStick, out);
            }
        }
    });
    std::size_t total = svg.size();
    for (const std::vector<std::string>& part : lines)
        total += part.size();
    svg.reserve(total);
    for (std::vector<std::string>& part : lines)
        for (std::string& line : part)
            svg.push_back(std::move(line));
}
