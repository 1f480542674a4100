#include <cmath>
#include <optional>

#include "FixedDecimals.h"
#include "PickedAtom.h"

namespace {

struct Vector3 {
    double x = 0, y = 0, z = 0;
};

Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vector3& a) { return std::sqrt(Dot(a, a)); }

Vector3 RepeatedPlace(const PickedAtom& atom) { return {atom.RepeatedX, atom.RepeatedY, atom.RepeatedZ}; }

// Degrees from radians with the full-precision pi: a measurement is no picture to match.
constexpr double DegreesPerRadian = 57.29577951308232;

// The angle at b between the directions to a and c; nothing when either has no length.
std::optional<double> AngleDegrees(const Vector3& a, const Vector3& b, const Vector3& c)
{
    const Vector3 u = a - b;
    const Vector3 v = c - b;
    const Vector3 normal = Cross(u, v);
    if (Length(u) == 0 || Length(v) == 0)
        return std::nullopt;
    // atan2 of sine and cosine parts keeps its precision near 0 and 180 degrees, where acos does not.
    return std::atan2(Length(normal), Dot(u, v)) * DegreesPerRadian;
}

// The dihedral about the bond b-c, from a to d, -180 to 180, positive when a, seen along b-c,
// turns clockwise onto d; nothing when a, b, c or b, c, d lie on one line.
std::optional<double> DihedralDegrees(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d)
{
    const Vector3 b1 = b - a;
    const Vector3 b2 = c - b;
    const Vector3 b3 = d - c;
    const Vector3 n1 = Cross(b1, b2);
    const Vector3 n2 = Cross(b2, b3);
    const double length2 = Length(b2);
    if (Length(n1) == 0 || Length(n2) == 0 || length2 == 0)
        return std::nullopt;
    return std::atan2(length2 * Dot(b1, n2), Dot(n1, n2)) * DegreesPerRadian;
}

std::string DegreesText(const std::optional<double>& degrees)
{
    if (!degrees)
        return "undefined";
    std::string text = FixedDecimals(*degrees, 1);
    // A dihedral that rounds to -180.0 is the same as 180.0: one name for it.
    if (text == "-180.0")
        text = "180.0";
    return text + "\u00B0";
}

}  // namespace

std::string MeasurementLine(const std::vector<PickedAtom>& picked)
{
    const std::size_t n = picked.size();
    if (n < 2)
        return {};
    const auto at = [&](std::size_t fromEnd) { return RepeatedPlace(picked[n - 1 - fromEnd]); };
    std::string line = "distance " + FixedDecimals(Length(at(0) - at(1)), 3) + " \u00C5";
    if (n >= 3)
        line += "  angle " + DegreesText(AngleDegrees(at(2), at(1), at(0)));
    if (n >= 4)
        line += "  dihedral " + DegreesText(DihedralDegrees(at(3), at(2), at(1), at(0)));
    return line;
}
