#include "SceneGeometry.h"

#include <utility>

#include "SvgWriter.h"

SceneGeometry::SceneGeometry(const Scene& scene, int width, int height, int stickRadiusPosition)
    : scene_(scene), stickRadiusPosition_(stickRadiusPosition), halfWidth_(width / 2), halfHeight_(height / 2),
      stickWidth_(PixelOf(double(stickRadiusPosition) / StickRadiusBarMaximum * 2 * scene.ScaleXyz))
{
    radius_.reserve(static_cast<std::size_t>(scene.LAtom.FCount));
    for (int e = 0; e < scene.LAtom.FCount; ++e)
        radius_.push_back(ToSingle(double(scene.LAtom.Data[e]->Radius) * scene.KRPoint));
}

std::string SceneGeometry::BallSvg(int index) const
{
    const MPoint3DN<float>& p = scene_.LXyzView.Data[index];
    const MAtom* element = Element(p.N);
    if (element == nullptr)
        return {};
    const double scale = scene_.ScaleXyz;
    const float radius = radius_[static_cast<std::size_t>(p.N)];
    return SvgEllipseLine(element->Name, element->Color, ToSingle(scale * p.x + halfWidth_),
                          ToSingle(scale * p.y + halfHeight_), ToSingle(scale * radius));
}

void SceneGeometry::StickSvg(int index, std::vector<std::string>& lines) const
{
    if (index >= scene_.LStick.FCount)
        return;  // a stick end without its stick names no atoms
    const MStickAtoms& atoms = scene_.LStick.Data[index];
    const int a = ElementIndexOfAtom(atoms.I1);
    const int b = ElementIndexOfAtom(atoms.I2);
    const MAtom* first = Element(a);
    const MAtom* second = Element(b);
    if (first == nullptr || second == nullptr)
        return;
    const Ends e = EndsOf(index);
    const float halfWidth = ToSingle(double(stickRadiusPosition_) * scene_.ScaleXyz / StickRadiusBarMaximum);
    const auto add = [&lines](std::string line) {
        if (!line.empty())
            lines.push_back(std::move(line));
    };
    if (a == b) {
        add(SvgRectLine(e.x1, e.y1, e.x2, e.y2, halfWidth, first->Color, first->Name + "-" + first->Name));
        return;
    }
    const float mx = ToSingle((double(e.x1) + e.x2) * 0.5);
    const float my = ToSingle((double(e.y1) + e.y2) * 0.5);
    add(SvgRectLine(e.x1, e.y1, mx, my, halfWidth, second->Color, first->Name + "-0"));
    add(SvgRectLine(mx, my, e.x2, e.y2, halfWidth, first->Color, second->Name + "-0"));
}
