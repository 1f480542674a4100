#include "SceneDrawing.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "BallStickRaster.h"
#include "MTrace.h"
#include "MSingle.h"
#include "SvgWriter.h"

namespace {

constexpr const char* ObjectName = "FormMain";
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

QRgb RgbOf(TColor color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    return qRgb(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

// A position cut toward zero to a whole pixel; nothing when it is not finite or so far away
// that no integer may hold it.
std::optional<std::int64_t> PixelOf(double position)
{
    if (!std::isfinite(position))
        return std::nullopt;
    const double whole = std::trunc(position);
    if (std::abs(whole) > static_cast<double>(MaxRasterCoordinate))
        return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

// One pass over the draw list: the bitmap's raster, the optional SVG buffer and the values every
// object needs.
class SceneDrawer {
public:
    SceneDrawer(const Scene& scene, QImage& bitmap, int stickRadiusPosition, TextBuffer* svg)
        : scene_(scene), raster_(bitmap), svg_(svg), stickRadiusPosition_(stickRadiusPosition),
          halfWidth_(raster_.Width() / 2), halfHeight_(raster_.Height() / 2)
    {
    }

    void Clear() { raster_.Fill(White); }
    int Width() const { return raster_.Width(); }
    int Height() const { return raster_.Height(); }

    void Circle(int index)
    {
        const MPoint3DN<float>& p = scene_.LXyzView.Data[index];
        TraceWatch(ObjectName, "iA", p.N, "TFormMain::DrawCircle");
        const MAtom* element = Element(p.N);
        if (element == nullptr)
            return;
        const float r = ToSingle(double(element->Radius) * scene_.KRPoint);
        const double scale = scene_.ScaleXyz;
        const auto left = PixelOf((double(p.x) - r) * scale + halfWidth_);
        const auto top = PixelOf((double(p.y) - r) * scale + halfHeight_);
        const auto right = PixelOf((double(p.x) + r) * scale + halfWidth_);
        const auto bottom = PixelOf((double(p.y) + r) * scale + halfHeight_);
        if (left && top && right && bottom)
            raster_.Ellipse(*left, *top, *right, *bottom, RgbOf(element->Color), Black);
        if (svg_ != nullptr)
            SvgEllipse(*svg_, element->Name, element->Color, ToSingle(scale * p.x + halfWidth_),
                       ToSingle(scale * p.y + halfHeight_), ToSingle(scale * r));
    }

    void Stick(int index)
    {
        const MStick<float>& stick = scene_.LStickView.Data[index];
        const double scale = scene_.ScaleXyz;
        // P1 lies on the ball of atom I2, P2 on the ball of atom I1.
        const float x1 = ToSingle(scale * stick.P1.x + halfWidth_);
        const float y1 = ToSingle(scale * stick.P1.y + halfHeight_);
        const float x2 = ToSingle(scale * stick.P2.x + halfWidth_);
        const float y2 = ToSingle(scale * stick.P2.y + halfHeight_);
        const auto width = PixelOf(double(stickRadiusPosition_) / StickRadiusBarMaximum * 2 * scale);
        const auto px1 = PixelOf(x1), py1 = PixelOf(y1), px2 = PixelOf(x2), py2 = PixelOf(y2);
        if (width && px1 && py1 && px2 && py2)
            raster_.Stick(*px1, *py1, *px2, *py2, *width, Black);
        if (svg_ != nullptr)
            StickSvg(stick, x1, y1, x2, y2);
    }

private:
    const MAtom* Element(int n) const
    {
        return n >= 0 && n < scene_.LAtom.FCount ? scene_.LAtom.Data[n] : nullptr;
    }
    int ElementIndexOfAtom(int atom) const
    {
        return atom >= 0 && atom < scene_.LXyzView.FCount ? scene_.LXyzView.Data[atom].N : -1;
    }

    // Each half of a stick between two elements takes the colour of the ball it touches and is
    // named after the element at its other end.
    void StickSvg(const MStick<float>& stick, float x1, float y1, float x2, float y2)
    {
        const int a = ElementIndexOfAtom(stick.I1);
        const int b = ElementIndexOfAtom(stick.I2);
        const MAtom* first = Element(a);
        const MAtom* second = Element(b);
        if (first == nullptr || second == nullptr)
            return;
        const float halfWidth = ToSingle(double(stickRadiusPosition_) * scene_.ScaleXyz / StickRadiusBarMaximum);
        if (a == b) {
            SvgRect(*svg_, x1, y1, x2, y2, halfWidth, first->Color, first->Name + "-" + first->Name);
            return;
        }
        const float mx = ToSingle((double(x1) + x2) * 0.5);
        const float my = ToSingle((double(y1) + y2) * 0.5);
        SvgRect(*svg_, x1, y1, mx, my, halfWidth, second->Color, first->Name + "-0");
        SvgRect(*svg_, mx, my, x2, y2, halfWidth, first->Color, second->Name + "-0");
    }

    const Scene& scene_;
    BallStickRaster raster_;
    TextBuffer* svg_;
    int stickRadiusPosition_;
    int halfWidth_;
    int halfHeight_;
};

// One entry per ball, then one per stick, a stick as deep as its nearer end.
bool BuildDrawList(Scene& scene)
{
    const int atoms = scene.LXyzView.FCount;
    const int sticks = scene.LStickView.FCount;
    if (!scene.LObj.SetCount(atoms + sticks))
        return false;
    for (int i = 0; i < atoms; ++i)
        scene.LObj.Data[i] = MObj{scene.LXyzView.Data[i].z, i, -1};
    for (int i = 0; i < sticks; ++i)
        scene.LObj.Data[atoms + i] = MObj{scene.LStickView.Data[i].Depth(), -1, i};
    return true;
}

}  // namespace

QImage MakeSceneBitmap()
{
    QImage bitmap(SceneBitmapSize, SceneBitmapSize, QImage::Format_RGB32);
    bitmap.fill(White);
    return bitmap;
}

void DrawScene(Scene& scene, QImage& bitmap, int stickRadiusPosition, TextBuffer* svg)
{
    SceneDrawer drawer(scene, bitmap, stickRadiusPosition, svg);
    drawer.Clear();
    if (svg != nullptr)
        SvgBegin(*svg, drawer.Width(), drawer.Height());
    if (BuildDrawList(scene)) {
        // The heap sort leaves equally deep objects in one fixed order, which decides which of
        // them ends up on top.
        scene.LObj.Sort();
        for (int i = 0; i < scene.LObj.FCount; ++i) {
            const MObj& entry = scene.LObj.Data[i];
            if (entry.iAtom >= 0)
                drawer.Circle(entry.iAtom);
            else if (entry.iStick >= 0)
                drawer.Stick(entry.iStick);
        }
    }
    if (svg != nullptr)
        SvgEnd(*svg, drawer.Width(), drawer.Height());
}

void DrawCircle(const Scene& scene, QImage& bitmap, int index, TextBuffer* svg)
{
    if (index < 0 || index >= scene.LXyzView.FCount)
        return;
    SceneDrawer(scene, bitmap, StickRadiusBarMaximum / 2, svg).Circle(index);
}

void DrawStick(const Scene& scene, QImage& bitmap, int index, int stickRadiusPosition, TextBuffer* svg)
{
    if (index < 0 || index >= scene.LStickView.FCount)
        return;
    SceneDrawer(scene, bitmap, stickRadiusPosition, svg).Stick(index);
}
