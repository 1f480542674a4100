#include "ViewTurn.h"

#include <algorithm>
#include <cmath>

#include "MConstants.h"

namespace {

ViewMatrix Multiply(const ViewMatrix& a, const ViewMatrix& b)
{
    ViewMatrix product;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            product.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c];
    return product;
}

// The turns about the three axes of the view, as RotatePoints takes them.
ViewMatrix AboutX(double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}
ViewMatrix AboutY(double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}
ViewMatrix AboutZ(double a)
{
    const double c = std::cos(a), s = std::sin(a);
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

// The turn of the drag in the screen's frame. The near side is +z and rows grow downwards:
// a turn about y by a positive angle carries +z towards +x (right); one about x by a positive
// angle carries +z towards -y (up); one about z by a positive angle carries -y (the top) towards
// +x, clockwise on the picture.
ViewMatrix ScreenTurn(double dx, double dy, bool aboutDepth, double pixelsPerHalfTurn)
{
    const double radiansPerPixel = Pi / pixelsPerHalfTurn;
    if (aboutDepth)
        return AboutZ(dx * radiansPerPixel);
    return Multiply(AboutX(-dy * radiansPerPixel), AboutY(dx * radiansPerPixel));
}

// Bar angles in radians that make m (m = AboutX(x) AboutZ(z) AboutY(y)), not yet on the bars' steps.
struct Angles {
    double x = 0, y = 0, z = 0;
};

Angles AnglesOf(const ViewMatrix& rotation)
{
    const auto& m = rotation.m;
    // m[0][1] = -sin z; z within +-90 degrees, so cos z >= 0.
    const double z = std::asin(std::clamp(-m[0][1], -1.0, 1.0));
    const double cosZ = std::hypot(m[0][0], m[0][2]);
    // At the poles (z = +-90 degrees) only x - y or x + y is fixed: y is taken as 0 there. Short of
    // them, both atan2 arguments carry cos z, which leaves them their relative precision.
    constexpr double Pole = 1e-12;
    if (cosZ < Pole)
        return {std::atan2(-m[1][2], m[2][2]), 0, z};
    return {std::atan2(m[2][1], m[1][1]), std::atan2(m[0][2], m[0][0]), z};
}

int PositionOf(double radians)
{
    const double tenths = radians * AngleBarMaximum / Pi2;
    const auto position = static_cast<long long>(std::floor(tenths));
    return static_cast<int>(((position % AngleBarMaximum) + AngleBarMaximum) % AngleBarMaximum);
}

int Wrapped(int position) { return ((position % AngleBarMaximum) + AngleBarMaximum) % AngleBarMaximum; }

// Of the bar positions around the exact angles (each angle's two neighbouring steps), the ones
// whose rotation comes nearest the one asked for: near the poles two angles nearly cancel, and
// rounding each on its own would add their errors.
ViewAngles NearestOnBars(const ViewMatrix& wanted)
{
    const Angles exact = AnglesOf(wanted);
    const int x0 = PositionOf(exact.x), y0 = PositionOf(exact.y), z0 = PositionOf(exact.z);
    ViewAngles best{x0, y0, z0};
    double bestError = 360;
    for (int dx = 0; dx <= 1; ++dx)
        for (int dy = 0; dy <= 1; ++dy)
            for (int dz = 0; dz <= 1; ++dz) {
                const ViewAngles candidate{Wrapped(x0 + dx), Wrapped(y0 + dy), Wrapped(z0 + dz)};
                const double error = DegreesBetween(RotationOfAngles(candidate), wanted);
                if (error < bestError) {
                    bestError = error;
                    best = candidate;
                }
            }
    return best;
}

}  // namespace

ViewMatrix RotationOfAngles(const ViewAngles& angles)
{
    return Multiply(AboutX(AngleOfPosition(angles.Ax)),
                    Multiply(AboutZ(AngleOfPosition(angles.Az)), AboutY(AngleOfPosition(angles.Ay))));
}

double DegreesBetween(const ViewMatrix& a, const ViewMatrix& b)
{
    // From the size of the difference rather than from the trace through acos, which loses the
    // small angles that matter here: |a - b|^2 = 4 (1 - cos angle) = 8 sin^2(angle / 2).
    double difference = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            difference += (a.m[r][c] - b.m[r][c]) * (a.m[r][c] - b.m[r][c]);
    const double halfSine = std::min(1.0, std::sqrt(difference / 8));
    return 2 * std::asin(halfSine) * 180 / Pi;
}

ViewAngles TurnedByDrag(const ViewAngles& now, double dx, double dy, bool aboutDepth, double pixelsPerHalfTurn)
{
    if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(pixelsPerHalfTurn) || !(pixelsPerHalfTurn > 0))
        return now;
    return NearestOnBars(Multiply(ScreenTurn(dx, dy, aboutDepth, pixelsPerHalfTurn), RotationOfAngles(now)));
}
