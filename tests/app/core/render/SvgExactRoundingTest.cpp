// The numbers of the SVG document round as the build that ships must round them: each stick
// half's position, angle and size equal, bit for bit, a plain transcription in which every
// rounding goes through a volatile float (ExactFloats.h).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ExactFloats.h"
#include "MConstants.h"
#include "MFunction.h"
#include "SvgWriter.h"

namespace {

TEST(ExactRounding, NumbersOfRandomSvgRectangles)
{
    RandomPoints random(11);
    SvgLines svg;
    std::vector<std::string> expected;
    for (int i = 0; i < 2000; ++i) {
        float x1 = Rounded(random.Coordinate() * 37.0), y1 = Rounded(random.Coordinate() * 37.0);
        float x2 = Rounded(random.Coordinate() * 37.0), y2 = Rounded(random.Coordinate() * 37.0);
        const float halfWidth = Rounded(random.Coordinate() / 7.0 + 6.0);
        SvgRect(svg, x1, y1, x2, y2, halfWidth, 0, "C-0");
        if (y2 < y1) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const double dx = double(x2) - x1, dy = double(y2) - y1;
        float angle;
        if (x1 == x2) {
            angle = Rounded(PiHalf);
        } else {
            angle = Rounded(std::atan(dy / dx));
            if (x2 < x1)
                angle = Rounded(angle + Pi);
        }
        const std::string x = FloatToSvg(x1);
        expected.push_back(R"(<rect id="C-0" x=")" + x + R"(" y=")" + FloatToSvg(Rounded(double(y1) - halfWidth))
                           + R"x(" transform="rotate()x" + FloatToSvg(Rounded(180 * double(angle) / Pi)) + "," + x + ","
                           + FloatToSvg(y1) + R"x()" fill="#000000" stroke="#000000" stroke-width="1" width=")x"
                           + FloatToSvg(Rounded(std::sqrt(dx * dx + dy * dy))) + R"(" height=")"
                           + FloatToSvg(Rounded(2 * double(halfWidth))) + R"("/>)");
    }
    ASSERT_EQ(svg.size(), expected.size());
    for (std::size_t i = 0; i < svg.size(); ++i)
        ASSERT_EQ(svg[i], expected[i]);
}

}  // namespace
